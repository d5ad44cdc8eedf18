#pragma once
// A view that applies a visual effect to what lies below it: with a blur the compositor blurs
// and tints the screen under the view's bounds (its layer is a backdrop layer); with vibrancy
// nothing is blurred and the content view shows at reduced alpha. Content goes into
// `contentView`, which fills the view. A mask on the view's layer cuts the effect to its shape.
#include <memory>

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIVisualEffect.h"

class UIVisualEffectView : public UIView {
public:
    static LayerClass layerClass();

    explicit UIVisualEffectView(UIVisualEffectPtr effect, CGRect frame = CGRectZero);

    const UIVisualEffectPtr& effect() const { return effect_; }
    void setEffect(UIVisualEffectPtr effect);
    const std::shared_ptr<UIView>& contentView() const { return contentView_; }

private:
    UIVisualEffectPtr effect_;
    std::shared_ptr<UIView> contentView_;
};
