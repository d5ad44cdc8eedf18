#pragma once
// A scroll view of elements placed by a layout: items in sections, with optional supplementary
// views (section headers and footers). The data source gives the counts and makes the views,
// dequeuing them by reuse identifier from the collection view's pool; only the elements whose
// frames meet the visible rectangle are in the view tree, laid in as the content scrolls, and
// the views of elements that leave it return to the pool.
//
// The counts are read once and kept until `reloadData` or an update: `insertItemsAtIndexPaths`,
// `deleteItemsAtIndexPaths` and `reloadItemsAtIndexPaths`, alone or gathered in
// `performBatchUpdates`. An update must leave each section's count at the old count minus the
// deleted items plus the inserted ones, delete and reload only items that existed and insert
// only within the new count; otherwise it throws std::logic_error and the collection view keeps
// its old state. Cells that survive an update move to their new places (animated, unless inside
// `UIView::performWithoutAnimation`), inserted ones come in from and deleted ones leave to the
// attributes their layout gives them (transparent by default) before the latter return to the
// pool, and the selection follows its items.
//
// Selection: a tap on an item selects it (asking the delegate first, deselecting the previous
// one unless several may be selected) and tells the delegate; the programmatic forms do not
// tell it. Scroll positions bring the item to an edge or the centre of the visible rectangle,
// within the content's range.
//
// The data source and the delegate are held weakly, as delegates are.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UICollectionViewLayout.h"
#include "platform/uikit/UIScrollView.h"

class UICollectionView;
class UITapGestureRecognizer;

using UICollectionViewScrollPosition = unsigned;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionNone = 0;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionTop = 1 << 0;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionCenteredVertically = 1 << 1;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionBottom = 1 << 2;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionLeft = 1 << 3;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionCenteredHorizontally = 1 << 4;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionRight = 1 << 5;

class UICollectionViewDataSource {
public:
    virtual ~UICollectionViewDataSource() = default;
    virtual NSInteger numberOfSectionsInCollectionView(UICollectionView& collectionView) { return 1; }
    virtual NSInteger numberOfItemsInSection(UICollectionView& collectionView, NSInteger section) = 0;
    // A cell dequeued from the collection view (`dequeueReusableCellWithReuseIdentifier`).
    virtual std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView& collectionView,
                                                                         const NSIndexPath& indexPath) = 0;
    virtual std::shared_ptr<UICollectionReusableView> viewForSupplementaryElementOfKind(
        UICollectionView& collectionView, const std::string& kind, const NSIndexPath& indexPath) {
        return nullptr;
    }
};

// The scroll view's delegate calls plus the collection's own.
class UICollectionViewDelegate : public UIScrollViewDelegate {
public:
    virtual bool shouldSelectItemAtIndexPath(UICollectionView& collectionView, const NSIndexPath& indexPath) {
        return true;
    }
    virtual void didSelectItemAtIndexPath(UICollectionView& collectionView, const NSIndexPath& indexPath) {}
    virtual void didDeselectItemAtIndexPath(UICollectionView& collectionView, const NSIndexPath& indexPath) {}
    virtual void willDisplayCell(UICollectionView& collectionView, UICollectionViewCell& cell,
                                 const NSIndexPath& indexPath) {}
    virtual void didEndDisplayingCell(UICollectionView& collectionView, UICollectionViewCell& cell,
                                      const NSIndexPath& indexPath) {}
};

class UICollectionView : public UIScrollView {
public:
    using CellFactory = std::function<std::shared_ptr<UICollectionViewCell>(CGRect frame)>;
    using SupplementaryFactory = std::function<std::shared_ptr<UICollectionReusableView>(CGRect frame)>;
    using Completion = std::function<void(bool finished)>;
    static constexpr NSTimeInterval kUpdateDuration = 0.3;

    UICollectionView(CGRect frame, std::shared_ptr<UICollectionViewLayout> layout);
    ~UICollectionView() override;

    // ---- Roles ---------------------------------------------------------------------------
    std::shared_ptr<UICollectionViewDataSource> dataSource() const { return dataSource_.lock(); }
    void setDataSource(const std::shared_ptr<UICollectionViewDataSource>& dataSource);
    std::shared_ptr<UICollectionViewDelegate> delegate() const { return delegate_.lock(); }
    // Also the scroll view's delegate.
    void setDelegate(const std::shared_ptr<UICollectionViewDelegate>& delegate);

    // ---- Layout --------------------------------------------------------------------------
    const std::shared_ptr<UICollectionViewLayout>& collectionViewLayout() const { return layout_; }
    void setCollectionViewLayout(std::shared_ptr<UICollectionViewLayout> layout, bool animated,
                                 Completion completion = nullptr);
    std::optional<UICollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(const NSIndexPath& indexPath);

    // ---- Reuse ---------------------------------------------------------------------------
    void registerClass(CellFactory factory, const std::string& identifier);
    template <typename Cell>
    void registerClass(const std::string& identifier) {
        registerClass([](CGRect frame) { return std::make_shared<Cell>(frame); }, identifier);
    }
    void registerClassForSupplementaryViewOfKind(SupplementaryFactory factory, const std::string& kind,
                                                 const std::string& identifier);
    // A pooled view (after its prepareForReuse) or a new one, framed for the element; an
    // unregistered identifier throws std::invalid_argument.
    std::shared_ptr<UICollectionViewCell> dequeueReusableCellWithReuseIdentifier(const std::string& identifier,
                                                                                 const NSIndexPath& indexPath);
    std::shared_ptr<UICollectionReusableView> dequeueReusableSupplementaryViewOfKind(const std::string& kind,
                                                                                     const std::string& identifier,
                                                                                     const NSIndexPath& indexPath);

    // ---- Data ----------------------------------------------------------------------------
    NSInteger numberOfSections();
    NSInteger numberOfItemsInSection(NSInteger section);
    // Reads the counts again and asks for every visible element afresh.
    void reloadData();
    void insertItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths);
    void deleteItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths);
    void reloadItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths);
    // The updates made inside the block (and the data source's new counts) apply together
    // when it ends; the completion runs once the cells have moved.
    void performBatchUpdates(const std::function<void()>& updates, Completion completion = nullptr);

    // ---- What is shown -------------------------------------------------------------------
    std::vector<std::shared_ptr<UICollectionViewCell>> visibleCells();
    // Headers or footers now in the view tree, in index-path order.
    std::vector<std::shared_ptr<UICollectionReusableView>> visibleSupplementaryViewsOfKind(const std::string& kind);
    // In index-path order.
    std::vector<NSIndexPath> indexPathsForVisibleItems();
    // The cell shown for the item, or null when the item is not visible.
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(const NSIndexPath& indexPath);
    std::optional<NSIndexPath> indexPathForCell(const UICollectionViewCell& cell);
    // The item whose frame holds the point (in the collection view's space).
    std::optional<NSIndexPath> indexPathForItemAtPoint(CGPoint point);
    void scrollToItemAtIndexPath(const NSIndexPath& indexPath, UICollectionViewScrollPosition position, bool animated);

    // ---- Selection -----------------------------------------------------------------------
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }
    // In index-path order.
    std::vector<NSIndexPath> indexPathsForSelectedItems() const;
    // Nothing selects nothing (clearing the selection); an item out of range throws
    // std::out_of_range.
    void selectItemAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                               UICollectionViewScrollPosition position);
    void deselectItemAtIndexPath(const NSIndexPath& indexPath, bool animated);

    // ---- The view ------------------------------------------------------------------------
    void setBounds(CGRect bounds) override;
    void setFrame(CGRect frame) override;
    void layoutSubviews() override;
    void willMoveToSuperview(UIView* newSuperview) override;

private:
    friend class UICollectionViewLayout;
    // What one element is: its kind (empty for a cell) and index path.
    struct Key {
        std::string kind;
        NSIndexPath indexPath;
        auto operator<=>(const Key&) const = default;
    };
    struct Updates {
        std::vector<NSIndexPath> inserted, deleted, reloaded;
    };

    void layoutInvalidated();
    // The data source's counts now, one a section.
    std::vector<NSInteger> readCounts();
    void loadCountsIfNeeded();
    void checkItem(const NSIndexPath& indexPath, const char* what);
    // Brings the shown views in line with the layout over the bounds.
    void layoutElements();
    void recycle(const Key& key, const std::shared_ptr<UICollectionReusableView>& view);
    std::shared_ptr<UICollectionReusableView> makeView(const UICollectionViewLayoutAttributes& attributes);
    void applyUpdates(Updates updates, Completion completion);
    void animateRelayout(bool animated, Completion completion);
    void tapped(UITapGestureRecognizer& tap);
    CGPoint offsetForItem(const NSIndexPath& indexPath, UICollectionViewScrollPosition position);

    std::shared_ptr<UICollectionViewLayout> layout_;
    std::weak_ptr<UICollectionViewDataSource> dataSource_;
    std::weak_ptr<UICollectionViewDelegate> delegate_;
    std::shared_ptr<UITapGestureRecognizer> tap_;

    std::unordered_map<std::string, CellFactory> cellFactories_;
    std::map<std::pair<std::string, std::string>, SupplementaryFactory> supplementaryFactories_;  // (kind, identifier)
    std::map<std::pair<std::string, std::string>, std::vector<std::shared_ptr<UICollectionReusableView>>> pool_;

    std::optional<std::vector<NSInteger>> counts_;
    std::map<Key, std::shared_ptr<UICollectionReusableView>> shown_;
    std::vector<NSIndexPath> selected_;   // kept sorted
    std::optional<Updates> batch_;        // open while performBatchUpdates runs its block
    std::vector<NSIndexPath> appearing_;  // inserted items, while an update lays them in
    bool laying_ = false;
    bool allowsSelection_ = true, allowsMultipleSelection_ = false;
};
