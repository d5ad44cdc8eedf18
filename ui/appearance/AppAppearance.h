#pragma once
// The application's look in one place: its palette, its one typeface, and a shared background
// view behind every screen's content that cross-fades between a plain colour, any view, or a
// blurred picture. Class methods only; main thread only. Every palette call builds a new
// colour (special colours carry a new layer each time).
//
// Files: AppAppearance.cpp (palette, fonts, tint, title views, shared background);
// AppAppearance+GradientView.cpp (`defaultGradientView`, the backdrop gradient).
#include <memory>
#include <optional>
#include <string>

#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIToolbar.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIViewController.h"

class GradientView;

class AppAppearance {
public:
    AppAppearance() = delete;

    // ---- Palette -------------------------------------------------------------------------
    static UIColor defaultBackgroundColor();
    static UIColor defaultToolbarColor();
    static UIColor defaultCameraToolbarColor();
    static UIColor defaultPhotoCollectionToolbarColor();
    // Gradient colours (special colours carrying a gradient layer).
    static UIColor defaultCameraBackgroundColor();
    static UIColor defaultTypeBackgroundColor();
    static UIColor defaultPhotoCollectionBackgroundColor();
    static UIColor defaultTintColor();
    // The colour set by `setTintColor`, else the default tint.
    static UIColor tintColor();
    // Keeps the colour (replacing the one kept before) and makes it the tint of alerts' buttons;
    // none returns to the default.
    static void setTintColor(std::optional<UIColor> color);
    static UIColor defaultSecondaryColor();
    static UIColor defaultExpandCollapseColor();
    static UIColor defaultDarkColor();
    static UIColor defaultTransparentCameraBarColor();
    static UIColor defaultShadowColor();
    static UIColor defaultLightColor();
    static UIColor defaultTitleColor();
    static UIColor defaultAppColor();
    static UIColor defaultSecondaryAppColor();
    // The colour and a brighter, more saturated version of it, bottom-right to top-left.
    static UIColor gradientColorForColor(const UIColor& color);

    // ---- Fonts ---------------------------------------------------------------------------
    static UIFont defaultFontOfSize(CGFloat size);
    static UIFont defaultFont();
    static UIFont defaultTitleFont();

    // ---- Views ---------------------------------------------------------------------------
    // The eight-colour backdrop gradient of the splash, introduction and about screens.
    static std::shared_ptr<GradientView> defaultGradientView(CGRect frame);
    // A label in the title font and colour, sized to its text.
    static std::shared_ptr<UILabel> titleViewWithString(const std::string& text);

    // ---- Bars ----------------------------------------------------------------------------
    // Styles the bar of the controller's navigation controller: black style, translucent
    // unless the colour is opaque, the colour as bar tint and as a 1 x 1 background picture,
    // the secondary colour as tint, the hairline kept only with `shadow`; the controller's
    // view then starts below the bar (no extended edges, no inset adjustment).
    static void setNavigationBar(UIViewController& controller, const UIColor& barColor, bool shadow);
    // The same look for a toolbar (its hairline is its own).
    static void setToolbar(UIToolbar& toolbar, const UIColor& barColor, bool shadow);

    // ---- Shared background ---------------------------------------------------------------
    // The one background view, made on the first request and put at the back of the view
    // given then (a controller's view); later requests answer it without moving it.
    static std::shared_ptr<UIView> backgroundView(UIView& controllerView);
    static void setBackgroundWithColor(UIView& controllerView, const UIColor& color, bool animated = false);
    // Cross-fades (0.3 s when animated) from the current background to the view.
    static void setBackgroundWithView(UIView& controllerView, std::shared_ptr<UIView> view, bool animated = false);
    // Shows the picture, shrunk to a 32nd of the screen, blurred and darkened, over the
    // background; null fades out a picture shown before.
    static void setBackgroundWithImage(UIView& controllerView, const UIImagePtr& image, bool animated = false);

    static constexpr double kBackgroundFadeDuration = 0.3;
};
