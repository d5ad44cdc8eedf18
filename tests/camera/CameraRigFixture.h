#pragma once
// A small simulated rig on the manual clock, on a phone whose frame rate is 30 per second.
#include <gtest/gtest.h>

#include "model/DeviceUtility.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIScreen.h"

class CameraRigFixture : public ::testing::Test {
protected:
    void SetUp() override {
        saved = UIDeviceProfile::current();
        UIDeviceProfile profile = saved;
        profile.machine = "iPhone7,2";
        profile.orientation = UIDeviceOrientation::Portrait;
        UIDeviceProfile::setCurrent(profile);
        loop.useManualClock(100);
        platform::SimulatedRigOptions options;
        options.backSensor = {160, 120};
        options.frontSensor = {80, 60};
        platform::CaptureRig::shared().configureSimulated(options);
        DeviceUtility::setHasCameraConnection(true);
    }
    void TearDown() override {
        loop.runUntilIdle();
        loop.useRealClock();
        UIDeviceProfile::setCurrent(saved);
    }
    void SetMachine(const std::string& machine) {
        UIDeviceProfile profile = UIDeviceProfile::current();
        profile.machine = machine;
        UIDeviceProfile::setCurrent(profile);
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    UIDeviceProfile saved;
};
