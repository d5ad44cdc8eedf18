#include "library/browser/ReverseCollectionLayout.h"

#include "platform/uikit/UICollectionView.h"

NSInteger ReverseCollectionLayout::itemCount(NSInteger section) const {
    UICollectionView* view = collectionView();
    auto source = view ? view->dataSource() : nullptr;
    return source ? source->numberOfItemsInSection(*view, section) : 0;
}

std::optional<UICollectionViewLayoutAttributes> ReverseCollectionLayout::layoutAttributesForItemAtIndexPath(
    const NSIndexPath& indexPath) const {
    const NSInteger n = itemCount(indexPath.section);
    auto attributes =
        UICollectionViewFlowLayout::layoutAttributesForItemAtIndexPath({indexPath.section, n - 1 - indexPath.item});
    if (attributes) attributes->indexPath = indexPath;
    return attributes;
}

std::vector<UICollectionViewLayoutAttributes> ReverseCollectionLayout::layoutAttributesForElementsInRect(
    CGRect rect) const {
    std::vector<UICollectionViewLayoutAttributes> reversed;
    for (const auto& a : UICollectionViewFlowLayout::layoutAttributesForElementsInRect(rect)) {
        const NSInteger n = itemCount(a.indexPath.section);
        if (auto item = layoutAttributesForItemAtIndexPath({a.indexPath.section, n - 1 - a.indexPath.item}))
            reversed.push_back(*item);
    }
    return reversed;
}
