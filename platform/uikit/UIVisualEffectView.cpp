#include "platform/uikit/UIVisualEffectView.h"

#include "platform/quartzcore/CABackdropLayer.h"
#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UIVibrancyEffect.h"

UIView::LayerClass UIVisualEffectView::layerClass() { return &CABackdropLayer::layer; }

UIVisualEffectView::UIVisualEffectView(UIVisualEffectPtr effect, CGRect frame) : UIView(frame, layerClass()) {
    contentView_ = std::make_shared<UIView>(bounds());
    contentView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(contentView_);
    setEffect(std::move(effect));
}

void UIVisualEffectView::setEffect(UIVisualEffectPtr effect) {
    effect_ = std::move(effect);
    auto& backdrop = static_cast<CABackdropLayer&>(*layer());
    const auto* blur = dynamic_cast<const UIBlurEffect*>(effect_.get());
    backdrop.setBlurRadius(blur ? UIBlurEffect::kBlurRadius : 0);
    backdrop.setTintColor(blur ? std::optional<CGColor>(blur->tintColor().CGColor()) : std::nullopt);
    const bool vibrant = dynamic_cast<const UIVibrancyEffect*>(effect_.get()) != nullptr;
    contentView_->setAlpha(vibrant ? UIVibrancyEffect::kContentAlpha : 1);
}
