#pragma once
// Vibrancy for content placed over a blur: the content shows at reduced alpha, so that the
// blur shines through it.
#include "platform/uikit/UIBlurEffect.h"

class UIVibrancyEffect : public UIVisualEffect {
public:
    static constexpr double kContentAlpha = 0.6;

    static std::shared_ptr<const UIVibrancyEffect> effectForBlurEffect(std::shared_ptr<const UIBlurEffect> blur) {
        return std::make_shared<const UIVibrancyEffect>(std::move(blur));
    }
    explicit UIVibrancyEffect(std::shared_ptr<const UIBlurEffect> blur) : blur_(std::move(blur)) {}
    const std::shared_ptr<const UIBlurEffect>& blurEffect() const { return blur_; }

private:
    std::shared_ptr<const UIBlurEffect> blur_;
};
