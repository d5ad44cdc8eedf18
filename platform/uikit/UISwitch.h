#pragma once
// The on/off switch: a rounded track (the on tint when on, grey when off) with a white thumb
// at the right or left end; a tap flips it and sends value-changed. Always 51 x 31 points.
#include <memory>
#include <optional>

#include "platform/uikit/UIControl.h"

class UISwitch : public UIControl {
public:
    explicit UISwitch(CGRect frame = CGRectZero);

    bool isOn() const { return on_; }
    // Sends nothing; animated moves the thumb in 0.2 s.
    void setOn(bool on, bool animated = false);
    UIColor onTintColor() const;
    void setOnTintColor(std::optional<UIColor> color);

    void setFrame(CGRect frame) override;
    void tintColorDidChange() override { updateLook(); }
    void endTrackingWithTouch(const UITouch* touch, const UIEvent* event) override;

private:
    void updateLook();

    bool on_ = false;
    std::optional<UIColor> onTint_;
    std::shared_ptr<UIView> thumb_;
};
