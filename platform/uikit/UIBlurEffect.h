#pragma once
// A blur of what lies below, 20 points in radius, tinted by its style: extra light white at
// 0.75, light white at 0.3, dark black at 0.55.
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIVisualEffect.h"

enum class UIBlurEffectStyle { ExtraLight = 0, Light = 1, Dark = 2 };

class UIBlurEffect : public UIVisualEffect {
public:
    static constexpr double kBlurRadius = 20;

    static std::shared_ptr<const UIBlurEffect> effectWithStyle(UIBlurEffectStyle style) {
        return std::make_shared<const UIBlurEffect>(style);
    }
    explicit UIBlurEffect(UIBlurEffectStyle style) : style_(style) {}
    UIBlurEffectStyle style() const { return style_; }
    UIColor tintColor() const {
        switch (style_) {
        case UIBlurEffectStyle::ExtraLight: return UIColor::colorWithWhite(1, 0.75);
        case UIBlurEffectStyle::Light: return UIColor::colorWithWhite(1, 0.3);
        default: return UIColor::colorWithWhite(0, 0.55);
        }
    }

private:
    UIBlurEffectStyle style_;
};
