#include "app/controls/CenteredFlowLayout.h"

#include <algorithm>
#include <limits>

#include "platform/uikit/UICollectionView.h"

std::vector<UICollectionViewLayoutAttributes> CenteredFlowLayout::layoutAttributesForElementsInRect(CGRect rect) const {
    auto attributes = UICollectionViewFlowLayout::layoutAttributesForElementsInRect(rect);
    UICollectionView* view = collectionView();
    if (view && !attributes.empty()) {
        CGFloat left = std::numeric_limits<CGFloat>::max(), right = std::numeric_limits<CGFloat>::lowest();
        for (const auto& a : attributes) {
            left = std::min(left, a.frame.origin.x);
            right = std::max(right, a.frame.origin.x + a.frame.size.width);
        }
        const CGFloat extent = right - left;
        const CGFloat width = view->bounds().size.width;
        if (extent < width) {
            const CGFloat offset = (width - extent) / 2;
            for (auto& a : attributes) a.frame.origin.x = offset + a.frame.origin.x - view->contentInset().left;
        }
    }
    centered_ = attributes;
    return attributes;
}

std::optional<UICollectionViewLayoutAttributes> CenteredFlowLayout::layoutAttributesForHeaderAtIndexPath(
    const NSIndexPath& indexPath) const {
    for (const auto& a : centered_)
        if (!a.isCell() && a.representedElementKind == UICollectionElementKindSectionHeader &&
            a.indexPath.section == indexPath.section)
            return a;
    return layoutAttributesForSupplementaryViewOfKind(UICollectionElementKindSectionHeader, indexPath);
}
