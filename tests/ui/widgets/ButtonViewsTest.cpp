// The small button views and the circular switch, driven by synthetic taps on the manual
// clock: when each block runs against the press animation, the toggles, the album
// placeholder and its animated change, the title button's geometry and tint, the info
// button's flip, the settings button's spring.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIGraphics.h"
#include "support/ImageRegions.h"
#include "support/TouchHarness.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/AlbumButtonView.h"
#include "ui/widgets/CompareButtonView.h"
#include "ui/widgets/ImageButtonView.h"
#include "ui/widgets/InfoButtonView.h"
#include "ui/widgets/SettingsButtonView.h"
#include "ui/widgets/SwitchView.h"
#include "ui/widgets/TitleButtonView.h"

namespace {

class ButtonViewsTest : public ::testing::Test {
protected:
    void tap(UIView& view) { ui.tap(view); }
    double presentedScale(const UIView& view) { return view.layer()->presentation().transform.m11; }
    CGImageRef shot(UIView& view) { return CACompositor::compose(*view.layer(), view.bounds().size, 2); }

    TouchHarness ui;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

UIImagePtr filledImage(CGSize size, CGColor color) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), color);
    CGContextFillRect(UIGraphicsGetCurrentContext(), {{0, 0}, size});
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

TEST_F(ButtonViewsTest, ImageButtonsBlockRunsAtOnceAndTheAlbumButtonsAfterThePress) {
    auto image = std::make_shared<ImageButtonView>(filledImage({20, 20}, {1, 1, 1, 1}));
    auto album = std::make_shared<AlbumButtonView>();
    int imageCalls = 0, albumCalls = 0;
    image->setBlock([&] { ++imageCalls; });
    album->setBlock([&] { ++albumCalls; });
    tap(*image);
    tap(*album);
    EXPECT_EQ(imageCalls, 1) << "while the press starts";
    EXPECT_EQ(albumCalls, 0) << "not before the press ends";
    loop.advance(0.15);
    EXPECT_NEAR(presentedScale(image->button()), 0.8, 1e-6) << "held at 80 % between 0.1 s and 0.2 s";
    EXPECT_EQ(albumCalls, 0);
    loop.advance(0.26);
    EXPECT_EQ(albumCalls, 1);
    EXPECT_NEAR(presentedScale(image->button()), 1, 1e-6);

    // Without blocks a tap only animates.
    auto quiet = std::make_shared<ImageButtonView>(filledImage({20, 20}, {1, 1, 1, 1}));
    tap(*quiet);
    loop.advance(0.05);
    EXPECT_LT(presentedScale(quiet->button()), 1);
}

TEST_F(ButtonViewsTest, TogglesReportTheirNewState) {
    auto compare = std::make_shared<CompareButtonView>();
    auto info = std::make_shared<InfoButtonView>();
    std::vector<bool> compared, expanded;
    compare->setBlock([&](bool on) { compared.push_back(on); });
    info->setBlock([&](bool on) { expanded.push_back(on); });
    tap(*compare);
    loop.advance(ButtonView::kPressDuration);  // the pressed button takes no touches
    tap(*compare);
    tap(*info);
    EXPECT_EQ(compared, (std::vector<bool>{true, false})) << "two taps in a row";
    EXPECT_EQ(expanded, (std::vector<bool>{true}));
    EXPECT_TRUE(info->button().layer()->animationKeys().empty()) << "the info button does not press";
    EXPECT_FALSE(compare->button().layer()->animationKeys().empty()) << "the compare button does";
    ASSERT_NE(compare->button().currentImage(), nullptr) << "the compare picture is a resource";
    EXPECT_EQ(compare->button().currentImage()->renderingMode(), UIImageRenderingMode::AlwaysTemplate);
}

TEST_F(ButtonViewsTest, InfoButtonFlipsOncePerNewPicture) {
    auto info = std::make_shared<InfoButtonView>();
    EXPECT_EQ(info->button().frame(), CGRectMake(0, 0, 54, 30));
    EXPECT_NEAR(info->modeView().center().x, 54 * 0.35, 1e-4);
    EXPECT_NEAR(info->indicatorView().center().x, 54 * 0.75, 1e-9);
    ASSERT_NE(info->indicatorView().image(), nullptr) << "the arrow is a resource";
    UIImagePtr picture = filledImage({20, 20}, {1, 1, 1, 1});
    info->setImage(picture);
    EXPECT_FALSE(info->modeView().layer()->animationKeys().empty()) << "flipping";
    loop.advance(0.41);
    EXPECT_TRUE(info->modeView().layer()->animationKeys().empty());
    EXPECT_EQ(info->modeView().image()->renderingMode(), UIImageRenderingMode::AlwaysTemplate);
    info->setImage(picture);
    EXPECT_TRUE(info->modeView().layer()->animationKeys().empty()) << "the same picture does not flip";
}

TEST_F(ButtonViewsTest, AlbumButtonShowsBlackUntilAPictureGrowsOverIt) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 42, 42));
    auto album = std::make_shared<AlbumButtonView>();
    root->addSubview(album);
    ASSERT_NE(album->image(), nullptr) << "the placeholder, not nil";
    EXPECT_EQ(album->image()->size(), (CGSize{42, 42}));
    expectColor(meanColorInPoints(shot(*root), {{10, 10}, {22, 22}}, 2), {0, 0, 0, 1}, "black square");
    UIImagePtr red = filledImage({80, 60}, {1, 0, 0, 1});
    album->setImage(red, true);
    EXPECT_NE(album->image(), red) << "the old picture stays until the new one has grown";
    loop.advance(0.5);
    EXPECT_EQ(album->image(), red);
    EXPECT_EQ(album->button().subviews().size(), 2u) << "the covering button is gone";
    expectColor(meanColorInPoints(shot(*root), {{10, 10}, {22, 22}}, 2), {1, 0, 0, 1}, "filled with the picture");
    EXPECT_LT(meanColorInPoints(shot(*root), {{0, 0}, {1.5, 1.5}}, 2).a, 0.5) << "rounded corners";
}

TEST_F(ButtonViewsTest, TitleButtonOverhangsItsViewAndTakesItsTintAsTitleColour) {
    auto title = std::make_shared<TitleButtonView>("Crop");
    EXPECT_EQ(title->bounds().size, (CGSize{60, 44}));
    EXPECT_EQ(title->button().frame(), CGRectMake(-14, 0, 88, 44)) << "88 wide, centred";
    EXPECT_EQ(title->title(), "Crop");
    EXPECT_EQ(title->button().titleColorForState(UIControlStateNormal), AppAppearance::defaultSecondaryColor());
    title->setTintColor(UIColor::redColor());
    EXPECT_EQ(title->button().titleColorForState(UIControlStateNormal), UIColor::redColor());
    title->setTitleSize(20);
    EXPECT_EQ(title->button().titleLabel()->font(), AppAppearance::defaultFontOfSize(20));
    int calls = 0;
    title->setBlock([&] { ++calls; });
    tap(*title);
    EXPECT_EQ(calls, 1);
}

TEST_F(ButtonViewsTest, SettingsButtonReportsAfterItsSpring) {
    auto settings = std::make_shared<SettingsButtonView>();
    EXPECT_EQ(settings->bounds().size, (CGSize{44, 44}));
    std::vector<bool> states;
    settings->setBlock([&](bool expanded) { states.push_back(expanded); });
    tap(*settings);
    EXPECT_TRUE(settings->isExpanded());
    loop.advance(0.2);
    EXPECT_TRUE(states.empty()) << "not before the spring ends";
    loop.advance(0.21);
    EXPECT_EQ(states, (std::vector<bool>{true}));
    const CGAffineTransform turned = settings->button().transform();  // a quarter turn
    EXPECT_NEAR(turned.a, 0, 1e-9);
    EXPECT_NEAR(turned.b, 1, 1e-9);
    tap(*settings);
    loop.advance(0.41);
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
}

TEST_F(ButtonViewsTest, SwitchGrowsItsDiscOnATapAndSettingItIsSilent) {
    auto view = std::make_shared<SwitchView>(CGRectMake(0, 0, 40, 40));
    std::vector<bool> changes;
    view->setChangedBlock([&](bool on) { changes.push_back(on); });
    EXPECT_EQ(view->onView()->alpha(), 0) << "starts off";
    EXPECT_EQ(view->layer()->cornerRadius(), 20);
    tap(*view);
    EXPECT_TRUE(view->isOn());
    loop.advance(0.1);
    const double mid = presentedScale(*view->onView());
    EXPECT_GT(mid, 0.05);
    EXPECT_LT(mid, 0.99) << "growing over 0.2 s";
    loop.advance(0.11);
    EXPECT_EQ(presentedScale(*view->onView()), 1);
    tap(*view);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    loop.advance(0.21);

    view->setOn(true);
    EXPECT_TRUE(view->onView()->layer()->animationKeys().empty()) << "no animation";
    EXPECT_EQ(changes.size(), 2u) << "no block";
    EXPECT_EQ(view->onView()->alpha(), 1);
}

}  // namespace
