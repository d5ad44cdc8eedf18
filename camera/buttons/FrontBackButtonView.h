#pragma once
// The front/back camera button: the "cameraFrontBack" picture in the tint. A touch toggles
// `frontFacing`, runs the block, then flips the button over 0.4 s (from the left when now
// front-facing, from the right when not), mirrored while front-facing.
#include "ui/widgets/ButtonView.h"

class FrontBackButtonView : public ButtonView {
public:
    static constexpr double kTransitionDuration = 0.4;

    explicit FrontBackButtonView(CGRect frame = CGRectMake(0, 0, 44, 44));

    bool frontFacing() const { return frontFacing_; }
    void setFrontFacing(bool frontFacing) { frontFacing_ = frontFacing; }
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    bool frontFacing_ = false;
    std::function<void()> block_;
};
