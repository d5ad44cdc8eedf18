#pragma once
// A collection view's cell: what it shows goes into `contentView`, which fills the cell and
// resizes with it. The collection view sets `selected` as its selection changes; reuse leaves
// the selection to the collection view.
#include <memory>

#include "platform/uikit/UICollectionReusableView.h"

class UICollectionViewCell : public UICollectionReusableView {
public:
    explicit UICollectionViewCell(CGRect frame = CGRectZero);

    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected) { selected_ = selected; }

private:
    std::shared_ptr<UIView> contentView_;
    bool selected_ = false;
};
