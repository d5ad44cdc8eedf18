// The kind selector in a real window on the manual clock: the three buttons by their tags and
// places, taps through the input driver reporting (old, new) once per change and nothing for
// the chosen kind, the highlight's spring to the chosen button, its outline (phone and pad
// sizes), and a screenshot of the outline in the kind's colour.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/controls/TypeSelectView.h"
#include "support/ControllerFixture.h"
#include "ui/appearance/AppAppearance.h"

namespace {

class TypeSelectViewTest : public ControllerFixture {
protected:
    std::shared_ptr<TypeSelectView> selector() {
        auto v = std::make_shared<TypeSelectView>(CGRectMake(0, 400, 375, 50));
        window->addSubview(v);
        v->setBlock([this](int from, int to) { told.emplace_back(from, to); });
        v->layoutIfNeeded();
        return v;
    }
    CGPoint centerOf(UIView& view) {
        return view.convertPointToView({CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())}, nullptr);
    }
    std::vector<std::pair<int, int>> told;
};

TEST_F(TypeSelectViewTest, ButtonsCarryTheirKindAndStandAtTheirFractions) {
    auto v = selector();
    struct Case {
        UIButton* button;
        const char* title;
        int tag;
        double fraction;
    };
    for (const Case& c : {Case{&v->modeButton(), "Mode", TypeController::TypeSelectionMode, 0.15},
                          Case{&v->adjustButton(), "Adjust", TypeController::TypeSelectionAdjust, 0.5},
                          Case{&v->colorButton(), "Color", TypeController::TypeSelectionColor, 0.85}}) {
        EXPECT_EQ(c.button->currentTitle(), c.title);
        EXPECT_EQ(c.button->tag(), c.tag) << c.title;
        EXPECT_NEAR(c.button->center().x, 375 * c.fraction, 1e-9) << c.title;
        EXPECT_NEAR(c.button->center().y, 25, 1e-9) << c.title;
        EXPECT_GT(c.button->bounds().size.width, 0) << c.title << " sized to its title";
    }
    EXPECT_EQ(v->subviews().front().get(), &v->selectView()) << "the highlight lies below the buttons";
    EXPECT_EQ(v->type(), 0);
}

TEST_F(TypeSelectViewTest, TapsReportEachChangeOnceAndTheHighlightSpringsToTheButton) {
    auto v = selector();
    v->setType(TypeController::TypeSelectionMode);
    EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{0, 2}})) << "the first choice reports kind 0";
    advance(0.3);
    EXPECT_NEAR(v->selectView().center().x, v->modeButton().center().x, 1e-6);

    tap(centerOf(v->adjustButton()));
    EXPECT_EQ(v->type(), TypeController::TypeSelectionAdjust);
    EXPECT_EQ(told.back(), std::make_pair(2, 3));
    EXPECT_NEAR(v->selectView().center().x, v->adjustButton().center().x, 1e-6) << "the model moves at once";
    advance(0.1);
    const double midway = v->selectView().layer()->presentationLayer()->position().x;
    EXPECT_GT(midway, v->modeButton().center().x + 1);
    EXPECT_LT(midway, v->adjustButton().center().x + 20) << "still springing at 0.1 s";
    advance(0.2);
    EXPECT_NEAR(v->selectView().layer()->presentationLayer()->position().x, v->adjustButton().center().x, 0.5);

    // The chosen kind again: nothing at all, not even an animation.
    const std::size_t before = told.size();
    tap(centerOf(v->adjustButton()));
    EXPECT_EQ(told.size(), before);
    EXPECT_TRUE(v->selectView().layer()->animationKeys().empty());

    tap(centerOf(v->colorButton()));
    EXPECT_EQ(told.back(), std::make_pair(3, 1));
    int selectCalls = 0;
    v->setSelectBlock([&](int) { ++selectCalls; });
    tap(centerOf(v->colorButton()));
    tap(centerOf(v->modeButton()));
    EXPECT_EQ(selectCalls, 0) << "no control opens the menus";
}

TEST_F(TypeSelectViewTest, HighlightIsARoundedOutlineSizedForTheDevice) {
    struct Case {
        UIDeviceProfile profile;
        CGFloat width;
        CGFloat fontSize;
    };
    for (const Case& c : {Case{UIDeviceProfile::phone(), 60, AppAppearance::defaultFont().pointSize()},
                          Case{UIDeviceProfile::pad(), 80, 15.0}}) {
        UIDeviceProfile::setCurrent(c.profile);
        TypeSelectView v(CGRectMake(0, 0, 375, 50));
        EXPECT_EQ(v.selectView().bounds().size, CGSizeMake(c.width, 40));
        EXPECT_EQ(v.selectView().layer()->cornerRadius(), 8.0);
        EXPECT_EQ(v.selectView().layer()->borderWidth(), 2.0);
        EXPECT_EQ(v.modeButton().titleLabel()->font().pointSize(), c.fontSize);
        EXPECT_EQ(v.selectView().layer()->borderColor(), AppAppearance::defaultTintColor().CGColor());
    }
    UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    TypeSelectView v;
    v.setSelectViewColor(UIColor::redColor(), false);
    EXPECT_EQ(v.selectView().layer()->borderColor(), UIColor::redColor().CGColor());
    EXPECT_FALSE(v.selectView().backgroundColor() && v.selectView().backgroundColor()->alpha() > 0)
        << "never filled in the application";
    v.setUseSolidColor(true);
    v.setSelectViewColor(UIColor::blueColor());
    EXPECT_EQ(v.selectView().layer()->borderWidth(), 0);
    EXPECT_EQ(v.selectView().backgroundColor()->CGColor(), UIColor::blueColor().CGColor());
}

TEST_F(TypeSelectViewTest, ScreenshotShowsTheOutlineInTheKindsColourAroundTheChosenButton) {
    window->setBackgroundColor(UIColor::blackColor());
    auto v = selector();
    v->setType(TypeController::TypeSelectionAdjust);
    v->setSelectViewColor(UIColor::greenColor(), true);
    advance(0.5);
    const CGPoint c = centerOf(v->adjustButton());
    auto shot = screenshot();
    // The outline's top edge (2 pt), away from the title.
    expectColor(meanAt(shot, CGRectMake(c.x - 10, c.y - 20 + 0.25, 20, 1.5)), UIColor::greenColor().CGColor(),
                "outline", 0.1);
    const CGColor inside = meanAt(shot, CGRectMake(c.x - 28, c.y - 4, 4, 8));
    EXPECT_LT(inside.g, 0.2) << "the middle is not filled";
    const CGColor mode = meanAt(shot, CGRectMake(centerOf(v->modeButton()).x - 10, c.y - 20 + 0.25, 20, 1.5));
    EXPECT_LT(mode.g, 0.2) << "no outline around the other buttons";
}

}  // namespace
