#pragma once
// Where a layout places one element of a collection view: a cell, or a supplementary view
// (a section's header or footer) of a kind. A plain value; layouts hand out copies.
#include <string>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/NSIndexPath.h"

enum class UICollectionElementCategory { Cell = 0, SupplementaryView = 1 };

inline const std::string UICollectionElementKindSectionHeader = "UICollectionElementKindSectionHeader";
inline const std::string UICollectionElementKindSectionFooter = "UICollectionElementKindSectionFooter";

struct UICollectionViewLayoutAttributes {
    NSIndexPath indexPath;
    CGRect frame{};
    CGFloat alpha = 1;
    bool hidden = false;
    NSInteger zIndex = 0;
    UICollectionElementCategory representedElementCategory = UICollectionElementCategory::Cell;
    std::string representedElementKind;  // empty for cells

    static UICollectionViewLayoutAttributes layoutAttributesForCellWithIndexPath(NSIndexPath path) {
        UICollectionViewLayoutAttributes a;
        a.indexPath = path;
        return a;
    }
    static UICollectionViewLayoutAttributes layoutAttributesForSupplementaryViewOfKind(const std::string& kind,
                                                                                       NSIndexPath path) {
        UICollectionViewLayoutAttributes a;
        a.indexPath = path;
        a.representedElementCategory = UICollectionElementCategory::SupplementaryView;
        a.representedElementKind = kind;
        return a;
    }

    CGPoint center() const { return {CGRectGetMidX(frame), CGRectGetMidY(frame)}; }
    CGSize size() const { return frame.size; }
    bool isCell() const { return representedElementCategory == UICollectionElementCategory::Cell; }
};
