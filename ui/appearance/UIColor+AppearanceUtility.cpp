#include "ui/appearance/UIColor+AppearanceUtility.h"

#include "platform/uikit/UIScreen.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/appearance/UIView+AppearanceUtility.h"

namespace AppearanceUtility {
namespace {

// A new transparent colour object (never the shared clear colour) with the object attached.
UIColor carrying(std::shared_ptr<NSObject> object) {
    // Views learn to install such colours once the first one exists.
    installViewHooks();
    return ColorUtility::colorWithColor(UIColor::clearColor()).colorCarryingObject(std::move(object));
}

}  // namespace

UIColor colorWithGradient(const std::vector<UIColor>& colors) {
    auto layer = CAGradientLayer::layer();
    std::vector<CGColor> cg;
    for (const UIColor& c : colors) cg.push_back(c.CGColor());
    layer->setColors(std::move(cg));
    layer->setShouldRasterize(true);
    layer->setContentsScale(UIScreen::mainScreen().scale());
    return colorWithLayer(layer);
}

UIColor colorWithGradient(const std::vector<UIColor>& colors, CGPoint startPoint, CGPoint endPoint) {
    UIColor color = colorWithGradient(colors);
    auto layer = std::static_pointer_cast<CAGradientLayer>(color.carriedObject());
    layer->setStartPoint(startPoint);
    layer->setEndPoint(endPoint);
    return color;
}

UIColor colorWithVisualEffect(UIVisualEffectPtr effect, std::optional<UIColor> tint) {
    auto view = std::make_shared<UIVisualEffectView>(std::move(effect));
    view->contentView()->setBackgroundColor(tint);
    view->setUserInteractionEnabled(false);
    return colorWithView(view);
}

UIColor colorWithView(std::shared_ptr<UIView> view) { return carrying(std::move(view)); }

UIColor colorWithLayer(std::shared_ptr<CALayer> layer) { return carrying(std::move(layer)); }

bool isGradient(const UIColor& color) { return dynamic_cast<CAGradientLayer*>(color.carriedObject().get()) != nullptr; }

bool isVisualEffect(const UIColor& color) {
    return dynamic_cast<UIVisualEffectView*>(color.carriedObject().get()) != nullptr;
}

UIVisualEffectPtr visualEffect(const UIColor& color) {
    auto* view = dynamic_cast<UIVisualEffectView*>(color.carriedObject().get());
    return view ? view->effect() : nullptr;
}

std::vector<CGColor> gradientColors(const UIColor& color) {
    auto* layer = dynamic_cast<CAGradientLayer*>(color.carriedObject().get());
    return layer ? layer->colors() : std::vector<CGColor>{};
}

}  // namespace AppearanceUtility
