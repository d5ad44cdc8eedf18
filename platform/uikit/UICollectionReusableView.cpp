#include "platform/uikit/UICollectionReusableView.h"

void UICollectionReusableView::applyLayoutAttributes(const UICollectionViewLayoutAttributes& attributes) {
    if (frame() != attributes.frame) setFrame(attributes.frame);
    if (alpha() != attributes.alpha) setAlpha(attributes.alpha);
    if (isHidden() != attributes.hidden) setHidden(attributes.hidden);
}
