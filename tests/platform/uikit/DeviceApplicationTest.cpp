// The device profile, the screen, orientation changes and the application's life cycle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"

namespace {

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { UIDeviceProfile::setCurrent(UIDeviceProfile::phone()); }
    void TearDown() override {
        NSNotificationCenter::defaultCenter().removeObserver(this);
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    }
    std::vector<std::string> log;
    void record(const NSNotificationName& name) {
        NSNotificationCenter::defaultCenter().addObserver(this, name,
                                                          [this](const NSNotification& n) { log.push_back(n.name); });
    }
};

TEST_F(DeviceTest, PhoneIsTheDefaultAndPadIsAvailable) {
    EXPECT_EQ(UIScreen::mainScreen().bounds(), CGRectMake(0, 0, 375, 667));
    EXPECT_EQ(UIScreen::mainScreen().scale(), 2);
    EXPECT_EQ(UIScreen::mainScreen().nativeBounds(), CGRectMake(0, 0, 750, 1334));
    EXPECT_EQ(UI_USER_INTERFACE_IDIOM(), UIUserInterfaceIdiom::Phone);
    EXPECT_EQ(std::make_shared<UIView>()->contentScaleFactor(), 2);

    UIDeviceProfile pad = UIDeviceProfile::pad();
    pad.orientation = UIDeviceOrientation::LandscapeLeft;
    UIDeviceProfile::setCurrent(pad);
    EXPECT_EQ(UIDevice::currentDevice().model(), "iPad");
    EXPECT_EQ(UI_USER_INTERFACE_IDIOM(), UIUserInterfaceIdiom::Pad);
    EXPECT_EQ(UIApplication::sharedApplication().statusBarOrientation(), UIInterfaceOrientation::LandscapeRight);
    EXPECT_EQ(UIScreen::mainScreen().bounds(), CGRectMake(0, 0, 1024, 768));
    EXPECT_EQ(UIScreen::mainScreen().nativeBounds(), CGRectMake(0, 0, 1536, 2048));
}

TEST_F(DeviceTest, ScreenBoundsTurnWithTheInterfaceFromVersion8On) {
    UIDeviceProfile pad = UIDeviceProfile::pad();
    pad.orientation = UIDeviceOrientation::LandscapeRight;
    pad.systemVersion = "7.1";
    UIDeviceProfile::setCurrent(pad);
    EXPECT_EQ(UIApplication::sharedApplication().statusBarOrientation(), UIInterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(UIScreen::mainScreen().bounds(), CGRectMake(0, 0, 768, 1024));
    pad.systemVersion = "8.0";
    UIDeviceProfile::setCurrent(pad);
    EXPECT_EQ(UIScreen::mainScreen().bounds(), CGRectMake(0, 0, 1024, 768));

    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"8.10", "8.9", 1},    {"8.0", "8.0", 0},  {"8", "8.0", -1},    {"08.1", "8.1", 0},
        {"7.1.2", "7.10", -1}, {"10.0", "9.3", 1}, {"8.1b", "8.1a", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UIDevice::compareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(UIDevice::compareVersions(c.b, c.a), -c.order) << c.b << " vs " << c.a;
    }
}

TEST_F(DeviceTest, HardwareIsTheHostsUnlessTheProfileNamesIt) {
    const unsigned revision = UIDeviceProfile::revision();
    UIDevice& device = UIDevice::currentDevice();
    EXPECT_FALSE(device.machine().empty());
    EXPECT_GT(device.physicalMemory(), 64ull << 20);
    EXPECT_FALSE(device.isCameraAvailable());

    UIDeviceProfile profile = UIDeviceProfile::phone();
    profile.machine = "iPhone7,2";
    profile.physicalMemory = 1ull << 30;
    profile.cameraAvailable = true;
    UIDeviceProfile::setCurrent(profile);
    EXPECT_EQ(device.machine(), "iPhone7,2");
    EXPECT_EQ(device.physicalMemory(), 1ull << 30);
    EXPECT_TRUE(device.isCameraAvailable());
    EXPECT_EQ(UIDeviceProfile::revision(), revision + 1) << "derived values know to derive again";
}

TEST_F(DeviceTest, TurningTheDeviceTurnsTheInterfaceWhileNotificationsAreOn) {
    record(UIDeviceOrientationDidChangeNotification);
    record(UIApplicationDidChangeStatusBarOrientationNotification);
    UIDevice& device = UIDevice::currentDevice();
    device.setOrientation(UIDeviceOrientation::LandscapeLeft);  // not generating: silent
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(UIApplication::sharedApplication().statusBarOrientation(), UIInterfaceOrientation::Portrait);

    device.beginGeneratingDeviceOrientationNotifications();
    device.setOrientation(UIDeviceOrientation::LandscapeRight);
    EXPECT_EQ(log, (std::vector<std::string>{UIDeviceOrientationDidChangeNotification,
                                             UIApplicationDidChangeStatusBarOrientationNotification}));
    EXPECT_EQ(UIApplication::sharedApplication().statusBarOrientation(), UIInterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(UIScreen::mainScreen().bounds().size, CGSizeMake(667, 375));

    log.clear();
    device.setOrientation(UIDeviceOrientation::FaceUp);              // the interface stays
    device.setOrientation(UIDeviceOrientation::PortraitUpsideDown);  // not on a phone
    EXPECT_EQ(log, (std::vector<std::string>{UIDeviceOrientationDidChangeNotification,
                                             UIDeviceOrientationDidChangeNotification}));
    EXPECT_EQ(UIApplication::sharedApplication().statusBarOrientation(), UIInterfaceOrientation::LandscapeLeft);
    device.endGeneratingDeviceOrientationNotifications();
    device.endGeneratingDeviceOrientationNotifications();  // unbalanced: stays off
    EXPECT_FALSE(device.isGeneratingDeviceOrientationNotifications());
}

TEST_F(DeviceTest, LifeCycleStepsPostTheirNotificationsInOrder) {
    for (const auto& name : {UIApplicationWillResignActiveNotification, UIApplicationDidEnterBackgroundNotification,
                             UIApplicationWillEnterForegroundNotification, UIApplicationDidBecomeActiveNotification})
        record(name);
    UIApplication& app = UIApplication::sharedApplication();
    app.transitionToState(UIApplicationState::Active);
    log.clear();
    app.transitionToState(UIApplicationState::Background);
    EXPECT_EQ(log, (std::vector<std::string>{UIApplicationWillResignActiveNotification,
                                             UIApplicationDidEnterBackgroundNotification}));
    log.clear();
    app.transitionToState(UIApplicationState::Active);
    EXPECT_EQ(log, (std::vector<std::string>{UIApplicationWillEnterForegroundNotification,
                                             UIApplicationDidBecomeActiveNotification}));
    log.clear();
    app.transitionToState(UIApplicationState::Active);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(app.applicationState(), UIApplicationState::Active);

    app.beginIgnoringInteractionEvents();
    app.beginIgnoringInteractionEvents();
    app.endIgnoringInteractionEvents();
    EXPECT_TRUE(app.isIgnoringInteractionEvents());
    app.endIgnoringInteractionEvents();
    app.endIgnoringInteractionEvents();  // unbalanced: the count stays at zero
    EXPECT_FALSE(app.isIgnoringInteractionEvents());
    app.beginIgnoringInteractionEvents();
    EXPECT_TRUE(app.isIgnoringInteractionEvents());
    app.endIgnoringInteractionEvents();
}

}  // namespace
