// The camera screen's shutter on the launched application: what each press saves into the
// photo library as the settings say, presses that must take one photo only, the album button's
// picture, a stopped preview, a failing capture, a library that cannot take the photo, and the
// front/back swap's fades.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "support/AppHarness.h"
#include "support/ReadOnlyTree.h"
#include "ui/widgets/AmbrelActivityView.h"

namespace {

class ShutterTest : public ::testing::Test {
protected:
    // Long enough for the focus wait, the capture, the indicator in and out and the saves.
    void pressAndWait(int presses = 1) {
        for (int i = 0; i < presses; ++i) app.tap(AppHarness::phoneShutter());
        app.advance(3.5);
    }
    std::vector<AppHarness::LibraryPhoto> newPhotos(std::size_t before) const {
        auto all = app.photos();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end()};
    }
    static std::pair<int, int> pixelSize(const std::filesystem::path& file) {
        auto image = platform::DecodeImageFile(file.string());
        return image ? std::pair{static_cast<int>(image->bitmap.width), static_cast<int>(image->bitmap.height)}
                     : std::pair{0, 0};
    }

    AppHarness app;
};

TEST_F(ShutterTest, EachPressSavesAsTheSettingsSay) {
    struct Case {
        const char* what;
        bool saveOriginal;
        SaveMethod method;
        SaveType type;
        // The new photos' original file types, oldest first; the last one carries the edit when
        // `edited`.
        std::vector<std::string> types;
        bool edited;
    };
    const std::vector<Case> cases = {
        {"a copy: the capture with the rendering as its edit",
         false,
         SaveMethodSaveAsCopy,
         SaveTypeJPEG,
         {"public.jpeg"},
         true},
        {"the plain capture first", true, SaveMethodSave, SaveTypeJPEG, {"public.jpeg", "public.jpeg"}, true},
        {"export", false, SaveMethodExport, SaveTypeJPEG, {"public.jpeg"}, false},
        {"PNG exports", false, SaveMethodSave, SaveTypePNG, {"public.png"}, false},
        {"TIFF exports", false, SaveMethodSaveAsCopy, SaveTypeTIFF, {"public.tiff"}, false},
    };
    AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.setSaveOriginal(c.saveOriginal);
        settings.setCameraSaveMethod(c.method);
        settings.setSaveType(c.type);
        const std::size_t before = app.photos().size();
        pressAndWait();
        EXPECT_FALSE(AmbrelViewController::shutterBusy());
        const auto added = newPhotos(before);
        ASSERT_EQ(added.size(), c.types.size());
        for (std::size_t i = 0; i < added.size(); ++i) {
            EXPECT_EQ(added[i].record.originalType, c.types[i]);
            const bool edited = c.edited && i + 1 == added.size();
            EXPECT_EQ(added[i].record.edit.has_value(), edited);
            if (edited) {
                ASSERT_TRUE(added[i].state) << "the adjustment data decodes";
                EXPECT_EQ(*added[i].state, State::currentState());
                // The original is the capture, the render the processed photo of the same size.
                EXPECT_EQ(pixelSize(added[i].original), pixelSize(added[i].render));
            }
            EXPECT_NE(pixelSize(added[i].original).first, 0);
        }
    }
}

TEST_F(ShutterTest, QuickPressesAndTheVolumeKeyTakeOnePhotoEach) {
    const UIImagePtr placeholder = app.controller().albumButtonView()->image();
    pressAndWait(2);
    EXPECT_EQ(app.photos().size(), 1u) << "the second press falls in the first's capture";
    const UIImagePtr thumbnail = app.controller().albumButtonView()->image();
    ASSERT_TRUE(thumbnail);
    EXPECT_NE(thumbnail, placeholder);
    EXPECT_LE(std::max(thumbnail->size().width * thumbnail->scale(), thumbnail->size().height * thumbnail->scale()),
              AmbrelViewController::kThumbnailSide);

    app.key("VolumeUp");
    app.advance(3.5);
    EXPECT_EQ(app.photos().size(), 2u);
}

TEST_F(ShutterTest, AStoppedPreviewTakesNothingAndLeavesTheShutterFree) {
    AmbrelViewController& screen = app.controller();
    screen.animateCameraEnabled(false);
    app.settle();
    pressAndWait();
    EXPECT_EQ(app.photos().size(), 0u);
    EXPECT_FALSE(AmbrelViewController::shutterBusy());
    screen.animateCameraEnabled(true);
    app.advance(1);
    pressAndWait();
    EXPECT_EQ(app.photos().size(), 1u);
}

TEST_F(ShutterTest, AFailingCaptureSavesNothingIsSaidAndFreesTheShutter) {
    AmbrelViewController& screen = app.controller();
    app.tap(AppHarness::phoneShutter());
    EXPECT_TRUE(AmbrelViewController::shutterBusy());
    // The camera stops before the still is taken.
    screen.animateCameraEnabled(false);
    app.advance(3.5);
    EXPECT_EQ(app.photos().size(), 0u);
    EXPECT_FALSE(AmbrelViewController::shutterBusy());
    UIAlertPresentation* alert = UIAlertPresentation::shown();
    ASSERT_NE(alert, nullptr) << "the failure is said";
    EXPECT_EQ(alert->title, "Share Error");
    EXPECT_EQ(alert->message,
              "The photo could not be taken." + NSLocalizedString("ErrorDelimiterKey") + "The camera is not running.");
    EXPECT_EQ(UIAlertPresentation::waitingCount(), 0u) << "once";
    const CGRect ok = alert->buttonFrame(alert->indexOfButton("OK"));
    app.tap({CGRectGetMidX(ok), CGRectGetMidY(ok)});
    app.advance(0.5);
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    screen.animateCameraEnabled(true);
    app.advance(1);
    pressAndWait();
    EXPECT_EQ(app.photos().size(), 1u) << "the shutter is free again";
}

TEST_F(ShutterTest, APhotoTheLibraryCannotTakeIsSaidAndTheShutterComesBack) {
    const std::filesystem::path library = PHPhotoLibrary::defaultLibraryPath();
    const struct {
        const char* what;
        std::filesystem::path readOnly;
        bool reopened;  // as at a start with the library in that state
    } cases[] = {
        {"a read-only library", library, false},
        {"a library read-only from the start", library, true},
        {"a library whose originals cannot be written", library / "originals", false},
    };
    for (bool saveOriginal : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (saveOriginal ? ", the original saved too" : ""));
            AmbrelAppSettings::sharedInstance().setSaveOriginal(saveOriginal);
            pressAndWait();
            const std::size_t count = app.photos().size();
            const UIImagePtr thumbnail = app.controller().albumButtonView()->image();
            ASSERT_TRUE(thumbnail);
            {
                ReadOnlyTree damage(c.readOnly);
                if (!damage.made()) GTEST_SKIP() << damage.why();
                if (c.reopened) PHPhotoLibrary::resetSharedPhotoLibrary();
                pressAndWait();
                UIAlertPresentation* alert = UIAlertPresentation::shown();
                ASSERT_NE(alert, nullptr) << "the failure is said";
                EXPECT_EQ(alert->title, "Share Error");
                const std::string delimiter = NSLocalizedString("ErrorDelimiterKey");
                const std::size_t at = alert->message.find(delimiter);
                EXPECT_NE(at, std::string::npos) << "with its reason: " << alert->message;
                EXPECT_LT(at + delimiter.size(), alert->message.size()) << alert->message;
                EXPECT_EQ(UIAlertPresentation::waitingCount(), 0u) << "one alert for the press";
                EXPECT_EQ(app.controller().albumButtonView()->image(), thumbnail) << "the album button keeps its photo";
                EXPECT_FALSE(AmbrelViewController::shutterBusy());
                EXPECT_EQ(AmbrelActivityView::modal().current(), nullptr);
                EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
                // OK, tapped where it is drawn.
                const CGRect ok = alert->buttonFrame(alert->indexOfButton("OK"));
                app.tap({CGRectGetMidX(ok), CGRectGetMidY(ok)});
                app.advance(0.5);
                EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
            }
            EXPECT_EQ(app.photos().size(), count) << "nothing was written";
            // Mended, the next press saves and shows its photo.
            pressAndWait();
            EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
            EXPECT_EQ(app.photos().size(), count + (saveOriginal ? 2 : 1));
            EXPECT_NE(app.controller().albumButtonView()->image(), thumbnail);
        }
}

TEST_F(ShutterTest, TheFrontBackSwapFadesThePictureOutAndBackIn) {
    AmbrelViewController& screen = app.controller();
    UIView& picture = *screen.graphicsView();
    auto shownAlpha = [&picture] { return picture.layer()->presentationLayer()->opacity(); };
    GraphicsViewCamera* camera = screen.graphicsView()->graphicsView()->camera();
    ASSERT_NE(camera, nullptr);
    EXPECT_FALSE(camera->isFrontFacing());
    screen.animateFrontBackButtonAction();
    app.advance(AmbrelViewController::kSwapFadeOut);
    EXPECT_NEAR(shownAlpha(), 0, 0.01);
    app.advance(0.3);
    EXPECT_TRUE(camera->isFrontFacing());
    EXPECT_GT(shownAlpha(), 0.01) << "coming back";
    EXPECT_LT(shownAlpha(), 0.99) << "over 0.8 s";
    app.advance(AmbrelViewController::kSwapFadeIn);
    EXPECT_EQ(shownAlpha(), 1);

    // A swap that cannot start brings the picture back at once.
    screen.animateCameraEnabled(false);
    app.settle();
    screen.animateFrontBackButtonAction();
    app.advance(AmbrelViewController::kSwapFadeOut + AmbrelViewController::kSwapFadeIn + 0.1);
    EXPECT_EQ(picture.alpha(), 1);
}

}  // namespace
