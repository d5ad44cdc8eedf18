#include "ui/appearance/UIView+AppearanceUtility.h"

namespace AppearanceUtility {

void installViewHooks() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    UIView::backgroundColorHook() = setCustomBackgroundColor;
    UIView::layoutHook() = layoutCustomSubviews;
}

std::shared_ptr<CALayer> backgroundLayer(const UIView& view) {
    std::shared_ptr<NSObject> recorded = view.layer()->objectForKey(kCustomBackgroundKey);
    if (auto layer = std::dynamic_pointer_cast<CALayer>(recorded)) return layer;
    if (auto carried = std::dynamic_pointer_cast<UIView>(recorded)) return carried->layer();
    return nullptr;
}

void removeCustomBackgroundColor(UIView& view) {
    if (std::shared_ptr<CALayer> layer = backgroundLayer(view)) {
        // Moved on to another view by a second use of its colour: no longer ours to remove.
        if (layer->superlayer() == view.layer().get()) layer->removeFromSuperlayer();
        view.layer()->setObjectForKey(kCustomBackgroundKey, nullptr);
    }
}

void setCustomBackgroundColor(UIView& view, const std::optional<UIColor>& color) {
    removeCustomBackgroundColor(view);
    if (!color || !color->carriedObject()) return;
    std::shared_ptr<NSObject> carried = color->carriedObject();
    std::shared_ptr<CALayer> layer;
    if (auto carriedView = std::dynamic_pointer_cast<UIView>(carried)) {
        carriedView->setFrame(view.bounds());
        layer = carriedView->layer();
    } else if ((layer = std::dynamic_pointer_cast<CALayer>(carried))) {
        layer->setFrame(view.bounds());
    } else {
        return;
    }
    layer->setMasksToBounds(true);
    view.layer()->setMasksToBounds(true);
    view.layer()->insertSublayer(layer, 0);
    view.layer()->setObjectForKey(kCustomBackgroundKey, carried);
}

void layoutCustomSubviews(UIView& view) {
    std::shared_ptr<CALayer> layer = backgroundLayer(view);
    if (layer && layer->superlayer() == view.layer().get()) layer->setFrame(view.bounds());
}

}  // namespace AppearanceUtility
