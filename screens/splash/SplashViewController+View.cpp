// The splash's views: the logo's three pictures (the glow half as wide again) and the name
// beneath, each centred by the layout.
#include "platform/foundation/NSLocalizedString.h"
#include "screens/splash/SplashViewController.h"

namespace {

constexpr CGFloat kLogoSide = 120;
constexpr CGFloat kGlowSide = 180;
constexpr CGSize kLabelSize{240, 30};

std::shared_ptr<UIImageView> logoPart(const char* name, CGFloat side) {
    auto view = std::make_shared<UIImageView>(UIImage::imageNamed(name));
    view->setFrame(CGRectMake(0, 0, side, side));
    view->setContentMode(UIViewContentMode::ScaleAspectFit);
    return view;
}

}  // namespace

void SplashViewController::buildViews() {
    UIView& root = *view();
    glowView_ = logoPart("iconGlow", kGlowSide);
    outsideView_ = logoPart("iconOutside", kLogoSide);
    insideView_ = logoPart("iconInside", kLogoSide);
    label_ = std::make_shared<UILabel>(CGRect{CGPointZero, kLabelSize});
    label_->setText(NSLocalizedString("Tavorin"));
    label_->setTextAlignment(NSTextAlignment::Center);
    for (const auto& v : {std::static_pointer_cast<UIView>(glowView_), std::static_pointer_cast<UIView>(outsideView_),
                          std::static_pointer_cast<UIView>(insideView_), std::static_pointer_cast<UIView>(label_)})
        root.addSubview(v);
}
