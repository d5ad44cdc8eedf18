#include "app/settings/AboutPanel.h"

#include "platform/opengles/EAGLContext.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationItem.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/GradientView.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

constexpr const char* kAboutTitle = "About Tavorin";
constexpr const char* kMoreAppsTitle = "More Apps By Quorvin";

// Where each link's button stands in the container, as fractions of its side.
constexpr CGPoint kLinkCentres[] = {{0.15, 0.5}, {0.38, 0.5}, {0.62, 0.5}, {0.85, 0.5}, {0.5, 0.75}};
// The renderer's line, below the links.
constexpr const char* kRendererPrefix = "Pictures drawn by ";
constexpr CGFloat kRendererCentre = 0.92;

// Refuses touches for the life of a motion: begun when made, ended when the motion's
// completion lets it go.
struct TouchBlock {
    TouchBlock() { UIApplication::sharedApplication().beginIgnoringInteractionEvents(); }
    ~TouchBlock() { UIApplication::sharedApplication().endIgnoringInteractionEvents(); }
};

void spring(NSTimeInterval duration, UIView::Animations animations, std::function<void()> after) {
    auto block = std::make_shared<TouchBlock>();
    UIView::animateWithDuration(duration, 0, 1.0, 1.0, 0, std::move(animations),
                                [block, after = std::move(after)](bool) mutable {
                                    block.reset();
                                    if (after) after();
                                });
}

}  // namespace

const std::vector<AboutPanel::Link>& AboutPanel::links() {
    static const std::vector<Link> links = {
        {"shareTwitter", "https://twitter.com/TavorinApp"},
        {"shareFacebook", "https://www.facebook.com/TavorinApp"},
        {"shareInstagram", "https://www.instagram.com/tavorinapp"},
        {"shareMail", "mailto:support@quorvin.com?subject=Tavorin"},
        {"", "https://apps.apple.com/developer/quorvin/id1000000000"},
    };
    return links;
}

AboutPanel::AboutButton AboutPanel::aboutButtonMenu(CGRect frame, AboutAction action) {
    AboutButton about;
    about.menu = std::make_shared<ButtonMenuView>(frame);
    about.menu->setShowDivider(false);
    about.label = std::make_shared<UILabel>();
    about.label->setFont(AppAppearance::defaultFontOfSize(19));
    about.label->setTextColor(AppAppearance::defaultAppColor());
    about.label->setTextAlignment(NSTextAlignment::Center);
    about.label->setText(kAboutTitle);
    about.label->sizeToFit();
    about.logo = std::make_shared<AmbrelActivityView>(CGRectMake(0, 0, 40, 40), true, false);
    about.logo->setRotateAngleAmount(about.logo->rotateAngleAmount() * 0.1);
    about.logo->setScaleAmount(0.99);
    about.logo->setGlowAmount(0.2);
    about.logo->beginAnimating();
    const CGSize logo = about.logo->bounds().size, label = about.label->bounds().size;
    auto button = std::make_shared<UIView>(CGRectMake(0, 0, logo.width + 12 + label.width, logo.height));
    button->addSubview(about.logo);
    about.label->setFrame(CGRectMake(logo.width + 12, (logo.height - label.height) / 2, label.width, label.height));
    button->addSubview(about.label);
    about.menu->addButtonWithView(button,
                                  [action = std::move(action), logo = std::weak_ptr<AmbrelActivityView>(about.logo),
                                   label = std::weak_ptr<UILabel>(about.label)](auto&&...) {
                                      auto l = logo.lock();
                                      auto t = label.lock();
                                      if (action && l && t) action(l, t);
                                  });
    return about;
}

AboutPanel::AboutPanel(Parts parts) : parts_(std::move(parts)) {
    UIView& host = *parts_.controller->view();
    const UIColor linkColor =
        ColorUtility::blendWithColor(AppAppearance::defaultAppColor(), AppAppearance::defaultLightColor(), 0.2);

    container_ = std::make_shared<UIView>(CGRectMake(0, 0, kContainerSide, kContainerSide));
    for (std::size_t i = 0; i < links().size(); ++i) {
        const Link& link = links()[i];
        auto button = UIButton::buttonWithType(UIButtonType::Custom);
        if (!link.picture.empty()) {
            if (auto picture = UIImage::imageNamed(link.picture))
                button->setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate),
                                 UIControlStateNormal);
            button->setTintColor(linkColor);
        } else {
            button->setTitle(kMoreAppsTitle, UIControlStateNormal);
            button->setTitleColor(linkColor, UIControlStateNormal);
            button->titleLabel()->setFont(AppAppearance::defaultFontOfSize(18));
        }
        button->sizeToFit();
        button->setCenter({kLinkCentres[i].x * kContainerSide, kLinkCentres[i].y * kContainerSide});
        button->addTarget(
            this,
            [address = link.address](UIControl&, const UIEvent*) {
                UIApplication::sharedApplication().openURL(address);
            },
            UIControlEventTouchUpInside);
        container_->addSubview(button);
        buttons_.push_back(button);
    }
    // Which renderer draws the pictures, so a person can tell the GPU from software (and why
    // the picture may be slow), under the links.
    renderer_ = std::make_shared<UILabel>();
    renderer_->setFont(AppAppearance::defaultFontOfSize(12));
    renderer_->setTextColor(linkColor);
    renderer_->setTextAlignment(NSTextAlignment::Center);
    renderer_->setNumberOfLines(0);
    renderer_->setLineBreakMode(NSLineBreakMode::ByWordWrapping);
    renderer_->setText(std::string(kRendererPrefix) + platform::EAGLContext::rendererDescription());
    renderer_->setFrame(CGRectMake(0, 0, kContainerSide - 40, 0));
    renderer_->sizeToFit();
    renderer_->setCenter({kContainerSide / 2, kRendererCentre * kContainerSide});
    container_->addSubview(renderer_);
    container_->setCenter({CGRectGetMidX(host.bounds()), 0.52 * host.bounds().size.height});
    host.addSubview(container_);

    // The logo and the label leave the about button, keeping their places on the screen.
    UIView* logoHome = parts_.logo->superview();
    UIView* labelHome = parts_.label->superview();
    if (logoHome) logoHome_ = logoHome->weak_from_this();
    if (labelHome) labelHome_ = labelHome->weak_from_this();
    logoHomeFrame_ = parts_.logo->frame();
    labelHomeFrame_ = parts_.label->frame();
    logoFrame_ = logoHome ? logoHome->convertRectToView(logoHomeFrame_, container_.get()) : logoHomeFrame_;
    labelFrame_ = labelHome ? labelHome->convertRectToView(labelHomeFrame_, &host) : labelHomeFrame_;
    UIView::performWithoutAnimation([&] {
        parts_.logo->removeFromSuperview();
        parts_.logo->setFrame(logoFrame_);
        container_->addSubview(parts_.logo);
        parts_.label->removeFromSuperview();
        parts_.label->setFrame(labelFrame_);
        host.addSubview(parts_.label);
    });

    auto background = AppAppearance::backgroundView(host);
    gradient_ = AppAppearance::defaultGradientView(background->bounds());
    gradient_->setAlpha(0);
    background->addSubview(gradient_);

    AnimationUtility::animateViews({buttons_.begin(), buttons_.end()}, AnimationUtility::scaleInWithBounce(), 0.2);
    if (parts_.settingsView) settingsAlpha_ = parts_.settingsView->alpha();
    if (parts_.graphicsView) graphicsAlpha_ = parts_.graphicsView->alpha();

    Parts p = parts_;
    auto gradient = gradient_;
    const CGPoint logoCentre{kContainerSide / 2, 0.1 * kContainerSide};
    spring(
        kShowDuration,
        [p, gradient, logoCentre] {
            gradient->setAlpha(1);
            p.logo->setGlowAmount(0.4);
            p.logo->setCenter(logoCentre);
            const CGSize size = p.logo->bounds().size;
            p.logo->setTransform(CGAffineTransformMakeScale(kLogoSide / size.width, kLogoSide / size.height));
            p.label->setTextColor(ColorUtility::blendWithColor(AppAppearance::defaultSecondaryAppColor(),
                                                               AppAppearance::defaultLightColor(), 0.2));
            p.label->setNumberOfLines(0);
            p.label->setLineBreakMode(NSLineBreakMode::ByWordWrapping);
            p.label->setAlpha(0);
            if (p.settingsView) p.settingsView->setAlpha(0);
            if (p.graphicsView) p.graphicsView->setAlpha(0);
            p.controller->navigationItem().setTitleView(nullptr);
            if (p.doneButton) p.doneButton->setTitleColor(AppAppearance::defaultAppColor());
        },
        nullptr);
}

void AboutPanel::dismiss(std::function<void()> completion) {
    if (dismissed_) return;
    dismissed_ = true;
    Parts p = parts_;
    auto gradient = gradient_, container = container_;
    auto buttons = buttons_;
    auto renderer = renderer_;
    const CGRect logoFrame = logoFrame_, labelFrame = labelFrame_;
    const CGFloat settingsAlpha = settingsAlpha_, graphicsAlpha = graphicsAlpha_;
    spring(
        kHideDuration,
        [=] {
            gradient->setAlpha(0);
            p.logo->setGlowAmount(0.2);
            p.logo->setTransform(CGAffineTransformIdentity);
            p.logo->setFrame(logoFrame);
            p.label->setAlpha(1);
            p.label->setFrame(labelFrame);
            p.label->setTextColor(AppAppearance::defaultAppColor());
            p.label->setText(kAboutTitle);
            if (p.settingsView) p.settingsView->setAlpha(settingsAlpha);
            if (p.graphicsView) p.graphicsView->setAlpha(graphicsAlpha);
            for (const auto& button : buttons) button->setAlpha(0);
            renderer->setAlpha(0);
            p.controller->navigationItem().setTitleView(AppAppearance::titleViewWithString("Settings"));
            if (p.doneButton) p.doneButton->setTitleColor(AppAppearance::defaultSecondaryColor());
        },
        [=, logoHome = logoHome_, labelHome = labelHome_, logoHomeFrame = logoHomeFrame_,
         labelHomeFrame = labelHomeFrame_, completion = std::move(completion)] {
            gradient->removeFromSuperview();
            UIView::performWithoutAnimation([&] {
                p.logo->removeFromSuperview();
                p.label->removeFromSuperview();
                p.logo->setFrame(logoHomeFrame);
                p.label->setFrame(labelHomeFrame);
                if (auto home = logoHome.lock()) home->addSubview(p.logo);
                if (auto home = labelHome.lock()) home->addSubview(p.label);
            });
            container->removeFromSuperview();
            if (completion) completion();
        });
}
