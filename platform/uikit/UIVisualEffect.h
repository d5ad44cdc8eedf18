#pragma once
// The effects a visual-effect view applies: a blur of what lies below (UIBlurEffect.h) or
// vibrancy for content over a blur (UIVibrancyEffect.h).
#include <memory>

class UIVisualEffect {
public:
    virtual ~UIVisualEffect() = default;
};

using UIVisualEffectPtr = std::shared_ptr<const UIVisualEffect>;
