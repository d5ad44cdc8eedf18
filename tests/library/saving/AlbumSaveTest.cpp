// Album saves: the metadata a save writes (burst entry gone, the bare set when none is given,
// the image's own orientation), photos landing in a real library, and the one share-error
// alert with its texts, shown on the screen from the main queue and answered by a tap.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "library/saving/ErrorUtility.h"
#include "library/saving/NSURL+CameraUtility.h"
#include "library/saving/UIImage+CameraUtility.h"
#include "platform/authorization/AuthorizationStore.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "support/AlertHarness.h"
#include "support/TouchHarness.h"
#include "support/SimulatedLocation.h"

namespace {

namespace fs = std::filesystem;
using platform::ImagePropertyFind;

// The alert on the screen and how many wait behind it; shown only by the main queue's work.
struct ShownAlerts {
    UIAlertPresentation* alert = UIAlertPresentation::shown();
    std::size_t count = (alert ? 1 : 0) + UIAlertPresentation::waitingCount();
};

UIImagePtr MakeImage(UIImageOrientation orientation = UIImageOrientation::Up) {
    std::vector<std::uint8_t> pixels(20 * 10 * 4, 90);
    return UIImage::imageWithCGImage(
        CGImageCreate(20, 10, 8, 32, 20 * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, pixels), 1,
        orientation);
}

class AlbumSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-albumsave-XXXXXX";
        root = mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", root.c_str(), 1);
        AuthorizationStore::resetShared();
        AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
        ui = std::make_unique<TouchHarness>();
        library = PHPhotoLibrary::openAt((root / "Library").string(), nullptr);
        writer = std::make_shared<ALAssetsLibrary>(library);
    }
    void TearDown() override {
        while (UIAlertPresentation* shown = UIAlertPresentation::shown()) shown->dismissWithIndex(0);
        writer.reset();
        library.reset();
        ui.reset();
        NSRunLoop::mainRunLoop().runUntilIdle();
        AuthorizationStore::resetShared();
        NSRunLoop::mainRunLoop().useRealClock();
        // The library's queue may still be closing its index, whose side files vanish meanwhile.
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Saves and waits; the error, and whether the completion ran on the main thread.
    NSErrorPtr save(const UIImagePtr& image, const std::optional<CameraUtility::Metadata>& metadata, int options,
                    bool* onMain = nullptr) {
        bool done = false;
        NSErrorPtr result;
        CameraUtility::saveToAlbumWithMetadata(
            image, metadata, options,
            [&](NSErrorPtr e) {
                done = true, result = e;
                if (onMain) *onMain = NSThread::isMainThread();
            },
            writer);
        while (!done) NSRunLoop::mainRunLoop().runUntilIdle();
        return result;
    }
    // The metadata of the photo the library holds last.
    platform::ImageProperties saved() {
        auto asset = PHAsset::fetchAssetsWithOptions({}, library)->lastObject();
        auto source =
            platform::ImageSource::createWithFile(library->store().absolutePath(asset->record().originalPath));
        return source->propertiesAtIndex(0);
    }

    fs::path root;
    std::shared_ptr<PHPhotoLibrary> library;
    std::shared_ptr<ALAssetsLibrary> writer;
    std::unique_ptr<TouchHarness> ui;
};

TEST_F(AlbumSaveTest, ABareSaveWritesTheFullSetWithoutLocation) {
    bool onMain = false;
    {
        SimulatedLocation geotags;
        geotags.geotag(CLLocation({1, 2}, 0, 5, SimulatedLocation::now()));
        EXPECT_FALSE(save(MakeImage(), std::nullopt, 1, &onMain));  // the options are replaced when none is given
    }
    EXPECT_TRUE(onMain);
    const auto p = saved();
    EXPECT_EQ(*ImagePropertyFind(p, "Orientation")->integer(), 1);
    EXPECT_TRUE(ImagePropertyFind(p, "{Exif}", "DateTimeOriginal"));
    EXPECT_TRUE(ImagePropertyFind(p, "{Exif}", "DateTimeDigitized"));
    EXPECT_EQ(*ImagePropertyFind(p, "{IPTC}", "Keywords")->strings(), platform::ImagePropertyValue::Strings{"Tavorin"});
    EXPECT_FALSE(ImagePropertyFind(p, "{TIFF}", "Make"));  // no camera is made up for a picture
    EXPECT_FALSE(ImagePropertyFind(p, "{TIFF}", "Model"));
    EXPECT_EQ(*ImagePropertyFind(p, "{TIFF}", "Software")->string(), "Tavorin 1.0");
    EXPECT_FALSE(ImagePropertyFind(p, "{GPS}", "Latitude"));
    EXPECT_EQ(ShownAlerts().count, 0u);
}

TEST_F(AlbumSaveTest, GivenMetadataLosesItsBurstEntryAndTakesTheImagesOrientation) {
    CameraUtility::Metadata given{{"{MakerApple}", CameraUtility::Metadata{{"11", "burst"}, {"8", 2}}},
                                  {"Orientation", 1},
                                  {"{TIFF}", CameraUtility::Metadata{{"ImageDescription", "kept"}}}};
    struct Case {
        UIImageOrientation orientation;
        int exif;
    } cases[] = {{UIImageOrientation::Up, 1}, {UIImageOrientation::Right, 6}, {UIImageOrientation::Down, 3}};
    for (auto& c : cases) {
        auto image = MakeImage(c.orientation);
        const auto m = CameraUtility::albumSaveMetadata(*image, given, CameraUtility::kDefaultSaveOptions);
        EXPECT_FALSE(ImageMetadataUtility::hasBurstMetadata(m));
        EXPECT_TRUE(ImagePropertyFind(m, "{MakerApple}", "8"));
        EXPECT_TRUE(ImagePropertyFind(m, "{TIFF}", "DateTime"));            // options 4: the file is written now,
        EXPECT_FALSE(ImagePropertyFind(m, "{Exif}", "DateTimeDigitized"));  // the photo's dates are its own
        EXPECT_FALSE(ImagePropertyFind(m, "{Exif}", "DateTimeOriginal"));
        EXPECT_EQ(ImageMetadataUtility::orientation(m), c.exif);
        EXPECT_FALSE(save(image, given, CameraUtility::kDefaultSaveOptions));
        EXPECT_EQ(*ImagePropertyFind(saved(), "Orientation")->integer(), c.exif);
        EXPECT_EQ(*ImagePropertyFind(saved(), "{TIFF}", "ImageDescription")->string(), "kept");
    }
}

TEST_F(AlbumSaveTest, OneAlertAtATimeWithTheErrorsTexts) {
    auto& alerts = ErrorUtility::sharedInstance();
    alerts.showAlertForShareError(NSError::errorWithDomain("Somewhere", 5, "It broke.", "The disk is gone."));
    alerts.showAlertForShareError(NSError::errorWithDomain("Somewhere", 6, "Second."));
    ASSERT_EQ(ShownAlerts().count, 1u);
    EXPECT_TRUE(alerts.alertShowing());
    const UIAlertPresentation& first = *ShownAlerts().alert;
    EXPECT_EQ(first.title, "Share Error");
    EXPECT_EQ(first.message, "It broke." + NSLocalizedString("ErrorDelimiterKey") + "The disk is gone.");
    ASSERT_EQ(first.buttons.size(), 1u);
    EXPECT_EQ(first.buttons[0].title, NSLocalizedString("OK"));
    EXPECT_NE(first.buttons[0].title, "");
    tapAlertButton(*ui, NSLocalizedString("OK"));
    EXPECT_FALSE(alerts.alertShowing());
    EXPECT_EQ(ShownAlerts().count, 0u);
    alerts.showAlertForShareError(nullptr);
    EXPECT_EQ(ShownAlerts().count, 0u);

    struct Case {
        const char* domain;
        long code;
        std::string message;
    } cases[] = {
        {ALAssetsLibraryErrorDomain, -3311, NSLocalizedString("PrivacySettingsErrorKey")},
        {ALAssetsLibraryErrorDomain, -3310, NSLocalizedString("PrivacySettingsErrorKey")},
        {"OtherDomain", -3311, "Own text."},
        {ALAssetsLibraryErrorDomain, -3300, "Own text."},
    };
    for (auto& c : cases) {
        alerts.showAlertForShareError(NSError::errorWithDomain(c.domain, c.code, "Own text."));
        ASSERT_EQ(ShownAlerts().count, 1u);
        EXPECT_EQ(ShownAlerts().alert->message, c.message);
        tapAlertButton(*ui, 0);
        EXPECT_FALSE(alerts.alertShowing());
    }
    EXPECT_NE(NSLocalizedString("PrivacySettingsErrorKey"), "PrivacySettingsErrorKey");  // the table has it
}

TEST_F(AlbumSaveTest, ADeniedSaveShowsThePrivacyTextOnTheMainQueue) {
    AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationDenied);
    bool onMain = false;
    NSErrorPtr error = save(MakeImage(), std::nullopt, 0, &onMain);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ALAssetsLibraryAccessUserDeniedError);
    EXPECT_TRUE(onMain);
    ASSERT_EQ(ShownAlerts().count, 1u);
    EXPECT_EQ(ShownAlerts().alert->message, NSLocalizedString("PrivacySettingsErrorKey"));
    // A movie that fails while the alert is up adds no second alert, but its completion runs.
    bool done = false;
    CameraUtility::saveMovieToAlbum((root / "none.mov").string(), [&](NSErrorPtr e) { done = e != nullptr; }, writer);
    while (!done) NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(ShownAlerts().count, 1u);
}

}  // namespace
