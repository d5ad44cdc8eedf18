#include "screens/intro/IntroViewController.h"

#include <algorithm>
#include <utility>

#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UIApplication.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/animation/ViewUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/GradientView.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/appearance/UIView+EffectUtility.h"
#include "ui/widgets/AmbrelActivityView.h"
#include "ui/widgets/CompareView.h"

namespace {

constexpr double kSpringDamping = 0.8;
constexpr double kSpringVelocity = 1.0;
constexpr NSTimeInterval kTextDuration = 0.6;
constexpr NSTimeInterval kPageOutCompletion = 0.2;
constexpr NSTimeInterval kCompareDelay = 0.75;
constexpr NSTimeInterval kCompareSpring = 0.95;
constexpr double kCompareSpringDamping = 2.0;
constexpr NSTimeInterval kWipeDuration = 0.7;
constexpr double kWipePast = 1.1;
constexpr CGFloat kLogoSide = 68;
constexpr CGFloat kLogoShownSide = 120;
constexpr CGFloat kLogoTop = 22;
constexpr CGFloat kLogoRelativeCenterY = 0.56;
constexpr double kPictureRatio = 3.0 / 5.0;  // the pages' portrait photographs
// Room kept between the pictures and the lines of text above and below them.
constexpr CGFloat kPictureClearance = 4;
constexpr double kHueShift = -0.1;
const char* const kFirstColour = "bfecff";

void after(NSTimeInterval seconds, std::function<void()> block) {
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(seconds * NSEC_PER_SEC)),
                   dispatch_get_main_queue(), std::move(block));
}

UIImagePtr pagePicture(const std::string& name) { return name.empty() ? nullptr : UIImage::imageNamed(name + ".jpg"); }

CGAffineTransform slideAway(const UIView& view) {
    return CGAffineTransformMakeTranslation(-2 * view.bounds().size.width, 0);
}

const CGAffineTransform kTextScale = CGAffineTransformMakeScale(0.8, 0.8);

}  // namespace

bool IntroViewController::shouldShowIntroduction() { return !AmbrelAppSettings::sharedInstance().introductionShown(); }

void IntroViewController::presentIntroductionIfNeeded(UIView& view, Completion completion) {
    if (!shouldShowIntroduction()) {
        if (completion) completion();
        return;
    }
    auto controller = std::make_shared<IntroViewController>();
    controller->view()->setFrame(view.bounds());
    // The block holds the controller until the fade has removed its view.
    controller->setCompletedBlock([controller, completion] {
        if (completion) completion();
        ViewUtility::fadeOutAndRemoveViewOfController(controller, kFadeDuration);
    });
    view.insertSubview(controller->view(), kInsertionIndex);
    controller->viewWillAppear(false);
    controller->animateIntroView(true, nullptr);
}

IntroViewController::~IntroViewController() {
    if (const auto gradient = backgroundGradientView_.lock()) gradient->stopAnimatingImmediately();
}

std::weak_ptr<IntroViewController> IntroViewController::weakSelf() {
    return std::static_pointer_cast<IntroViewController>(shared_from_this());
}

void IntroViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    buildViews();
    const std::shared_ptr<GradientView> gradient = AppAppearance::defaultGradientView(backgroundView_->bounds());
    gradient->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    backgroundView_->insertSubview(gradient, 0);
    backgroundGradientView_ = gradient;
    backgroundView_->setAlpha(0);

    nextButton_->titleLabel()->setFont(AppAppearance::defaultFontOfSize(19));
    nextButton_->setBackgroundColor(UIColor::clearColor());
    nextButton_->setTitleColor(AppAppearance::defaultAppColor(), UIControlStateNormal);
    for (const std::shared_ptr<UILabel>& label : {titleLabel_, bottomLabel_}) {
        label->setFont(AppAppearance::defaultFontOfSize(17));
        label->setTextColor(ColorUtility::colorWithHexString(kFirstColour));
    }
    compareView_->setAlpha(0);
    compareView_->setUserInteractionEnabled(false);
    compareView_->setPadding(0);
    compareView_->setShowSlider(false);

    activityView_ = std::make_shared<AmbrelActivityView>(CGRectMake(0, 0, kLogoSide, kLogoSide), true, false);
    const CGFloat grow = kLogoShownSide / kLogoSide;
    activityView_->setTransform(CGAffineTransformMakeScale(grow, grow));
    activityView_->setRotateAngleAmount(activityView_->rotateAngleAmount() * 0.1);
    activityView_->setScaleAmount(0.99);
    backgroundView_->addSubview(activityView_);

    EffectUtility::addGlow(*imageView_, UIColor::whiteColor(), 0.1, 16);
    for (UIView* v : {static_cast<UIView*>(titleLabel_.get()), static_cast<UIView*>(imageView_.get()),
                      static_cast<UIView*>(compareView_.get()), static_cast<UIView*>(bottomLabel_.get()),
                      static_cast<UIView*>(nextButton_.get())})
        v->setAlpha(0);

    fullViewButton_ = UIButton::buttonWithType(UIButtonType::Custom);
    fullViewButton_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    fullViewButton_->setBackgroundColor(UIColor::clearColor());
    fullViewButton_->setFrame(view()->bounds());
    fullViewButton_->addTarget(
        this, [this](UIControl&, const UIEvent*) { fullViewButtonTouched(); }, UIControlEventTouchUpInside);
    view()->addSubview(fullViewButton_);
    imageView_->setImage(pagePicture("introLowLightBefore"));
}

void IntroViewController::viewWillAppear(bool animated) {
    UIViewController::viewWillAppear(animated);
    layoutImageViews();
}

void IntroViewController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    for (UIView* v : {static_cast<UIView*>(nextButton_.get()), static_cast<UIView*>(bottomLabel_.get()),
                      static_cast<UIView*>(titleLabel_.get())})
        PositioningUtility::positionViewAtCenterX(*v);
    if (DeviceUtility::has3Point5InchDisplay()) {
        if (UIView* parent = nextButton_->superview())
            PositioningUtility::positionViewAtRelativeY(*nextButton_, 0.065, *parent);
        if (UIView* parent = imageView_->superview())
            PositioningUtility::positionViewAtRelativeY(*bottomLabel_, 0.15, *parent);
    }
    if (!activityViewTransitioned_)
        PositioningUtility::positionViewAtRelativeCenterY(*activityView_, kLogoRelativeCenterY, *backgroundView_);
    else activityView_->setCenter(CGPointMake(CGRectGetMidX(backgroundView_->bounds()), activityView_->center().y));
    layoutImageViews();
    compareView_->setAngleFromImage(false);
    compareView_->setAngle(compareView_->nativeDiagonalAngle());
}

void IntroViewController::layoutImageViews() {
    const UIImagePtr image = imageView_->image();
    const CGSize pictureSize = image ? image->size() : CGSizeZero;
    const double ratio = pictureSize.height > 0 ? pictureSize.width / pictureSize.height : kPictureRatio;
    const CGSize size = view()->bounds().size;
    CGRect bounds = CGRectMake(0, 0, size.width, ratio * size.height);
    if (DeviceUtility::isIPad()) {
        imageView_->setTransform(CGAffineTransformIdentity);
        compareView_->setTransform(CGAffineTransformIdentity);
        if (UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation()))
            bounds.size = {bounds.size.width * kPadLandscapeScale, bounds.size.height * kPadLandscapeScale};
    }
    // The pictures keep clear of the title above them and of the bottom line below them: where
    // the screen has less room between the two lines, they take that room (keeping their width,
    // so the photos shown aspect-fit grow narrower) and stay within it.
    const CGFloat top = titleLabel_->center().y + titleLabel_->bounds().size.height / 2 + kPictureClearance;
    const CGFloat bottom = bottomLabel_->center().y - bottomLabel_->bounds().size.height / 2 - kPictureClearance;
    if (bottom > top) bounds.size.height = std::min(bounds.size.height, bottom - top);
    for (UIView* v : {static_cast<UIView*>(imageView_.get()), static_cast<UIView*>(compareView_.get())}) {
        v->setBounds(bounds);
        PositioningUtility::positionViewAtCenter(*v);
        if (DeviceUtility::has3Point5InchDisplay())
            if (UIView* parent = v->superview()) PositioningUtility::positionViewAtRelativeCenterY(*v, 0.435, *parent);
        if (bottom > top) {
            const CGFloat half = bounds.size.height / 2;
            v->setCenter(CGPointMake(v->center().x, std::clamp(v->center().y, top + half, bottom - half)));
        }
    }
}

void IntroViewController::animateIntroView(bool in, FinishedBlock completion) {
    view();
    for (UIView* v : {backgroundView_.get(), static_cast<UIView*>(titleLabel_.get()),
                      static_cast<UIView*>(nextButton_.get()), static_cast<UIView*>(bottomLabel_.get())})
        v->setAlpha(in ? 0 : 1);
    const std::weak_ptr<IntroViewController> weak = weakSelf();
    UIView::animateWithDuration(
        kOpeningFade, 0, kSpringDamping, kSpringVelocity, 0,
        [background = backgroundView_, in] { background->setAlpha(in ? 1 : 0); },
        [weak, in, completion](bool) {
            const auto self = weak.lock();
            if (!self) return;
            self->activityViewTransitioned_ = true;
            self->activityView_->beginAnimating();
            const CGFloat width = self->view()->bounds().size.width;
            UIView::animateWithDuration(
                kLogoMove, 0, kSpringDamping, kSpringVelocity, 0,
                [logo = self->activityView_, width] {
                    logo->setTransform(CGAffineTransformIdentity);
                    logo->setFrame(CGRectMake(width * 0.5 - kLogoSide / 2, kLogoTop, kLogoSide, kLogoSide));
                },
                [weak, in, completion](bool finished) {
                    if (completion) completion(finished);
                    if (const auto self = weak.lock(); self && in) self->beginTransition();
                });
        });
}

void IntroViewController::beginTransition() {
    switch (transition_) {
    case 0: beginFirstTransition(); break;
    case 1: beginSecondTransition(); break;
    case 2: beginThirdTransition(); break;
    case 3: beginFourthTransition(); break;
    default: break;
    }
    ++transition_;
}

void IntroViewController::beginFirstTransition() {
    nextCompareImage_ = "introLowLightAfter";
    beginTextTransition(true, 0, nullptr);
}

void IntroViewController::beginSecondTransition() {
    const std::weak_ptr<IntroViewController> weak = weakSelf();
    beginTextTransition(false, 0, [weak](bool) {
        if (const auto self = weak.lock())
            self->setUpPage("bce3ec", "Realtime HDR Allows You To Correct Lighting Issues", "Without Missing a Moment",
                            "introNormalBefore", "introNormalAfter");
    });
}

void IntroViewController::beginThirdTransition() {
    const std::weak_ptr<IntroViewController> weak = weakSelf();
    beginTextTransition(false, 0, [weak](bool) {
        const auto self = weak.lock();
        if (!self) return;
        self->nextButton_->setTitle("Get Started", UIControlStateNormal);
        self->setUpPage("d8fbfb", "Eight Unique Modes Transform Your Ordinary Photos", "Into Extraordinary Ones",
                        "introArtisticBefore", "introArtisticAfter");
    });
}

void IntroViewController::setUpPage(const char* colour, const char* title, const char* bottom, const char* before,
                                    const char* after) {
    for (UIView* v : {static_cast<UIView*>(titleLabel_.get()), static_cast<UIView*>(imageView_.get()),
                      static_cast<UIView*>(compareView_.get()), static_cast<UIView*>(bottomLabel_.get()),
                      static_cast<UIView*>(nextButton_.get())})
        v->setAlpha(0);
    for (const std::shared_ptr<UILabel>& label : {titleLabel_, bottomLabel_})
        label->setTextColor(ColorUtility::colorWithHexString(colour));
    titleLabel_->setText(title);
    bottomLabel_->setText(bottom);
    compareView_->setCompareImage(nullptr);
    imageView_->setImage(pagePicture(before));
    if (const auto gradient = backgroundGradientView_.lock()) gradient->transitionToColorsWithHueShift(kHueShift);
    nextCompareImage_ = after;
    beginTextTransition(true, 0, nullptr);
}

void IntroViewController::beginFourthTransition() {
    takesTaps_ = false;
    ++textTransitions_;
    AnimationUtility::animateViews({activityView_, titleLabel_, imageView_, compareView_, bottomLabel_, nextButton_},
                                   AnimationUtility::fadeAndTransform(slideAway(*view()), false, kTextDuration), 0,
                                   AnimationUtility::kDelayBetweenViews, false, nullptr);
    const std::weak_ptr<IntroViewController> weak = weakSelf();
    after(kEndDelay, [weak] {
        AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
        settings.setIntroductionShown(true);
        settings.saveSettings();
        if (const auto self = weak.lock())
            if (const Completion block = std::exchange(self->completedBlock_, nullptr)) block();
    });
}

void IntroViewController::beginTextTransition(bool in, NSTimeInterval delay, FinishedBlock completion) {
    const std::weak_ptr<IntroViewController> weak = weakSelf();
    // A page's taps open only while no later text transition has begun.
    const std::uint64_t page = ++textTransitions_;
    if (!in) {
        takesTaps_ = false;
        AnimationUtility::animateViews({titleLabel_, imageView_, compareView_, bottomLabel_, nextButton_},
                                       AnimationUtility::fadeAndTransform(slideAway(*view()), false, kTextDuration),
                                       delay, AnimationUtility::kDelayBetweenViews, false, nullptr);
        after(kPageOutCompletion, [completion] {
            if (completion) completion(true);
        });
        return;
    }
    const AnimationBlock scaleIn = AnimationUtility::fadeAndTransform(kTextScale, true, kTextDuration);
    const AnimationBlock fadeIn = AnimationUtility::fadeAndTransform(CGAffineTransformIdentity, true, kTextDuration);
    AnimationUtility::animateView(titleLabel_, scaleIn, delay + 0.5);
    AnimationUtility::animateView(imageView_, fadeIn, delay + 1.5);
    // Each step waits for the one before: the after picture, the wipe to the middle, the wipe
    // past the end, then the bottom line and the next button.
    const auto lastSteps = [weak, delay, scaleIn, page](bool) {
        const auto self = weak.lock();
        if (!self) return;
        AnimationUtility::animateView(self->bottomLabel_, scaleIn, delay + 0.5);
        AnimationUtility::animateView(self->nextButton_, scaleIn, delay + kNextButtonDelay);
        after(delay + kNextButtonDelay, [weak, page] {
            if (const auto self = weak.lock(); self && self->textTransitions_ == page) self->takesTaps_ = true;
        });
    };
    const auto wipePast = [weak, lastSteps](bool) {
        after(kCompareDelay, [weak, lastSteps] {
            const auto self = weak.lock();
            if (!self) return;
            UIView::animateWithDuration(
                kWipeDuration, 0, 0, [compare = self->compareView_] { compare->setRelativePosition(kWipePast); },
                lastSteps);
        });
    };
    AnimationUtility::animateView(compareView_, fadeIn, delay + 1.5, [weak, wipePast](bool) {
        if (const auto self = weak.lock())
            self->beginCompareTransitionWithImage(pagePicture(self->nextCompareImage_), kCompareDelay, wipePast);
    });
    if (completion) completion(true);
}

void IntroViewController::beginCompareTransitionWithImage(const UIImagePtr& image, NSTimeInterval delay,
                                                          FinishedBlock completion) {
    const std::weak_ptr<IntroViewController> weak = weakSelf();
    after(delay, [weak, image, completion] {
        const auto self = weak.lock();
        if (!self) return;
        const std::shared_ptr<CompareView> compare = self->compareView_;
        compare->setCompareImage(nullptr);
        compare->setCompareImage(image, self->imageView_->contentMode(), false);
        compare->setAlpha(1);
        compare->setRelativePosition(0.0);
        UIView::animateWithDuration(
            kCompareSpring, 0, kCompareSpringDamping, 0, 0, [compare] { compare->setRelativePosition(0.5); },
            [completion](bool finished) {
                if (completion) completion(finished);
            });
    });
}

void IntroViewController::fullViewButtonTouched() {
    if (!takesTaps_) return;
    takesTaps_ = false;
    nextButtonTouched();
}

void IntroViewController::nextButtonTouched() { beginTransition(); }
