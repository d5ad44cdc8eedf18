#pragma once
// The slider: a value in a range, shown as a track (the tint up to the thumb, grey after it)
// and a round thumb. A touch on the slider moves the thumb to it and follows the finger; the
// value changes (and value-changed is sent) as it moves when continuous, else once at the end.
#include <memory>

#include "platform/uikit/UIControl.h"

class UISlider : public UIControl {
public:
    explicit UISlider(CGRect frame = CGRectZero);

    float value() const { return value_; }
    // Clamped to the range; sends nothing.
    void setValue(float value, bool animated = false);
    float minimumValue() const { return minimum_; }
    void setMinimumValue(float value);
    float maximumValue() const { return maximum_; }
    void setMaximumValue(float value);
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }

    // The value the slider takes for a point in its own coordinates.
    float valueForPoint(CGPoint point) const;

    void layoutSubviews() override;
    void tintColorDidChange() override;
    bool beginTrackingWithTouch(const UITouch& touch, const UIEvent* event) override;
    bool continueTrackingWithTouch(const UITouch& touch, const UIEvent* event) override;
    void endTrackingWithTouch(const UITouch* touch, const UIEvent* event) override;

    static constexpr CGFloat kThumbSide = 28;

private:
    void track(const UITouch& touch, const UIEvent* event);

    float value_ = 0, minimum_ = 0, maximum_ = 1;
    bool continuous_ = true, changedWhileTracking_ = false;
    std::shared_ptr<UIView> minimumTrack_, maximumTrack_, thumb_;
};
