#pragma once
// A pill showing the current mode picture and a small down arrow (both templates in the tint)
// over a faint 54 x 30 button. A tap flips `expanded` and tells the block the new value at
// once, without a press animation. A new mode picture arrives with a flip from the bottom.
#include "platform/uikit/UIImageView.h"
#include "ui/widgets/ButtonView.h"

class InfoButtonView : public ButtonView {
public:
    explicit InfoButtonView(CGRect frame = CGRectMake(0, 0, 54, 30));

    bool isExpanded() const { return expanded_; }
    void setExpanded(bool expanded) { expanded_ = expanded; }
    const UIImagePtr& image() const { return image_; }
    // Nothing when it is the picture already held.
    void setImage(UIImagePtr image);
    UIImageView& modeView() const { return *modeView_; }
    UIImageView& indicatorView() const { return *indicatorView_; }
    void setBlock(std::function<void(bool expanded)> block) { block_ = std::move(block); }

    static constexpr double kFlipDuration = 0.4;

protected:
    void buttonTouched() override;

private:
    bool expanded_ = false;
    UIImagePtr image_;
    std::shared_ptr<UIImageView> modeView_, indicatorView_;
    std::function<void(bool)> block_;
};
