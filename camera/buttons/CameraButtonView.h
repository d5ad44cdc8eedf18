#pragma once
// The shutter: a 70-point disc with a light border, filled with a gradient of its colour (the
// tint at first). A touch starts the press animation and runs the block at once. Disabled (no
// camera to take a photo with) it is dimmed and takes no touch.
#include "platform/uikit/UIColor.h"
#include "ui/widgets/ButtonView.h"

class CameraButtonView : public ButtonView {
public:
    static constexpr CGFloat kDiameter = 70;
    static constexpr CGFloat kBorderWidth = 2.0;

    explicit CameraButtonView(CGRect frame = CGRectMake(0, 0, kDiameter, kDiameter));
    void setButtonColor(const UIColor& color);
    void setBlock(std::function<void()> block) { block_ = std::move(block); }
    static constexpr CGFloat kDisabledAlpha = 0.3;
    bool isEnabled() const;
    void setEnabled(bool enabled);

protected:
    void buttonTouched() override;

private:
    std::function<void()> block_;
};
