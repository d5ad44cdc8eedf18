#include "screens/savemethod/SaveSettingsViewController.h"

#include <algorithm>
#include <utility>

#include "model/AmbrelAppSettings.h"
#include "platform/foundation/Dispatch.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/animation/ViewUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/GradientView.h"
#include "ui/widgets/AmbrelActivityView.h"

namespace {

constexpr double kSaveDamping = 0.8;
constexpr double kExportDamping = 0.6;
constexpr double kSpringVelocity = 1.0;
constexpr CGFloat kCornerRadius = 8;
constexpr CGFloat kCheckSide = 44;
constexpr CGFloat kCheckInset = 8;
constexpr CGFloat kCheckScale = 1.1;
constexpr CGRect kLogoFrame{{0, 22}, {88, 88}};
constexpr CGFloat kLogoRotateShare = 0.2;
constexpr CGFloat kLogoScaleAmount = 0.99;
constexpr CGFloat kContinuePressedScale = 0.8;

AmbrelAppSettings& settings() { return AmbrelAppSettings::sharedInstance(); }

}  // namespace

bool SaveSettingsViewController::shouldShowSaveSettings() { return !settings().saveSettingsShown(); }

void SaveSettingsViewController::presentSaveSettingsIfNeeded(UIView& container, Block completion) {
    if (!shouldShowSaveSettings()) {
        if (completion) completion();
        return;
    }
    auto controller = std::make_shared<SaveSettingsViewController>();
    controller->view()->setFrame(container.bounds());
    // The block holds the controller until the fade has removed its view.
    controller->setCompletedBlock([controller, completion] {
        if (completion) completion();
        ViewUtility::fadeOutAndRemoveViewOfController(controller, kFadeDuration);
    });
    container.insertSubview(controller->view(), std::min(kContainerIndex, container.subviews().size()));
}

void SaveSettingsViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    buildViews();
    contentView_->setBackgroundColor(UIColor::clearColor());
    backgroundView_ = AppAppearance::defaultGradientView(view()->bounds());
    backgroundView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view()->insertSubview(backgroundView_, 0);

    activityView_ = std::make_shared<AmbrelActivityView>(kLogoFrame, true, false);
    activityView_->setRotateAngleAmount(activityView_->rotateAngleAmount() * kLogoRotateShare);
    activityView_->setScaleAmount(kLogoScaleAmount);
    view()->addSubview(activityView_);
    activityView_->beginAnimating();

    const UIColor light = AppAppearance::defaultLightColor();
    const UIColor accent = AppAppearance::defaultSecondaryAppColor();
    titleLabel_->setFont(AppAppearance::defaultFontOfSize(18));
    titleLabel_->setTextColor(light.colorWithAlphaComponent(0.8));
    saveTitleLabel_->setFont(AppAppearance::defaultFontOfSize(17));
    saveDescriptionLabel_->setFont(AppAppearance::defaultFontOfSize(13));
    exportTitleLabel_->setFont(AppAppearance::defaultFontOfSize(17));
    exportDescriptionLabel_->setFont(AppAppearance::defaultFontOfSize(13));
    settingsLabel_->setFont(AppAppearance::defaultFontOfSize(14));
    continueButton_->titleLabel()->setFont(AppAppearance::defaultFontOfSize(18));
    for (UIButton* choice : {saveButton_.get(), exportButton_.get()}) {
        choice->layer()->setBorderColor(accent.CGColor());
        choice->layer()->setCornerRadius(kCornerRadius);
    }
    continueButton_->setBackgroundColor(UIColor::clearColor());
    continueButton_->layer()->setCornerRadius(kCornerRadius);
    continueButton_->layer()->setBorderColor(UIColor::whiteColor().CGColor());
    continueButton_->layer()->setBorderWidth(1);

    // The check mark: a tick in the accent colour, taking no touches.
    const UIImagePtr tick = UIImage::imageNamed("confirm");
    auto check = std::make_shared<UIImageView>(tick ? tick->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate)
                                                    : nullptr);
    check->setFrame(CGRectMake(0, 0, kCheckSide, kCheckSide));
    check->setContentMode(UIViewContentMode::Center);
    check->setTintColor(accent);
    check->setUserInteractionEnabled(false);
    check->setBackgroundColor(UIColor::clearColor());
    check->setTransform(CGAffineTransformMakeScale(kCheckScale, kCheckScale));
    checkAccessory_ = check;
    contentView_->addSubview(checkAccessory_);
    // The screen opens on the method the settings hold, so what it shows is what is kept.
    showChoice(settings().cameraSaveMethod() == SaveMethodExport, false, kSaveDamping);

    AnimationUtility::animateViews({titleLabel_, contentView_, continueButton_}, AnimationUtility::scaleInWithBounce());
}

void SaveSettingsViewController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    for (UIView* v : std::initializer_list<UIView*>{contentView_.get(), titleLabel_.get(), continueButton_.get(),
                                                    activityView_.get()})
        PositioningUtility::positionViewAtCenterX(*v);
}

void SaveSettingsViewController::showChoice(bool exportChosen, bool animated, CGFloat damping) {
    const UIColor accent = AppAppearance::defaultSecondaryAppColor();
    const UIColor plain = UIColor::whiteColor();
    const auto look = [this, exportChosen, accent, plain] {
        const UILabel& title = exportChosen ? *exportTitleLabel_ : *saveTitleLabel_;
        checkAccessory_->setCenter({contentView_->bounds().size.width - kCheckSide - kCheckInset + kCheckSide / 2,
                                    CGRectGetMidY(title.frame())});
        for (UILabel* label : {saveTitleLabel_.get(), saveDescriptionLabel_.get()})
            label->setTextColor(exportChosen ? plain : accent);
        for (UILabel* label : {exportTitleLabel_.get(), exportDescriptionLabel_.get()})
            label->setTextColor(exportChosen ? accent : plain);
        saveButton_->layer()->setBorderWidth(exportChosen ? 0 : 1);
        exportButton_->layer()->setBorderWidth(exportChosen ? 1 : 0);
    };
    if (!animated) return look();
    UIView::animateWithDuration(kChoiceDuration, 0, damping, kSpringVelocity, 0, look, nullptr);
}

void SaveSettingsViewController::saveButtonTouched() {
    showChoice(false, true, kSaveDamping);
    settings().setCameraSaveMethod(SaveMethodSaveAsCopy);
    settings().saveSettings();
}

void SaveSettingsViewController::exportButtonTouched() {
    showChoice(true, true, kExportDamping);
    settings().setCameraSaveMethod(SaveMethodExport);
    settings().saveSettings();
}

void SaveSettingsViewController::continueButtonTouched() {
    // Once: a second tap during the delay or the fade would end the screen again.
    if (continued_) return;
    continued_ = true;
    continueButton_->setEnabled(false);
    settings().setSaveSettingsShown(true);
    settings().saveSettings();
    const std::shared_ptr<UIButton> button = continueButton_;
    UIView::animateKeyframesWithDuration(
        kContinueDuration, 0, 0,
        [button] {
            UIView::addKeyframeWithRelativeStartTime(0, 0.25, [button] {
                button->setTransform(CGAffineTransformMakeScale(kContinuePressedScale, kContinuePressedScale));
            });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5,
                                                     [button] { button->setTransform(CGAffineTransformIdentity); });
        },
        nullptr);
    const std::weak_ptr<SaveSettingsViewController> weak =
        std::static_pointer_cast<SaveSettingsViewController>(shared_from_this());
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(kCompletionDelay * 1e9)),
                   dispatch_get_main_queue(), [weak] {
                       auto self = weak.lock();
                       if (!self) return;
                       if (const Block block = std::exchange(self->completedBlock_, nullptr)) block();
                   });
}
