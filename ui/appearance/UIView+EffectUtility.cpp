#include "ui/appearance/UIView+EffectUtility.h"

namespace EffectUtility {

void addGlow(UIView& view, const UIColor& color, CGFloat strength, CGFloat radius) {
    CALayer& layer = *view.layer();
    layer.setShadowColor(color.CGColor());
    layer.setShadowOpacity(static_cast<float>(strength));
    layer.setShadowRadius(radius);
    layer.setShadowOffset({0, 0});
    layer.setMasksToBounds(false);
}

void removeGlow(UIView& view) { view.layer()->setShadowOpacity(0); }

}  // namespace EffectUtility
