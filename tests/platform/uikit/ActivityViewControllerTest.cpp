// The share sheet: which activities it lists, the run of a chosen one (prepare, its controller
// or perform, finish, completion), cancelling, the pad's panel at the anchor, and the
// platform's "Save to Pictures" with its notice of where the copy went.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINoticePresentation.h"
#include "platform/uikit/UISaveToPicturesActivity.h"
#include "support/OpenerFixture.h"

namespace {

namespace fs = std::filesystem;

// An activity that logs what the sheet asks of it and finishes when told.
class LoggingActivity : public UIActivity {
public:
    LoggingActivity(std::string type, bool canPerform, std::vector<std::string>* log, bool withController = false)
        : type_(std::move(type)), canPerform_(canPerform), log_(log), withController_(withController) {}
    std::string activityType() const override { return type_; }
    std::string activityTitle() const override { return "Title " + type_; }
    bool canPerformWithActivityItems(const UIActivityItems&) override { return canPerform_; }
    void prepareWithActivityItems(const UIActivityItems& items) override {
        log_->push_back("prepare " + std::to_string(items.size()));
    }
    std::shared_ptr<UIViewController> activityViewController() override {
        if (!withController_) return nullptr;
        controller = std::make_shared<UIViewController>();
        return controller;
    }
    void performActivity() override { log_->push_back("perform"); }

    std::shared_ptr<UIViewController> controller;

private:
    std::string type_;
    bool canPerform_;
    std::vector<std::string>* log_;
    bool withController_;
};

class ActivityViewControllerTest : public OpenerFixture {
protected:
    std::shared_ptr<UIActivityViewController> sheetWith(UIActivityItems items,
                                                        std::vector<std::shared_ptr<UIActivity>> activities) {
        auto sheet = std::make_shared<UIActivityViewController>(std::move(items), std::move(activities));
        sheet->setCompletionHandler([this](const std::string& type, bool completed, const NSErrorPtr& error) {
            log.push_back("completion " + type + (completed ? " yes" : " no"));
            if (error) log.push_back("error " + error->localizedDescription() + " " + error->localizedFailureReason());
        });
        return sheet;
    }
    fs::path photo() {
        const fs::path path = root / "tmp" / "Photo.jpg";
        std::ofstream(path, std::ios::binary) << "pixels";
        return path;
    }
    std::vector<std::string> log;
};

TEST_F(ActivityViewControllerTest, ListsTheActivitiesThatCanRunAndAreNotExcluded) {
    auto a = std::make_shared<LoggingActivity>("a", true, &log);
    auto b = std::make_shared<LoggingActivity>("b", false, &log);
    auto c = std::make_shared<LoggingActivity>("c", true, &log);
    struct Case {
        UIActivityItems items;
        std::vector<std::string> excluded;
        std::vector<std::string> titles;
    } cases[] = {
        {{std::string("text")}, {}, {"Title a", "Title c", "Cancel"}},
        {{NSURL::fileURLWithPath(photo())}, {}, {"Title a", "Title c", "Save to Pictures", "Cancel"}},
        {{NSURL::fileURLWithPath(photo())}, {"a", UIActivityTypeSaveToPictures}, {"Title c", "Cancel"}},
        {{NSURL::fileURLWithPath((root / "missing.jpg").string())}, {}, {"Title a", "Title c", "Cancel"}},
    };
    for (auto& c0 : cases) {
        auto sheet = sheetWith(c0.items, {a, b, c});
        sheet->setExcludedActivityTypes(c0.excluded);
        rootController->presentViewController(sheet, true);
        EXPECT_EQ(shownTitles(), c0.titles);
        EXPECT_EQ(sheet->sheet(), UIAlertPresentation::shown());
        ui->key("Escape");
        loop.runUntilIdle();
        EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    }
    EXPECT_EQ(log, std::vector<std::string>(4, "completion  no")) << "Esc cancels, with no activity";
}

TEST_F(ActivityViewControllerTest, AChosenActivityIsPreparedPerformedAndFinishedOnce) {
    auto activity = std::make_shared<LoggingActivity>("a", true, &log);
    rootController->presentViewController(sheetWith({std::string("x"), std::string("y")}, {activity}), true);
    choose("Title a");
    EXPECT_EQ(log, (std::vector<std::string>{"prepare 2", "perform"}));
    activity->activityDidFinish(true);
    activity->activityDidFinish(false);
    EXPECT_EQ(log, (std::vector<std::string>{"prepare 2", "perform", "completion a yes"}));
}

TEST_F(ActivityViewControllerTest, AnActivityControllerIsPresentedUntilTheActivityFinishes) {
    auto activity = std::make_shared<LoggingActivity>("a", true, &log, true);
    rootController->presentViewController(sheetWith({std::string("x")}, {activity}), true);
    choose("Title a");
    advance(0.5);
    ASSERT_TRUE(activity->controller);
    EXPECT_EQ(rootController->presentedViewController(), activity->controller.get());
    EXPECT_EQ(log, std::vector<std::string>{"prepare 1"}) << "a controller instead of perform";
    activity->activityDidFinish(false);
    advance(0.5);
    EXPECT_EQ(rootController->presentedViewController(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"prepare 1", "completion a no"}));
}

TEST_F(ActivityViewControllerTest, OnThePadTheSheetIsAPanelAtItsAnchor) {
    ui.reset();
    window.reset();
    UIDeviceProfile::setCurrent(UIDeviceProfile::pad());
    ui = std::make_unique<TouchHarness>(UIDeviceProfile::pad());
    window = ui->window;
    rootController = std::make_shared<UIViewController>();
    window->setRootViewController(rootController);
    auto anchor = std::make_shared<UIView>(CGRectMake(600, 40, 80, 44));
    rootController->view()->addSubview(anchor);
    auto sheet = sheetWith({std::string("x")}, {std::make_shared<LoggingActivity>("a", true, &log)});
    sheet->setPopoverSource(anchor, anchor->bounds());
    rootController->presentViewController(sheet, true);
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isPanel());
    EXPECT_EQ(shown->anchorView.lock(), anchor);
    const CGRect button = shown->buttonFrame(0);
    EXPECT_GT(CGRectGetMinY(button), 84 - 1) << "below the anchor";
    EXPECT_TRUE(CGRectIsEmpty(shown->buttonFrame(shown->cancelIndex()))) << "the panel has no cancel button";
}

TEST_F(ActivityViewControllerTest, SaveToPicturesCopiesUnderAUniqueNameOrSaysWhyNot) {
    const fs::path pictures = root / "My Pictures";
    std::ofstream(root / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << pictures.string() << "\"\n";
    EXPECT_EQ(UISaveToPicturesActivity::picturesDirectory(), pictures);
    const fs::path file = photo();
    for (const char* name : {"Photo.jpg", "Photo 2.jpg", "Photo 3.jpg"}) {
        rootController->presentViewController(sheetWith({NSURL::fileURLWithPath(file)}, {}), true);
        choose("Save to Pictures");
        EXPECT_EQ(UINoticePresentation::shownText(), "Saved to " + (pictures / name).string()) << "where it went";
    }
    EXPECT_EQ(log, std::vector<std::string>(3, "completion " + UIActivityTypeSaveToPictures + " yes"));
    for (const char* name : {"Photo.jpg", "Photo 2.jpg", "Photo 3.jpg"}) {
        std::ifstream in(pictures / name, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "pixels") << name;
    }

    // A folder that cannot take the file: the run fails with the reason, and no notice.
    ui->advance(UINoticePresentation::kShownFor + UINoticePresentation::kFadeDuration + 0.1);
    ASSERT_EQ(UINoticePresentation::shownText(), "");
    fs::remove_all(pictures);
    std::ofstream(pictures) << "not a folder";
    log.clear();
    rootController->presentViewController(sheetWith({NSURL::fileURLWithPath(file)}, {}), true);
    choose("Save to Pictures");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "completion " + UIActivityTypeSaveToPictures + " no");
    EXPECT_EQ(log[1].rfind("error The photo could not be saved to Pictures. " + pictures.string() + ": ", 0), 0u)
        << log[1];
    EXPECT_EQ(UINoticePresentation::shownText(), "");
}

}  // namespace
