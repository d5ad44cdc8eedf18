#include "app/controls/CollectionViewHeader.h"

CollectionViewHeader::CollectionViewHeader(CGRect frame) : UICollectionReusableView(frame) {
    setBackgroundColor(UIColor::clearColor());
    collectionViewCell_ = std::make_shared<CollectionViewCell>();
    collectionViewCell_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(collectionViewCell_);
}

void CollectionViewHeader::setObject(CollectionObject* object) {
    // Sized first, so that a picture without a size of its own fills the header's cell.
    const CGSize size = object ? object->size() : CGSizeZero;
    collectionViewCell_->setFrame(CGRectMake(0, 0, size.width, size.height));
    collectionViewCell_->setObject(object);
    const CGRect b = bounds();
    collectionViewCell_->setCenter(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)));
}

void CollectionViewHeader::prepareForReuse() {
    UICollectionReusableView::prepareForReuse();
    collectionViewCell_->prepareForReuse();
}
