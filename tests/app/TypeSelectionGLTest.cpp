// The editing controls in the running application, on the manual clock with synthetic touches:
// start-up and the chevron, header taps reaching the engine and the tint, the adjustment
// colours on both sides, the ring's timing, the slider, Reset and Crop, kind switches, turning
// with the device and the mode-information hint. Engine parameters are read back by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <variant>

#include "app/controls/CollectionView.h"
#include "app/controls/TypeSelectView.h"
#include "engine/view/GraphicsView.h"
#include "model/GraphicsTypeController.h"
#include "modes/ModeLibrary.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "screens/help/HelpEditView.h"
#include "screens/help/HelpViewController.h"
#include "support/AppHarness.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/animation/ViewUtility.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/widgets/CompareButtonView.h"
#include "ui/widgets/SettingsButtonView.h"
#include "ui/widgets/TextDisplayView.h"

namespace {

CGPoint onScreen(UIView& view) {
    return view.convertPointToView({CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())}, nullptr);
}

double angleOf(const UIView& view) { return std::atan2(view.transform().b, view.transform().a); }

class TypeSelectionTest : public ::testing::Test {
protected:
    void start(AppLaunch options = {}) { app = std::make_unique<AppHarness>(std::move(options)); }
    // The ring's fade is one pending pair for the whole process: let it end with its screen.
    void TearDown() override {
        if (app) app->advance(AmbrelViewController::kRingDisplayDuration + 0.5);
    }
    AmbrelViewController& screen() { return app->controller(); }
    CollectionView& picker() { return *screen().collectionView(); }
    TypeController& lists() { return TypeController::sharedInstance(); }

    void tapView(UIView& view) { app->tap(onScreen(view)); }
    void expand() {
        tapView(*screen().expandCollapseView());
        app->advance(1.0);
    }
    // Taps a category's header once it is scrolled into view; the batch and bounce end.
    void tapHeader(const std::string& name, double wait = 0.8) {
        const auto& categories = picker().categories();
        auto it = std::find_if(categories.begin(), categories.end(), [&](const auto& c) { return c->name() == name; });
        ASSERT_NE(it, categories.end()) << name;
        picker().scrollToHeaderAtIndexPath(NSIndexPath::indexPathForItem(0, it - categories.begin()));
        app->settle();
        std::shared_ptr<CollectionViewHeader> header;
        for (const auto& h : picker().visibleHeaderViews())
            if (h->object() == it->get()) header = h;
        ASSERT_TRUE(header) << name;
        tapView(*header);
        app->advance(wait);
    }
    void tapItem(CollectionObject* object, double wait = 0.1) {
        picker().scrollToItemAtIndexPath(*picker().indexOfObject(object, false));
        app->settle();
        CollectionViewCell* cell = picker().cellForObject(object);
        ASSERT_TRUE(cell) << object->name().value_or("?");
        tapView(*cell);
        app->advance(wait);
    }
    void chooseKind(int kind) {
        tapView(*screen().typeSelectView()->buttonWithTag(kind));
        app->advance(0.8);
    }
    double ringAlpha() { return screen().circularProgressView()->layer()->presentationLayer()->opacity(); }

    std::unique_ptr<AppHarness> app;
};

TEST_F(TypeSelectionTest, StartUpInstallsTheModesAndTheChevronBringsTheControlsIn) {
    start();
    AmbrelViewController& s = screen();
    ASSERT_TRUE(s.typeSelectView() && s.collectionView());
    EXPECT_EQ(s.type(), &lists().modeType());
    EXPECT_EQ(s.typeSelectView()->type(), TypeController::TypeSelectionMode);
    EXPECT_EQ(picker().objects(), lists().modeType().objects()) << "the mode list is installed";
    EXPECT_EQ(picker().alpha(), 0);
    EXPECT_EQ(s.typeSelectView()->alpha(), 0);
    EXPECT_EQ(s.circularProgressView()->alpha(), 0);

    tapView(*s.expandCollapseView());
    app->advance(0.1);
    EXPECT_LT(picker().layer()->presentationLayer()->transform().m41, -50) << "in from the left";
    EXPECT_GT(s.typeSelectView()->layer()->presentationLayer()->transform().m42, 5) << "up from below";
    app->advance(0.9);
    EXPECT_EQ(picker().alpha(), 1);
    EXPECT_TRUE(CGAffineTransformIsIdentity(picker().transform()));
    EXPECT_EQ(s.typeSelectView()->alpha(), 1);
    EXPECT_EQ(s.circularProgressView()->alpha(), 1);
    EXPECT_TRUE(CGAffineTransformIsIdentity(s.circularProgressView()->transform()));
    CollectionObject* mode = lists().modeType().selectedObject();
    ASSERT_TRUE(mode);
    EXPECT_EQ(s.circularProgressView()->displayText(), mode->name().value_or(""));
    EXPECT_FALSE(picker().categoryForObject(mode)->categoryCollapsed()) << "the default mode's category is open";
    EXPECT_EQ(picker().selectedObject(), mode);

    UINavigationItem& item = s.navigationItem();
    EXPECT_EQ(item.titleView(), s.infoButtonView());
    ASSERT_TRUE(item.leftBarButtonItem() && item.rightBarButtonItem());
    EXPECT_TRUE(std::dynamic_pointer_cast<SettingsButtonView>(item.leftBarButtonItem()->customView()));
    EXPECT_TRUE(std::dynamic_pointer_cast<CompareButtonView>(item.rightBarButtonItem()->customView()));
    EXPECT_EQ(s.infoButtonView()->image(), picker().categoryForObject(mode)->image());
}

TEST_F(TypeSelectionTest, AHeaderTapAppliesTheCategorysFirstModeAndTintsTheScreen) {
    start();
    expand();
    tapHeader("Low Light");
    CollectionObject* lowLight = lists().modeType().objectNamed("Low Light 1");
    ASSERT_TRUE(lowLight);
    EXPECT_EQ(lists().modeType().selectedObject(), lowLight) << "selected through its item";
    for (const auto& category : picker().categories())
        EXPECT_EQ(category->categoryCollapsed(), category->name() != "Low Light") << category->name().value_or("");

    GraphicsView& view = *GraphicsView::sharedInstance();
    EXPECT_EQ(view.brightnessContrastUniqueId(), lowLight->uniqueId().value_or("?"));
    const Modes::AdjustmentDictionary& set = Modes::ModeLibrary::modeWithName(*lowLight->uniqueId())->parameters();
    const auto& excluded = GraphicsTypeController::adjustmentsToExcludeFromModes();
    int checked = 0;
    for (const auto& [name, value] : set) {
        if (excluded.count(name)) continue;
        SCOPED_TRACE(name);
        if (const float* number = std::get_if<float>(&value))
            EXPECT_EQ(view.getAdjustmentString(name), view.adjustmentValueDescription(name, *number));
        else EXPECT_EQ(view.getAdjustmentString(name), std::get<std::string>(value));
        ++checked;
    }
    EXPECT_GT(checked, 10);

    const UIColor tint = UIColor::colorWithCGColor(*lowLight->color());
    EXPECT_EQ(AppAppearance::tintColor().CGColor(), tint.CGColor());
    EXPECT_EQ(screen().albumEditDoneButtonView()->tintColor().CGColor(), tint.CGColor());
    EXPECT_EQ(screen().albumEditShareButtonView()->tintColor().CGColor(), tint.CGColor());
    EXPECT_EQ(screen().typeSelectView()->selectView().layer()->borderColor(), tint.CGColor());
    EXPECT_EQ(screen().circularProgressView()->displayText(), "Low Light 1");

    // Back on the camera: the shutter wears the tint.
    tapView(*screen().expandCollapseView());
    app->advance(1.0);
    const CGPoint shutter = onScreen(*screen().cameraButtonView());
    const CGColor seen = app->meanColor(CGRectMake(shutter.x - 6, shutter.y - 6, 12, 12));
    const CGColor want = tint.CGColor();
    EXPECT_LT(std::abs(seen.r - want.r) + std::abs(seen.g - want.g) + std::abs(seen.b - want.b), 0.45)
        << seen.r << " " << seen.g << " " << seen.b;
}

TEST_F(TypeSelectionTest, AdjustmentColoursFollowTheModeOnBothSidesWithCropOnlyOnTheAlbumSide) {
    start();
    expand();
    const auto crop = TypeController::cropAdjustmentObject();
    for (bool album : {false, true}) {
        SCOPED_TRACE(album ? "album side" : "camera");
        screen().setAlbumEditing(album);
        app->settle();
        tapHeader(album ? "Sky" : "Dramatic");
        const Type::Items& adjustments = lists().adjustType().objects();
        const bool cropListed = std::find(adjustments.begin(), adjustments.end(), crop) != adjustments.end();
        EXPECT_EQ(cropListed, album) << "Crop is offered only for an album photo";
        if (album) {
            EXPECT_EQ(adjustments.back(), crop) << "last";
        }

        Type::Items coloured = adjustments;
        if (!album) coloured.push_back(crop);
        const UIColor tint = AppAppearance::tintColor();
        auto colors = ColorUtility::analogousColors(tint, int(coloured.size()), 70);
        std::reverse(colors.begin(), colors.end());
        EXPECT_EQ(colors.back().CGColor(), tint.CGColor()) << "Crop's entry is the tint itself";
        for (std::size_t i = 0; i < coloured.size(); ++i) {
            const CGColor want =
                ColorUtility::blendWithColor(colors[i], AppAppearance::defaultSecondaryColor(), 0.2).CGColor();
            ASSERT_TRUE(coloured[i]->color()) << i;
            EXPECT_EQ(*coloured[i]->color(), want) << "item " << i;
        }
    }
}

TEST_F(TypeSelectionTest, TheRingShowsForOneAndAHalfSecondsAfterTheLastChange) {
    start();
    expand();
    app->advance(2.0);
    ASSERT_NEAR(ringAlpha(), 0, 1e-6) << "faded after the start";
    Type& modes = lists().modeType();
    const auto path = *picker().indexOfObject(modes.selectedObject(), false);
    const auto& section = picker().categoryObjects()[std::size_t(path.section)];
    ASSERT_GE(section.size(), 3u);

    tapItem(section[1].get(), 0.3);
    EXPECT_NEAR(ringAlpha(), 1, 1e-6);
    app->advance(1.4 - 0.3);
    EXPECT_NEAR(ringAlpha(), 1, 1e-6) << "still there at 1.4 s";
    app->advance(0.1 + AmbrelViewController::kRingFadeDuration + 0.05);
    EXPECT_NEAR(ringAlpha(), 0, 1e-6) << "gone 0.2 s after 1.5 s";

    // A second change at 1.0 s moves the fade to 2.5 s.
    tapItem(section[2].get(), 1.0);
    tapItem(section[1].get(), 0);
    app->advance(1.4);
    EXPECT_NEAR(ringAlpha(), 1, 1e-6) << "at 2.4 s";
    app->advance(0.1 + AmbrelViewController::kRingFadeDuration + 0.05);
    EXPECT_NEAR(ringAlpha(), 0, 1e-6);

    // Collapsed: no ring.
    tapView(*screen().expandCollapseView());
    app->advance(1.0);
    screen().animateCircularProgressView();
    app->advance(0.5);
    EXPECT_NEAR(screen().circularProgressView()->alpha(), 0, 1e-6);
}

TEST_F(TypeSelectionTest, TheSliderSetsTheValueAndItsIndicatorSpringsItBack) {
    start();
    expand();
    Type& modes = lists().modeType();
    SlideView& slider = *screen().slideView();
    const float before = AppHarness::parameter("CA Effect Strength");
    const double v0 = slider.value();
    const double usable = slider.bounds().size.width - 2 * slider.padding();
    EXPECT_FLOAT_EQ(float(slider.value()), modes.value()) << "the controls come in showing the current value";
    // Above the picker, which lies over the slider's lower part.
    const CGPoint middle = slider.convertPointToView({slider.bounds().size.width / 2, 25}, nullptr);
    app->drag(middle, {middle.x + CGFloat((0.4 - v0) * usable), middle.y}, 0.4);
    app->advance(0.3);
    EXPECT_NEAR(modes.value(), 0.4, 0.03);
    EXPECT_FLOAT_EQ(float(slider.value()), modes.value());
    EXPECT_FLOAT_EQ(float(screen().circularProgressView()->progress()), modes.value());
    EXPECT_NE(AppHarness::parameter("CA Effect Strength"), before) << "the engine follows after the throttle";

    UIView& knob = *slider.indicatorView();
    tapView(knob);
    app->advance(0.1);
    EXPECT_FLOAT_EQ(modes.value(), modes.defaultValue()) << "the value jumps";
    EXPECT_GT(std::abs(knob.layer()->presentationLayer()->position().x - knob.center().x), 1) << "the knob springs";
    app->advance(0.4);
    EXPECT_NEAR(knob.layer()->presentationLayer()->position().x, knob.center().x, 0.5);
    EXPECT_FLOAT_EQ(modes.value(), modes.defaultValue());
    EXPECT_FLOAT_EQ(float(slider.value()), modes.defaultValue());
}

TEST_F(TypeSelectionTest, ResetAsksFirstAndActionItemsAreNeverSelected) {
    start();
    expand();
    chooseKind(TypeController::TypeSelectionAdjust);
    Type& adjust = lists().adjustType();
    ASSERT_EQ(screen().type(), &adjust);
    CollectionObject* selected = adjust.objectNamed("Vignette");
    CollectionObject* other = adjust.objectNamed("Saturation");
    ASSERT_TRUE(selected && other);
    tapItem(selected);
    ASSERT_EQ(adjust.selectedObject(), selected);
    adjust.setValue(0.9f);
    other->setValue(0.1f);
    ASSERT_NEAR(adjust.value(), 0.9f, 1e-3);
    ASSERT_NE(adjust.value(), selected->defaultValue());
    const float otherChanged = other->value();

    CollectionObject* reset = TypeController::resetAdjustmentObject().get();
    for (const char* answer : {"Cancel", "OK"}) {
        SCOPED_TRACE(answer);
        tapItem(reset, 0.5);
        UIAlertPresentation* alert = UIAlertPresentation::shown();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title, "Reset Adjustments");
        EXPECT_EQ(alert->message, "Do you want to reset all adjustments?");
        const CGRect button = alert->buttonFrame(alert->indexOfButton(answer));
        app->tap({CGRectGetMidX(button), CGRectGetMidY(button)});
        app->advance(0.05);
        EXPECT_EQ(adjust.selectedObject(), selected) << "Reset is never selected";
        if (std::string(answer) == "Cancel") {
            EXPECT_NEAR(adjust.value(), 0.9f, 1e-3) << "kept";
            EXPECT_EQ(other->value(), otherChanged) << "kept";
        }
    }
    EXPECT_FLOAT_EQ(adjust.value(), selected->defaultValue());
    EXPECT_FLOAT_EQ(other->value(), other->defaultValue());
    EXPECT_NE(otherChanged, other->defaultValue());
    EXPECT_FLOAT_EQ(float(screen().slideView()->value()), selected->defaultValue());
    CollectionViewCell* cell = picker().cellForObject(reset);
    ASSERT_TRUE(cell);
    EXPECT_TRUE(cell->layer()->animationForKey("rotationAnimation")) << "the Reset cell turns";
    EXPECT_EQ(screen().circularProgressView()->displayText(), "Reset");
    EXPECT_NEAR(ringAlpha(), 1, 1e-6);

    // Crop, on the album side: never selected, the engine untouched.
    screen().setAlbumEditing(true);
    app->settle();
    picker().setObjects(adjust.objects(), adjust.selectedObject());
    app->settle();
    CollectionObject* crop = TypeController::cropAdjustmentObject().get();
    const float vignette = AppHarness::parameter("CA Vignette Strength");
    tapItem(crop, 0.5);
    EXPECT_EQ(adjust.selectedObject(), selected);
    EXPECT_FALSE(UIAlertPresentation::shown());
    EXPECT_EQ(AppHarness::parameter("CA Vignette Strength"), vignette);
}

TEST_F(TypeSelectionTest, KindSwitchesKeepEachListsOffsetAndTheChosenKindDoesNothing) {
    start();
    expand();
    picker().setContentOffset({picker().contentOffset().x + 120, 0});
    const CGPoint modeOffset = picker().contentOffset();
    chooseKind(TypeController::TypeSelectionAdjust);
    EXPECT_EQ(picker().objects(), lists().adjustType().objects());
    EXPECT_EQ(screen().typeSelectView()->selectView().layer()->borderColor(),
              lists().adjustType().color().value_or(CGColor{}));
    chooseKind(TypeController::TypeSelectionMode);
    EXPECT_EQ(picker().objects(), lists().modeType().objects());
    EXPECT_EQ(picker().contentOffset(), modeOffset) << "the list comes back where it was left";

    // The chosen kind again: no reload, no shrinking.
    tapView(*screen().typeSelectView()->buttonWithTag(TypeController::TypeSelectionMode));
    app->advance(0.1);
    for (const auto& cell : picker().visibleCells()) EXPECT_TRUE(CGAffineTransformIsIdentity(cell->transform()));

    // A switch shrinks the shown cells, reloads, and grows the new ones; the ring flips.
    tapView(*screen().typeSelectView()->buttonWithTag(TypeController::TypeSelectionColor));
    app->advance(0.1);
    bool shrinking = false;
    for (const auto& cell : picker().visibleCells())
        shrinking = shrinking || cell->layer()->presentationLayer()->transform().m11 < 0.95;
    EXPECT_TRUE(shrinking);
    EXPECT_TRUE(screen().circularProgressView()->layer()->animationForKey("transition.squash"));
    app->advance(0.8);
    EXPECT_EQ(picker().objects(), lists().colorType().objects());
    const UIColor look = UIColor::colorWithCGColor(lists().colorType().color().value_or(CGColor{0, 0, 0, 1}));
    EXPECT_EQ(screen().typeSelectView()->selectView().layer()->borderColor(),
              ColorAnalysisUtility::colorWithMinimumBrightness(look, 0.7).CGColor())
        << "the looks' highlight is brightened";
    EXPECT_EQ(*screen().circularProgressView()->progressColor(), look) << "the ring takes the colour as is";
}

TEST_F(TypeSelectionTest, LandscapeTurnsTheControlsContentExceptInAlbumEditing) {
    start();
    expand();
    for (bool album : {false, true}) {
        SCOPED_TRACE(album ? "album side" : "camera");
        screen().setAlbumEditing(album);
        app->key("Ctrl+Up");
        app->key("Ctrl+Left");
        app->advance(0.5);
        const double want = album ? 0 : AppConstants::angleForOrientation(AppConstants::orientation());
        EXPECT_NE(AppConstants::angleForOrientation(AppConstants::orientation()), 0);
        ASSERT_FALSE(picker().visibleCells().empty());
        for (const auto& cell : picker().visibleCells()) {
            auto& c = static_cast<CollectionViewCell&>(*cell);
            UIView& content = c.imageView() ? static_cast<UIView&>(*c.imageView()) : *c.label();
            EXPECT_NEAR(angleOf(content), want, 1e-9);
        }
        EXPECT_NEAR(angleOf(*screen().circularProgressView()), want, 1e-9) << "the ring";
        if (TextDisplayView* label = screen().slideView()->textDisplayView()) {
            EXPECT_NEAR(angleOf(*label), want, 1e-9) << "the slider's value";
        }
        app->key("Ctrl+Up");
        app->advance(0.5);
    }
}

TEST_F(TypeSelectionTest, OnThePadTheSelectorIsWiderAndTheCellsStayUpright) {
    AppLaunch pad;
    pad.profile = UIDeviceProfile::pad();
    start(pad);
    const CGFloat width = screen().view()->bounds().size.width;
    EXPECT_NEAR(screen().typeSelectView()->bounds().size.width, width * 0.6 + 2 * 88, 1e-9);
    EXPECT_EQ(screen().typeSelectView()->selectView().bounds().size.width, 80);
    expand();
    app->key("Ctrl+Left");
    app->advance(0.5);
    ASSERT_FALSE(picker().visibleCells().empty());
    for (const auto& cell : picker().visibleCells()) {
        auto& c = static_cast<CollectionViewCell&>(*cell);
        UIView& content = c.imageView() ? static_cast<UIView&>(*c.imageView()) : *c.label();
        EXPECT_NEAR(angleOf(content), 0, 1e-9);
    }
}

TEST_F(TypeSelectionTest, ANewCategoryPulsesTheInfoButton) {
    AppLaunch seen;
    seen.settings = [](AmbrelAppSettings& s) {
        s.setModeHelpShownNormal(true);
        s.setModeHelpShownSky(true);
    };
    start(seen);
    expand();
    UIButton& info = screen().infoButtonView()->button();
    EXPECT_TRUE(info.layer()->animationKeys().empty()) << "the open category was seen before";

    // The batch ends 0.3 s after the tap; the pulse starts 0.4 s after that.
    tapHeader("Low Light", 0.5);
    EXPECT_TRUE(info.layer()->animationKeys().empty()) << "not yet";
    app->advance(0.4);
    EXPECT_FALSE(info.layer()->animationKeys().empty()) << "a category never seen";
    app->advance(2.5);
    EXPECT_FALSE(info.layer()->animationKeys().empty()) << "it repeats";
    screen().animateModeInfoButton(false);
    EXPECT_TRUE(info.layer()->animationKeys().empty());

    tapHeader("Sky", 1.0);
    EXPECT_TRUE(info.layer()->animationKeys().empty()) << "a category seen before";
}

TEST_F(TypeSelectionTest, TheFirstExpandExplainsTheControlsOnceBeforeTheInfoButtonPulses) {
    AppLaunch firstTime;
    firstTime.settings = [](AmbrelAppSettings& s) { s.setHelpShownEdit(false); };
    start(firstTime);
    HelpViewController& help = HelpViewController::sharedInstance();
    expand();
    ASSERT_TRUE(std::dynamic_pointer_cast<HelpEditView>(help.helpView())) << "the editing help is up";
    EXPECT_NE(ViewUtility::fullScreenView(), nullptr);
    UIButton& info = screen().infoButtonView()->button();
    EXPECT_TRUE(info.layer()->animationKeys().empty()) << "the hint waits for the help";

    app->tap(CGPointMake(10, 20));  // the backdrop
    app->advance(1.5);
    EXPECT_EQ(help.helpView(), nullptr);
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
    EXPECT_NE(AppHarness::settingsFile().find("\"helpShownEdit\":true"), std::string::npos);
    EXPECT_FALSE(info.layer()->animationKeys().empty()) << "then the unseen category's hint";

    tapView(*screen().expandCollapseView());  // collapse, and in again: no help this time
    app->advance(1.0);
    expand();
    EXPECT_EQ(help.helpView(), nullptr);
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
}

TEST_F(TypeSelectionTest, ALowTierDeviceRedrawsOnceAfterAHeaderTap) {
    AppLaunch options;
    options.profile.machine = "iPhone5,2";
    start(options);
    ASSERT_FALSE(DeviceUtility::hasAXGPU());
    expand();
    bool heldDuring = false;
    picker().setHeaderSelectedBlock([&](CollectionView&) {
        heldDuring = GraphicsTypeController::isDelayingUpdates();
        screen().typeSelectionCategorySelected();
    });
    tapHeader("Fog");
    EXPECT_TRUE(heldDuring) << "redraws are held back until the category has opened";
    EXPECT_FALSE(GraphicsTypeController::isDelayingUpdates());
    EXPECT_EQ(lists().modeType().selectedObject(), lists().modeType().objectNamed("Fog 1"));
}

}  // namespace
