#include "ui/appearance/AppAppearance.h"

#include "model/DeviceUtility.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "ui/appearance/UIColor+AppearanceUtility.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

std::optional<UIColor>& storedTint() {
    static std::optional<UIColor> tint;
    return tint;
}

std::shared_ptr<UIView>& sharedBackground() {
    static std::shared_ptr<UIView> view;
    return view;
}

UIColor hex(const char* text) { return ColorUtility::colorWithHexString(text); }

// The camera screens' dark diagonal gradient, its two colours passed through `adjust`.
UIColor darkDiagonalGradient(const std::function<UIColor(const UIColor&)>& adjust) {
    return AppearanceUtility::colorWithGradient({adjust(hex("32353c")), adjust(hex("1a1a1a"))}, {1, 1}, {0, 0});
}

constexpr UIViewAutoresizing kFlexibleSize = UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight;

}  // namespace

UIColor AppAppearance::defaultBackgroundColor() { return UIColor::clearColor(); }
UIColor AppAppearance::defaultToolbarColor() { return UIColor::clearColor(); }
UIColor AppAppearance::defaultCameraToolbarColor() { return UIColor::clearColor(); }
UIColor AppAppearance::defaultPhotoCollectionToolbarColor() { return UIColor::clearColor(); }

UIColor AppAppearance::defaultCameraBackgroundColor() {
    return darkDiagonalGradient([](const UIColor& c) { return c; });
}

UIColor AppAppearance::defaultTypeBackgroundColor() {
    const UIColor tint = tintColor();
    return darkDiagonalGradient([&](const UIColor& c) { return ColorUtility::blendWithColor(c, tint, 0.1); });
}

UIColor AppAppearance::defaultPhotoCollectionBackgroundColor() {
    return AppearanceUtility::colorWithGradient({UIColor::colorWithWhite(0.1, 1), UIColor::blackColor()});
}

UIColor AppAppearance::defaultTintColor() { return hex("2671a7"); }

UIColor AppAppearance::tintColor() { return storedTint() ? *storedTint() : defaultTintColor(); }

void AppAppearance::setTintColor(std::optional<UIColor> color) {
    storedTint() = color;
    // Alerts draw their buttons in it too.
    UIAlertController::setAppearanceTintColor(std::move(color));
}

UIColor AppAppearance::defaultSecondaryColor() {
    const CGFloat grey = (AppConstants::cameraViewIsTransparent() ? 182.0 : 152.0) / 255;
    return UIColor::colorWithRed(grey, grey, grey, 1);
}

UIColor AppAppearance::defaultExpandCollapseColor() { return defaultSecondaryColor(); }
UIColor AppAppearance::defaultDarkColor() { return UIColor::colorWithRed(33.0 / 255, 35.0 / 255, 40.0 / 255, 1); }
UIColor AppAppearance::defaultTransparentCameraBarColor() { return defaultDarkColor().colorWithAlphaComponent(0.5); }
UIColor AppAppearance::defaultShadowColor() { return defaultDarkColor().colorWithAlphaComponent(0.8); }
UIColor AppAppearance::defaultLightColor() { return hex("fefef2"); }

UIColor AppAppearance::defaultTitleColor() {
    return ColorUtility::blendWithColor(defaultLightColor(), defaultSecondaryColor(), 0.3);
}

UIColor AppAppearance::defaultAppColor() { return hex("f5bd48"); }
UIColor AppAppearance::defaultSecondaryAppColor() { return hex("eb8a2d"); }

UIColor AppAppearance::gradientColorForColor(const UIColor& color) {
    return AppearanceUtility::colorWithGradient({color, ColorUtility::adjustColor(color, 0, 0.15, 0.2)}, {1, 1},
                                                {0, 0});
}

UIFont AppAppearance::defaultFontOfSize(CGFloat size) { return UIFont::fontWithName("STHeitiTC-Medium", size); }
UIFont AppAppearance::defaultFont() { return defaultFontOfSize(14); }
UIFont AppAppearance::defaultTitleFont() { return defaultFontOfSize(14); }

std::shared_ptr<UILabel> AppAppearance::titleViewWithString(const std::string& text) {
    auto label = std::make_shared<UILabel>();
    label->setFont(defaultTitleFont());
    label->setTextColor(defaultTitleColor());
    label->setText(text);
    label->sizeToFit();
    return label;
}

namespace {

// What navigation bars and toolbars share of the styling.
void styleBar(UIBar& bar, const UIColor& barColor) {
    bar.setBarStyle(UIBarStyle::Black);
    bar.setTranslucent(ColorUtility::isTranslucent(barColor));
    bar.setBarTintColor(barColor);
    bar.setTintColor(AppAppearance::defaultSecondaryColor());
}

}  // namespace

void AppAppearance::setNavigationBar(UIViewController& controller, const UIColor& barColor, bool shadow) {
    if (UINavigationController* navigation = controller.navigationController()) {
        UINavigationBar& bar = *navigation->navigationBar();
        styleBar(bar, barColor);
        bar.setBackgroundImage(ImageUtility::imageWithColor(*bar.barTintColor(), {1, 1}));
        // An empty picture takes the hairline away; none keeps it.
        if (!shadow) bar.setShadowImage(std::make_shared<UIImage>(nullptr, 1, UIImageOrientation::Up));
    }
    controller.setEdgesForExtendedLayout(UIRectEdgeNone);
    controller.setAutomaticallyAdjustsScrollViewInsets(false);
}

void AppAppearance::setToolbar(UIToolbar& toolbar, const UIColor& barColor, bool) { styleBar(toolbar, barColor); }

std::shared_ptr<UIView> AppAppearance::backgroundView(UIView& controllerView) {
    std::shared_ptr<UIView>& view = sharedBackground();
    if (view) return view;
    CGRect frame = AppConstants::screenBounds();
    view = std::make_shared<UIView>(frame);
    view->setAutoresizingMask(kFlexibleSize);
    // It reaches under the navigation bar, 44 points above the screen's top.
    view->setFrame({{0, -44}, {frame.size.width, frame.size.height + 44}});
    controllerView.insertSubview(view, 0);
    return view;
}

void AppAppearance::setBackgroundWithColor(UIView& controllerView, const UIColor& color, bool animated) {
    auto view = std::make_shared<UIView>();
    view->setBackgroundColor(color);
    setBackgroundWithView(controllerView, view, animated);
}

void AppAppearance::setBackgroundWithView(UIView& controllerView, std::shared_ptr<UIView> view, bool animated) {
    std::shared_ptr<UIView> background = backgroundView(controllerView);
    // The current background is found by position: whatever is first when this call begins.
    std::shared_ptr<UIView> old = background->subviews().empty() ? nullptr : background->subviews().front();
    view->setAutoresizingMask(kFlexibleSize);
    view->setFrame(background->bounds());
    view->setAlpha(0);
    background->addSubview(view);
    UIView::animateWithDuration(
        animated ? kBackgroundFadeDuration : 0, [view] { view->setAlpha(1); },
        [old](bool) {
            if (old) old->removeFromSuperview();
        });
}

void AppAppearance::setBackgroundWithImage(UIView& controllerView, const UIImagePtr& image, bool animated) {
    std::shared_ptr<UIView> background = backgroundView(controllerView);
    // The current picture is found by position: the second subview, when there is one.
    std::shared_ptr<UIView> old = background->subviews().size() >= 2 ? background->subviews()[1] : nullptr;
    const double duration = animated ? kBackgroundFadeDuration : 0;
    if (!image) {
        if (!std::dynamic_pointer_cast<UIImageView>(old)) return;
        UIView::animateWithDuration(
            duration, [old] { old->setAlpha(0); }, [old](bool) { old->removeFromSuperview(); });
        return;
    }
    const CGSize native = AppConstants::nativeScreenBounds().size;
    UIImagePtr small =
        ImageUtility::resizedImage(image, {native.width * 0.03125, native.height * 0.03125}, kCGInterpolationHigh);
    auto pictureView = std::make_shared<UIImageView>(background->bounds());
    pictureView->setImage(ImageUtility::blur(small, 5));
    pictureView->setAutoresizingMask(kFlexibleSize);
    pictureView->setContentMode(UIViewContentMode::ScaleToFill);
    background->addSubview(pictureView);
    auto veil = std::make_shared<UIView>(pictureView->bounds());
    veil->setAutoresizingMask(kFlexibleSize);
    veil->setBackgroundColor(UIColor::blackColor());
    veil->setAlpha(0.65);
    pictureView->addSubview(veil);
    pictureView->setAlpha(0);
    UIView::animateWithDuration(
        duration, [pictureView] { pictureView->setAlpha(1); },
        [old](bool) {
            if (old) old->removeFromSuperview();
        });
}
