#pragma once
// A soft glow around any view, through its layer's shadow (no offset; the view stops clipping
// so the glow can spill out).
#include "platform/uikit/UIView.h"

namespace EffectUtility {

void addGlow(UIView& view, const UIColor& color, CGFloat strength, CGFloat radius = 1.0);
// Hides the glow (shadow opacity 0); its colour and radius stay for a later glow.
void removeGlow(UIView& view);

}  // namespace EffectUtility
