#pragma once
// What places a collection view's elements. A layout is attached to one collection view at a
// time; the collection view asks it to `prepareLayout` before its first question after an
// `invalidateLayout`, then for the content size and the attributes of the elements in a
// rectangle or of one item. Subclasses answer those; the base places nothing.
//
// Around an update (inserts, deletes, reloads) the collection view tells the layout what
// changes before the cells move (`prepareForCollectionViewUpdates`, the layout already
// prepared for the new counts) and once their new places are set, inside the same animation
// (`finalizeCollectionViewUpdates`). An inserted item comes in from its initial attributes and
// a deleted one leaves to its final attributes; by default both are the item's own place,
// transparent.
#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UICollectionViewLayoutAttributes.h"

class UICollectionView;

enum class UICollectionUpdateAction { Insert = 0, Delete = 1, Reload = 2 };

// One change of an update: an insert has only the place after it, a delete only the place
// before it, a reload both.
struct UICollectionViewUpdateItem {
    UICollectionUpdateAction updateAction = UICollectionUpdateAction::Insert;
    std::optional<NSIndexPath> indexPathBeforeUpdate;
    std::optional<NSIndexPath> indexPathAfterUpdate;
};

class UICollectionViewLayout {
public:
    UICollectionViewLayout() = default;
    virtual ~UICollectionViewLayout();
    UICollectionViewLayout(const UICollectionViewLayout&) = delete;
    UICollectionViewLayout& operator=(const UICollectionViewLayout&) = delete;

    // The collection view the layout serves, or null.
    UICollectionView* collectionView() const { return collectionView_; }

    virtual void prepareLayout() {}
    virtual CGSize collectionViewContentSize() const { return CGSizeZero; }
    // Cells and supplementary views whose frames meet the rectangle, in the layout's order.
    virtual std::vector<UICollectionViewLayoutAttributes> layoutAttributesForElementsInRect(CGRect rect) const {
        return {};
    }
    // Nothing for an item the layout does not place.
    virtual std::optional<UICollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(
        const NSIndexPath& indexPath) const {
        return std::nullopt;
    }
    virtual std::optional<UICollectionViewLayoutAttributes> layoutAttributesForSupplementaryViewOfKind(
        const std::string& kind, const NSIndexPath& indexPath) const {
        return std::nullopt;
    }
    // Whether a change of the collection view's bounds to `newBounds` asks for a new layout:
    // by default when the size changes.
    virtual bool shouldInvalidateLayoutForBoundsChange(CGRect newBounds) const;

    // ---- Updates -------------------------------------------------------------------------
    virtual void prepareForCollectionViewUpdates(const std::vector<UICollectionViewUpdateItem>& updateItems) {}
    virtual void finalizeCollectionViewUpdates() {}
    // Where an inserted item starts: by default its new place, transparent.
    virtual std::optional<UICollectionViewLayoutAttributes> initialLayoutAttributesForAppearingItemAtIndexPath(
        const NSIndexPath& indexPath) const;
    // Where a deleted item goes (its index path from before the update); nothing: its old
    // place, transparent.
    virtual std::optional<UICollectionViewLayoutAttributes> finalLayoutAttributesForDisappearingItemAtIndexPath(
        const NSIndexPath& indexPath) const {
        return std::nullopt;
    }

    // Drops what `prepareLayout` worked out; the collection view lays its cells out again.
    virtual void invalidateLayout();
    bool needsPrepare() const { return needsPrepare_; }

private:
    friend class UICollectionView;
    // Asked by the collection view before its questions.
    void prepareIfNeeded();

    UICollectionView* collectionView_ = nullptr;
    bool needsPrepare_ = true;
};
