// The short notice on the manual clock: shown low over the key window where it can be seen and
// read, taking no touches, faded out after its time; a newer notice takes the place of an older
// one and keeps its own time; paths named plainly, under the home folder as "~/…".
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UINoticePresentation.h"
#include "support/TouchHarness.h"

namespace {

TEST(NoticePresentationTest, ShowsOverTheWindowWithoutTakingTouchesAndFadesAfterItsTime) {
    TouchHarness ui;
    std::vector<UIControlEvents> sent;
    auto button = addButton(*ui.window, ui.window->bounds());
    button->setBackgroundColor(UIColor::whiteColor());
    recordControlEvents(*button, {UIControlEventTouchUpInside}, sent);

    UINoticePresentation::show("Saved to ~/Pictures/Photo.jpg");
    EXPECT_EQ(UINoticePresentation::shownText(), "Saved to ~/Pictures/Photo.jpg");
    UIView* box = UINoticePresentation::shownView();
    ASSERT_NE(box, nullptr);
    const CGRect frame = box->frame(), screen = ui.window->bounds();
    EXPECT_EQ(box->superview(), ui.window.get());
    EXPECT_NEAR(CGRectGetMidX(frame), CGRectGetMidX(screen), 1) << "centred";
    EXPECT_NEAR(CGRectGetMaxY(frame), screen.size.height * UINoticePresentation::kBottom, 1);
    EXPECT_LE(frame.size.width, UINoticePresentation::kMaximumWidth);
    // Dark, on the white screen: it can be seen.
    const CGColor inside = ui.meanColor(CGRectInset(frame, 2, 2));
    EXPECT_LT(inside.r + inside.g + inside.b, 1.5) << "the box shows over the screen";

    ui.tap(CGRectGetMidX(frame), CGRectGetMidY(frame));
    EXPECT_EQ(sent.size(), 1u) << "a tap on the notice reaches what lies below it";

    ui.advance(UINoticePresentation::kShownFor - 0.1);
    EXPECT_EQ(UINoticePresentation::shownText(), "Saved to ~/Pictures/Photo.jpg") << "still shown";
    ui.advance(0.1 + UINoticePresentation::kFadeDuration + 0.05);
    EXPECT_EQ(UINoticePresentation::shownText(), "");
    EXPECT_EQ(UINoticePresentation::shownView(), nullptr);
    const CGColor after = ui.meanColor(CGRectInset(frame, 2, 2));
    EXPECT_GT(after.r + after.g + after.b, 2.9) << "gone from the screen";
}

TEST(NoticePresentationTest, ANewerNoticeTakesThePlaceOfAnOlderOneAndKeepsItsOwnTime) {
    TouchHarness ui;
    UINoticePresentation::show("first");
    ui.advance(UINoticePresentation::kShownFor - 1);
    UINoticePresentation::show("a second, longer notice that takes more than one line to say where the file went");
    ASSERT_EQ(ui.window->subviews().size(), 1u) << "the first notice is gone";
    EXPECT_EQ(ui.window->subviews()[0].get(), UINoticePresentation::shownView());
    EXPECT_GT(UINoticePresentation::shownView()->frame().size.height, 50) << "the long text wraps";
    ui.advance(1 + UINoticePresentation::kFadeDuration + 0.1);
    EXPECT_NE(UINoticePresentation::shownText(), "") << "the first notice's time does not end the second";
    ui.advance(UINoticePresentation::kShownFor);
    EXPECT_EQ(UINoticePresentation::shownText(), "");
    EXPECT_TRUE(ui.window->subviews().empty());
}

TEST(NoticePresentationTest, PathsUnderTheHomeFolderAreNamedFromIt) {
    const char* saved = std::getenv("HOME");
    const std::optional<std::string> home = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("HOME", "/home/ann", 1);
    struct Case {
        std::string path, named;
    } cases[] = {
        {"/home/ann/Pictures/Photo 2.jpg", "~/Pictures/Photo 2.jpg"},
        {"/home/ann/./shots/../shots/a.png", "~/shots/a.png"},
        {"/home/ann", "~"},
        {"/home/anna/a.png", "/home/anna/a.png"},
        {"/tmp/./shots/a.png", "/tmp/shots/a.png"},
        {"shots/a.png", "shots/a.png"},
    };
    for (const auto& c : cases) EXPECT_EQ(UINoticePresentation::displayPath(c.path), c.named) << c.path;
    if (home) ::setenv("HOME", home->c_str(), 1);
    else ::unsetenv("HOME");
}

}  // namespace
