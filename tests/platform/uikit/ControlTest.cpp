// Controls, labels and picture views: a button's events by synthetic touches, the switch and
// the slider, labels measuring and wrapping, and template pictures drawn in the inherited tint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UISwitch.h"
#include "support/ImageRegions.h"
#include "support/TouchHarness.h"

namespace {

class ControlTest : public ::testing::Test {
protected:
    // A view of the window at its top-left corner, for controls to sit in.
    std::shared_ptr<UIView> root(CGSize size) {
        auto view = std::make_shared<UIView>(CGRect{{0, 0}, size});
        ui.window->addSubview(view);
        return view;
    }
    void tap(CGPoint p) { ui.tap(p.x, p.y); }

    // Records every event of the control by name.
    void record(UIControl& control) {
        const std::vector<std::pair<UIControlEvents, std::string>> names = {
            {UIControlEventTouchDown, "down"},
            {UIControlEventTouchDragExit, "exit"},
            {UIControlEventTouchDragEnter, "enter"},
            {UIControlEventTouchUpInside, "up-inside"},
            {UIControlEventTouchUpOutside, "up-outside"},
            {UIControlEventTouchCancel, "cancel"},
            {UIControlEventValueChanged, "changed"}};
        for (const auto& [event, name] : names)
            control.addTarget(
                this, [this, name](UIControl&, const UIEvent*) { events.push_back(name); }, event);
    }

    CGImageRef shot(UIView& root) { return CACompositor::compose(*root.layer(), root.bounds().size, 2); }

    TouchHarness ui;
    std::vector<std::string> events;
};

// A 20 x 20 white disc on transparency: a picture whose look is its alpha alone.
UIImagePtr discImage() {
    UIGraphicsBeginImageContextWithOptions({20, 20}, false, 2);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), {1, 1, 1, 1});
    CGContextFillEllipseInRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 20, 20));
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

TEST_F(ControlTest, ButtonEventsFollowTheFinger) {
    struct Case {
        const char* name;
        std::vector<CGPoint> path;  // down at the first point, moved through the rest
        bool cancel;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"tap", {{50, 20}}, false, {"down", "up-inside"}},
        {"dragged out and lifted", {{50, 20}, {150, 20}}, false, {"down", "exit", "up-outside"}},
        {"out and back in", {{50, 20}, {150, 20}, {60, 20}}, false, {"down", "exit", "enter", "up-inside"}},
        {"cancelled", {{50, 20}}, true, {"down", "cancel"}},
    };
    for (const Case& c : cases) {
        auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 100, 30));
        root({200, 100})->addSubview(button);
        record(*button);
        events.clear();
        ui.driver->touchDown(0, c.path.front());
        EXPECT_TRUE(button->isHighlighted()) << c.name;
        for (std::size_t i = 1; i < c.path.size(); ++i) ui.driver->touchMove(0, c.path[i]);
        c.cancel ? ui.driver->touchCancel(0, c.path.back()) : ui.driver->touchUp(0, c.path.back());
        EXPECT_EQ(events, c.expected) << c.name;
        EXPECT_FALSE(button->isHighlighted()) << c.name;
        EXPECT_FALSE(button->isTracking()) << c.name;
    }
}

TEST_F(ControlTest, DisabledButtonSendsNothingAndDisablingMidTouchEndsIt) {
    auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 100, 30));
    root({200, 100})->addSubview(button);
    record(*button);
    button->setEnabled(false);
    tap({50, 20});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(button->state(), UIControlStateDisabled);

    button->setEnabled(true);
    ui.driver->touchDown(0, {50, 20});
    button->setEnabled(false);
    ui.driver->touchUp(0, {50, 20});
    EXPECT_EQ(events, (std::vector<std::string>{"down"})) << "no up after being disabled";
}

TEST_F(ControlTest, RemovedTargetsStopAndSeveralActionsAllRun) {
    auto button = std::make_shared<UIButton>(CGRectMake(0, 0, 40, 40));
    ui.window->addSubview(button);
    int a = 0, b = 0;
    int targetA = 0, targetB = 0;
    button->addTarget(
        &targetA, [&](UIControl&, const UIEvent*) { ++a; }, UIControlEventTouchUpInside);
    button->addTarget(
        &targetB, [&](UIControl&, const UIEvent*) { ++b; }, UIControlEventTouchUpInside);
    tap({20, 20});
    EXPECT_EQ(a + b, 2);
    button->removeTarget(&targetA, UIControlEventTouchUpInside);
    tap({20, 20});
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
}

TEST_F(ControlTest, ButtonShowsTheStatesTitleAndLaysOutImageBesideTitle) {
    auto button = std::make_shared<UIButton>(CGRectMake(0, 0, 200, 44));
    button->setTitle("Normal", UIControlStateNormal);
    button->setTitle("Pressed", UIControlStateHighlighted);
    button->setImage(discImage(), UIControlStateNormal);
    EXPECT_EQ(button->titleLabel()->text(), "Normal");
    button->setHighlighted(true);
    EXPECT_EQ(button->titleLabel()->text(), "Pressed");
    EXPECT_EQ(button->currentImage(), button->imageForState(UIControlStateNormal)) << "falls back to normal";
    button->setHighlighted(false);
    button->layoutIfNeeded();
    const CGRect image = button->imageView()->frame(), title = button->titleLabel()->frame();
    EXPECT_EQ(image.size, (CGSize{20, 20}));
    EXPECT_NEAR(CGRectGetMaxX(image), title.origin.x, 1e-9) << "title right after the picture";
    EXPECT_NEAR((image.origin.x + CGRectGetMaxX(title)) / 2, 100, 1) << "centred as one block";

    button->setContentHorizontalAlignment(UIControlContentHorizontalAlignment::Left);
    button->setImageEdgeInsets(UIEdgeInsetsMake(0, 6, 0, 0));
    button->layoutIfNeeded();
    EXPECT_NEAR(button->imageView()->frame().origin.x, 6, 1e-9);

    button->sizeToFit();
    EXPECT_NEAR(button->bounds().size.width, 20 + button->titleLabel()->sizeThatFits({0, 0}).width, 1e-9);
}

TEST_F(ControlTest, TemplatePictureFollowsAnAncestorsNewTint) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 60, 60));
    auto middle = std::make_shared<UIView>(CGRectMake(0, 0, 60, 60));
    auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 40, 40));
    button->setImage(discImage()->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate), UIControlStateNormal);
    middle->addSubview(button);
    root->addSubview(middle);
    root->setTintColor(UIColor::redColor());
    const CGRect centre{{26, 26}, {8, 8}};
    expectColor(meanColorInPoints(shot(*root), centre, 2), {1, 0, 0, 1}, "red from the root");
    root->setTintColor(UIColor::greenColor());
    expectColor(meanColorInPoints(shot(*root), centre, 2), {0, 1, 0, 1}, "green after the root's change");
    middle->setTintColor(UIColor::blueColor());
    root->setTintColor(UIColor::redColor());
    expectColor(meanColorInPoints(shot(*root), centre, 2), {0, 0, 1, 1}, "the nearer ancestor's tint wins");
    expectColor(meanColorInPoints(shot(*root), {{1, 1}, {6, 6}}, 2), {0, 0, 0, 0}, "nothing outside the disc");
}

TEST_F(ControlTest, PictureViewPlacesByContentModeAndClipsWhenAsked) {
    struct Case {
        const char* name;
        UIViewContentMode mode;
        bool clips;
        CGRect red, empty;  // regions of a 60 x 20 view (points)
    };
    const Case cases[] = {
        {"fill stretches", UIViewContentMode::ScaleToFill, false, {{2, 2}, {56, 16}}, {{0, 0}, {0, 0}}},
        {"fit leaves the sides", UIViewContentMode::ScaleAspectFit, false, {{22, 2}, {16, 16}}, {{2, 2}, {14, 16}}},
        {"centre overflows", UIViewContentMode::Center, false, {{22, 0}, {16, 20}}, {{0, 0}, {18, 20}}},
    };
    for (const Case& c : cases) {
        auto host = std::make_shared<UIView>(CGRectMake(0, 0, 60, 60));
        auto view = std::make_shared<UIImageView>(CGRectMake(0, 20, 60, 20));
        view->setImage(discImage()->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate));
        view->setTintColor(UIColor::redColor());
        view->setContentMode(c.mode);
        view->setClipsToBounds(c.clips);
        host->addSubview(view);
        const CGImageRef image = shot(*host);
        auto inView = [](CGRect r) { return CGRectOffset(r, 0, 20); };
        EXPECT_GT(meanColorInPoints(image, inView(CGRectInset(c.red, 4, 4)), 2).r, 0.9) << c.name;
        if (c.empty.size.width > 0) {
            EXPECT_LT(meanColorInPoints(image, inView(c.empty), 2).a, 0.01) << c.name;
        }
    }
    // A 20-point disc centred in a 10-point-high view: clipping cuts what overflows.
    auto host = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    auto view = std::make_shared<UIImageView>(CGRectMake(0, 15, 40, 10));
    view->setImage(discImage());
    view->setContentMode(UIViewContentMode::Center);
    host->addSubview(view);
    EXPECT_GT(meanColorInPoints(shot(*host), {{18, 11}, {4, 3}}, 2).a, 0.9) << "overflows above";
    view->setClipsToBounds(true);
    EXPECT_EQ(meanColorInPoints(shot(*host), {{18, 11}, {4, 3}}, 2).a, 0) << "clipped";
}

TEST_F(ControlTest, LabelTakesMoreLinesInANarrowerWidth) {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 300, 20));
    label->setText("The quick brown fox jumps over the lazy dog");
    const CGSize one = label->sizeThatFits({300, 0});
    label->setNumberOfLines(0);
    const CGSize wide = label->sizeThatFits({300, 0});
    const CGSize narrow = label->sizeThatFits({100, 0});
    EXPECT_GE(narrow.height, 3 * one.height - 1) << "at least three lines at 100 points";
    EXPECT_LE(narrow.width, 100);
    EXPECT_LT(wide.height, narrow.height);
    label->setNumberOfLines(2);
    EXPECT_NEAR(label->sizeThatFits({100, 0}).height, 2 * one.height, 2) << "two lines at most";
    label->setLineSpacing(10);
    EXPECT_NEAR(label->sizeThatFits({100, 0}).height, 2 * one.height + 10, 2) << "the spacing between them";

    label->setLineSpacing(0);
    label->setNumberOfLines(0);
    label->setFrame(CGRectMake(0, 0, 100, 10));
    label->sizeToFit();
    EXPECT_EQ(label->bounds().size, narrow) << "sized in its width";
}

TEST_F(ControlTest, LabelDrawsItsColourCentredAndItsShadow) {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 200, 60));
    label->setText("MMMM");
    label->setFont(UIFont::boldSystemFontOfSize(30));
    label->setTextAlignment(NSTextAlignment::Center);
    label->setTextColor(UIColor::redColor());
    CGImageRef image = shot(*label);
    const CGColor middle = meanColorInPoints(image, {{60, 15}, {80, 30}}, 2);
    EXPECT_GT(middle.a, 0.2) << "text in the middle";
    EXPECT_NEAR(middle.r, 1, 0.05);
    EXPECT_LT(meanColorInPoints(image, {{0, 0}, {30, 60}}, 2).a, 0.01) << "nothing at the left edge";
    label->setShadowColor(UIColor::blueColor());
    label->setShadowOffset({0, 8});
    EXPECT_GT(meanColorInPoints(shot(*label), {{60, 15}, {80, 30}}, 2).b, 0.05) << "the shadow shows";
}

TEST_F(ControlTest, SwitchFlipsOnTapAndSliderFollowsTheFinger) {
    auto area = root({320, 100});
    auto toggle = std::make_shared<UISwitch>(CGRectMake(10, 10, 0, 0));
    area->addSubview(toggle);
    record(*toggle);
    EXPECT_EQ(toggle->bounds().size, (CGSize{51, 31}));
    tap({30, 25});
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(events, (std::vector<std::string>{"down", "changed", "up-inside"}));
    toggle->setOn(false);
    EXPECT_EQ(events.size(), 3u) << "setting it sends nothing";

    events.clear();
    auto slider = std::make_shared<UISlider>(CGRectMake(0, 50, 228, 40));
    area->addSubview(slider);
    record(*slider);
    ui.driver->touchDown(0, {114, 70});
    EXPECT_NEAR(slider->value(), 0.5, 1e-6);
    ui.driver->touchMove(0, {214, 70});
    EXPECT_NEAR(slider->value(), 1, 1e-6);
    ui.driver->touchMove(0, {400, 70});
    ui.driver->touchUp(0, {400, 70});
    EXPECT_EQ(std::count(events.begin(), events.end(), "changed"), 2) << "once per change while continuous";
    slider->setMinimumValue(2);
    EXPECT_EQ(slider->value(), 2) << "clamped into the new range";
}

}  // namespace
