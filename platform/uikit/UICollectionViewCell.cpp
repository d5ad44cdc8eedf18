#include "platform/uikit/UICollectionViewCell.h"

UICollectionViewCell::UICollectionViewCell(CGRect frame) : UICollectionReusableView(frame) {
    contentView_ = std::make_shared<UIView>(bounds());
    contentView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    // The content view is the cell's own from the start: a subclass's constructor fills it.
    addSubview(contentView_);
}
