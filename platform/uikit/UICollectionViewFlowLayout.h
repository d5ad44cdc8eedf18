#pragma once
// The line-based layout: items of one size fill lines across the collection view (rows when
// it scrolls vertically, columns when horizontally), sections one after another along the
// scrolling direction, each with an optional header before and footer after its items.
//
// In a section: as many items fit on a line as the width (less the side insets) holds with at
// least the inter-item spacing between them. A full line spreads its leftover space evenly
// between its items, so its first and last items touch the insets; a short last line keeps
// that same spacing from the start edge. Lines stand `minimumLineSpacing` apart. A header or
// footer spans the line; its extent along the scrolling direction is the height (vertical) or
// width (horizontal) of its reference size, none when that is 0.
//
// Sizes may differ item by item, and insets, spacings and header and footer sizes section by
// section, when the collection view's delegate is a `UICollectionViewDelegateFlowLayout` that
// answers them (an empty answer keeps the layout's own value). Items on a line are centred
// across it (the tallest sets the line's extent), and an item alone on its line is centred
// along it; lines of items of different sizes keep the minimum spacing.
//
// Every setter invalidates the layout. Subclasses may override any question; this class's
// answers come from the frames worked out in `prepareLayout`.
#include <cstddef>
#include <vector>

#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewLayout.h"
#include "platform/uikit/UIGeometry.h"

enum class UICollectionViewScrollDirection { Vertical = 0, Horizontal = 1 };

class UICollectionViewDelegateFlowLayout : public UICollectionViewDelegate {
public:
    virtual std::optional<CGSize> sizeForItemAtIndexPath(UICollectionView&, UICollectionViewLayout&,
                                                         const NSIndexPath&) {
        return std::nullopt;
    }
    virtual std::optional<UIEdgeInsets> insetForSectionAtIndex(UICollectionView&, UICollectionViewLayout&, NSInteger) {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewLayout&,
                                                                       NSInteger) {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> minimumInteritemSpacingForSectionAtIndex(UICollectionView&, UICollectionViewLayout&,
                                                                            NSInteger) {
        return std::nullopt;
    }
    virtual std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView&, UICollectionViewLayout&,
                                                                  NSInteger) {
        return std::nullopt;
    }
    virtual std::optional<CGSize> referenceSizeForFooterInSection(UICollectionView&, UICollectionViewLayout&,
                                                                  NSInteger) {
        return std::nullopt;
    }
};

class UICollectionViewFlowLayout : public UICollectionViewLayout {
public:
    CGSize itemSize() const { return itemSize_; }
    void setItemSize(CGSize size) { change(itemSize_, size); }
    CGFloat minimumLineSpacing() const { return lineSpacing_; }
    void setMinimumLineSpacing(CGFloat spacing) { change(lineSpacing_, spacing); }
    CGFloat minimumInteritemSpacing() const { return interitemSpacing_; }
    void setMinimumInteritemSpacing(CGFloat spacing) { change(interitemSpacing_, spacing); }
    UIEdgeInsets sectionInset() const { return sectionInset_; }
    void setSectionInset(UIEdgeInsets inset) { change(sectionInset_, inset); }
    CGSize headerReferenceSize() const { return headerSize_; }
    void setHeaderReferenceSize(CGSize size) { change(headerSize_, size); }
    CGSize footerReferenceSize() const { return footerSize_; }
    void setFooterReferenceSize(CGSize size) { change(footerSize_, size); }
    UICollectionViewScrollDirection scrollDirection() const { return scrollDirection_; }
    void setScrollDirection(UICollectionViewScrollDirection direction) { change(scrollDirection_, direction); }

    void prepareLayout() override;
    CGSize collectionViewContentSize() const override { return contentSize_; }
    std::vector<UICollectionViewLayoutAttributes> layoutAttributesForElementsInRect(CGRect rect) const override;
    std::optional<UICollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(
        const NSIndexPath& indexPath) const override;
    std::optional<UICollectionViewLayoutAttributes> layoutAttributesForSupplementaryViewOfKind(
        const std::string& kind, const NSIndexPath& indexPath) const override;

private:
    template <typename T>
    void change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        invalidateLayout();
    }

    CGSize itemSize_{50, 50};
    CGFloat lineSpacing_ = 10, interitemSpacing_ = 10;
    UIEdgeInsets sectionInset_{};
    CGSize headerSize_{}, footerSize_{};
    UICollectionViewScrollDirection scrollDirection_ = UICollectionViewScrollDirection::Vertical;

    // Worked out by prepareLayout: every element in order (per section: header, items, footer).
    struct Section {
        std::size_t firstItem = 0;  // index of item 0 in elements_
        NSInteger items = 0;
        std::optional<std::size_t> header, footer;
    };
    std::vector<UICollectionViewLayoutAttributes> elements_;
    std::vector<Section> sections_;
    CGSize contentSize_{};
};
