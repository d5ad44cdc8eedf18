#include "camera/capture/AccessViewController.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/GradientView.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/foundation/UIAlertView+BlockUtility.h"
#include "ui/widgets/ButtonView.h"

namespace {

constexpr CGFloat kContentWidth = 300;
constexpr CGSize kButtonSize{220, 48};
constexpr double kFadeDamping = 0.8;
constexpr double kFadeVelocity = 1.0;
// The gradient's direction (top to bottom) and its two colours.
constexpr int kGradientOrientation = 2;

std::string productText(std::string text) {
    // The texts name "App"; the screen names the program.
    for (std::size_t at = text.find("App"); at != std::string::npos; at = text.find("App", at + 7))
        text.replace(at, 3, "Tavorin");
    return text;
}

}  // namespace

void AccessViewController::requestCameraAndPhotoAccess(const std::shared_ptr<UIView>& host,
                                                       std::function<void()> completion) {
    if (hasCameraAndPhotoAccess()) {
        if (completion) completion();
        return;
    }
    auto screen = std::make_shared<AccessViewController>();
    screen->view()->setFrame(host->bounds());
    std::weak_ptr<AccessViewController> weak = screen;
    screen->setCompletedBlock([weak, completion] {
        if (completion) completion();
        auto screen = weak.lock();
        if (!screen) return;
        UIView::animateWithDuration(
            kTransitionDuration, 0, kFadeDamping, kFadeVelocity, 0, [screen] { screen->view()->setAlpha(0); },
            [screen](bool) {
                screen->view()->removeFromSuperview();
                screen->keepAlive_.reset();
            });
    });
    screen->keepAlive_ = screen;
    host->insertSubview(screen->view(), std::min(kHostIndex, host->subviews().size()));
}

AccessViewController::~AccessViewController() {
    if (backgroundView_) backgroundView_->stopAnimatingImmediately();
}

void AccessViewController::loadView() {
    // The screen's views, built in code: texts and picture in a centred column, the button
    // below it.
    UIViewController::loadView();
    const std::shared_ptr<UIView>& root = view();
    contentView_ = std::make_shared<UIView>(CGRect{{0, 120}, {kContentWidth, 200}});
    imagesView_ = std::make_shared<UIView>(CGRect{{0, 0}, {kContentWidth, 60}});
    label_ = std::make_shared<UILabel>(CGRect{{0, 80}, {kContentWidth, 50}});
    sublabel_ = std::make_shared<UILabel>(CGRect{{0, 135}, {kContentWidth, 50}});
    for (const auto& text : {label_, sublabel_}) {
        text->setNumberOfLines(0);
        text->setTextAlignment(NSTextAlignment::Center);
        text->setTextColor(UIColor::whiteColor());
    }
    contentView_->addSubview(imagesView_);
    contentView_->addSubview(label_);
    contentView_->addSubview(sublabel_);
    accessButton_ = std::make_shared<UIButton>(CGRect{{0, 400}, kButtonSize});
    accessButton_->addTarget(
        this, [this](UIControl&, const UIEvent*) { accessButtonTouched(); }, UIControlEventTouchUpInside);
    root->addSubview(contentView_);
    root->addSubview(accessButton_);
}

void AccessViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    label_->setFont(AppAppearance::defaultFontOfSize(17));
    label_->setText(productText(NSLocalizedString("App needs access to your camera and photos")));
    sublabel_->setText(NSLocalizedString("This allows the app to take new photos and process existing ones"));
    sublabel_->setFont(AppAppearance::defaultFontOfSize(15));
    contentView_->setBackgroundColor(UIColor::clearColor());

    backgroundView_ = std::make_shared<GradientView>(
        view()->bounds(), kGradientOrientation,
        std::vector<UIColor>{ColorUtility::colorWithHexString("f5be48"), ColorUtility::colorWithHexString("ee872b")});
    backgroundView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view()->insertSubview(backgroundView_, 0);
    backgroundView_->startAnimating();

    accessButton_->setTitle(NSLocalizedString("Enable Access"), UIControlStateNormal);
    accessButton_->titleLabel()->setFont(AppAppearance::defaultFontOfSize(19));
    CALayer& layer = *accessButton_->layer();
    layer.setCornerRadius(8.0);
    layer.setBorderColor(UIColor::whiteColor().CGColor());
    layer.setBorderWidth(1.0);
    accessButton_->setBackgroundColor(UIColor::clearColor());

    AnimationUtility::animateViews({contentView_, accessButton_}, AnimationUtility::scaleInWithBounce());
}

void AccessViewController::viewWillLayoutSubviews() {
    PositioningUtility::positionViewAtCenterX(*contentView_);
    PositioningUtility::positionViewAtCenterX(*accessButton_);
}

void AccessViewController::accessButtonTouched() {
    ButtonView::animatePress(*accessButton_);
    // Answers come on the platform's queues; the decision is made on the main queue. The
    // screen keeps itself alive, so the answers find it.
    std::weak_ptr<AccessViewController> weak = std::static_pointer_cast<AccessViewController>(shared_from_this());
    requestCameraAccess([weak](int camera) {
        requestPhotoAccess([weak, camera](int photos) {
            dispatch_async(dispatch_get_main_queue(), [weak, camera, photos] {
                if (auto self = weak.lock()) self->accessAnswered(camera, photos);
            });
        });
    });
}

void AccessViewController::accessAnswered(int camera, int photos) {
    if (camera != 3 || photos != 3) {
        showNotAuthorizedPrompt();
        return;
    }
    auto button = accessButton_;
    std::weak_ptr<AccessViewController> weak = std::static_pointer_cast<AccessViewController>(shared_from_this());
    UIView::transitionWithView(
        button, kTransitionDuration, UIViewAnimationOptionTransitionCrossDissolve,
        [button] {
            button->layer()->setBorderWidth(0);
            button->setTitle(std::string(), UIControlStateNormal);
            button->setImage(UIImage::imageNamed("confirm"), UIControlStateNormal);
        },
        [weak](bool) {
            auto self = weak.lock();
            if (self && self->completedBlock_) self->completedBlock_();
        });
}

void AccessViewController::showNotAuthorizedPrompt() {
    auto alert = UIAlertView::alertView(
        NSLocalizedString("Camera and Photos Access Required"),
        NSLocalizedString(
            "To take photos and process existing ones, the app needs permission to access your camera and "
            "photos. Tap Settings, then toggle on Camera and Photos to enable access."),
        nullptr, NSLocalizedString("Dismiss"), {NSLocalizedString("Settings")});
    BlockUtility::setBlock(*alert, [](UIAlertView&, int buttonIndex) {
        if (buttonIndex == 1) openSettings();
    });
    alert->show();
}

void AccessViewController::openSettings() {
    UIApplication::sharedApplication().openURL(UIApplicationOpenSettingsURLString);
}
