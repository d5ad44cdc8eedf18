#pragma once
// Special colours: transparent colours that carry a gradient layer, any layer or any view.
// Set as a view's background (UIView+AppearanceUtility.h), the carried layer (or the carried
// view's layer) is installed behind the view's content; the colour itself paints nothing.
// Each carries exactly one object, so one special colour shows in one view at a time.
#include <memory>
#include <vector>

#include <optional>

#include "platform/quartzcore/CAGradientLayer.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIVisualEffectView.h"

namespace AppearanceUtility {

// A gradient over the colours from the top centre to the bottom centre, or between the
// points (unit coordinates of the layer).
UIColor colorWithGradient(const std::vector<UIColor>& colors);
UIColor colorWithGradient(const std::vector<UIColor>& colors, CGPoint startPoint, CGPoint endPoint);
// A visual-effect view of the effect (not touchable), its content tinted by the colour.
UIColor colorWithVisualEffect(UIVisualEffectPtr effect, std::optional<UIColor> tint = std::nullopt);
UIColor colorWithView(std::shared_ptr<UIView> view);
UIColor colorWithLayer(std::shared_ptr<CALayer> layer);

bool isGradient(const UIColor& color);
bool isVisualEffect(const UIColor& color);
// The carried effect view's effect (null for a colour without one).
UIVisualEffectPtr visualEffect(const UIColor& color);
// The carried gradient's colours (empty for a colour without a gradient).
std::vector<CGColor> gradientColors(const UIColor& color);
}  // namespace AppearanceUtility
