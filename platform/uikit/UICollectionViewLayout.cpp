#include "platform/uikit/UICollectionViewLayout.h"

#include "platform/uikit/UICollectionView.h"

UICollectionViewLayout::~UICollectionViewLayout() = default;

bool UICollectionViewLayout::shouldInvalidateLayoutForBoundsChange(CGRect newBounds) const {
    return collectionView_ && collectionView_->bounds().size != newBounds.size;
}

void UICollectionViewLayout::invalidateLayout() {
    needsPrepare_ = true;
    if (collectionView_) collectionView_->layoutInvalidated();
}

void UICollectionViewLayout::prepareIfNeeded() {
    if (!needsPrepare_) return;
    needsPrepare_ = false;
    prepareLayout();
}

std::optional<UICollectionViewLayoutAttributes>
UICollectionViewLayout::initialLayoutAttributesForAppearingItemAtIndexPath(const NSIndexPath& indexPath) const {
    auto attributes = layoutAttributesForItemAtIndexPath(indexPath);
    if (attributes) attributes->alpha = 0;
    return attributes;
}
