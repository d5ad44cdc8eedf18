#include "app/controls/FlowLayout.h"

#include "app/controls/CollectionView.h"

void FlowLayout::prepareForCollectionViewUpdates(const std::vector<UICollectionViewUpdateItem>& items) {
    UICollectionViewFlowLayout::prepareForCollectionViewUpdates(items);
    lastSection_ = -1;
    for (const auto& item : items) {
        if (item.updateAction == UICollectionUpdateAction::Insert && item.indexPathAfterUpdate) {
            lastSection_ = item.indexPathAfterUpdate->section;
            break;
        }
    }
}

void FlowLayout::finalizeCollectionViewUpdates() {
    UICollectionViewFlowLayout::finalizeCollectionViewUpdates();
    auto* picker = dynamic_cast<CollectionView*>(collectionView());
    if (!picker) return;
    const bool fits = picker->updateContentInset(collectionViewContentSize().width);
    picker->layoutIfNeeded();
    if (lastSection_ != -1) {
        if (auto first = layoutAttributesForItemAtIndexPath(NSIndexPath::indexPathForItem(0, lastSection_)))
            setContentOffset(first->frame.origin.x);
    }
    if (fits) setContentOffset(0);
}

void FlowLayout::setContentOffset(CGFloat x) {
    if (auto* picker = dynamic_cast<CollectionView*>(collectionView())) picker->scrollToOffsetX(x);
}
