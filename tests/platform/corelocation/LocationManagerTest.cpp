// The location manager over its providers: services only with a provider, delivery on the main
// run loop and only while authorised, denial as a failure, the fixed position from the
// environment re-stamped on the manual clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/corelocation/CLLocationManager.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

struct Recorder : CLLocationManagerDelegate {
    std::vector<CLLocation> fixes;
    std::vector<std::optional<CLLocation>> previous;
    std::vector<double> headings;
    std::vector<long> errors;
    void didUpdateToLocation(CLLocationManager&, const CLLocation& l, const std::optional<CLLocation>& old) override {
        fixes.push_back(l);
        previous.push_back(old);
    }
    void didUpdateHeading(CLLocationManager&, const CLHeading& h) override { headings.push_back(h.trueHeading()); }
    void didFailWithError(CLLocationManager&, const NSErrorPtr& e) override { errors.push_back(e->code()); }
};

class LocationManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-location-XXXXXX";
        root = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        AuthorizationStore::resetShared();
        NSRunLoop::mainRunLoop().useManualClock(0);
        manager.setDelegate(&recorder);
    }
    void TearDown() override {
        manager.stopUpdatingLocation();
        manager.stopUpdatingHeading();
        CLLocationProvider::install(nullptr);
        NSRunLoop::mainRunLoop().runUntilIdle();
        NSRunLoop::mainRunLoop().useRealClock();
        AuthorizationStore::resetShared();
        std::filesystem::remove_all(root);
    }

    std::string root;
    Recorder recorder;
    CLLocationManager manager;
};

TEST(LocationProviderTest, TheEnvironmentsPositionIsReadStrictly) {
    struct Case {
        const char* text;
        bool valid;
        double latitude, longitude, altitude;
    } cases[] = {
        {"52.5,13.4", true, 52.5, 13.4, 0},
        {"-33.9,151.2,58", true, -33.9, 151.2, 58},
        {"90,-180,-10", true, 90, -180, -10},
        {"", false, 0, 0, 0},
        {"52.5", false, 0, 0, 0},
        {"91,0", false, 0, 0, 0},
        {"0,181", false, 0, 0, 0},
        {"1,2,3,4", false, 0, 0, 0},
        {"a,b", false, 0, 0, 0},
        {"1,nan", false, 0, 0, 0},
        {"1,,2", false, 0, 0, 0},
        {"1 ,2x", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto fix = FixedLocationProvider::parse(c.text);
        ASSERT_EQ(fix.has_value(), c.valid);
        if (!fix) continue;
        EXPECT_DOUBLE_EQ(fix->first.latitude, c.latitude);
        EXPECT_DOUBLE_EQ(fix->first.longitude, c.longitude);
        EXPECT_DOUBLE_EQ(fix->second, c.altitude);
    }
}

TEST_F(LocationManagerTest, ServicesAreOnOnlyWithAProvider) {
    CLLocationProvider::install(nullptr);
    EXPECT_FALSE(CLLocationManager::locationServicesEnabled());
    manager.startUpdatingLocation();  // nothing to follow: no report, no crash
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(recorder.fixes.empty());
    CLLocationProvider::install(std::make_shared<SimulatedLocationProvider>());
    EXPECT_TRUE(CLLocationManager::locationServicesEnabled());
}

TEST_F(LocationManagerTest, ReportsArriveOnTheMainRunLoopOnlyWhileAuthorised) {
    auto provider = std::make_shared<SimulatedLocationProvider>();
    CLLocationProvider::install(provider);
    manager.startUpdatingLocation();
    provider->postLocation(CLLocation(1, 2));
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(recorder.fixes.empty());  // not yet asked: nothing is delivered

    manager.requestWhenInUseAuthorization();
    EXPECT_EQ(CLLocationManager::authorizationStatus(), kLocationAuthorizedWhenInUse);
    provider->postLocation(CLLocation(3, 4));
    provider->postHeading(CLHeading(45));  // heading updates were not started
    EXPECT_TRUE(recorder.fixes.empty());   // not on the caller's stack
    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_EQ(recorder.fixes.size(), 1u);
    EXPECT_DOUBLE_EQ(recorder.fixes[0].coordinate().latitude, 3);
    EXPECT_FALSE(recorder.previous[0]);
    EXPECT_TRUE(recorder.headings.empty());

    manager.startUpdatingHeading();
    provider->postLocation(CLLocation(5, 6));
    provider->postHeading(CLHeading(45));
    provider->postError(NSError::errorWithDomain(kCLErrorDomain, kCLErrorLocationUnknown, "lost"));
    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_EQ(recorder.fixes.size(), 2u);
    EXPECT_DOUBLE_EQ(recorder.previous[1]->coordinate().latitude, 3);
    EXPECT_EQ(recorder.headings, std::vector<double>{45});
    EXPECT_EQ(recorder.errors, std::vector<long>{kCLErrorLocationUnknown});

    manager.stopUpdatingLocation();
    manager.stopUpdatingHeading();
    provider->postLocation(CLLocation(7, 8));
    provider->postError(NSError::errorWithDomain(kCLErrorDomain, kCLErrorLocationUnknown, "lost"));
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(recorder.fixes.size(), 2u);
    EXPECT_EQ(recorder.errors.size(), 1u);
}

TEST_F(LocationManagerTest, ADeniedRequestIsReportedAsAFailure) {
    auto provider = std::make_shared<SimulatedLocationProvider>();
    CLLocationProvider::install(provider);
    AuthorizationStore::shared().setPolicy(AuthorizationPolicy::Deny);
    manager.requestWhenInUseAuthorization();
    EXPECT_EQ(CLLocationManager::authorizationStatus(), kAuthorizationDenied);
    manager.startUpdatingLocation();
    provider->postLocation(CLLocation(1, 2));
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(recorder.fixes.empty());
    EXPECT_EQ(recorder.errors, std::vector<long>{kCLErrorDenied});
}

TEST_F(LocationManagerTest, TheFixedPositionIsRestampedEveryTenSeconds) {
    ::setenv("TAVORIN_LOCATION", "48.85,2.35,35", 1);
    CLLocationProvider::resetToEnvironment();
    ASSERT_TRUE(CLLocationManager::locationServicesEnabled());
    ::unsetenv("TAVORIN_LOCATION");
    manager.requestWhenInUseAuthorization();
    manager.startUpdatingLocation();
    manager.startUpdatingHeading();
    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_EQ(recorder.fixes.size(), 1u);  // the position at once
    EXPECT_DOUBLE_EQ(recorder.fixes[0].coordinate().longitude, 2.35);
    EXPECT_DOUBLE_EQ(recorder.fixes[0].altitude(), 35);
    EXPECT_GE(recorder.fixes[0].horizontalAccuracy(), 0);
    NSRunLoop::mainRunLoop().advance(9.9);
    EXPECT_EQ(recorder.fixes.size(), 1u);
    NSRunLoop::mainRunLoop().advance(20.1);
    EXPECT_EQ(recorder.fixes.size(), 4u);
    EXPECT_GE(recorder.fixes[3].timestamp(), recorder.fixes[0].timestamp());
    EXPECT_TRUE(recorder.headings.empty());  // a fixed position has no compass

    manager.stopUpdatingLocation();
    NSRunLoop::mainRunLoop().advance(30);
    EXPECT_EQ(recorder.fixes.size(), 4u);
}

}  // namespace
