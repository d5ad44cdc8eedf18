#pragma once
// The horizontal picker of the editing controls: one list of picker items (modes, looks or
// adjustments) cut into sections at its category headers, header i owning section i. A
// collapsed header's section stays in place, empty; a tap on a header opens it (closing the
// others in the same batch, so at most one is open) or closes it. The picker is its own data
// source and layout delegate. It knows nothing of the engine: it tells the items themselves
// that they were selected, and their list does the rest.
//
// The view reaches 4 of its widths beyond each side of its place on the screen (its frame is
// widened at creation, the content inset makes up for it), so that items are laid in before
// they scroll into view; a list narrower than the place is centred by the insets.
//
// Make it with `create` (it holds itself weakly as its data source and delegate).
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/controls/CollectionViewCell.h"
#include "app/controls/CollectionViewHeader.h"
#include "model/CollectionObject.h"
#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewFlowLayout.h"

class UITapGestureRecognizer;

class CollectionView : public UICollectionView,
                       public UICollectionViewDataSource,
                       public UICollectionViewDelegateFlowLayout {
public:
    using Objects = std::vector<std::shared_ptr<CollectionObject>>;
    using ObjectBlock = std::function<void(CollectionView&, CollectionObject&)>;
    using Block = std::function<void(CollectionView&)>;

    static std::shared_ptr<CollectionView> create(CGRect frame);
    explicit CollectionView(CGRect frame);

    static constexpr CGFloat kSpacing = 14;
    // How far right of the visible area's inner edge a scrolled-to item lands.
    static constexpr CGFloat kScrollMargin = 42;
    static constexpr double kBounceScale = 1.2;

    // ---- The list ------------------------------------------------------------------------
    void setObjects(const Objects& objects, CollectionObject* selected);
    const Objects& objects() const { return objects_; }
    const Objects& categories() const { return categories_; }
    const std::vector<Objects>& allCategoryObjects() const { return allCategoryObjects_; }
    const std::vector<Objects>& categoryObjects() const { return categoryObjects_; }
    CGFloat contentPadding() const { return contentPadding_; }
    // Yes while a list installs, until the opening of its selection's category has finished.
    bool settingObjects() const { return settingObjects_; }
    const std::optional<std::string>& lastCollapsedCategory() const { return lastCollapsedCategory_; }
    const std::optional<NSIndexPath>& lastCollapsedSelectedIndex() const { return lastCollapsedSelectedIndex_; }

    // ---- Selection and look-up -----------------------------------------------------------
    // Selects from outside, opening the item's category when it is closed; no animation.
    void setSelectedObject(CollectionObject* object);
    // The first item of the list whose `selected` flag is set.
    CollectionObject* selectedObject() const;
    void reloadObject(CollectionObject* object);
    CollectionViewCell* cellForObject(const CollectionObject* object);
    // Among the shown items (false) or all items (true).
    std::optional<NSIndexPath> indexOfObject(const CollectionObject* object, bool allObjects) const;
    CollectionObject* categoryForObject(const CollectionObject* object) const;
    static bool categoryIsExpandable(const CollectionObject& category) { return category.categoryExpandable(); }
    // Selects without animation, delegate calls or bounce; then `selectedBlock`.
    void selectItemAtIndexPath(const NSIndexPath& indexPath, bool scroll = true);

    // ---- Scrolling -----------------------------------------------------------------------
    using UICollectionView::scrollToItemAtIndexPath;
    void scrollToItemAtIndexPath(const NSIndexPath& indexPath);
    void scrollToHeaderAtIndexPath(const NSIndexPath& indexPath);
    // Puts the content's x `kScrollMargin` right of the visible area's inner edge, within the
    // content's ends.
    void scrollToOffsetX(CGFloat x);

    // ---- Categories ----------------------------------------------------------------------
    void expandCollapseCategory(CollectionObject& category, bool collapsed, const NSIndexPath& selectedObjectIndex,
                                bool scroll = true, std::function<void(bool)> completion = nullptr);
    // Moves a section's items in (all of them) or out; nothing for a header of size zero.
    void expandCollapseCategoryObjects(CollectionObject& category, bool collapsed);
    void headerViewTapped(UITapGestureRecognizer& tap);
    // The headers handed out and still alive, by index path.
    std::vector<std::shared_ptr<CollectionViewHeader>> visibleHeaderViews();

    // ---- Looks ---------------------------------------------------------------------------
    static void animateView(UIView& view);
    void setOrientation(int orientation, bool animated);
    static void setOrientation(int orientation, UIView& cellOrHeader);
    // Centres content of width `contentWidth` narrower than the place on the screen (true),
    // else leaves 28 points more at each end (false).
    bool updateContentInset(CGFloat contentWidth);
    bool updateContentInset();

    // ---- Hooks ---------------------------------------------------------------------------
    void setWillSelectBlock(ObjectBlock block) { willSelectBlock_ = std::move(block); }
    void setSelectedBlock(Block block) { selectedBlock_ = std::move(block); }
    void setHeaderWillSelectBlock(Block block) { headerWillSelectBlock_ = std::move(block); }
    void setHeaderSelectedBlock(Block block) { headerSelectedBlock_ = std::move(block); }
    void setScrollBlock(Block block) { scrollBlock_ = std::move(block); }

    // ---- Data source and delegate --------------------------------------------------------
    using UICollectionView::cellForItemAtIndexPath;
    using UICollectionView::numberOfItemsInSection;
    NSInteger numberOfSectionsInCollectionView(UICollectionView&) override;
    NSInteger numberOfItemsInSection(UICollectionView&, NSInteger section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView&,
                                                                 const NSIndexPath& indexPath) override;
    std::shared_ptr<UICollectionReusableView> viewForSupplementaryElementOfKind(UICollectionView&,
                                                                                const std::string& kind,
                                                                                const NSIndexPath& indexPath) override;
    std::optional<CGSize> sizeForItemAtIndexPath(UICollectionView&, UICollectionViewLayout&,
                                                 const NSIndexPath& indexPath) override;
    std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView&, UICollectionViewLayout&,
                                                          NSInteger section) override;
    std::optional<UIEdgeInsets> insetForSectionAtIndex(UICollectionView&, UICollectionViewLayout&,
                                                       NSInteger section) override;
    std::optional<CGFloat> minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewLayout&,
                                                               NSInteger) override {
        return kSpacing;
    }
    std::optional<CGFloat> minimumInteritemSpacingForSectionAtIndex(UICollectionView&, UICollectionViewLayout&,
                                                                    NSInteger) override {
        return kSpacing;
    }
    bool shouldSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) override;
    void didSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) override;
    void didDeselectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) override;
    void scrollViewDidScroll(UIScrollView&) override;

    void layoutSubviews() override;

private:
    void adoptRoles();
    CollectionObject* objectAt(const NSIndexPath& indexPath) const;
    std::optional<std::size_t> sectionOfCategory(const CollectionObject& category) const;
    std::optional<NSIndexPath> firstSelectedIndexPath() const;
    // Keeps the visible cells' overlays on the picker's own selection.
    void showSelection(const std::vector<NSIndexPath>& before);

    Objects objects_, categories_;
    std::vector<Objects> allCategoryObjects_, categoryObjects_;
    // Owns the section of items that come before any header in a list.
    std::shared_ptr<CollectionObject> leadingCategory_;
    CGFloat contentPadding_ = 0;
    bool settingObjects_ = false;
    int batchesInFlight_ = 0;
    std::optional<std::string> lastCollapsedCategory_;
    std::optional<NSIndexPath> lastCollapsedSelectedIndex_;
    std::map<NSIndexPath, std::weak_ptr<CollectionViewHeader>> visibleCollectionReusableHeaderViews_;
    std::optional<CGSize> lastLayoutSize_;
    ObjectBlock willSelectBlock_;
    Block selectedBlock_, headerWillSelectBlock_, headerSelectedBlock_, scrollBlock_;
};
