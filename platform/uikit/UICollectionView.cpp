#include "platform/uikit/UICollectionView.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UITapGestureRecognizer.h"

namespace {

std::string describe(const NSIndexPath& p) {
    return "item " + std::to_string(p.item) + " of section " + std::to_string(p.section);
}

void sortUnique(std::vector<NSIndexPath>& paths) {
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
}

bool contains(const std::vector<NSIndexPath>& sorted, const NSIndexPath& p) {
    return std::binary_search(sorted.begin(), sorted.end(), p);
}

}  // namespace

UICollectionView::UICollectionView(CGRect frame, std::shared_ptr<UICollectionViewLayout> layout)
    : UIScrollView(frame), layout_(std::move(layout)) {
    if (!layout_) throw std::invalid_argument("a collection view needs a layout");
    layout_->collectionView_ = this;
    layout_->needsPrepare_ = true;
    tap_ = std::make_shared<UITapGestureRecognizer>();
    tap_->addTarget(this, [this](UIGestureRecognizer&) { tapped(*tap_); });
}

UICollectionView::~UICollectionView() {
    if (layout_->collectionView_ == this) layout_->collectionView_ = nullptr;
}

void UICollectionView::willMoveToSuperview(UIView* newSuperview) {
    UIScrollView::willMoveToSuperview(newSuperview);
    if (newSuperview && tap_->view() != this) addGestureRecognizer(tap_);
}

// ---- Roles -------------------------------------------------------------------------------------

void UICollectionView::setDataSource(const std::shared_ptr<UICollectionViewDataSource>& dataSource) {
    dataSource_ = dataSource;
    reloadData();
}

void UICollectionView::setDelegate(const std::shared_ptr<UICollectionViewDelegate>& delegate) {
    delegate_ = delegate;
    UIScrollView::setDelegate(delegate);
}

// ---- Layout ------------------------------------------------------------------------------------

void UICollectionView::layoutInvalidated() { setNeedsLayout(); }

void UICollectionView::setCollectionViewLayout(std::shared_ptr<UICollectionViewLayout> layout, bool animated,
                                               Completion completion) {
    if (!layout) throw std::invalid_argument("a collection view needs a layout");
    if (layout_->collectionView_ == this) layout_->collectionView_ = nullptr;
    layout_ = std::move(layout);
    layout_->collectionView_ = this;
    layout_->needsPrepare_ = true;
    animateRelayout(animated, std::move(completion));
}

std::optional<UICollectionViewLayoutAttributes> UICollectionView::layoutAttributesForItemAtIndexPath(
    const NSIndexPath& indexPath) {
    loadCountsIfNeeded();
    layout_->prepareIfNeeded();
    return layout_->layoutAttributesForItemAtIndexPath(indexPath);
}

void UICollectionView::setBounds(CGRect bounds) {
    if (layout_->shouldInvalidateLayoutForBoundsChange(bounds)) layout_->needsPrepare_ = true;
    UIScrollView::setBounds(bounds);
    layoutElements();
}

void UICollectionView::setFrame(CGRect frame) {
    const CGSize old = bounds().size;
    UIScrollView::setFrame(frame);
    if (bounds().size != old) layout_->needsPrepare_ = true;
    layoutElements();
}

void UICollectionView::layoutSubviews() {
    UIScrollView::layoutSubviews();
    layoutElements();
}

// ---- Reuse -------------------------------------------------------------------------------------

void UICollectionView::registerClass(CellFactory factory, const std::string& identifier) {
    cellFactories_[identifier] = std::move(factory);
}

void UICollectionView::registerClassForSupplementaryViewOfKind(SupplementaryFactory factory, const std::string& kind,
                                                               const std::string& identifier) {
    supplementaryFactories_[{kind, identifier}] = std::move(factory);
}

namespace {

// A pooled view made ready for another element, or none.
template <typename View>
std::shared_ptr<View> takeFromPool(std::vector<std::shared_ptr<UICollectionReusableView>>& pool) {
    if (pool.empty()) return nullptr;
    auto view = std::static_pointer_cast<View>(pool.back());
    pool.pop_back();
    view->prepareForReuse();
    return view;
}

}  // namespace

std::shared_ptr<UICollectionViewCell> UICollectionView::dequeueReusableCellWithReuseIdentifier(
    const std::string& identifier, const NSIndexPath& indexPath) {
    auto factory = cellFactories_.find(identifier);
    if (factory == cellFactories_.end())
        throw std::invalid_argument("no cell registered with the reuse identifier \"" + identifier + "\"");
    const auto attributes = layoutAttributesForItemAtIndexPath(indexPath);
    const CGRect frame = attributes ? attributes->frame : CGRectZero;
    auto cell = takeFromPool<UICollectionViewCell>(pool_[{"", identifier}]);
    UIView::performWithoutAnimation([&] {
        if (!cell) {
            cell = factory->second(frame);
            cell->reuseIdentifier_ = identifier;
        }
        if (attributes) cell->applyLayoutAttributes(*attributes);
    });
    return cell;
}

std::shared_ptr<UICollectionReusableView> UICollectionView::dequeueReusableSupplementaryViewOfKind(
    const std::string& kind, const std::string& identifier, const NSIndexPath& indexPath) {
    auto factory = supplementaryFactories_.find({kind, identifier});
    if (factory == supplementaryFactories_.end())
        throw std::invalid_argument("no " + kind + " view registered with the reuse identifier \"" + identifier + "\"");
    const auto attributes = layout_->layoutAttributesForSupplementaryViewOfKind(kind, indexPath);
    auto view = takeFromPool<UICollectionReusableView>(pool_[{kind, identifier}]);
    UIView::performWithoutAnimation([&] {
        if (!view) {
            view = factory->second(attributes ? attributes->frame : CGRectZero);
            view->reuseIdentifier_ = identifier;
        }
        if (attributes) view->applyLayoutAttributes(*attributes);
    });
    return view;
}

void UICollectionView::recycle(const Key& key, const std::shared_ptr<UICollectionReusableView>& view) {
    view->removeFromSuperview();
    if (key.kind.empty()) {
        auto& cell = static_cast<UICollectionViewCell&>(*view);
        if (auto d = delegate()) d->didEndDisplayingCell(*this, cell, key.indexPath);
    }
    // A view made without the pool (no identifier) is not handed out again.
    if (!view->reuseIdentifier_.empty()) pool_[{key.kind, view->reuseIdentifier_}].push_back(view);
}

// ---- Data --------------------------------------------------------------------------------------

std::vector<NSInteger> UICollectionView::readCounts() {
    std::vector<NSInteger> counts;
    if (auto source = dataSource()) {
        const NSInteger sections = std::max<NSInteger>(0, source->numberOfSectionsInCollectionView(*this));
        for (NSInteger s = 0; s < sections; ++s)
            counts.push_back(std::max<NSInteger>(0, source->numberOfItemsInSection(*this, s)));
    }
    return counts;
}

void UICollectionView::loadCountsIfNeeded() {
    if (!counts_) counts_ = readCounts();
}

NSInteger UICollectionView::numberOfSections() {
    loadCountsIfNeeded();
    return static_cast<NSInteger>(counts_->size());
}

NSInteger UICollectionView::numberOfItemsInSection(NSInteger section) {
    loadCountsIfNeeded();
    return section >= 0 && section < static_cast<NSInteger>(counts_->size()) ? (*counts_)[section] : 0;
}

void UICollectionView::checkItem(const NSIndexPath& indexPath, const char* what) {
    if (indexPath.item < 0 || indexPath.item >= numberOfItemsInSection(indexPath.section))
        throw std::out_of_range(std::string(what) + " " + describe(indexPath) + ", which does not exist");
}

void UICollectionView::reloadData() {
    counts_.reset();
    loadCountsIfNeeded();
    std::erase_if(selected_, [&](const NSIndexPath& p) { return p.item >= numberOfItemsInSection(p.section); });
    auto shown = std::move(shown_);
    shown_.clear();
    for (const auto& [key, view] : shown) recycle(key, view);
    layout_->invalidateLayout();
}

void UICollectionView::insertItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths) {
    if (batch_) return batch_->inserted.insert(batch_->inserted.end(), indexPaths.begin(), indexPaths.end()), void();
    performBatchUpdates([&] { insertItemsAtIndexPaths(indexPaths); });
}

void UICollectionView::deleteItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths) {
    if (batch_) return batch_->deleted.insert(batch_->deleted.end(), indexPaths.begin(), indexPaths.end()), void();
    performBatchUpdates([&] { deleteItemsAtIndexPaths(indexPaths); });
}

void UICollectionView::reloadItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths) {
    if (batch_) return batch_->reloaded.insert(batch_->reloaded.end(), indexPaths.begin(), indexPaths.end()), void();
    performBatchUpdates([&] { reloadItemsAtIndexPaths(indexPaths); });
}

void UICollectionView::performBatchUpdates(const std::function<void()>& updates, Completion completion) {
    if (batch_) {
        // Inside another batch: part of it.
        if (updates) updates();
        if (completion) NSRunLoop::mainRunLoop().performBlock([completion] { completion(true); });
        return;
    }
    loadCountsIfNeeded();
    batch_.emplace();
    try {
        if (updates) updates();
    } catch (...) {
        batch_.reset();
        throw;
    }
    Updates gathered = std::move(*batch_);
    batch_.reset();
    applyUpdates(std::move(gathered), std::move(completion));
}

void UICollectionView::applyUpdates(Updates u, Completion completion) {
    const std::vector<NSInteger> before = *counts_;
    const std::vector<NSInteger> after = readCounts();
    if (after.size() != before.size())
        throw std::logic_error("Invalid update: the number of sections changed from " + std::to_string(before.size()) +
                               " to " + std::to_string(after.size()));
    sortUnique(u.inserted);
    sortUnique(u.deleted);
    sortUnique(u.reloaded);
    auto inRange = [](const std::vector<NSInteger>& counts, const NSIndexPath& p) {
        return p.section >= 0 && p.section < static_cast<NSInteger>(counts.size()) && p.item >= 0 &&
               p.item < counts[p.section];
    };
    for (const auto& p : u.deleted)
        if (!inRange(before, p))
            throw std::logic_error("Invalid update: attempt to delete " + describe(p) + ", which does not exist");
    for (const auto& p : u.reloaded) {
        if (!inRange(before, p))
            throw std::logic_error("Invalid update: attempt to reload " + describe(p) + ", which does not exist");
        if (contains(u.deleted, p))
            throw std::logic_error("Invalid update: attempt to delete and reload " + describe(p));
    }
    for (const auto& p : u.inserted)
        if (!inRange(after, p))
            throw std::logic_error("Invalid update: attempt to insert " + describe(p) + ", past the new count");
    auto countIn = [](const std::vector<NSIndexPath>& paths, NSInteger section) {
        return std::count_if(paths.begin(), paths.end(), [&](const NSIndexPath& p) { return p.section == section; });
    };
    for (std::size_t s = 0; s < before.size(); ++s) {
        const NSInteger inserted = countIn(u.inserted, s), deleted = countIn(u.deleted, s);
        if (after[s] != before[s] - deleted + inserted)
            throw std::logic_error("Invalid update: invalid number of items in section " + std::to_string(s) +
                                   ". The number of items after the update (" + std::to_string(after[s]) +
                                   ") must equal the number before it (" + std::to_string(before[s]) + "), plus " +
                                   std::to_string(inserted) + " inserted, minus " + std::to_string(deleted) +
                                   " deleted");
    }

    // Where each surviving item goes: the old items left after the deletes fill, in order, the
    // new places that were not inserted.
    std::map<NSIndexPath, NSIndexPath> moved;
    for (std::size_t s = 0; s < before.size(); ++s) {
        const auto section = static_cast<NSInteger>(s);
        NSInteger to = 0;
        for (NSInteger from = 0; from < before[s]; ++from) {
            if (contains(u.deleted, {section, from})) continue;
            while (contains(u.inserted, {section, to})) ++to;
            moved[{section, from}] = {section, to++};
        }
    }
    counts_ = after;

    std::vector<NSIndexPath> selected;
    for (const auto& p : selected_)
        if (auto it = moved.find(p); it != moved.end()) selected.push_back(it->second);
    std::sort(selected.begin(), selected.end());
    selected_ = std::move(selected);

    auto shown = std::move(shown_);
    shown_.clear();
    std::vector<std::pair<Key, std::shared_ptr<UICollectionReusableView>>> leaving;
    for (auto& [key, view] : shown) {
        if (!key.kind.empty()) {
            shown_[key] = view;
            continue;
        }
        auto it = moved.find(key.indexPath);
        if (it == moved.end() && contains(u.deleted, key.indexPath)) {
            leaving.emplace_back(key, view);
            continue;
        }
        if (it == moved.end() || contains(u.reloaded, key.indexPath)) {
            recycle(key, view);
            continue;
        }
        shown_[{key.kind, it->second}] = view;
    }

    std::vector<UICollectionViewUpdateItem> items;
    for (const auto& p : u.deleted) items.push_back({UICollectionUpdateAction::Delete, p, std::nullopt});
    for (const auto& p : u.inserted) items.push_back({UICollectionUpdateAction::Insert, std::nullopt, p});
    for (const auto& p : u.reloaded)
        if (auto it = moved.find(p); it != moved.end())
            items.push_back({UICollectionUpdateAction::Reload, p, it->second});
    layout_->invalidateLayout();
    layout_->prepareIfNeeded();
    layout_->prepareForCollectionViewUpdates(items);

    appearing_ = u.inserted;
    auto self = weak_from_this().lock();
    const NSTimeInterval duration = UIView::areAnimationsEnabled() ? kUpdateDuration : 0;
    UIView::animateWithDuration(
        duration, 0, 0,
        [this, &leaving] {
            for (auto& [key, view] : leaving) {
                auto to = layout_->finalLayoutAttributesForDisappearingItemAtIndexPath(key.indexPath);
                if (to) view->applyLayoutAttributes(*to);
                else view->setAlpha(0);
            }
            layoutElements();
            if (!isDragging() && !isDecelerating()) setContentOffset(clampedOffset(contentOffset(), contentSize()));
            layout_->finalizeCollectionViewUpdates();
        },
        [this, leaving, completion = std::move(completion)](bool finished) {
            for (const auto& [key, view] : leaving) {
                if (view->superview() == this) recycle(key, view);
            }
            if (completion) completion(finished);
        });
    appearing_.clear();
}

void UICollectionView::animateRelayout(bool animated, Completion completion) {
    const NSTimeInterval duration = animated && UIView::areAnimationsEnabled() ? kUpdateDuration : 0;
    UIView::animateWithDuration(
        duration, 0, 0,
        [this] {
            layoutElements();
            if (!isDragging() && !isDecelerating()) setContentOffset(clampedOffset(contentOffset(), contentSize()));
        },
        std::move(completion));
}

// ---- Laying in -----------------------------------------------------------------------------------

std::shared_ptr<UICollectionReusableView> UICollectionView::makeView(
    const UICollectionViewLayoutAttributes& attributes) {
    auto source = dataSource();
    if (!source) return nullptr;
    if (attributes.isCell()) {
        auto cell = source->cellForItemAtIndexPath(*this, attributes.indexPath);
        if (!cell) throw std::logic_error("the data source gave no cell for " + describe(attributes.indexPath));
        return cell;
    }
    return source->viewForSupplementaryElementOfKind(*this, attributes.representedElementKind, attributes.indexPath);
}

void UICollectionView::layoutElements() {
    if (laying_ || !dataSource()) return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(laying_);
    auto self = weak_from_this().lock();  // a delegate call may drop the last other owner
    loadCountsIfNeeded();
    layout_->prepareIfNeeded();
    setContentSize(layout_->collectionViewContentSize());

    std::map<Key, UICollectionViewLayoutAttributes> wanted;
    for (auto& a : layout_->layoutAttributesForElementsInRect(bounds())) {
        Key key{a.isCell() ? std::string() : a.representedElementKind, a.indexPath};
        wanted.emplace(std::move(key), std::move(a));
    }
    for (auto it = shown_.begin(); it != shown_.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        auto [key, view] = *it;
        it = shown_.erase(it);
        recycle(key, view);
    }
    for (const auto& [key, attributes] : wanted) {
        if (auto it = shown_.find(key); it != shown_.end()) {
            it->second->applyLayoutAttributes(attributes);
            continue;
        }
        auto view = makeView(attributes);
        if (!view) continue;
        std::optional<UICollectionViewLayoutAttributes> from;
        if (key.kind.empty() && contains(appearing_, key.indexPath))
            from = layout_->initialLayoutAttributesForAppearingItemAtIndexPath(key.indexPath);
        UIView::performWithoutAnimation([&] {
            view->applyLayoutAttributes(from ? *from : attributes);
            insertSubview(view, 0);  // below the scroll indicators
        });
        if (from) view->applyLayoutAttributes(attributes);  // moves in with the update's animation
        shown_[key] = view;
        if (key.kind.empty()) {
            auto& cell = static_cast<UICollectionViewCell&>(*view);
            cell.setSelected(contains(selected_, key.indexPath));
            if (auto d = delegate()) d->willDisplayCell(*this, cell, key.indexPath);
        }
    }
}

// ---- What is shown -------------------------------------------------------------------------------

std::vector<std::shared_ptr<UICollectionViewCell>> UICollectionView::visibleCells() {
    layoutIfNeeded();
    std::vector<std::shared_ptr<UICollectionViewCell>> cells;
    for (const auto& [key, view] : shown_)
        if (key.kind.empty()) cells.push_back(std::static_pointer_cast<UICollectionViewCell>(view));
    return cells;
}

std::vector<std::shared_ptr<UICollectionReusableView>> UICollectionView::visibleSupplementaryViewsOfKind(
    const std::string& kind) {
    layoutIfNeeded();
    std::vector<std::shared_ptr<UICollectionReusableView>> views;
    for (const auto& [key, view] : shown_)
        if (key.kind == kind) views.push_back(view);
    return views;
}

std::vector<NSIndexPath> UICollectionView::indexPathsForVisibleItems() {
    layoutIfNeeded();
    std::vector<NSIndexPath> paths;
    for (const auto& [key, view] : shown_)
        if (key.kind.empty()) paths.push_back(key.indexPath);
    return paths;  // the map keeps them in order
}

std::shared_ptr<UICollectionViewCell> UICollectionView::cellForItemAtIndexPath(const NSIndexPath& indexPath) {
    layoutIfNeeded();
    auto it = shown_.find({std::string(), indexPath});
    return it == shown_.end() ? nullptr : std::static_pointer_cast<UICollectionViewCell>(it->second);
}

std::optional<NSIndexPath> UICollectionView::indexPathForCell(const UICollectionViewCell& cell) {
    layoutIfNeeded();
    for (const auto& [key, view] : shown_)
        if (key.kind.empty() && view.get() == &cell) return key.indexPath;
    return std::nullopt;
}

std::optional<NSIndexPath> UICollectionView::indexPathForItemAtPoint(CGPoint point) {
    loadCountsIfNeeded();
    layout_->prepareIfNeeded();
    for (const auto& a : layout_->layoutAttributesForElementsInRect(CGRectMake(point.x, point.y, 1, 1)))
        if (a.isCell() && CGRectContainsPoint(a.frame, point)) return a.indexPath;
    return std::nullopt;
}

CGPoint UICollectionView::offsetForItem(const NSIndexPath& indexPath, UICollectionViewScrollPosition position) {
    auto attributes = layoutAttributesForItemAtIndexPath(indexPath);
    CGPoint offset = contentOffset();
    if (!attributes) return offset;
    setContentSize(layout_->collectionViewContentSize());
    const CGRect f = attributes->frame;
    const CGSize box = bounds().size;
    if (position & UICollectionViewScrollPositionTop) offset.y = CGRectGetMinY(f);
    else if (position & UICollectionViewScrollPositionCenteredVertically) offset.y = CGRectGetMidY(f) - box.height / 2;
    else if (position & UICollectionViewScrollPositionBottom) offset.y = CGRectGetMaxY(f) - box.height;
    if (position & UICollectionViewScrollPositionLeft) offset.x = CGRectGetMinX(f);
    else if (position & UICollectionViewScrollPositionCenteredHorizontally) offset.x = CGRectGetMidX(f) - box.width / 2;
    else if (position & UICollectionViewScrollPositionRight) offset.x = CGRectGetMaxX(f) - box.width;
    return clampedOffset(offset, contentSize());
}

void UICollectionView::scrollToItemAtIndexPath(const NSIndexPath& indexPath, UICollectionViewScrollPosition position,
                                               bool animated) {
    checkItem(indexPath, "attempt to scroll to");
    setContentOffset(offsetForItem(indexPath, position), animated);
}

// ---- Selection -----------------------------------------------------------------------------------

std::vector<NSIndexPath> UICollectionView::indexPathsForSelectedItems() const { return selected_; }

void UICollectionView::selectItemAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                                             UICollectionViewScrollPosition position) {
    if (indexPath) checkItem(*indexPath, "attempt to select");
    if (!indexPath || !allowsMultipleSelection_) {
        for (const auto& p : std::vector<NSIndexPath>(selected_))
            if (!indexPath || p != *indexPath) deselectItemAtIndexPath(p, animated);
    }
    if (!indexPath) return;
    if (!contains(selected_, *indexPath)) {
        selected_.insert(std::upper_bound(selected_.begin(), selected_.end(), *indexPath), *indexPath);
        if (auto it = shown_.find({std::string(), *indexPath}); it != shown_.end())
            static_cast<UICollectionViewCell&>(*it->second).setSelected(true);
    }
    if (position != UICollectionViewScrollPositionNone) scrollToItemAtIndexPath(*indexPath, position, animated);
}

void UICollectionView::deselectItemAtIndexPath(const NSIndexPath& indexPath, bool animated) {
    auto it = std::lower_bound(selected_.begin(), selected_.end(), indexPath);
    if (it == selected_.end() || *it != indexPath) return;
    selected_.erase(it);
    if (auto shown = shown_.find({std::string(), indexPath}); shown != shown_.end())
        static_cast<UICollectionViewCell&>(*shown->second).setSelected(false);
}

void UICollectionView::tapped(UITapGestureRecognizer& tap) {
    if (tap.state() != UIGestureRecognizerStateRecognized || !allowsSelection_) return;
    auto self = weak_from_this().lock();
    const auto indexPath = indexPathForItemAtPoint(tap.locationInView(this));
    if (!indexPath) return;
    auto d = delegate();
    if (allowsMultipleSelection_ && contains(selected_, *indexPath)) {
        deselectItemAtIndexPath(*indexPath, true);
        if (d) d->didDeselectItemAtIndexPath(*this, *indexPath);
        return;
    }
    if (d && !d->shouldSelectItemAtIndexPath(*this, *indexPath)) return;
    if (!allowsMultipleSelection_) {
        for (const auto& p : std::vector<NSIndexPath>(selected_)) {
            if (p == *indexPath) continue;
            deselectItemAtIndexPath(p, true);
            if (d) d->didDeselectItemAtIndexPath(*this, p);
        }
    }
    selectItemAtIndexPath(indexPath, true, UICollectionViewScrollPositionNone);
    if (d) d->didSelectItemAtIndexPath(*this, *indexPath);
}
