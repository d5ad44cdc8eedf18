#include "app/controls/CollectionView.h"

#include <algorithm>

#include "app/controls/FlowLayout.h"
#include "model/DeviceUtility.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITapGestureRecognizer.h"

std::shared_ptr<CollectionView> CollectionView::create(CGRect frame) {
    auto picker = std::make_shared<CollectionView>(frame);
    picker->adoptRoles();
    return picker;
}

CollectionView::CollectionView(CGRect frame) : UICollectionView(frame, std::make_shared<FlowLayout>()) {
    registerClass<CollectionViewCell>(CollectionViewCell::kReuseIdentifier);
    registerClassForSupplementaryViewOfKind([](CGRect f) { return std::make_shared<CollectionViewHeader>(f); },
                                            UICollectionElementKindSectionHeader,
                                            CollectionViewHeader::kReuseIdentifier);
    setAlwaysBounceHorizontal(true);
    static_cast<FlowLayout&>(*collectionViewLayout()).setScrollDirection(UICollectionViewScrollDirection::Horizontal);
    setShowsHorizontalScrollIndicator(false);
    setShowsVerticalScrollIndicator(false);
    setBackgroundColor(UIColor::clearColor());

    contentPadding_ = 4 * frame.size.width;
    setFrame(CGRectMake(frame.origin.x - contentPadding_, frame.origin.y, frame.size.width + 2 * contentPadding_,
                        frame.size.height));
    setContentInset(UIEdgeInsetsMake(0, contentPadding_, 0, contentPadding_));
}

void CollectionView::adoptRoles() {
    if (dataSource()) return;
    auto self = std::static_pointer_cast<CollectionView>(shared_from_this());
    setDataSource(std::shared_ptr<UICollectionViewDataSource>(self, static_cast<UICollectionViewDataSource*>(this)));
    setDelegate(std::shared_ptr<UICollectionViewDelegate>(self, static_cast<UICollectionViewDelegate*>(this)));
}

// ---- The list ------------------------------------------------------------------------------

void CollectionView::setObjects(const Objects& objects, CollectionObject* selected) {
    adoptRoles();
    settingObjects_ = true;
    objects_ = objects;
    categories_.clear();
    allCategoryObjects_.clear();
    categoryObjects_.clear();
    for (const auto& object : objects_) {
        if (object->category()) {
            categories_.push_back(object);
            allCategoryObjects_.emplace_back();
            continue;
        }
        if (categories_.empty()) {
            // Items before any header still need a section, owned by a header that takes no room.
            if (!leadingCategory_) leadingCategory_ = CollectionObject::collectionObjectCategory();
            categories_.push_back(leadingCategory_);
            allCategoryObjects_.emplace_back();
        }
        allCategoryObjects_.back().push_back(object);
    }
    for (std::size_t s = 0; s < categories_.size(); ++s)
        categoryObjects_.push_back(categories_[s]->categoryCollapsed() ? Objects{} : allCategoryObjects_[s]);
    lastCollapsedCategory_.reset();
    lastCollapsedSelectedIndex_.reset();

    reloadData();
    layoutIfNeeded();
    updateContentInset();
    const int batches = batchesInFlight_;
    setSelectedObject(selected);
    // Opening the selection's category finishes on a later turn: the list is installed then.
    if (batchesInFlight_ == batches) settingObjects_ = false;
}

// ---- Selection and look-up -------------------------------------------------------------------

void CollectionView::setSelectedObject(CollectionObject* object) {
    UIView::performWithoutAnimation([&] {
        for (const auto& category : categories_)
            if (category->categoryCollapsed() && category->categoryExpandable())
                expandCollapseCategoryObjects(*category, true);
        CollectionObject* category = categoryForObject(object);
        if (!category) return;
        if (!category->categoryCollapsed()) {
            if (auto path = indexOfObject(object, false)) selectItemAtIndexPath(*path);
        } else if (auto path = indexOfObject(object, true)) {
            expandCollapseCategory(*category, false, *path);
        }
    });
}

CollectionObject* CollectionView::selectedObject() const {
    for (const auto& object : objects_)
        if (!object->category() && object->selected()) return object.get();
    return nullptr;
}

void CollectionView::reloadObject(CollectionObject* object) {
    if (auto path = indexOfObject(object, false)) reloadItemsAtIndexPaths({*path});
}

CollectionViewCell* CollectionView::cellForObject(const CollectionObject* object) {
    if (!object) return nullptr;
    for (const auto& cell : visibleCells()) {
        auto* picker = dynamic_cast<CollectionViewCell*>(cell.get());
        if (picker && picker->object() == object) return picker;
    }
    return nullptr;
}

std::optional<NSIndexPath> CollectionView::indexOfObject(const CollectionObject* object, bool allObjects) const {
    if (!object) return std::nullopt;
    const auto& sections = allObjects ? allCategoryObjects_ : categoryObjects_;
    for (std::size_t s = 0; s < sections.size(); ++s)
        for (std::size_t i = 0; i < sections[s].size(); ++i)
            if (sections[s][i].get() == object) return NSIndexPath::indexPathForItem(NSInteger(i), NSInteger(s));
    return std::nullopt;
}

CollectionObject* CollectionView::categoryForObject(const CollectionObject* object) const {
    auto path = indexOfObject(object, true);
    return path ? categories_[std::size_t(path->section)].get() : nullptr;
}

void CollectionView::selectItemAtIndexPath(const NSIndexPath& indexPath, bool scroll) {
    const auto before = indexPathsForSelectedItems();
    UICollectionView::selectItemAtIndexPath(indexPath, false, UICollectionViewScrollPositionNone);
    showSelection(before);
    if (scroll) scrollToItemAtIndexPath(indexPath);
    if (selectedBlock_) selectedBlock_(*this);
}

void CollectionView::showSelection(const std::vector<NSIndexPath>& before) {
    const auto now = indexPathsForSelectedItems();
    for (const auto& path : before)
        if (std::find(now.begin(), now.end(), path) == now.end())
            if (auto cell = std::dynamic_pointer_cast<CollectionViewCell>(cellForItemAtIndexPath(path)))
                cell->showSelectedView(false);
    for (const auto& path : now)
        if (auto cell = std::dynamic_pointer_cast<CollectionViewCell>(cellForItemAtIndexPath(path)))
            cell->showSelectedView(true);
}

CollectionObject* CollectionView::objectAt(const NSIndexPath& indexPath) const {
    if (indexPath.section < 0 || std::size_t(indexPath.section) >= categoryObjects_.size()) return nullptr;
    const Objects& section = categoryObjects_[std::size_t(indexPath.section)];
    if (indexPath.item < 0 || std::size_t(indexPath.item) >= section.size()) return nullptr;
    return section[std::size_t(indexPath.item)].get();
}

std::optional<std::size_t> CollectionView::sectionOfCategory(const CollectionObject& category) const {
    for (std::size_t s = 0; s < categories_.size(); ++s)
        if (categories_[s].get() == &category) return s;
    return std::nullopt;
}

std::optional<NSIndexPath> CollectionView::firstSelectedIndexPath() const {
    const auto selected = indexPathsForSelectedItems();
    if (selected.empty()) return std::nullopt;
    return selected.front();
}

// ---- Scrolling -------------------------------------------------------------------------------

void CollectionView::scrollToItemAtIndexPath(const NSIndexPath& indexPath) {
    layoutIfNeeded();
    if (auto attributes = layoutAttributesForItemAtIndexPath(indexPath)) scrollToOffsetX(attributes->frame.origin.x);
}

void CollectionView::scrollToHeaderAtIndexPath(const NSIndexPath& indexPath) {
    layoutIfNeeded();
    if (auto attributes = collectionViewLayout()->layoutAttributesForSupplementaryViewOfKind(
            UICollectionElementKindSectionHeader, indexPath))
        scrollToOffsetX(attributes->frame.origin.x);
}

void CollectionView::scrollToOffsetX(CGFloat x) {
    const UIEdgeInsets inset = contentInset();
    const auto& layout = static_cast<const UICollectionViewFlowLayout&>(*collectionViewLayout());
    const CGFloat contentWidth = layout.collectionViewContentSize().width;
    const CGFloat width = bounds().size.width;
    CGFloat o = x - inset.left - layout.sectionInset().left - kScrollMargin;
    if (o + (width - inset.left) > contentWidth) o = contentWidth - width + inset.right;
    if (o < -inset.left) o = -inset.left;
    setContentOffset(CGPointMake(o, contentOffset().y), false);
}

// ---- Categories ------------------------------------------------------------------------------

void CollectionView::expandCollapseCategory(CollectionObject& category, bool collapsed,
                                            const NSIndexPath& selectedObjectIndex, bool scroll,
                                            std::function<void(bool)> completion) {
    if (!categoryIsExpandable(category)) return;
    const auto section = sectionOfCategory(category);
    if (!section) return;
    category.setCategoryCollapsed(collapsed);
    const std::size_t s = *section;
    if (!collapsed) {
        if (auto path = firstSelectedIndexPath()) {
            if (auto cell = std::dynamic_pointer_cast<CollectionViewCell>(cellForItemAtIndexPath(*path)))
                cell->showSelectedView(false);
        }
        if (CollectionObject* old = selectedObject()) old->selectionChanged(false);
        if (auto path = firstSelectedIndexPath()) deselectItemAtIndexPath(*path, false);
        const Objects& items = allCategoryObjects_[s];
        if (selectedObjectIndex.item >= 0 && std::size_t(selectedObjectIndex.item) < items.size())
            items[std::size_t(selectedObjectIndex.item)]->selectionChanged(true);
    }
    std::weak_ptr<CollectionView> weak = std::static_pointer_cast<CollectionView>(shared_from_this());
    CollectionObject* target = &category;
    const bool installing = settingObjects_;
    ++batchesInFlight_;
    performBatchUpdates(
        [this, target, s] {
            for (std::size_t other = 0; other < categories_.size(); ++other) {
                CollectionObject& header = *categories_[other];
                if (other != s && !header.categoryCollapsed() && header.categoryExpandable())
                    expandCollapseCategoryObjects(header, true);
            }
            expandCollapseCategoryObjects(*target, target->categoryCollapsed());
        },
        [weak, target, selectedObjectIndex, scroll, completion, installing](bool) {
            auto picker = weak.lock();
            if (!picker) return;
            --picker->batchesInFlight_;
            if (!target->categoryCollapsed() && picker->objectAt(selectedObjectIndex))
                picker->selectItemAtIndexPath(selectedObjectIndex, scroll);
            if (installing) picker->settingObjects_ = false;
            if (completion) completion(true);
        });
}

void CollectionView::expandCollapseCategoryObjects(CollectionObject& category, bool collapsed) {
    if (!categoryIsExpandable(category)) return;
    const auto section = sectionOfCategory(category);
    if (!section) return;
    category.setCategoryCollapsed(collapsed);
    const std::size_t s = *section;
    std::vector<NSIndexPath> paths;
    if (collapsed) {
        for (std::size_t i = 0; i < categoryObjects_[s].size(); ++i)
            paths.push_back(NSIndexPath::indexPathForItem(NSInteger(i), NSInteger(s)));
        categoryObjects_[s].clear();
        deleteItemsAtIndexPaths(paths);
    } else {
        // Only an empty section takes its items: they are never shown twice.
        if (!categoryObjects_[s].empty()) return;
        for (std::size_t i = 0; i < allCategoryObjects_[s].size(); ++i)
            paths.push_back(NSIndexPath::indexPathForItem(NSInteger(i), NSInteger(s)));
        categoryObjects_[s] = allCategoryObjects_[s];
        insertItemsAtIndexPaths(paths);
    }
}

void CollectionView::headerViewTapped(UITapGestureRecognizer& tap) {
    auto* headerView = dynamic_cast<CollectionViewHeader*>(tap.view());
    if (!headerView || !headerView->object()) return;
    if (headerWillSelectBlock_) headerWillSelectBlock_(*this);
    animateView(*headerView);
    CollectionObject& category = *headerView->object();
    const auto section = sectionOfCategory(category);
    if (!section) return;
    if (!category.categoryCollapsed()) {
        lastCollapsedCategory_ = category.name();
        lastCollapsedSelectedIndex_ = firstSelectedIndexPath();
    }
    NSIndexPath path = NSIndexPath::indexPathForItem(0, NSInteger(*section));
    bool scroll = true;
    if (category.categoryCollapsed()) {
        if (lastCollapsedCategory_ && lastCollapsedCategory_ == category.name() && lastCollapsedSelectedIndex_) {
            path = *lastCollapsedSelectedIndex_;
            scroll = false;
        }
        lastCollapsedCategory_.reset();
        lastCollapsedSelectedIndex_.reset();
    }
    std::weak_ptr<CollectionView> weak = std::static_pointer_cast<CollectionView>(shared_from_this());
    expandCollapseCategory(category, !category.categoryCollapsed(), path, scroll, [weak](bool) {
        auto picker = weak.lock();
        if (picker && picker->headerSelectedBlock_) picker->headerSelectedBlock_(*picker);
    });
}

std::vector<std::shared_ptr<CollectionViewHeader>> CollectionView::visibleHeaderViews() {
    std::erase_if(visibleCollectionReusableHeaderViews_, [](const auto& entry) { return entry.second.expired(); });
    std::vector<std::shared_ptr<CollectionViewHeader>> headers;
    for (const auto& view : visibleSupplementaryViewsOfKind(UICollectionElementKindSectionHeader))
        if (auto header = std::dynamic_pointer_cast<CollectionViewHeader>(view)) headers.push_back(std::move(header));
    return headers;
}

// ---- Looks -----------------------------------------------------------------------------------

void CollectionView::animateView(UIView& view) {
    std::weak_ptr<UIView> weak = view.shared_from_this();
    UIView::animateWithDuration(
        0.2, 0, 1.0, 1.0, 0,
        [weak] {
            if (auto v = weak.lock()) v->setTransform(CGAffineTransformMakeScale(kBounceScale, kBounceScale));
        },
        [weak](bool) {
            UIView::animateWithDuration(
                0.4, 0, 0.8, 1.0, 0,
                [weak] {
                    if (auto v = weak.lock()) v->setTransform(CGAffineTransformIdentity);
                },
                nullptr);
        });
}

void CollectionView::setOrientation(int orientation, bool animated) {
    UIView::animateWithDuration(animated ? 0.2 : 0, [this, orientation] {
        for (const auto& cell : visibleCells()) setOrientation(orientation, *cell);
        for (const auto& header : visibleHeaderViews()) setOrientation(orientation, *header);
    });
}

void CollectionView::setOrientation(int orientation, UIView& cellOrHeader) {
    if (auto* cell = dynamic_cast<CollectionViewCell*>(&cellOrHeader)) cell->setCollectionViewOrientation(orientation);
    else if (auto* header = dynamic_cast<CollectionViewHeader*>(&cellOrHeader))
        header->setCollectionViewOrientation(orientation);
}

bool CollectionView::updateContentInset(CGFloat contentWidth) {
    const CGFloat available = bounds().size.width - 2 * contentPadding_;
    UIEdgeInsets inset = contentInset();
    const bool fits = available > contentWidth;
    inset.left = inset.right = fits ? contentPadding_ + (available - contentWidth) / 2 : contentPadding_ + 2 * kSpacing;
    setContentInset(inset);
    return fits;
}

bool CollectionView::updateContentInset() {
    return updateContentInset(collectionViewLayout()->collectionViewContentSize().width);
}

void CollectionView::layoutSubviews() {
    UICollectionView::layoutSubviews();
    const CGSize size = bounds().size;
    if (!lastLayoutSize_ || lastLayoutSize_->width != size.width || lastLayoutSize_->height != size.height) {
        lastLayoutSize_ = size;
        updateContentInset();
    }
}

// ---- Data source and delegate ----------------------------------------------------------------

NSInteger CollectionView::numberOfSectionsInCollectionView(UICollectionView&) {
    return NSInteger(categoryObjects_.size());
}

NSInteger CollectionView::numberOfItemsInSection(UICollectionView&, NSInteger section) {
    return section >= 0 && std::size_t(section) < categoryObjects_.size()
               ? NSInteger(categoryObjects_[std::size_t(section)].size())
               : 0;
}

std::shared_ptr<UICollectionViewCell> CollectionView::cellForItemAtIndexPath(UICollectionView&,
                                                                             const NSIndexPath& indexPath) {
    auto cell = std::static_pointer_cast<CollectionViewCell>(
        dequeueReusableCellWithReuseIdentifier(CollectionViewCell::kReuseIdentifier, indexPath));
    cell->setObject(objectAt(indexPath));
    cell->setCollectionViewOrientation(AppConstants::orientation());
    cell->layer()->setShouldRasterize(true);
    return cell;
}

std::shared_ptr<UICollectionReusableView> CollectionView::viewForSupplementaryElementOfKind(
    UICollectionView&, const std::string& kind, const NSIndexPath& indexPath) {
    if (kind != UICollectionElementKindSectionHeader) return nullptr;
    auto header = std::static_pointer_cast<CollectionViewHeader>(
        dequeueReusableSupplementaryViewOfKind(kind, CollectionViewHeader::kReuseIdentifier, indexPath));
    if (indexPath.section >= 0 && std::size_t(indexPath.section) < categories_.size())
        header->setObject(categories_[std::size_t(indexPath.section)].get());
    header->setCollectionViewOrientation(AppConstants::orientation());
    visibleCollectionReusableHeaderViews_[indexPath] = header;
    while (!header->gestureRecognizers().empty())
        header->removeGestureRecognizer(header->gestureRecognizers().back().get());
    auto tap = std::make_shared<UITapGestureRecognizer>();
    tap->setNumberOfTapsRequired(1);
    tap->addTarget(this, [this](UIGestureRecognizer& recognizer) {
        headerViewTapped(static_cast<UITapGestureRecognizer&>(recognizer));
    });
    header->addGestureRecognizer(tap);
    header->layer()->setShouldRasterize(true);
    return header;
}

std::optional<CGSize> CollectionView::sizeForItemAtIndexPath(UICollectionView&, UICollectionViewLayout&,
                                                             const NSIndexPath& indexPath) {
    CollectionObject* object = objectAt(indexPath);
    return object ? object->size() : CGSizeZero;
}

std::optional<CGSize> CollectionView::referenceSizeForHeaderInSection(UICollectionView&, UICollectionViewLayout&,
                                                                      NSInteger section) {
    return section >= 0 && std::size_t(section) < categories_.size() ? categories_[std::size_t(section)]->size()
                                                                     : CGSizeZero;
}

std::optional<UIEdgeInsets> CollectionView::insetForSectionAtIndex(UICollectionView&, UICollectionViewLayout&,
                                                                   NSInteger section) {
    if (section < 0 || std::size_t(section) >= categories_.size()) return UIEdgeInsets{};
    const CollectionObject& category = *categories_[std::size_t(section)];
    const CGFloat left = !category.categoryCollapsed() && category.categoryExpandable() ? kSpacing : 0;
    const CGFloat right = std::size_t(section) + 1 == categories_.size() ? 0 : kSpacing;
    return UIEdgeInsetsMake(0, left, 0, right);
}

bool CollectionView::shouldSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) {
    CollectionObject* object = objectAt(indexPath);
    if (!object) return false;
    if (willSelectBlock_) willSelectBlock_(*this, *object);
    return object->selectable();
}

void CollectionView::didSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<CollectionViewCell>(cellForItemAtIndexPath(indexPath));
    if (cell) cell->showSelectedView(true);
    if (CollectionObject* object = objectAt(indexPath)) object->selectionChanged(true);
    if (cell) animateView(*cell);
}

void CollectionView::didDeselectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) {
    if (auto cell = std::dynamic_pointer_cast<CollectionViewCell>(cellForItemAtIndexPath(indexPath)))
        cell->showSelectedView(false);
    if (CollectionObject* object = objectAt(indexPath)) object->selectionChanged(false);
}

void CollectionView::scrollViewDidScroll(UIScrollView&) {
    if (!settingObjects_ && scrollBlock_) scrollBlock_(*this);
}
