#include "app/settings/ModeInfoViewController.h"

#include <string>

#include "model/AmbrelAppSettings.h"
#include "model/CollectionObject.h"
#include "platform/uikit/UIScreen.h"
#include "ui/appearance/AppAppearance.h"

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

const SeenFlag* flagFor(const CollectionObject& category) {
    const std::string name = category.name().value_or("");
    for (const SeenFlag& flag : kSeenFlags)
        if (name == flag.category) return &flag;
    return nullptr;
}

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

void ModeInfoViewController::loadView() {
    auto panel = std::make_shared<UIView>(UIScreen::mainScreen().bounds());
    panel->setBackgroundColor(AppAppearance::defaultDarkColor().colorWithAlphaComponent(0.9));
    const CGSize size = panel->bounds().size;
    titleLabel_ = std::make_shared<UILabel>(CGRectMake(20, size.height * 0.4 - 30, size.width - 40, 60));
    titleLabel_->setFont(AppAppearance::defaultFontOfSize(30));
    titleLabel_->setTextColor(AppAppearance::defaultLightColor());
    titleLabel_->setTextAlignment(NSTextAlignment::Center);
    titleLabel_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin |
                                     UIViewAutoresizingFlexibleBottomMargin);
    panel->addSubview(titleLabel_);
    closeButton_ = UIButton::buttonWithType(UIButtonType::Custom);
    closeButton_->setTitle("Close", UIControlStateNormal);
    closeButton_->setTitleColor(AppAppearance::defaultAppColor(), UIControlStateNormal);
    closeButton_->titleLabel()->setFont(AppAppearance::defaultFontOfSize(20));
    closeButton_->setFrame(CGRectMake(size.width / 2 - 60, size.height * 0.6, 120, 44));
    closeButton_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                                      UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    closeButton_->addTarget(this, [this](UIControl&, const UIEvent*) {
        if (block_) block_();
    }, UIControlEventTouchUpInside);
    panel->addSubview(closeButton_);
    setView(panel);
}

void ModeInfoViewController::setCategory(const CollectionObject* category) {
    category_ = category;
    view();
    titleLabel_->setText(category ? category->name().value_or("") + " Mode" : std::string());
}
