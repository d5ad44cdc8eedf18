// Geotags: which fixes count, failures, turning geotagging off in every state of the location
// services, denial, and the metadata of a photo taken with geotagging on and then off.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "support/SimulatedLocation.h"

namespace {

class LocationUtilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-geotag-XXXXXX";
        root = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        AuthorizationStore::resetShared();
        NSRunLoop::mainRunLoop().useManualClock(0);
        geotags.emplace();
    }
    void TearDown() override {
        utility.stopUpdating();
        geotags.reset();
        NSRunLoop::mainRunLoop().useRealClock();
        AuthorizationStore::resetShared();
        std::filesystem::remove_all(root);
    }
    void post(const CLLocation& fix) {
        geotags->provider->postLocation(fix);
        NSRunLoop::mainRunLoop().runUntilIdle();
    }

    std::string root;
    std::optional<SimulatedLocation> geotags;
    LocationUtility utility;
};

TEST_F(LocationUtilityTest, OnlyFixesWithinTwoMinutesOfNowCount) {
    utility.setEnabled(true);
    ASSERT_TRUE(utility.enabled());
    EXPECT_EQ(CLLocationManager::authorizationStatus(), kLocationAuthorizedWhenInUse);  // asked on the way
    struct Case {
        double age;  // seconds before now; negative: ahead of the clock
        bool taken;
    } cases[] = {{0, true}, {119, true}, {121, false}, {-119, true}, {-121, false}, {1e9, false}};
    double latitude = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.age);
        latitude += 1;
        post(CLLocation({latitude, 0}, 0, 5, SimulatedLocation::now() - c.age));
        ASSERT_TRUE(utility.currentLocationAvailable());  // an old fix leaves the previous one
        EXPECT_EQ(utility.currentLocation()->coordinate().latitude == latitude, c.taken);
    }
}

TEST_F(LocationUtilityTest, AFailureForgetsBothUntilTheNextFix) {
    utility.setEnabled(true);
    post(CLLocation({1, 2}, 0, 5, SimulatedLocation::now()));
    geotags->provider->postHeading(CLHeading(10));
    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_TRUE(utility.currentLocationAvailable() && utility.currentHeadingAvailable());
    geotags->provider->postError(NSError::errorWithDomain(kCLErrorDomain, kCLErrorLocationUnknown, "lost"));
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_FALSE(utility.currentLocationAvailable());
    EXPECT_FALSE(utility.currentHeadingAvailable());
    EXPECT_TRUE(utility.enabled());  // updates go on
    post(CLLocation({1, 2}, 0, 5, SimulatedLocation::now()));
    EXPECT_TRUE(utility.currentLocationAvailable());
}

// Turning geotagging off stops and forgets, whether or not the services are still there.
TEST_F(LocationUtilityTest, TurningOffForgetsInEveryStateOfTheServices) {
    enum class Services { On, SwitchedOff, Denied };
    for (Services state : {Services::On, Services::SwitchedOff, Services::Denied}) {
        SCOPED_TRACE(static_cast<int>(state));
        CLLocationProvider::install(geotags->provider);
        AuthorizationStore::shared().setStatus(AuthorizationService::Location, kLocationAuthorizedWhenInUse);
        utility.setEnabled(true);
        post(CLLocation({1, 2}, 0, 5, SimulatedLocation::now()));
        geotags->provider->postHeading(CLHeading(10));
        NSRunLoop::mainRunLoop().runUntilIdle();
        ASSERT_TRUE(utility.currentLocationAvailable() && utility.currentHeadingAvailable());
        if (state == Services::SwitchedOff) CLLocationProvider::install(nullptr);
        if (state == Services::Denied)
            AuthorizationStore::shared().setStatus(AuthorizationService::Location, kAuthorizationDenied);
        utility.setEnabled(false);
        EXPECT_FALSE(utility.enabled());
        EXPECT_FALSE(utility.currentLocationAvailable());
        EXPECT_FALSE(utility.currentHeadingAvailable());
        EXPECT_FALSE(utility.locationManager().isUpdatingLocation());
        EXPECT_FALSE(utility.locationManager().isUpdatingHeading());
    }
}

TEST_F(LocationUtilityTest, NothingStartsWithoutServicesOrWhenDenied) {
    CLLocationProvider::install(nullptr);
    utility.setEnabled(true);
    EXPECT_FALSE(utility.enabled());
    CLLocationProvider::install(geotags->provider);
    AuthorizationStore::shared().setStatus(AuthorizationService::Location, kAuthorizationRestricted);
    EXPECT_TRUE(LocationUtility::locationServicesAvailable());  // restricted still counts
    AuthorizationStore::shared().setStatus(AuthorizationService::Location, kAuthorizationDenied);
    EXPECT_FALSE(LocationUtility::locationServicesAvailable());
    utility.setEnabled(true);
    EXPECT_FALSE(utility.enabled());
    post(CLLocation({1, 2}, 0, 5, SimulatedLocation::now()));
    EXPECT_FALSE(utility.currentLocationAvailable());
}

TEST_F(LocationUtilityTest, APhotoCarriesThePlaceOnlyWhileGeotaggingIsOn) {
    using namespace ImageMetadataUtility;
    geotags->geotag(CLLocation({51.5, -0.12}, 11, 5, SimulatedLocation::now()), CLHeading(270));
    Metadata on;
    autoPopulateMetadata(on, ImageMetadataOptionLocation);
    ASSERT_TRUE(location(on));
    EXPECT_NEAR(location(on)->coordinate().latitude, 51.5, 1e-6);
    EXPECT_DOUBLE_EQ(trueHeading(on), 270);

    LocationUtility::sharedInstance().setEnabled(false);
    Metadata off;
    autoPopulateMetadata(off, ImageMetadataOptionLocation);
    EXPECT_FALSE(platform::ImagePropertyGroup(off, "{GPS}"));
}

}  // namespace
