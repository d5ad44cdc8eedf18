// The settings state: the settings page over the dimmed picture (blurred over the camera, the
// photo hidden in album editing), "Settings" with "Done" in the bar, and the about button in
// the bottom bar opening the about panel. Every change is saved and applied at once.
#include <memory>

#include "app/AmbrelViewController.h"
#include "app/settings/AboutPanel.h"
#include "app/settings/SettingsView.h"
#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "ui/appearance/AppAppearance.h"

namespace {

constexpr double kGraphicsFadeDuration = 0.2;
constexpr CGFloat kCameraDimmedAlpha = 0.4;

}  // namespace

void AmbrelViewController::animateSettingsView(bool show) {
    // Shown already, or not shown (or on its way out) when asked to hide: nothing to do. A
    // show during the fade-out makes a new page.
    if (show ? settingsView_ && !settingsHiding_ : !settingsView_ || settingsHiding_) return;
    if (show) animateNavigationItemForSettingsView();
    animateTypeView(!show);
    animateExpandCollapseView(!show);
    if (DeviceUtility::isIPad()) animateCameraViewButton(!show);
    if (AppConstants::cameraViewIsTransparent() && !albumEditing_) {
        const UIColor bar = show ? UIColor::clearColor() : AppAppearance::defaultTransparentCameraBarColor();
        bottomView_->setBackgroundColor(bar);
        AppAppearance::setNavigationBar(*this, bar, albumEditing_);
    }
    std::weak_ptr<UIViewController> weak = weak_from_this();
    animateButtonMenuView(
        [this, weak] {
            return AboutPanel::aboutButtonMenu(
                       bottomView_->bounds(),
                       [this, weak](const auto& logo, const auto& label) {
                           // While the panel is shown its logo and label are borrowed already.
                           if (weak.expired() || aboutDismissBlock_ || !settingsView_) return;
                           auto panel = std::make_shared<AboutPanel>(
                               AboutPanel::Parts{this, logo, label, settingsView_, graphicsView_, settingsDoneButton_});
                           aboutDismissBlock_ = [this, panel](UIViewController&) {
                               // Cleared at once, before the panel has gone; this block goes with it, so
                               // what it needs is taken first.
                               auto closing = panel;
                               aboutDismissBlock_ = nullptr;
                               closing->dismiss();
                           };
                       })
                .menu;
        },
        show);
    const bool editing = albumEditing_;
    auto graphics = graphicsView_;
    UIView::animateWithDuration(kGraphicsFadeDuration, [graphics, show, editing] {
        graphics->setAlpha(show ? (editing ? 0 : kCameraDimmedAlpha) : 1);
    });

    if (show) {
        auto page = std::make_shared<SettingsView>(AppConstants::defaultAlbumViewFrame());
        page->setLayout(page->basicLayout());
        page->setUseBlurBackground(!albumEditing_);
        page->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        page->setChangedBlock([this, weak] {
            if (weak.expired()) return;
            AmbrelAppSettings::sharedInstance().saveSettings();
            applySettings();
        });
        view()->insertSubviewBelow(page, bottomView_.get());
        settingsView_ = page;
        settingsHiding_ = false;
        page->animateSettingsView(true, nullptr);
        return;
    }
    auto page = settingsView_;
    settingsHiding_ = true;
    page->animateSettingsView(false, [this, weak, page](bool) {
        page->removeFromSuperview();
        // A page shown again meanwhile is another one, and stays.
        if (weak.expired() || settingsView_ != page) return;
        settingsView_ = nullptr;
        settingsHiding_ = false;
    });
}

void AmbrelViewController::animateNavigationItemForSettingsView() {
    auto done = std::make_shared<TitleButtonView>("Done");
    std::weak_ptr<UIViewController> weak = weak_from_this();
    done->setBlock([this, weak] {
        if (weak.expired()) return;
        if (auto dismissAbout = aboutDismissBlock_) return dismissAbout(*this);
        animateSettingsView(false);
    });
    settingsDoneButton_ = done;
    UINavigationItem& item = navigationItem();
    item.setLeftBarButtonItem(nullptr, true);
    item.setRightBarButtonItem(UIBarButtonItem::itemWithCustomView(done), true);
    item.setTitleView(AppAppearance::titleViewWithString("Settings"));
}
