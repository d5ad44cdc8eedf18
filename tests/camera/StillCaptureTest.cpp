// Stills from the simulated rig on the manual clock: upright and unmirrored in every device
// orientation with both cameras, metadata saying so, the connection's orientation and crop
// factor, and exactly one answer for every capture, a failed one included.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CameraRigFixture.h"
#include "StillPicture.h"
#include "camera/capture/VideoController.h"
#include "platform/avfoundation/SimulatedCamera.h"
#include "platform/coregraphics/CGImage.h"
#include "support/SimulatedLocation.h"

namespace {

using namespace platform;

class StillCaptureTest : public CameraRigFixture {
protected:
    void SetOrientation(int orientation) {
        UIDeviceProfile profile = UIDeviceProfile::current();
        profile.orientation = static_cast<UIDeviceOrientation>(orientation);
        UIDeviceProfile::setCurrent(profile);
    }
    // Every capture the controller answers, in order.
    std::vector<StillImageCapturePtr> Capture(VideoController& controller, int64_t orientation, double factor = 1.0) {
        std::vector<StillImageCapturePtr> answers;
        controller.captureStillImage([&answers](StillImageCapturePtr c) { answers.push_back(std::move(c)); },
                                     orientation, factor);
        loop.advance(1.0);
        return answers;
    }
};

TEST_F(StillCaptureTest, StillsComeUprightInEveryOrientationWithBothCameras) {
    for (const bool front : {false, true}) {
        VideoController controller(front ? AVCaptureDevicePositionFront : AVCaptureDevicePositionBack);
        controller.start();
        for (int orientation = 1; orientation <= 4; ++orientation) {
            SCOPED_TRACE(std::string(front ? "front" : "back") + " orientation " + std::to_string(orientation));
            SetOrientation(orientation);
            auto answers = Capture(controller, orientation);
            ASSERT_EQ(answers.size(), 1u);
            const UIImagePtr& image = answers[0]->image();
            ASSERT_TRUE(image);
            ASSERT_TRUE(answers[0]->metadata());
            const ImageProperties& metadata = *answers[0]->metadata();
            const int64_t w = static_cast<int64_t>(CGImageGetWidth(image->CGImage()));
            const int64_t h = static_cast<int64_t>(CGImageGetHeight(image->CGImage()));
            const bool portrait = orientation <= 2;
            EXPECT_EQ(portrait, h > w) << "the picture stands as the phone was held";
            EXPECT_EQ(StillCorners(image), "0123") << "upright and unmirrored";
            EXPECT_EQ(StillEntry(metadata, nullptr, kCGImagePropertyOrientation), 1);
            EXPECT_EQ(StillEntry(metadata, kCGImagePropertyExifDictionary, "PixelXDimension"), w);
            EXPECT_EQ(StillEntry(metadata, kCGImagePropertyExifDictionary, "PixelYDimension"), h);
            EXPECT_EQ(controller.stillImageCaptureVideoConnection()->videoOrientation(), orientation);
        }
    }
}

TEST_F(StillCaptureTest, ConnectionTakesTheStoredOrientationAndAClampedFactor) {
    VideoController controller;
    SetOrientation(3);  // the last upright orientation the stored one reads
    struct Case {
        int64_t orientation;
        double factor;
        int64_t wantOrientation;
        double wantFactor;
    };
    for (const Case& c : std::vector<Case>{{1, 1.0, 1, 1.0},
                                           {3, 2.5, 3, 2.5},
                                           {0, 0.2, 3, 1.0},
                                           {5, 99, 3, 5.0},
                                           {6, std::nan(""), 3, 1.0},
                                           {4, -3, 4, 1.0}}) {
        SCOPED_TRACE(c.orientation);
        const AVCaptureConnectionRef connection =
            controller.configureStillImageCaptureConnection(c.orientation, c.factor);
        ASSERT_TRUE(connection);
        EXPECT_EQ(connection->videoOrientation(), c.wantOrientation);
        EXPECT_DOUBLE_EQ(connection->videoScaleAndCropFactor(), c.wantFactor);
    }
    AppConstants::resetCaches();
}

TEST_F(StillCaptureTest, AFailedCaptureAnswersOnceWithNothing) {
    VideoController controller;  // never started: the output cannot take a picture
    auto answers = Capture(controller, 1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0]->image());
    EXPECT_FALSE(answers[0]->metadata());
    ASSERT_TRUE(answers[0]->error()) << "with the reason";
    EXPECT_EQ(answers[0]->error()->code(), AVErrorSessionNotRunning);
}

TEST_F(StillCaptureTest, JPEGStillsStandAsTheBGRAOnesAndAnswerOnceAlsoWhenTheyFail) {
    VideoController controller;
    std::vector<StillImageCapturePtr> answers;
    const auto jpeg = [&](int64_t orientation) {
        answers.clear();
        controller.captureStillImageJPEG([&answers](StillImageCapturePtr c) { answers.push_back(std::move(c)); },
                                         orientation);
        loop.advance(1.0);
    };
    jpeg(1);  // not started
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0]->image());
    EXPECT_FALSE(answers[0]->metadata());
    EXPECT_TRUE(answers[0]->error());

    controller.start();
    for (int64_t orientation : {1, 3}) {
        SCOPED_TRACE(orientation);
        const auto bgra = Capture(controller, orientation);
        jpeg(orientation);
        ASSERT_EQ(answers.size(), 1u);
        ASSERT_TRUE(answers[0]->image());
        ASSERT_TRUE(bgra[0]->image());
        EXPECT_EQ(answers[0]->image()->size(), bgra[0]->image()->size()) << "the same picture, standing the same way";
        ASSERT_TRUE(answers[0]->metadata());
        EXPECT_TRUE(ImagePropertyFind(*answers[0]->metadata(), kCGImagePropertyExifDictionary,
                                      kCGImagePropertyExifDateTimeOriginal));
    }
}

TEST_F(StillCaptureTest, ABufferWithoutAttachmentsStillGivesItsImage) {
    VideoController controller;
    controller.start();
    CMSampleBufferRef still = controller.currentCameraInput()->device()->source()->stillFrame(1.0);
    ASSERT_TRUE(still);
    still->setAttachments({});
    const StillImageCapture capture(still);
    EXPECT_TRUE(capture.image());
    EXPECT_FALSE(capture.metadata());
}

// A still names the camera that took it, and no other, and is dated at the moment it was
// taken: original and digitized alike.
TEST_F(StillCaptureTest, AStillNamesItsCameraAndTheMomentItWasTaken) {
    VideoController controller;
    controller.start();
    auto answers = Capture(controller, 1);
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_TRUE(answers[0]->metadata());
    const ImageProperties& metadata = *answers[0]->metadata();
    const auto text = [&](const char* group, const char* key) {
        const ImagePropertyValue* v = ImagePropertyFind(metadata, group, key);
        return v && v->string() ? *v->string() : std::string("<missing>");
    };
    EXPECT_EQ(text(kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFModel), SimulatedCamera::kModel);
    EXPECT_EQ(text(kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFMake), "<missing>");
    const std::string taken = text(kCGImagePropertyExifDictionary, kCGImagePropertyExifDateTimeOriginal);
    EXPECT_EQ(taken.size(), 19u);
    EXPECT_EQ(text(kCGImagePropertyExifDictionary, kCGImagePropertyExifDateTimeDigitized), taken);
    EXPECT_EQ(text(kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFDateTime), taken);
}

TEST_F(StillCaptureTest, AStillCarriesAPlaceOnlyWhileGeotaggingIsOn) {
    char pattern[] = "/tmp/tavorin-still-XXXXXX";
    const std::string root = ::mkdtemp(pattern);
    ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    AuthorizationStore::resetShared();
    {
        SimulatedLocation geotags;
        VideoController controller;
        controller.start();
        geotags.geotag(CLLocation({48.5, 9.25}, 300, 5, SimulatedLocation::now()));
        auto on = Capture(controller, 1);
        LocationUtility::sharedInstance().setEnabled(false);
        auto off = Capture(controller, 1);
        ASSERT_EQ(on.size(), 1u);
        ASSERT_EQ(off.size(), 1u);
        ASSERT_TRUE(on[0]->metadata() && off[0]->metadata());
        EXPECT_TRUE(ImagePropertyGroup(*on[0]->metadata(), kCGImagePropertyGPSDictionary));
        EXPECT_FALSE(ImagePropertyGroup(*off[0]->metadata(), kCGImagePropertyGPSDictionary));
        EXPECT_TRUE(ImagePropertyFind(*off[0]->metadata(), kCGImagePropertyExifDictionary,
                                      kCGImagePropertyExifDateTimeOriginal));
    }
    AuthorizationStore::resetShared();
    std::filesystem::remove_all(root);
}

}  // namespace
