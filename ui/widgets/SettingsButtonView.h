#pragma once
// The camera screen's settings button: a 44-point "settings" picture in the tint. A tap flips
// `expanded`, turning the picture a quarter turn (or back) with a 0.4 s spring that
// overshoots a little (damping 0.5, starting speed 1), and tells the block the new state when
// the spring has ended.
#include "ui/widgets/ButtonView.h"

class SettingsButtonView : public ButtonView {
public:
    explicit SettingsButtonView(CGRect frame = CGRectMake(0, 0, 44, 44));

    bool isExpanded() const { return expanded_; }
    void setBlock(std::function<void(bool expanded)> block) { block_ = std::move(block); }

    static constexpr double kSpringDuration = 0.4;
    static constexpr double kSpringDamping = 0.5;
    static constexpr double kSpringVelocity = 1.0;

protected:
    void buttonTouched() override;

private:
    bool expanded_ = false;
    std::function<void(bool)> block_;
};
