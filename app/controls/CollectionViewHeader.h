#pragma once
// A picker category's header: it shows its header item with a cell of its own, sized to the
// item and centred, so a header looks like an item of the header's size.
#include <memory>

#include "app/controls/CollectionViewCell.h"
#include "platform/uikit/UICollectionReusableView.h"

class CollectionViewHeader : public UICollectionReusableView {
public:
    explicit CollectionViewHeader(CGRect frame = CGRectZero);

    static constexpr const char* kReuseIdentifier = "CollectionViewHeader";

    CollectionViewCell& collectionViewCell() const { return *collectionViewCell_; }
    CollectionObject* object() const { return collectionViewCell_->object(); }
    void setObject(CollectionObject* object);
    void setCollectionViewOrientation(int orientation) {
        collectionViewCell_->setCollectionViewOrientation(orientation);
    }

    void prepareForReuse() override;

private:
    std::shared_ptr<CollectionViewCell> collectionViewCell_;
};
