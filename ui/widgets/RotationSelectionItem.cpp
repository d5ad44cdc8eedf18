#include "ui/widgets/RotationSelectionItem.h"

#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIView+EffectUtility.h"

RotationSelectionItem::RotationSelectionItem(CGRect frame) : UIView(frame) {
    setUserInteractionEnabled(true);
    label_ = std::make_shared<UILabel>(bounds());
    label_->setFont(AppAppearance::defaultFontOfSize(kFontSize));
    label_->setTextAlignment(NSTextAlignment::Center);
    addSubview(label_);
}

std::shared_ptr<RotationSelectionItem> RotationSelectionItem::item() {
    return std::make_shared<RotationSelectionItem>();
}

void RotationSelectionItem::setSelected(bool selected) {
    selected_ = selected;
    label_->setTextColor(selected ? highlightColor_ : color_);
}

void RotationSelectionItem::setColor(UIColor color) {
    color_ = std::move(color);
    setSelected(selected_);
}

void RotationSelectionItem::setHighlightColor(UIColor color) {
    highlightColor_ = std::move(color);
    setSelected(selected_);
    EffectUtility::addGlow(*label_, highlightColor_, 0.8);
}
