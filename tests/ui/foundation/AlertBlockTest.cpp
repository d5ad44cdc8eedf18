// Alerts, sheets and bar items answering blocks, driven by synthetic taps and keys on the
// manual clock: the shown alert read back, buttons tapped by title or index, Esc, the queue of
// a second alert, the pad's panel and the dimmed, tinted picture.
#include <gtest/gtest.h>

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "support/AlertHarness.h"
#include "ui/foundation/UIActionSheet+BlockUtility.h"
#include "ui/foundation/UIAlertView+BlockUtility.h"
#include "ui/foundation/UIBarButtonItem+BlockUtility.h"

namespace {

using Answers = std::vector<int>;

class AlertBlockTest : public ::testing::Test {
protected:
    void SetUp() override { ui = std::make_unique<TouchHarness>(); }
    void TearDown() override {
        UIAlertController::setAppearanceTintColor(std::nullopt);
        ui.reset();
    }
    void tapButton(int index) { tapAlertButton(*ui, index); }
    void tapButton(const std::string& title) { tapAlertButton(*ui, title); }
    std::shared_ptr<UIAlertView> alert(const std::string& title, Answers& answers) {
        auto a = UIAlertView::alertView(title, "To go on, choose.", nullptr, "Dismiss", {"Settings"});
        BlockUtility::setBlock(*a, [&answers](UIAlertView&, int index) { answers.push_back(index); });
        return a;
    }
    std::unique_ptr<TouchHarness> ui;
};

}  // namespace

TEST_F(AlertBlockTest, AnAlertIsReadBackAnsweredByTitleOrEscAndASecondOneWaits) {
    Answers first, second;
    alert("Access Required", first)->show();
    alert("Share Error", second)->show();
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title, "Access Required");
    EXPECT_EQ(shown->message, "To go on, choose.");
    ASSERT_EQ(shown->buttons.size(), 2u);
    EXPECT_EQ(shown->buttons[0].title, "Dismiss");
    EXPECT_EQ(shown->buttons[1].title, "Settings");
    EXPECT_EQ(UIAlertPresentation::waitingCount(), 1u);

    tapButton("Settings");
    EXPECT_EQ(first, Answers{1});
    ASSERT_NE(UIAlertPresentation::shown(), nullptr);
    EXPECT_EQ(UIAlertPresentation::shown()->title, "Share Error") << "the second follows";
    ui->key("Escape");
    EXPECT_EQ(second, Answers{0}) << "Esc answers the cancel index";
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    ui->key("Escape");
    EXPECT_EQ(first.size() + second.size(), 2u);
    // A second setBlock replaces the first.
    Answers replaced, kept;
    auto a = alert("Again", replaced);
    BlockUtility::setBlock(*a, [&kept](UIAlertView&, int index) { kept.push_back(index); });
    a->show();
    tapButton(0);
    EXPECT_TRUE(replaced.empty());
    EXPECT_EQ(kept, Answers{0});

    // Dismissed without a tap, the delegate hears only of the dismissal.
    struct Delegate : UIAlertViewDelegate {
        Answers clicked, dismissed;
        void alertViewClickedButtonAtIndex(UIAlertView&, int i) override { clicked.push_back(i); }
        void alertViewDidDismissWithButtonIndex(UIAlertView&, int i) override { dismissed.push_back(i); }
    };
    auto delegate = std::make_shared<Delegate>();
    auto quiet = UIAlertView::alertView("Quiet", "", delegate, "OK");
    quiet->show();
    quiet->dismissWithClickedButtonIndex(0, true);
    EXPECT_TRUE(delegate->clicked.empty());
    EXPECT_EQ(delegate->dismissed, Answers{0});
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
}

TEST_F(AlertBlockTest, AShownAlertDimsTheScreenAndDrawsItsButtonsInTheAlertTint) {
    ui->window->setBackgroundColor(UIColor::whiteColor());
    UIAlertController::setAppearanceTintColor(UIColor::redColor());
    Answers answers;
    alert("Access Required", answers)->show();
    const CGImageRef shot = ui->screenshot();
    expectColor(meanColorInPoints(shot, {{10, 10}, {40, 40}}, 2), {0.6, 0.6, 0.6, 1}, "dimmed corner");
    const CGRect settings = UIAlertPresentation::shown()->buttonFrame(1);
    EXPECT_NEAR(CGRectGetMidX(settings), 375.0 / 2 + 270.0 / 4, 0.5) << "two buttons side by side";
    // The title's pixels are red where the button's text lies; the panel around is light.
    const CGColor text = meanColorInPoints(shot, CGRectInset(settings, 40, 12), 2);
    EXPECT_GT(text.r - text.g, 0.1);
    const CGColor panel = meanColorInPoints(shot, {{CGRectGetMidX(settings) - 60, settings.origin.y - 8}, {120, 4}}, 2);
    EXPECT_GT(panel.g, 0.9);
    tapButton(0);
}

TEST_F(AlertBlockTest, SheetsAnswerTheirIndicesAndOnThePadAPanelAnswersATapOutsideWithCancel) {
    struct Case {
        bool pad;
    } cases[] = {{false}, {true}};
    for (const Case& c : cases) {
        ui.reset();
        ui = std::make_unique<TouchHarness>(c.pad ? UIDeviceProfile::pad() : UIDeviceProfile::phone());
        auto anchor = std::make_shared<UIView>(CGRectMake(300, 100, 80, 44));
        ui->window->addSubview(anchor);
        Answers answers;
        auto sheet = UIActionSheet::actionSheet("", nullptr, "Cancel", "Delete", {"Original", "Square"});
        BlockUtility::setBlock(*sheet, [&](UIActionSheet&, int index) { answers.push_back(index); });
        EXPECT_EQ(sheet->cancelButtonIndex(), 3);
        sheet->showFromRect(anchor->bounds(), anchor, true);
        tapButton("Square");
        EXPECT_EQ(answers, Answers{2});
        sheet->showFromRect(anchor->bounds(), anchor, true);
        const CGRect cancel = UIAlertPresentation::shown()->buttonFrame(3);
        if (c.pad) {
            EXPECT_TRUE(CGRectIsEmpty(cancel)) << "no cancel button on the pad";
            EXPECT_NEAR(UIAlertPresentation::shown()->buttonFrame(0).origin.y, 144, 0.5) << "under the anchor";
            ui->tap(20, 900);
        } else {
            EXPECT_NEAR(CGRectGetMaxY(cancel), 667 - 8, 0.5) << "the cancel button at the bottom";
            ui->tap(20, 20);  // outside does nothing on the phone
            EXPECT_EQ(answers.size(), 1u);
            tapButton(3);
        }
        EXPECT_EQ(answers, (Answers{2, 3}));
    }
}

TEST_F(AlertBlockTest, AlertControllersAndBarItemsRunTheirBlocks) {
    auto root = std::make_shared<UIViewController>();
    auto nav = std::make_shared<UINavigationController>(root);
    ui->window->setRootViewController(nav);
    std::vector<NSObject*> senders;
    auto item = BlockUtility::initWithBarButtonSystemItem(UIBarButtonSystemItem::Trash,
                                                          [&](NSObject& sender) { senders.push_back(&sender); });
    root->navigationItem().setRightBarButtonItem(item);
    ui->window->layoutIfNeeded();
    const CGRect r = item->view()->convertRectToView(item->view()->bounds(), nullptr);
    ui->tap(CGRectGetMidX(r), CGRectGetMidY(r));
    EXPECT_EQ(senders, std::vector<NSObject*>{item.get()});

    std::vector<std::string> handled;
    auto controller = UIAlertController::alertControllerWithTitle("Delete?", "", UIAlertControllerStyle::Alert);
    for (const char* title : {"Keep", "Delete"})
        controller->addAction(UIAlertAction::actionWithTitle(
            title, std::string(title) == "Keep" ? UIAlertActionStyle::Cancel : UIAlertActionStyle::Destructive,
            [&](UIAlertAction& a) { handled.push_back(a.title()); }));
    root->presentViewController(controller, true);
    ASSERT_NE(UIAlertPresentation::shown(), nullptr);
    EXPECT_EQ(UIAlertPresentation::shown()->title, "Delete?");
    tapButton("Delete");
    EXPECT_EQ(handled, std::vector<std::string>{"Delete"});
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
}

TEST_F(AlertBlockTest, AnAlertLeftOnAWindowThatWentAwayDoesNotHoldBackTheNext) {
    Answers left, next;
    alert("Left", left)->show();
    ui.reset();  // the window goes, with the alert on it
    ui = std::make_unique<TouchHarness>();
    alert("Next", next)->show();
    ASSERT_NE(UIAlertPresentation::shown(), nullptr);
    EXPECT_EQ(UIAlertPresentation::shown()->title, "Next");
    tapButton("Settings");
    EXPECT_EQ(next, Answers{1});
    EXPECT_TRUE(left.empty());
}
