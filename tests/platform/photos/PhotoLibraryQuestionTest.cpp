// The library's own question before a photo is reverted or deleted: the alert over the window,
// its texts and buttons, tapped while the application ignores touches; refused, the change
// answers NO and alters nothing; changes performed meanwhile wait behind it; an alert that goes
// away unanswered refuses.
#include "PhotoLibraryFixture.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "support/TouchHarness.h"

namespace phototest {
namespace {

using Kind = PHPhotoLibrary::Question::Kind;

class PhotoLibraryQuestionTest : public PhotoLibraryFixture {
public:
    void SetUp() override {
        PhotoLibraryFixture::SetUp();
        ui = std::make_unique<TouchHarness>();
        library->setAsker(PHPhotoLibrary::askWithAlert);
        edited = asset(addNew(64, 48, 30));
        ASSERT_TRUE(save(*edited, *output(*edited, 200, "an edit")));
        edited = asset(edited->localIdentifier());
        other = asset(addNew(32, 32, 120));
    }
    void TearDown() override {
        while (UIAlertPresentation* shown = UIAlertPresentation::shown()) shown->dismissWithIndex(shown->cancelIndex());
        ui.reset();
        PhotoLibraryFixture::TearDown();
    }

    struct Answer {
        int count = 0;
        bool ok = false;
        NSErrorPtr error;
    };
    std::shared_ptr<Answer> perform(std::function<void()> block) {
        auto answer = std::make_shared<Answer>();
        library->performChanges(std::move(block), [answer](bool ok, NSErrorPtr error) {
            dispatch_async(dispatch_get_main_queue(), [answer, ok, error] {
                ++answer->count;
                answer->ok = ok;
                answer->error = error;
            });
        });
        return answer;
    }
    std::function<void()> revertBlock() {
        auto target = edited;
        return [target] { PHAssetChangeRequest::changeRequestForAsset(*target)->revertAssetToOriginal(); };
    }
    std::function<void()> deleteBlock() {
        auto target = other;
        return [target] { PHAssetChangeRequest::deleteAssets({target}); };
    }
    // Turns the loop, frame by frame, until the condition holds.
    bool waitFor(const std::function<bool()>& done) {
        return PumpUntil([&] {
            ui->advance(1.0 / 60);
            return done();
        });
    }
    void tapButton(const std::string& title) {
        UIAlertPresentation* shown = UIAlertPresentation::shown();
        ASSERT_TRUE(shown);
        const CGRect r = shown->buttonFrame(shown->indexOfButton(title));
        ASSERT_FALSE(CGRectIsEmpty(r)) << title;
        ui->tap(CGRectGetMidX(r), CGRectGetMidY(r));
    }

    std::unique_ptr<TouchHarness> ui;
    PHAssetPtr edited, other;
};

TEST_F(PhotoLibraryQuestionTest, ARevertAndADeleteWaitForThePersonAndARefusalAltersNothing) {
    const struct {
        const char* what;
        bool revert;
        bool allow;
        std::string title, allowButton;
    } cases[] = {
        {"revert refused", true, false, "Allow Tavorin to revert this photo to its original?", "Revert"},
        {"revert allowed", true, true, "Allow Tavorin to revert this photo to its original?", "Revert"},
        {"delete refused", false, false, "Allow Tavorin to delete this photo?", "Delete"},
        {"delete allowed", false, true, "Allow Tavorin to delete this photo?", "Delete"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string indexBefore = indexDump();
        const auto filesBefore = libraryFiles();
        auto answer = perform(c.revert ? revertBlock() : deleteBlock());
        ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; })) << "the library asks";
        UIAlertPresentation& alert = *UIAlertPresentation::shown();
        EXPECT_EQ(alert.title, c.title);
        EXPECT_EQ(alert.style, UIAlertPresentation::Style::Alert);
        ASSERT_EQ(alert.buttons.size(), 2u);
        EXPECT_EQ(alert.buttons[0].title, "Don't Allow");
        EXPECT_EQ(alert.buttons[0].kind, UIAlertButtonKind::Cancel);
        EXPECT_EQ(alert.buttons[1].title, c.allowButton);
        ui->advance(2);
        EXPECT_EQ(answer->count, 0) << "the change waits for the person";
        EXPECT_EQ(indexDump(), indexBefore);

        // The person answers while the application is busy (it ignores touches).
        UIApplication::sharedApplication().beginIgnoringInteractionEvents();
        tapButton(c.allow ? c.allowButton : "Don't Allow");
        UIApplication::sharedApplication().endIgnoringInteractionEvents();
        ASSERT_TRUE(waitFor([&] { return answer->count > 0; })) << "the tap reached the alert";
        EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
        EXPECT_EQ(answer->count, 1);
        EXPECT_EQ(answer->ok, c.allow);
        if (c.allow) {
            if (c.revert) EXPECT_FALSE(asset(edited->localIdentifier())->hasAdjustments());
            else EXPECT_FALSE(asset(other->localIdentifier()));
            TearDown();
            SetUp();
            continue;
        }
        ASSERT_TRUE(answer->error);
        EXPECT_EQ(answer->error->code(), photos::kPhotosErrorUserCancelled);
        EXPECT_EQ(answer->error->localizedDescription(),
                  c.revert ? "The photo was not reverted." : "The photo was not deleted.");
        EXPECT_FALSE(answer->error->localizedFailureReason().empty());
        EXPECT_EQ(indexDump(), indexBefore);
        EXPECT_EQ(libraryFiles(), filesBefore);
    }
}

TEST_F(PhotoLibraryQuestionTest, ChangesPerformedMeanwhileWaitInOrderAndOtherChangesAreNotAsked) {
    std::vector<std::string> order;
    auto note = [&order](const char* what) {
        return [&order, what](bool, NSErrorPtr) {
            dispatch_async(dispatch_get_main_queue(), [&order, what] { order.push_back(what); });
        };
    };
    const std::string created = WriteImage(file("later.jpg"), 20, 10, 99);
    library->performChanges(deleteBlock(), note("delete"));
    library->performChanges([created] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(created); },
                            note("creation"));
    ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; }));
    ui->advance(1);
    EXPECT_TRUE(order.empty()) << "the creation waits behind the question";
    EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, library)->count(), 2u);
    tapButton("Delete");
    ASSERT_TRUE(waitFor([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"delete", "creation"}));
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr) << "a new photo needs no leave";
    EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, library)->count(), 2u);
}

TEST_F(PhotoLibraryQuestionTest, TheSharedLibraryAsksAndAnAlertThatGoesAwayUnansweredRefuses) {
    ::setenv("TAVORIN_PHOTO_LIBRARY", libraryPath.c_str(), 1);
    auto shared = PHPhotoLibrary::sharedPhotoLibrary();
    ::unsetenv("TAVORIN_PHOTO_LIBRARY");
    ASSERT_TRUE(shared);
    auto target = PHAsset::fetchAssetsWithLocalIdentifiers({other->localIdentifier()}, {}, shared)->firstObject();
    ASSERT_TRUE(target);
    auto answer = std::make_shared<Answer>();
    shared->performChanges([target] { PHAssetChangeRequest::deleteAssets({target}); },
                           [answer](bool ok, NSErrorPtr error) {
                               dispatch_async(dispatch_get_main_queue(), [answer, ok, error] {
                                   ++answer->count;
                                   answer->ok = ok;
                                   answer->error = error;
                               });
                           });
    ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; }));
    EXPECT_EQ(UIAlertPresentation::shown()->title, "Allow Tavorin to delete this photo?");
    // The window goes, and the alert with it.
    ui.reset();
    ASSERT_EQ(UIAlertPresentation::shown(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return answer->count > 0; })) << "the change is answered";
    EXPECT_FALSE(answer->ok);
    ASSERT_TRUE(answer->error);
    EXPECT_EQ(answer->error->code(), photos::kPhotosErrorUserCancelled);
    EXPECT_TRUE(asset(other->localIdentifier())) << "nothing deleted";
    shared.reset();
}

}  // namespace
}  // namespace phototest
