#include "screens/modeinfo/ModeInfoViewController.h"

#include <algorithm>

#include "model/AmbrelAppSettings.h"
#include "model/CollectionObject.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/Dispatch.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/appearance/UIView+EffectUtility.h"
#include "ui/widgets/CompareView.h"

namespace {

struct SeenFlag {
    const char* category;
    bool (AmbrelAppSettings::*get)() const;
    void (AmbrelAppSettings::*set)(bool);
};

// Each mode category's "seen" setting, by the category's name.
constexpr SeenFlag kSeenFlags[] = {
    {"Enhance", &AmbrelAppSettings::modeHelpShownNormal, &AmbrelAppSettings::setModeHelpShownNormal},
    {"Low Light", &AmbrelAppSettings::modeHelpShownLowLight, &AmbrelAppSettings::setModeHelpShownLowLight},
    {"Clarity", &AmbrelAppSettings::modeHelpShownClarity, &AmbrelAppSettings::setModeHelpShownClarity},
    {"Sky", &AmbrelAppSettings::modeHelpShownSky, &AmbrelAppSettings::setModeHelpShownSky},
    {"Nature", &AmbrelAppSettings::modeHelpShownNature, &AmbrelAppSettings::setModeHelpShownNature},
    {"Artistic", &AmbrelAppSettings::modeHelpShownArtistic, &AmbrelAppSettings::setModeHelpShownArtistic},
    {"Dramatic", &AmbrelAppSettings::modeHelpShownDramatic, &AmbrelAppSettings::setModeHelpShownDramatic},
    {"Vibrant", &AmbrelAppSettings::modeHelpShownVibrant, &AmbrelAppSettings::setModeHelpShownVibrant},
    {"Overexposure", &AmbrelAppSettings::modeHelpShownExposure, &AmbrelAppSettings::setModeHelpShownExposure},
    {"Fog", &AmbrelAppSettings::modeHelpShownFog, &AmbrelAppSettings::setModeHelpShownFog},
};

struct Texts {
    const char* category;
    const char* description;
    const char* usage;
};

// The first row also serves any name without texts of its own, with the fallback usage.
constexpr Texts kTexts[] = {
    {"Enhance",
     "Enhance mode applies subtle changes to lighting, contrast, and color to give a more natural to the eye look.",
     "Use this mode to instantly improve the look of your day to day photos."},
    {"Low Light",
     "Low Light mode brightens dim areas of your photo and increases the contrast in those areas to reveal hidden "
     "detail.",
     "This mode may appear noisier in the viewfinder than in the final photo."},
    {"Clarity", "Clarity mode sharpens details and adds contrast to boost the overall definition of your photo.",
     "Use this mode to bring out local contrast and reveal hidden details."},
    {"Sky", "Sky mode deepens shadows and brightens highlights to intensify the drama of lighter areas of your photo.",
     "Use this mode to accentuate clouds and other bright areas."},
    {"Artistic",
     "Artistic mode exaggerates highlights, detail, and color to give your photo a stylistic and surreal appearance.",
     "Use this mode on detail rich photos to make them stand out."},
    {"Dramatic", "Dramatic mode plays with shadows and highlights to heighten the emotion of your photo.",
     "Adjust the strength of this mode to add the perfect amount of depth."},
    {"Overexposure",
     "Overexposure mode restores the colors and detail in photos washed out due to overexposure or glare.",
     "Use this mode on washed out photos to restore color and contrast."},
    {"Fog", "Fog mode reduces fog and distance haze to bring life to otherwise colorless photos.",
     "Adjust the strength of this mode to remove just the right amount of haze."},
};
constexpr const char* kFallbackUsage = "Use this mode to instantly improve your day to day photos.";

std::string nameOf(const CollectionObject& category) { return category.name().value_or(""); }

const SeenFlag* flagFor(const CollectionObject& category) {
    const std::string name = nameOf(category);
    for (const SeenFlag& flag : kSeenFlags)
        if (name == flag.category) return &flag;
    return nullptr;
}

const Texts* textsFor(const CollectionObject& category) {
    const std::string name = nameOf(category);
    for (const Texts& texts : kTexts)
        if (name == texts.category) return &texts;
    return nullptr;
}

const CGAffineTransform kCaptionScale = CGAffineTransformMakeScale(0.8, 0.8);

}  // namespace

bool ModeInfoViewController::shouldShowModeInfoForCategory(const CollectionObject& category) {
    const SeenFlag* flag = flagFor(category);
    return flag && !(AmbrelAppSettings::sharedInstance().*flag->get)();
}

void ModeInfoViewController::setModeInfoForCategoryShown(const CollectionObject& category) {
    AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
    if (const SeenFlag* flag = flagFor(category)) (settings.*flag->set)(true);
    settings.saveSettings();
}

std::string ModeInfoViewController::imageNameForCategory(const CollectionObject& category) {
    std::string name = nameOf(category);
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
}

std::string ModeInfoViewController::descriptionForCategory(const CollectionObject& category) {
    const Texts* texts = textsFor(category);
    return (texts ? texts : &kTexts[0])->description;
}

std::string ModeInfoViewController::usageForCategory(const CollectionObject& category) {
    const Texts* texts = textsFor(category);
    return texts ? texts->usage : kFallbackUsage;
}

std::weak_ptr<ModeInfoViewController> ModeInfoViewController::weakSelf() {
    return std::static_pointer_cast<ModeInfoViewController>(shared_from_this());
}

void ModeInfoViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    buildViews();
    view()->setBackgroundColor(UIColor::clearColor());
    contentView_->setBackgroundColor(UIColor::clearColor());
    modeTitle_->setFont(AppAppearance::defaultFontOfSize(17));
    modeTitle_->setTextColor(AppAppearance::defaultLightColor());
    const UIFont textFont = AppAppearance::defaultFontOfSize(DeviceUtility::isIPad() ? 16 : 15);
    modeDescription_->setTextColor(AppAppearance::defaultLightColor());
    modeDescription_->setFont(textFont);
    modeUsage_->setFont(textFont);
    modeUsage_->setTextColor(AppAppearance::tintColor());
    compareDescription_->setFont(AppAppearance::defaultFontOfSize(22));
    compareDescription_->setAlpha(0);
    EffectUtility::addGlow(*compareDescription_, AppAppearance::defaultShadowColor(), 0.8);
    modeBackgroundView_->layer()->setCornerRadius(modeBackgroundView_->bounds().size.width / 2);
    compareViewOriginal_->layer()->setOpaque(false);
    compareViewOriginal_->setClipsToBounds(true);
    compareViewOriginal_->layer()->setCornerRadius(kCornerRadius);
    compareView_->layer()->setCornerRadius(kCornerRadius);
    compareView_->setClipsToBounds(true);
    compareView_->setShowSlider(false);
    compareView_->setUserInteractionEnabled(false);
    compareView_->setAngle(compareView_->firstAngleStep());
    compareView_->setRelativePosition(0.5);
    if (const UIImagePtr dismiss = UIImage::imageNamed("dismiss"))
        dismissView_->setImage(dismiss->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate),
                               UIControlStateNormal);
    dismissView_->setTintColor(AppAppearance::defaultSecondaryColor());
    dismissView_->addTarget(
        this, [this](UIControl&, const UIEvent*) { dismissButtonTouched(); }, UIControlEventTouchUpInside);
}

void ModeInfoViewController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    UIView& root = *view();
    for (UIView* v : {static_cast<UIView*>(modeTitle_.get()), modeBackgroundView_.get(),
                      static_cast<UIView*>(modeView_.get()), static_cast<UIView*>(compareViewOriginal_.get()),
                      static_cast<UIView*>(compareView_.get()), static_cast<UIView*>(modeDescription_.get()),
                      static_cast<UIView*>(modeUsage_.get()), static_cast<UIView*>(compareDescription_.get())})
        PositioningUtility::positionViewAtCenterXOfView(*v, root);
    if (!DeviceUtility::has3Point5InchDisplay()) return;
    const std::pair<UIView*, double> heights[] = {{modeView_.get(), 0.9},          {modeBackgroundView_.get(), 0.9},
                                                  {modeTitle_.get(), 0.775},       {compareViewOriginal_.get(), 0.5},
                                                  {compareView_.get(), 0.5},       {compareDescription_.get(), 0.5},
                                                  {modeDescription_.get(), 0.175}, {modeUsage_.get(), 0.075}};
    for (auto [v, relativeY] : heights) PositioningUtility::positionViewAtRelativeCenterY(*v, relativeY, root);
}

UIColor ModeInfoViewController::contentColor() const {
    const UIColor own = category_ && category_->contentColor() ? UIColor::colorWithCGColor(*category_->contentColor())
                                                               : AppAppearance::defaultLightColor();
    return ColorUtility::blendWithColor(own, AppAppearance::defaultLightColor());
}

void ModeInfoViewController::setCategory(const CollectionObject* category) {
    category_ = category;
    view();
    if (!category) return;
    if (category->color())
        modeBackgroundView_->setBackgroundColor(
            AppAppearance::gradientColorForColor(UIColor::colorWithCGColor(*category->color())));
    if (category->contentColor()) modeView_->setTintColor(UIColor::colorWithCGColor(*category->contentColor()));
    modeView_->setImage(
        category->image() ? category->image()->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate) : nullptr);
    const UIColor colour = contentColor();
    modeTitle_->setText(nameOf(*category) + " Mode");
    modeTitle_->setTextColor(colour);
    modeDescription_->setText(descriptionForCategory(*category));
    modeDescription_->setTextColor(colour);
    modeUsage_->setText(usageForCategory(*category));
    compareDescription_->setTextColor(colour.colorWithAlphaComponent(0.9));
    const std::string part = imageNameForCategory(*category);
    compareViewOriginal_->setImage(UIImage::imageNamed("mode" + part + "InfoBefore@2x.jpg"));
    compareView_->setCompareImage(UIImage::imageNamed("mode" + part + "InfoAfter@2x.jpg"),
                                  compareViewOriginal_->contentMode());
    setupCompareViewTransition();
    const std::weak_ptr<ModeInfoViewController> weak = weakSelf();
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(kFirstTurnDelay * NSEC_PER_SEC)),
                   dispatch_get_main_queue(), [weak] {
                       if (const auto self = weak.lock()) self->beginCompareViewTransition();
                   });
}

void ModeInfoViewController::dismissButtonTouched() {
    if (block_) block_();
}

void ModeInfoViewController::setupCompareViewTransition() {
    compareView_->setRelativePosition(0.0);
    compareView_->setAngle(0.0);
    compareDescription_->setText("Original");
    compareView_->setAlpha(1.0);
}

void ModeInfoViewController::beginCompareViewTransition() {
    setupCompareViewTransition();
    const std::weak_ptr<ModeInfoViewController> weak = weakSelf();
    const AnimationBlock captionIn = AnimationUtility::fadeAndTransform(kCaptionScale, true, kStepDuration);
    const AnimationBlock captionOut = AnimationUtility::fadeAndTransform(kCaptionScale, false, kStepDuration);
    // Each step starts when the one before ends; every step finds the controller anew, so a
    // controller released mid-turn ends the chain.
    const auto fadeAndLoop = [weak](bool) {
        const auto self = weak.lock();
        if (!self) return;
        UIView::animateWithDuration(
            kStepDuration * 0.5, [compare = self->compareView_] { compare->setAlpha(0); },
            [weak](bool) {
                if (const auto self = weak.lock(); self && !self->shouldStopAnimating_)
                    self->beginCompareViewTransition();
            });
    };
    const auto nameCaption = [weak, captionIn, captionOut, fadeAndLoop](bool) {
        const auto self = weak.lock();
        if (!self) return;
        self->compareDescription_->setText(self->category_ ? nameOf(*self->category_) : std::string());
        AnimationUtility::animateView(self->compareDescription_, captionIn, [weak, captionOut, fadeAndLoop](bool) {
            if (const auto self = weak.lock())
                AnimationUtility::animateView(self->compareDescription_, captionOut, fadeAndLoop);
        });
    };
    const auto wipe = [weak, nameCaption](bool) {
        if (const auto self = weak.lock()) self->compareView_->setRelativePosition(1.0, kStepDuration, nameCaption);
    };
    AnimationUtility::animateView(compareDescription_, captionIn, [weak, captionOut, wipe](bool) {
        if (const auto self = weak.lock()) AnimationUtility::animateView(self->compareDescription_, captionOut, wipe);
    });
}
