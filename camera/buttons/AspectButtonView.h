#pragma once
// The square-aspect toggle: a 24-point rounded outline in the secondary colour inside a
// 44-point button. A touch toggles `square`, runs the block, then presses the outline.
#include "ui/widgets/ButtonView.h"

class AspectButtonView : public ButtonView {
public:
    static constexpr CGFloat kOutlineSide = 24;

    explicit AspectButtonView(CGRect frame = CGRectMake(0, 0, 44, 44));

    bool square() const { return square_; }
    void setSquare(bool square) { square_ = square; }
    const std::shared_ptr<UIView>& aspectView() const { return aspectView_; }
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    bool square_ = false;
    std::shared_ptr<UIView> aspectView_;
    std::function<void()> block_;
};
