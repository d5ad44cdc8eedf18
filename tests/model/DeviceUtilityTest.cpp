#include <gtest/gtest.h>

#include <cmath>

#include "model/DeviceUtility.h"
#include "platform/uikit/UIScreen.h"

namespace {

class DeviceUtilityTest : public ::testing::Test {
protected:
    void TearDown() override { UIDeviceProfile::setCurrent(UIDeviceProfile::phone()); }

    static void use(const std::string& machine, std::uint64_t memoryMB = 1024) {
        UIDeviceProfile profile;
        profile.machine = machine;
        profile.physicalMemory = memoryMB << 20;
        UIDeviceProfile::setCurrent(profile);
    }
};

TEST_F(DeviceUtilityTest, HostCountsAsTheHighestTier) {
    UIDeviceProfile::setCurrent(UIDeviceProfile::phone());  // this host's hardware
    EXPECT_FALSE(DeviceUtility::machineIdentifier().empty());
    EXPECT_GT(UIDevice::currentDevice().physicalMemory(), 0u);
    EXPECT_TRUE(DeviceUtility::hasAXGPU());
    EXPECT_TRUE(DeviceUtility::hasA8GPUOrHigher());
    EXPECT_TRUE(DeviceUtility::is5OrHigher());
    EXPECT_EQ(AppConstants::defaultRealtimeFramerate(), 30.0);
    EXPECT_EQ(DeviceUtility::memorySize() % 128, 0u);
    EXPECT_FALSE(DeviceUtility::hasCamera()) << "no camera until the camera layer finds one";
}

TEST_F(DeviceUtilityTest, ModelPrefixes) {
    struct Case {
        const char* machine;
        bool (*test)();
        bool expected;
    };
    const Case cases[] = {
        {"iPad3,4", DeviceUtility::isIPad4, true},    {"iPad3,4", DeviceUtility::isIPad3, false},
        {"iPad3,3", DeviceUtility::isIPad3, true},    {"iPhone7,2", DeviceUtility::is6, true},
        {"iPhone7,2", DeviceUtility::is6Plus, false}, {"iPhone5,3", DeviceUtility::is5, true},
        {"iPod7,1", DeviceUtility::isTouch6, true},   {"iPad6,8", DeviceUtility::isIPadPro, true},
    };
    for (const Case& c : cases) {
        use(c.machine);
        EXPECT_EQ(c.test(), c.expected) << c.machine;
    }
}

TEST_F(DeviceUtilityTest, Tiers) {
    struct Case {
        const char* machine;
        bool ax, a8, fourS, five;
        double framerate;
    };
    const Case cases[] = {
        {"iPad4,1", true, false, true, true, 24},  // Air: AX but not A8
        {"iPhone7,2", true, true, true, true, 30},     {"iPhone6,1", true, false, true, true, 24},  // 5S
        {"iPhone5,1", false, false, true, true, 24},   {"iPhone4,1", false, false, true, false, 24},
        {"iPhone3,1", false, false, false, false, 24}, {"iPad2,1", false, false, true, false, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        use(c.machine);
        EXPECT_EQ(DeviceUtility::hasAXGPU(), c.ax);
        EXPECT_EQ(DeviceUtility::hasA8GPUOrHigher(), c.a8);
        EXPECT_EQ(DeviceUtility::is4SOrHigher(), c.fourS);
        EXPECT_EQ(DeviceUtility::is5OrHigher(), c.five);
        EXPECT_EQ(AppConstants::defaultRealtimeFramerate(), c.framerate);
    }
}

TEST_F(DeviceUtilityTest, MemoryRoundsToBlocksOf128MB) {
    struct Case {
        std::uint64_t bytes;
        std::uint32_t megabytes;
        bool low, high;
    };
    const Case cases[] = {
        {1024ull << 20, 1024, false, true},
        {(1024ull - 60) << 20, 1024, false, true},  // some memory held back by the system
        {512ull << 20, 512, false, false},
        {256ull << 20, 256, true, false},
        {(192ull << 20), 256, true, false},  // half a block rounds away from zero
    };
    for (const Case& c : cases) {
        UIDeviceProfile profile;
        profile.physicalMemory = c.bytes;
        UIDeviceProfile::setCurrent(profile);
        EXPECT_EQ(DeviceUtility::memorySize(), c.megabytes);
        EXPECT_EQ(DeviceUtility::hasLowMemory(), c.low);
        EXPECT_EQ(DeviceUtility::hasHighMemory(), c.high);
    }
}

TEST_F(DeviceUtilityTest, FullResolutionSize) {
    use("x86_64", 2048);
    EXPECT_EQ(AppConstants::maximumHighResolutionImageSize(), 5500.0);
    EXPECT_EQ(AppConstants::maximumHighResolutionSizeForImageSize({4000, 3000}), (CGSize{6351, 4763}));
    use("x86_64", 512);
    EXPECT_EQ(AppConstants::maximumHighResolutionSizeForImageSize({100, 100}), (CGSize{4500, 4500}));
    for (CGSize empty :
         {CGSize{0, 3000}, CGSize{4000, 0}, CGSize{-1, 5}, CGSize{NAN, 10}, CGSize{INFINITY, 10}, CGSize{1e300, 1e300}})
        EXPECT_EQ(AppConstants::maximumHighResolutionSizeForImageSize(empty), (CGSize{0, 0}))
            << empty.width << " x " << empty.height;
}

TEST_F(DeviceUtilityTest, VersionComparisonIsNumeric) {
    UIDeviceProfile profile;
    profile.systemVersion = "8.10";
    UIDeviceProfile::setCurrent(profile);
    EXPECT_TRUE(DeviceUtility::iOSVersionGreaterThanOrEqualTo("8.9"));
    EXPECT_TRUE(DeviceUtility::iOSVersionGreaterThanOrEqualTo("8.10"));
    EXPECT_TRUE(DeviceUtility::iOSVersionGreaterThanOrEqualTo("8"));
    EXPECT_FALSE(DeviceUtility::iOSVersionGreaterThanOrEqualTo("8.10.1"));
    EXPECT_FALSE(DeviceUtility::iOSVersionGreaterThanOrEqualTo("10.0"));
}

TEST_F(DeviceUtilityTest, ScreenGeometry) {
    UIDeviceProfile phone = UIDeviceProfile::phone();  // 375 x 667 at scale 2
    UIDeviceProfile::setCurrent(phone);
    EXPECT_TRUE(DeviceUtility::hasRetinaDisplay());
    EXPECT_TRUE(DeviceUtility::has4Point7InchDisplay());
    EXPECT_FALSE(AppConstants::cameraViewIsTransparent());
    EXPECT_EQ(AppConstants::defaultAlbumViewFrame(), CGRectMake(0, 0, 375, 667 - 44 - 98));
    EXPECT_EQ(AppConstants::defaultCameraViewFrame(), AppConstants::defaultAlbumViewFrame());

    phone.scale = 3.0;
    phone.portraitSize = {320, 480};
    UIDeviceProfile::setCurrent(phone);
    EXPECT_FALSE(DeviceUtility::hasRetinaDisplay());
    EXPECT_TRUE(DeviceUtility::has3Point5InchDisplay());
    EXPECT_EQ(AppConstants::defaultCameraViewFrame(), CGRectMake(0, -44, 320, 480));
}

TEST_F(DeviceUtilityTest, PadInLandscape) {
    UIDeviceProfile pad = UIDeviceProfile::pad();
    pad.orientation = UIDeviceOrientation::LandscapeLeft;  // the interface turns landscape right (3)
    for (const char* version : {"9.0", "7.1"}) {
        SCOPED_TRACE(version);
        pad.systemVersion = version;
        UIDeviceProfile::setCurrent(pad);
        EXPECT_EQ(UIScreen::mainScreen().bounds().size.width, version[0] == '9' ? 1024 : 768);
        EXPECT_EQ(AppConstants::nativeScreenBounds(), CGRectMake(0, 0, 768, 1024));
        EXPECT_EQ(AppConstants::screenBounds(), CGRectMake(0, 0, 1024, 768));
        EXPECT_TRUE(AppConstants::cameraViewIsTransparent());
    }
    EXPECT_FALSE(AppConstants::screenBoundsInterfaceOriented());
}

TEST_F(DeviceUtilityTest, StoredOrientationKeepsTheLastUprightOne) {
    struct Step {
        int given, stored;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{5, 1}},
        {{3, 3}, {5, 3}},
        {{4, 4}, {0, 4}},
        {{2, 2}, {6, 2}, {1, 1}},
    };
    for (const auto& steps : sequences) {
        AppConstants::resetCaches();
        for (const Step& step : steps) {
            UIDeviceProfile profile;
            profile.orientation = UIDeviceOrientation(step.given);
            UIDeviceProfile::setCurrent(profile);
            EXPECT_EQ(AppConstants::orientation(), step.stored) << "given " << step.given;
        }
    }
    EXPECT_EQ(AppConstants::angleForOrientation(2), M_PI);
    EXPECT_EQ(AppConstants::angleForOrientation(3), M_PI / 2);
    EXPECT_EQ(AppConstants::angleForOrientation(4), -M_PI / 2);
    for (int code : {0, 1, 5, 6}) EXPECT_EQ(AppConstants::angleForOrientation(code), 0.0);
}

TEST_F(DeviceUtilityTest, FlagsTheProgramRecords) {
    EXPECT_FALSE(DeviceUtility::hasCameraConnection());
    DeviceUtility::setHasCameraConnection(true);
    EXPECT_TRUE(DeviceUtility::hasCameraConnection());
    DeviceUtility::setHasCameraConnection(false);
    AppConstants::setOrientation(4);
    AppConstants::setOrientation(5);
    UIDeviceProfile profile;
    profile.orientation = UIDeviceOrientation::Unknown;
    UIDeviceProfile::setCurrent(profile);
    EXPECT_EQ(AppConstants::orientation(), 4);
}

}  // namespace
