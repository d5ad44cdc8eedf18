// The album on the main screen against a real library in a temporary folder: coming in and
// going back to the exact camera state, grid and single photo with their titles, album editing
// opened with the stored state and crop, Done and Cancel with their sheets, the edit saved,
// copied, exported, shared and reverted into the library, failures that write nothing and say
// why (an unreadable photo, a read-only library), and the
// home-screen shortcuts, which close the settings and the mode information too; the editing
// controls brought back to the modes on entering and leaving album editing; peek and pop on the
// grid and on the edited picture.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/controls/CollectionView.h"
#include "app/controls/TypeSelectView.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/CollectionObject.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewControllerPreviewing.h"
#include "support/AppHarness.h"
#include "support/PixelImage.h"
#include "support/ReadOnlyTree.h"
#include "ui/widgets/AmbrelActivityView.h"
#include "ui/animation/ViewUtility.h"

#include "AlbumFixture.h"

namespace {

TEST_F(AlbumTest, TheAlbumComesInOverTheCameraStateAndGivesItBackExactly) {
    open();
    selectMode("Low Light 1");
    TypeController::sharedInstance().modeType().setValue(0.37f);
    app->advance(0.2);
    const State camera = State::currentState();
    const std::string cameraMode = modeName();

    tapView(screen().albumButtonView()->button());
    ASSERT_TRUE(waitFor([this] { return !album().isHidden(); }));
    EXPECT_FALSE(screen().albumEditing()) << "only once the last cell has settled";
    app->advance(1);
    EXPECT_TRUE(screen().albumEditing());
    EXPECT_FALSE(screen().graphicsView()->graphicsView()->isAnimating()) << "the render loop stops";
    EXPECT_EQ(labelText(*screen().navigationItem().titleView()), album().assetGroupName());
    EXPECT_EQ(std::dynamic_pointer_cast<TitleButtonView>(screen().navigationItem().leftBarButtonItem()->customView())
                  ->title(),
              "Albums");
    for (const auto& cell : album().collectionView()->visibleCells()) {
        EXPECT_EQ(cell->transform(), CGAffineTransformIdentity);
        EXPECT_FLOAT_EQ(cell->alpha(), 1);
    }

    // A tap on a photo: one photo, its date over its time.
    tapView(*album().collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(1, 0)));
    app->advance(1);
    EXPECT_EQ(album().photoCollectionLayout(), PhotoCollectionLayoutSingle);
    auto back = std::dynamic_pointer_cast<TitleButtonView>(screen().navigationItem().leftBarButtonItem()->customView());
    EXPECT_EQ(back->title(), "All Photos");
    EXPECT_EQ(labelText(*screen().navigationItem().titleView()),
              "Today|" + AmbrelViewController::shortTimeTitle(*album().dateForIndexPath(album().selectedIndexPath())));
    tapView(*back);
    app->advance(1);
    EXPECT_EQ(album().photoCollectionLayout(), PhotoCollectionLayoutGrid);

    // The camera item.
    tapView(*screen().navigationItem().rightBarButtonItem()->customView());
    app->advance(1);
    EXPECT_TRUE(album().isHidden());
    EXPECT_FALSE(screen().albumEditing());
    EXPECT_EQ(State::currentState(), camera);
    EXPECT_EQ(modeName(), cameraMode);
}

TEST_F(AlbumTest, EnteringAndLeavingAlbumEditingBringTheControlsBackToTheModes) {
    open();
    TypeController& lists = TypeController::sharedInstance();
    auto expectModesShown = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(screen().typeSelectView()->type(), TypeController::TypeSelectionMode);
        EXPECT_EQ(screen().type(), &lists.modeType());
        EXPECT_EQ(screen().collectionView()->selectedObject(), lists.modeType().selectedObject());
    };
    screen().typeSelectView()->setType(TypeController::TypeSelectionColor);
    app->advance(0.5);
    ASSERT_EQ(screen().type(), &lists.colorType());
    enterAlbum();
    editPhoto(0);
    expectModesShown("on entering album editing");
    // The picker lies above the slider again, so that it takes its own taps.
    const auto& order = screen().view()->subviews();
    auto at = [&order](const std::shared_ptr<UIView>& view) { return std::find(order.begin(), order.end(), view); };
    EXPECT_GT(at(screen().collectionView()), at(screen().slideView()));

    screen().typeSelectView()->setType(TypeController::TypeSelectionAdjust);
    app->advance(0.5);
    collapse();
    tapView(*screen().albumEditCancelButtonView());
    app->advance(1);
    ASSERT_TRUE(backInAlbum());
    tapView(*screen().navigationItem().rightBarButtonItem()->customView());
    app->advance(1);
    expectModesShown("back on the camera");
}

TEST_F(AlbumTest, TitlesAreEnglishDatesInLocalTime) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::time_t now = 1733788800 + 15 * 3600;  // December 10, 2024, 15:00
    struct Case {
        double when;
        const char* day;
        const char* time;
    };
    for (const Case& c : std::vector<Case>{{1733788800.0 + 9 * 3600 + 5 * 60, "Today", "9:05 AM"},
                                           {1733788800.0 - 3600, "Yesterday", "11:00 PM"},
                                           {1733788800.0 - 86400 - 1, "December 8, 2024", "11:59 PM"},
                                           {1704067200.0 + 12 * 3600 + 41 * 60, "January 1, 2024", "12:41 PM"}}) {
        EXPECT_EQ(AmbrelViewController::relativeDateTitle(c.when, now), c.day);
        EXPECT_EQ(AmbrelViewController::shortTimeTitle(c.when), c.time);
    }
    ::unsetenv("TZ");
    ::tzset();
}

TEST_F(AlbumTest, EditingOpensWithTheStoredStateAndCropAndCancelLeavesItAlone) {
    open();
    enterAlbum();
    const auto before = app->photos();
    editPhoto(0);  // the newest: the photo with a stored edit
    EXPECT_EQ(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect, CGRectMake(0.25, 0.25, 0.5, 0.5));
    ASSERT_TRUE(screen().albumEditAssetState());
    EXPECT_EQ(*screen().albumEditAssetState(), State::currentState()) << "the stored state read back";
    const UIImagePtr shown = screen().graphicsView()->unprocessedImage();
    const UIImagePtr cropped = screen().graphicsView()->croppedImage();
    ASSERT_TRUE(shown && cropped);
    // The lighter band fills the middle third of the photo and two thirds of its centred crop: a
    // fifth of the way down is outside it in the photo and inside it in the crop.
    auto bandAtFifth = [](const UIImagePtr& image) {
        const std::size_t w = pixelimage::width(image), h = pixelimage::height(image);
        return pixelimage::at(image, w / 2, h / 5)[0] > pixelimage::at(image, w / 2, 0)[0] + 30;
    };
    EXPECT_FALSE(bandAtFifth(shown));
    EXPECT_TRUE(bandAtFifth(cropped)) << "the shown picture is the stored crop";
    collapse();
    EXPECT_EQ(doneTitle(), "Revert") << "unchanged from what is stored";

    // Cancel unchanged: back at once.
    tapView(*screen().albumEditCancelButtonView());
    app->advance(1);
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_TRUE(backInAlbum());
    EXPECT_TRUE(CGRectIsEmpty(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect)) << "the crop cleared";
    EXPECT_FALSE(screen().graphicsView()->croppedImage());

    // A photo without a stored edit: the default state, "Save"; a change asks before discarding.
    editPhoto(1);
    EXPECT_FALSE(screen().albumEditAssetState());
    EXPECT_TRUE(CGRectIsEmpty(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect));
    changeMode();
    collapse();
    EXPECT_EQ(doneTitle(), "Save");
    tapView(*screen().albumEditCancelButtonView());
    EXPECT_EQ(shownButtons(), (std::vector<std::string>{"Discard Changes", "Cancel"}));
    tapSheet("Cancel");
    EXPECT_FALSE(backInAlbum()) << "still editing";
    tapView(*screen().albumEditCancelButtonView());
    tapSheet("Discard Changes");
    app->advance(1);
    EXPECT_TRUE(backInAlbum());
    const auto after = app->photos();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].state, before[i].state) << "nothing written";
}

TEST_F(AlbumTest, AStoredEditWhoseSettingsCannotBeReadOpensAtTheDefaultsAndSaysWhy) {
    open();
    auto library = PHPhotoLibrary::sharedPhotoLibrary();
    ASSERT_TRUE(library);
    ASSERT_EQ(
        sqlite3_exec(library->store().database(), "UPDATE edit SET data = x'00ff7b7b'", nullptr, nullptr, nullptr),
        SQLITE_OK);
    enterAlbum();
    testing::internal::CaptureStderr();
    editPhoto(0);  // the newest: the photo with a stored edit
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(screen().albumEditAssetState());
    EXPECT_TRUE(CGRectIsEmpty(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect)) << "the defaults";
    EXPECT_NE(said.find("stored editing settings could not be read"), std::string::npos) << said;
}

TEST_F(AlbumTest, DoneFollowsTheTitleTheFileTypeAndTheSaveMethod) {
    struct Case {
        const char* what;
        int saveType, method;
        bool change;
        std::vector<std::string> sheet;  // empty: no question
        int photosAdded;
        bool editKept;  // the edited photo keeps its stored state
    };
    const std::string saveSheet =
        "Saving allows your changes to be edited or undone. Export creates a copy with permanent changes.";
    const std::vector<Case> cases = {
        {"unchanged: revert", 0, 1, false, {}, 0, false},
        {"PNG exports without asking", 1, 0, true, {}, 1, true},
        {"TIFF exports without asking", 2, 1, true, {}, 1, true},
        {"ask", 0, 0, true, {"Save", "Save as Copy", "Export", "Cancel"}, 0, true},
        {"save in place", 0, 1, true, {}, 0, true},
        {"save as copy", 0, 2, true, {}, 1, true},
        {"export", 0, 3, true, {}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppLaunch launch;
        launch.settings = [&c](AmbrelAppSettings& settings) {
            settings.setSaveType(static_cast<SaveType>(c.saveType));
            settings.setAlbumSaveMethod(static_cast<SaveMethod>(c.method));
        };
        open(launch);
        enterAlbum();
        const std::size_t count = app->photos().size();
        editPhoto(0);
        if (c.change) changeMode();
        collapse();
        const State edited = State::currentState();
        tapView(*screen().albumEditDoneButtonView());
        if (!c.change) answerLibrary("Revert");
        if (!c.sheet.empty()) {
            ASSERT_NE(UIAlertPresentation::shown(), nullptr);
            EXPECT_EQ(UIAlertPresentation::shown()->title, saveSheet);
            EXPECT_EQ(shownButtons(), c.sheet);
            tapSheet("Cancel");
            EXPECT_FALSE(backInAlbum());
            app.reset();
            continue;
        }
        ASSERT_TRUE(waitFor([this] { return backInAlbum(); })) << "back in the album";
        EXPECT_EQ(AmbrelActivityView::modal().current(), nullptr);
        EXPECT_TRUE(waitFor([] { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }))
            << "touches back";
        const auto library = app->photos();
        EXPECT_EQ(library.size(), count + c.photosAdded);
        const AppHarness::LibraryPhoto* stored = editedInLibrary();
        EXPECT_EQ(stored != nullptr, c.editKept);
        if (std::string(c.what) == "save in place") {
            ASSERT_TRUE(stored);
            EXPECT_EQ(*stored->state, edited) << "the adjustment data decodes to the saved state";
            EXPECT_EQ(album().selectedIndexPath().item, 0);
        }
        if (c.photosAdded) {
            EXPECT_EQ(album().selectedIndexPath().item, 0) << "the new photo at row 0";
            const auto& newest = library.back();
            const std::string ext = newest.original.extension().string();
            const std::vector<std::string> types = c.saveType == 1   ? std::vector<std::string>{".png"}
                                                   : c.saveType == 2 ? std::vector<std::string>{".tif", ".tiff"}
                                                                     : std::vector<std::string>{".jpg", ".jpeg"};
            EXPECT_NE(std::find(types.begin(), types.end(), ext), types.end()) << newest.original;
            if (c.method != 2 || c.saveType != 0) EXPECT_FALSE(newest.state) << "an export carries no edit";
            else EXPECT_EQ(newest.state, edited) << "a copy carries the edit";
        }
        if (std::string(c.what) == "unchanged: revert") {
            editPhoto(0);
            EXPECT_FALSE(screen().albumEditAssetState()) << "the next entry opens in the default state";
        }
        app.reset();
    }
}

TEST_F(AlbumTest, AnUnreadablePictureIsSaidWritesNothingAndLeavesTheEditOpen) {
    AppLaunch launch;
    launch.settings = [](AmbrelAppSettings& settings) { settings.setAlbumSaveMethod(static_cast<SaveMethod>(1)); };
    open(launch);
    enterAlbum();
    editPhoto(1);
    changeMode();
    collapse();
    // The original becomes unreadable while it is being edited.
    const auto before = app->photos();
    for (const auto& photo : before) std::ofstream(photo.original, std::ios::trunc) << "not a picture";
    for (const char* button : {"Done", "Share"}) {
        SCOPED_TRACE(button);
        tapView(std::string(button) == "Done" ? *screen().albumEditDoneButtonView()
                                              : *screen().albumEditShareButtonView());
        app->advance(1);
        EXPECT_EQ(AmbrelActivityView::modal().current(), nullptr);
        EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents()) << "touches back";
        EXPECT_FALSE(backInAlbum()) << "still editing";
        EXPECT_EQ(screen().presentedViewController(), nullptr) << "nothing presented";
        ASSERT_NE(UIAlertPresentation::shown(), nullptr) << "the failure is said";
        EXPECT_EQ(UIAlertPresentation::shown()->title, "Share Error");
        EXPECT_EQ(UIAlertPresentation::shown()->message.rfind(
                      "The photo could not be read." + NSLocalizedString("ErrorDelimiterKey"), 0),
                  0u)
            << UIAlertPresentation::shown()->message;
        UIAlertPresentation::shown()->dismissWithIndex(UIAlertPresentation::shown()->cancelIndex());
        app->advance(0.5);
        const auto after = app->photos();
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].state, before[i].state);
    }
}

// The error alert's text: its description with a reason after the delimiter.
void expectSaidWithReason(const std::string& message) {
    const std::string delimiter = NSLocalizedString("ErrorDelimiterKey");
    const std::size_t at = message.find(delimiter);
    EXPECT_NE(at, std::string::npos) << "a reason: " << message;
    EXPECT_LT(at + delimiter.size(), message.size()) << message;
}

TEST_F(AlbumTest, AChangeTheLibraryRefusesIsSaidAndLeavesTheEditOpen) {
    const struct {
        const char* what;
        int method;  // the album save method (Revert: the edited photo unchanged)
        bool change;
    } cases[] = {
        {"save in place", 1, true},
        {"save as copy", 2, true},
        {"export", 3, true},
        {"revert", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppLaunch launch;
        launch.settings = [&c](AmbrelAppSettings& settings) {
            settings.setAlbumSaveMethod(static_cast<SaveMethod>(c.method));
        };
        open(launch);
        enterAlbum();
        editPhoto(0);  // the newest, the one with a stored edit
        if (c.change) changeMode();
        collapse();
        const State edited = State::currentState();
        const auto before = app->photos();
        {
            ReadOnlyTree damage(PHPhotoLibrary::defaultLibraryPath());
            if (!damage.made()) GTEST_SKIP() << damage.why();
            tapView(*screen().albumEditDoneButtonView());
            if (!c.change) answerLibrary("Revert");
            ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; })) << "the failure is said";
            UIAlertPresentation& alert = *UIAlertPresentation::shown();
            EXPECT_EQ(alert.title, "Share Error");
            expectSaidWithReason(alert.message);
            EXPECT_EQ(AmbrelActivityView::modal().current(), nullptr);
            EXPECT_FALSE(backInAlbum()) << "still editing";
            EXPECT_EQ(State::currentState(), edited) << "with every setting as before";
            const CGRect ok = alert.buttonFrame(alert.indexOfButton("OK"));
            app->tap({CGRectGetMidX(ok), CGRectGetMidY(ok)});
            app->advance(0.5);
            EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
            EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents()) << "touches back";
        }
        const auto after = app->photos();
        ASSERT_EQ(after.size(), before.size()) << "nothing was written";
        for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].state, before[i].state);
        // Mended, Done again goes through.
        tapView(*screen().albumEditDoneButtonView());
        if (!c.change) answerLibrary("Revert");
        EXPECT_TRUE(waitFor([this] { return backInAlbum(); })) << "back in the album";
        EXPECT_EQ(UIAlertPresentation::shown(), nullptr)
            << (UIAlertPresentation::shown() ? UIAlertPresentation::shown()->message : "");
        app->advance(1);  // the photo's flight back into the album ends
        app.reset();
    }
}

TEST_F(AlbumTest, ADeleteTheLibraryRefusesIsSaid) {
    open();
    enterAlbum();
    album().selectItemAtIndexPath(NSIndexPath::indexPathForItem(1, 0), false,
                                  UICollectionViewScrollPositionCenteredHorizontally);
    screen().animatePhotoCollectionViewLayout(PhotoCollectionLayoutSingle, album().selectedIndexPath());
    ASSERT_TRUE(waitFor([] { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }));
    app->advance(0.5);
    const std::size_t count = app->photos().size();
    UIView& trash = *screen().photoCollectionToolbar()->items().back()->view();
    {
        ReadOnlyTree damage(PHPhotoLibrary::defaultLibraryPath());
        if (!damage.made()) GTEST_SKIP() << damage.why();
        tapView(trash);
        answerLibrary("Delete");
        ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; })) << "the failure is said";
        EXPECT_EQ(UIAlertPresentation::shown()->title, "Share Error");
        expectSaidWithReason(UIAlertPresentation::shown()->message);
        EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
        UIAlertPresentation::shown()->dismissWithIndex(UIAlertPresentation::shown()->cancelIndex());
        app->advance(0.5);
    }
    EXPECT_EQ(app->photos().size(), count);
}

TEST_F(AlbumTest, ShareShowsTheSheetAtShareAndWritesNothing) {
    open();
    enterAlbum();
    editPhoto(0);
    collapse();
    const std::size_t count = app->photos().size();
    tapView(*screen().albumEditShareButtonView());
    app->advance(1);
    ASSERT_NE(UIAlertPresentation::shown(), nullptr) << "the share sheet";
    EXPECT_EQ(UIAlertPresentation::shown()->anchorView.lock(), screen().albumEditShareButtonView());
    EXPECT_EQ(AmbrelActivityView::modal().current(), nullptr);
    EXPECT_EQ(app->photos().size(), count);
    UIAlertPresentation::shown()->dismissWithIndex(UIAlertPresentation::shown()->cancelIndex());
    app->advance(0.5);
}

TEST_F(AlbumTest, ShortcutsOpenTheCameraWithTheirMode) {
    struct Case {
        const char* type;
        const char* from;
        const char* mode;  // empty: the mode stays
    };
    for (const Case& c : std::vector<Case>{{"Enhance Photo", "album", "Enhance 1"},
                                           {"Low Light Photo", "editing", "Low Light 1"},
                                           {"Enhance Photo", "settings", "Enhance 1"},
                                           {"Enhance Photo", "mode information", "Enhance 1"},
                                           {"Exposure Photo", "camera", "Overexposure 1"},
                                           {"Nothing Photo", "camera", ""}}) {
        SCOPED_TRACE(std::string(c.type) + " from " + c.from);
        open();
        selectMode("Sky 1");
        const std::string before = modeName();
        if (std::string(c.from) != "camera") enterAlbum();
        if (std::string(c.from) == "editing") editPhoto(1);
        if (std::string(c.from) == "settings") {
            screen().animateSettingsView(true);
            app->advance(1);
        }
        if (std::string(c.from) == "mode information") {
            screen().animateModeInfoView();
            app->advance(1);
        }
        const std::string shown = modeName();
        UIApplicationPerformShortcut(c.type);
        app->advance(0.05);
        EXPECT_EQ(modeName(), shown) << "chosen 0.1 s later";
        app->advance(0.5);
        EXPECT_EQ(modeName(), *c.mode ? std::string(c.mode) : before);
        app->advance(0.5);  // the settings page's own fade
        EXPECT_FALSE(screen().settingsView()) << "the settings closed";
        EXPECT_FALSE(screen().modeInfoView()) << "the mode information closed";
        EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
        EXPECT_TRUE(album().isHidden());
        EXPECT_FALSE(screen().albumEditing()) << "the camera";
        app.reset();
    }
}

TEST_F(AlbumTest, TheShortcutTableHoldsTheFourQuickActionsInOrder) {
    open();
    std::vector<std::string> types;
    for (const UIApplicationShortcutItem& item : UIApplication::sharedApplication().shortcutItems())
        types.push_back(item.type);
    EXPECT_EQ(types,
              (std::vector<std::string>{"Low Light Photo", "Enhance Photo", "Artistic Photo", "Exposure Photo"}));
    selectMode("Sky 1");
    app->key("F2");
    app->advance(0.5);
    EXPECT_EQ(modeName(), "Enhance 1");
}

TEST_F(AlbumTest, AShortcutWhileStartUpWaitsAppliesItsModeAndClosesNothing) {
    AppLaunch launch;
    launch.cameraAccess = false;  // the access screen holds start-up
    open(launch);
    ASSERT_FALSE(screen().photoCollectionView()) << "start-up has not ended";
    selectMode("Sky 1");
    UIApplicationPerformShortcut("Enhance Photo");
    app->advance(0.5);
    EXPECT_EQ(modeName(), "Enhance 1");
    EXPECT_FALSE(screen().photoCollectionView());
    EXPECT_FALSE(screen().albumEditing());
}

// ---- Peek and pop ----------------------------------------------------------------------------

std::vector<std::string> peekActionTitles() {
    std::vector<std::string> titles;
    for (const auto& row : UIViewControllerPreviewing::actionViews())
        if (auto* label = dynamic_cast<const UILabel*>(row.get())) titles.push_back(label->text());
    return titles;
}

class PeekTest : public AlbumTest {
protected:
    // A firm press at the point, then a rise that lists the actions, then the lift.
    std::vector<std::string> peekActions(CGPoint p) {
        app->driver->touchDown(1, p, UITouchMaximumPossibleForce / 2);
        app->advance(0.1);
        if (!UIViewControllerPreviewing::peekView()) {
            app->driver->touchUp(1, p);
            return {"no peek"};
        }
        app->driver->touchMove(1, {p.x, p.y - 45}, UITouchMaximumPossibleForce / 2);
        const auto titles = peekActionTitles();
        app->driver->touchUp(1, {p.x, p.y - 45});
        return titles;
    }
    // A tap away from the listed actions dismisses them.
    void dismissPeek() {
        if (UIViewControllerPreviewing::peekView()) app->tap({187, 40});
        app->advance(0.1);
    }
};

TEST_F(PeekTest, WithoutForceTouchNoContextIsRegistered) {
    AppLaunch launch;
    launch.profile.forceTouchCapability = UIForceTouchCapability::Unavailable;
    open(std::move(launch));
    enterAlbum();
    EXPECT_TRUE(screen().albumEditing());
    EXPECT_FALSE(screen().previewingContext());
    const auto cell = album().collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(1, 0));
    ASSERT_TRUE(cell);
    EXPECT_EQ(peekActions(centreOf(*cell)), std::vector<std::string>{"no peek"});
    app->advance(1);
    EXPECT_EQ(album().photoCollectionLayout(), PhotoCollectionLayoutSingle) << "an ordinary tap";
}

TEST_F(PeekTest, AThumbnailPeeksWithEditAndDeleteAndPopsThatPhoto) {
    open();
    enterAlbum();
    ASSERT_TRUE(screen().previewingContext());
    album().selectItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0), false, UICollectionViewScrollPositionNone);
    const NSIndexPath pressed = NSIndexPath::indexPathForItem(2, 0);
    const auto cell = album().collectionView()->cellForItemAtIndexPath(pressed);
    ASSERT_TRUE(cell);
    const CGPoint p = centreOf(*cell);
    EXPECT_EQ(peekActions(p), (std::vector<std::string>{"Edit", "Delete"}));
    EXPECT_EQ(screen().previewingIndexPath(), pressed);
    EXPECT_EQ(screen().previewingContext()->sourceRect(),
              cell->convertRectToView(cell->bounds(), screen().view().get()));
    dismissPeek();
    EXPECT_EQ(album().photoCollectionLayout(), PhotoCollectionLayoutGrid) << "a dismissed peek changes nothing";

    app->driver->forcePress(p, 1);
    app->advance(1);
    EXPECT_FALSE(UIViewControllerPreviewing::peekView());
    EXPECT_EQ(album().photoCollectionLayout(), PhotoCollectionLayoutSingle);
    EXPECT_EQ(album().selectedIndexPath(), pressed) << "the pressed photo, not the one selected before";
    auto back = std::dynamic_pointer_cast<TitleButtonView>(screen().navigationItem().leftBarButtonItem()->customView());
    EXPECT_EQ(back->title(), "All Photos");
    EXPECT_EQ(cell->transform(), CGAffineTransformIdentity) << "the bump settles";
}

TEST_F(PeekTest, TheEditedPictureOffersSaveOnlyWhenChangedAndPopsIntoCompare) {
    open();
    enterAlbum();
    editPhoto(0);  // the photo with a stored edit
    ASSERT_TRUE(screen().expandCollapseView()->expanded());
    const CGPoint p = centreOf(*screen().graphicsView());
    EXPECT_EQ(peekActions(p), std::vector<std::string>{"Share"}) << "unchanged from what is stored";
    dismissPeek();
    changeMode();
    app->advance(0.5);
    EXPECT_EQ(peekActions(p), (std::vector<std::string>{"Save", "Share"}));
    dismissPeek();

    app->driver->touchDown(1, p, UITouchMaximumPossibleForce / 2);
    app->driver->touchMove(1, p, UITouchMaximumPossibleForce);
    app->driver->touchUp(1, p);
    app->advance(0.05);
    ASSERT_TRUE(screen().compareView()) << "the pop opens compare";
    EXPECT_GT(screen().graphicsView()->transform().a, 1.0) << "with a bump";
    app->advance(1);
    EXPECT_EQ(screen().graphicsView()->transform(), CGAffineTransformIdentity);
    EXPECT_EQ(peekActions(p), std::vector<std::string>{"no peek"}) << "not over compare";
}

}  // namespace
