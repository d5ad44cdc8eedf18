#pragma once
// One picker item: a picture (only its shape, in the item's content colour, when it has one)
// or a short text, on a swatch of the item's colour, with a dark overlay while selected. The
// cell shows an item it does not own (the lists own their items). Its content turns upright
// with the device, except on the pad, while the picker itself stays put.
#include <memory>

#include "model/CollectionObject.h"
#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

class CollectionViewCell : public UICollectionViewCell {
public:
    explicit CollectionViewCell(CGRect frame = CGRectZero);

    static constexpr const char* kReuseIdentifier = "CollectionViewCell";
    static constexpr double kSelectedOverlayAlpha = 0.5;

    CollectionObject* object() const { return object_; }
    void setObject(CollectionObject* object);
    // Shows (making it once) or removes the overlay; only this drives it, not `setSelected`.
    void showSelectedView(bool show);
    void setCollectionViewOrientation(int orientation);

    UIImageView* imageView() const { return imageView_.get(); }
    UILabel* label() const { return label_.get(); }
    UIView* selectionView() const { return selectionView_.get(); }

    void prepareForReuse() override;
    void layoutSubviews() override;

private:
    CollectionObject* object_ = nullptr;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UILabel> label_;
    std::shared_ptr<UIView> selectionView_;
};
