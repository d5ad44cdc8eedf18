// The screens laid over the editing view through the one full-screen backdrop: the mode menu
// (contrast based on shadows or highlights), the colour menu (tint or monochrome) and the
// mode information screen. Each hide acts only on the screen it hid: its property is cleared
// only while it still holds that screen, and the backdrop goes only when no later
// presentation uses it. A dismissal runs once however often the backdrop is tapped; a screen
// opened while another's backdrop is still up gets a backdrop of its own.
#include <memory>

#include "app/AmbrelViewController.h"
#include "app/settings/ColorMenuViewController.h"
#include "screens/modeinfo/ModeInfoViewController.h"
#include "app/settings/ModeMenuViewController.h"
#include "model/CollectionObject.h"
#include "model/DeviceUtility.h"
#include "model/GraphicsTypeController.h"
#include "model/Type.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/ViewUtility.h"
#include "ui/appearance/AppAppearance.h"

namespace {

constexpr NSTimeInterval kMenuDuration = 0.4;
constexpr NSTimeInterval kInfoInDuration = 0.8, kInfoOutDuration = 0.4, kInfoFadeDuration = 0.2;
constexpr CGFloat kMenuScale = 0.1;
// "Contrast Based On" reads back at or above this only for its last value (None).
constexpr float kHighlightsThreshold = 0.833333f;

// Presentations through the backdrop, counted: a hide removes the backdrop only when no
// presentation came after its own.
unsigned& presentations() {
    static unsigned count = 0;
    return count;
}

void removeBackdropUnlessReused(unsigned presentation) {
    if (presentations() == presentation) ViewUtility::dismissFullScreenViewAnimated(false);
}

// A backdrop still up (its screen leaving, or another screen on it) would keep its own tap
// action: its screen is asked to leave and the backdrop goes, so that the next screen gets a
// backdrop whose tap closes that screen. Answers the new presentation's number.
unsigned beginPresentation() {
    if (ViewUtility::fullScreenView()) {
        ViewUtility::dismissFullScreenViewWithDismissAction();
        ViewUtility::dismissFullScreenViewAnimated(false);
    }
    return ++presentations();
}

// Runs the dismissal once, however often it is asked for.
ViewUtility::DismissAction once(std::function<void()> dismiss) {
    auto done = std::make_shared<bool>(false);
    return [done, dismiss = std::move(dismiss)] {
        if (*done) return;
        *done = true;
        dismiss();
    };
}

AnimationBlock menuScale(bool in) {
    return AnimationUtility::fadeAndTransform(CGAffineTransformMakeScale(kMenuScale, kMenuScale), in, kMenuDuration);
}

}  // namespace

template <typename Menu>
void AmbrelViewController::presentMenu(const std::shared_ptr<Menu>& menu, std::shared_ptr<Menu>& property) {
    const unsigned presentation = beginPresentation();
    std::weak_ptr<UIViewController> weak = weak_from_this();
    ViewUtility::presentFullScreenView(
        false, UIColor::clearColor(),
        [this, weak, menu](const std::shared_ptr<UIView>& backdrop) {
            if (weak.expired()) return;
            backdrop->addSubview(menu->view());
            const CGRect picture = graphicsView_->convertRectToView(graphicsView_->bounds(), backdrop.get());
            menu->view()->setCenter({CGRectGetMidX(picture), CGRectGetMidY(picture)});
            AnimationUtility::animateView(menu->view(), menuScale(true));
        },
        once([this, weak, menu, &property, presentation] {
            AnimationUtility::animateView(menu->view(), menuScale(false),
                                          [this, weak, menu, &property, presentation](bool) {
                                              menu->view()->removeFromSuperview();
                                              if (weak.expired()) return;
                                              if (property == menu) property = nullptr;
                                              removeBackdropUnlessReused(presentation);
                                          });
        }));
}

void AmbrelViewController::animateModeMenuView() {
    auto menu = std::make_shared<ModeMenuViewController>();
    menu->view();
    modeMenuView_ = menu;
    const std::optional<CGColor> color = type_ ? type_->color() : std::nullopt;
    menu->setSelectedColor(color ? UIColor::colorWithCGColor(*color) : AppAppearance::defaultLightColor());
    menu->setShadows(GraphicsTypeController::adjustmentValue("Contrast Based On") < kHighlightsThreshold);
    menu->setBlock([](bool shadows) {
        const Modes::AdjustmentDictionary adjustments{{"Contrast Based On", shadows ? 0.0f : 1.0f}};
        GraphicsTypeController::selectedBlockWithAdjustments(adjustments)(
            true, TypeController::sharedInstance().modeType().selectedObject());
        ViewUtility::dismissFullScreenViewWithDismissAction();
    });
    presentMenu(menu, modeMenuView_);
}

void AmbrelViewController::animateColorMenuView() {
    CollectionObject* look = TypeController::sharedInstance().colorType().selectedObject();
    auto menu = std::make_shared<ColorMenuViewController>();
    menu->view();
    colorMenuView_ = menu;
    if (!look || look == TypeController::offColorObject().get()) {
        menu->setCustomString("No Color Selected");
        menu->view()->setUserInteractionEnabled(false);
    } else {
        menu->setCustomString(std::nullopt);
        menu->view()->setUserInteractionEnabled(true);
        const std::optional<CGColor> color = type_ ? type_->color() : std::nullopt;
        menu->setSelectedColor(color ? UIColor::colorWithCGColor(*color) : AppAppearance::defaultLightColor());
        const bool grayscale = look->colorIsGrayscale();
        TypeConstants& constants = TypeConstants::sharedInstance();
        menu->setTint(grayscale ? constants.colorGrayscaleObjectsUseTint : constants.colorColorObjectsUseTint);
        menu->setBlock([look, grayscale](bool tint) {
            TypeConstants& constants = TypeConstants::sharedInstance();
            (grayscale ? constants.colorGrayscaleObjectsUseTint : constants.colorColorObjectsUseTint) = tint;
            const Modes::AdjustmentDictionary adjustments{{"CA Grayscale On/Off", tint ? 0.0f : 1.0f}};
            GraphicsTypeController::selectedBlockWithAdjustments(adjustments)(true, look);
            ViewUtility::dismissFullScreenViewWithDismissAction();
        });
    }
    presentMenu(menu, colorMenuView_);
}

void AmbrelViewController::animateModeInfoView() {
    UIApplication& application = UIApplication::sharedApplication();
    application.beginIgnoringInteractionEvents();
    const CollectionObject* category = TypeController::sharedInstance().modeType().selectedCategory();
    if (category) ModeInfoViewController::setModeInfoForCategoryShown(*category);
    auto info = std::make_shared<ModeInfoViewController>();
    info->view();
    info->setCategory(category);
    info->setBlock([] { ViewUtility::dismissFullScreenViewWithDismissAction(); });
    modeInfoView_ = info;

    animateTypeView(false);
    animateExpandCollapseView(false);
    if (DeviceUtility::isIPad()) animateCameraViewButton(false);
    const bool barChanges = AppConstants::cameraViewIsTransparent() && !albumEditing_;
    if (barChanges) {
        bottomView_->setBackgroundColor(UIColor::clearColor());
        AppAppearance::setNavigationBar(*this, UIColor::clearColor(), albumEditing_);
    }
    // The picture and the bar's views fade while the screen is up.
    UINavigationItem& item = navigationItem();
    std::vector<std::shared_ptr<UIView>> faded{graphicsView_, item.titleView()};
    for (const auto& barItem : {item.leftBarButtonItem(), item.rightBarButtonItem()})
        if (barItem) faded.push_back(barItem->customView());
    std::erase(faded, nullptr);
    UIView::animateWithDuration(kInfoFadeDuration, [faded] {
        for (const auto& view : faded) view->setAlpha(0);
    });

    const unsigned presentation = beginPresentation();
    auto finished = std::make_shared<bool>(false);
    std::weak_ptr<UIViewController> weak = weak_from_this();
    ViewUtility::presentFullScreenView(
        false, UIColor::clearColor(),
        [info, finished](const std::shared_ptr<UIView>& backdrop) {
            UIApplication::sharedApplication().endIgnoringInteractionEvents();
            info->view()->setFrame(backdrop->bounds());
            backdrop->addSubview(info->view());
            const CGFloat height = info->view()->bounds().size.height;
            AnimationUtility::animateView(
                info->view(),
                AnimationUtility::fadeAndTransform(CGAffineTransformMakeTranslation(0, -height), true, kInfoInDuration),
                [finished](bool) { *finished = true; });
        },
        [this, weak, info, finished, faded, barChanges, presentation, dismissing = std::make_shared<bool>(false)] {
            // Not while it slides in, and only once.
            if (!*finished || *dismissing || weak.expired()) return;
            *dismissing = true;
            animateTypeView(true);
            animateExpandCollapseView(true);
            if (DeviceUtility::isIPad()) animateCameraViewButton(true);
            if (barChanges) {
                const UIColor bar = AppAppearance::defaultTransparentCameraBarColor();
                bottomView_->setBackgroundColor(bar);
                AppAppearance::setNavigationBar(*this, bar, albumEditing_);
            }
            UIView::animateWithDuration(kInfoFadeDuration, [faded] {
                for (const auto& view : faded) view->setAlpha(1);
            });
            const CGFloat height = info->view()->bounds().size.height;
            AnimationUtility::animateView(info->view(),
                                          AnimationUtility::fadeAndTransform(
                                              CGAffineTransformMakeTranslation(0, -height), false, kInfoOutDuration),
                                          [this, weak, info, presentation](bool) {
                                              info->stopAnimating();
                                              info->view()->removeFromSuperview();
                                              if (weak.expired()) return;
                                              if (modeInfoView_ == info) modeInfoView_ = nullptr;
                                              removeBackdropUnlessReused(presentation);
                                          });
        });
}
