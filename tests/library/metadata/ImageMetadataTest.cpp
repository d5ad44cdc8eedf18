// The metadata dictionary: the flag set that fills it, locations and headings, keywords,
// orientation, the burst entry, and date texts that stay in their fixed form.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <limits>
#include <locale>

#include <filesystem>

#include "library/metadata/GeotagSource.h"
#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "platform/authorization/AuthorizationStore.h"
#include "support/SimulatedLocation.h"

namespace {

using namespace ImageMetadataUtility;
using platform::ImagePropertyFind;
using platform::ImagePropertyGroup;

const std::string* text(const Metadata& m, const char* group, const char* key) {
    const auto* v = ImagePropertyFind(m, group, key);
    return v ? v->string() : nullptr;
}

// Geotagging asks the access store: it lives in a folder of the test's own.
class ImageMetadataTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-metadata-XXXXXX";
        root = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        AuthorizationStore::resetShared();
    }
    void TearDown() override {
        AuthorizationStore::resetShared();
        std::filesystem::remove_all(root);
    }
    std::string root;
};

TEST_F(ImageMetadataTest, TheFlagsFillTheirEntries) {
    Metadata untouched{{"{Exif}", Metadata{{"UserComment", "kept"}}}};
    Metadata copy = untouched;
    autoPopulateMetadata(copy, 0);
    EXPECT_EQ(copy, untouched);

    SimulatedLocation geotags;
    geotags.geotag(CLLocation({1, 2}, 3, 4, SimulatedLocation::now()), CLHeading(90));
    Metadata m;
    autoPopulateMetadata(m, 30);
    EXPECT_EQ(orientation(m), 1);
    ASSERT_TRUE(text(m, "{Exif}", "DateTimeOriginal"));
    EXPECT_EQ(*text(m, "{Exif}", "DateTimeOriginal"), *text(m, "{TIFF}", "DateTime"));
    EXPECT_TRUE(text(m, "{Exif}", "DateTimeDigitized"));
    EXPECT_EQ(*text(m, "{Exif}", "DateTimeDigitized"), *text(m, "{TIFF}", "DateTime"));
    EXPECT_EQ(*ImagePropertyFind(m, "{IPTC}", "Keywords")->strings(), platform::ImagePropertyValue::Strings{"Tavorin"});
    EXPECT_FALSE(text(m, "{TIFF}", "Make"));  // no camera is made up
    EXPECT_FALSE(text(m, "{TIFF}", "Model"));
    EXPECT_EQ(*text(m, "{TIFF}", "Software"), "Tavorin 1.0");
    EXPECT_FALSE(ImagePropertyGroup(m, "{GPS}"));  // no location without flag 1, even when one is known

    Metadata located;
    autoPopulateMetadata(located, ImageMetadataOptionLocation);
    EXPECT_TRUE(ImagePropertyFind(located, "{GPS}", "Latitude"));
    EXPECT_DOUBLE_EQ(trueHeading(located), 90);
}

// A photo's own camera and capture dates stay whatever the flags: a save states only that
// the file was written now, by this program.
TEST_F(ImageMetadataTest, APhotoKeepsItsCameraAndCaptureDates) {
    const Metadata photo{
        {"{TIFF}",
         Metadata{{"Make", "Canon"}, {"Model", "Canon EOS 5D Mark III"}, {"DateTime", "2023:05:14 10:21:07"}}},
        {"{Exif}",
         Metadata{{"DateTimeOriginal", "2023:05:14 10:21:07"}, {"DateTimeDigitized", "2023:05:14 10:21:08"}}}};
    for (int options : {4, 12, 30, 31}) {
        SCOPED_TRACE(options);
        Metadata m = photo;
        autoPopulateMetadata(m, options);
        EXPECT_EQ(*text(m, "{TIFF}", "Make"), "Canon");
        EXPECT_EQ(*text(m, "{TIFF}", "Model"), "Canon EOS 5D Mark III");
        EXPECT_EQ(*text(m, "{Exif}", "DateTimeOriginal"), "2023:05:14 10:21:07");
        EXPECT_EQ(*text(m, "{Exif}", "DateTimeDigitized"), "2023:05:14 10:21:08");
        EXPECT_NE(*text(m, "{TIFF}", "DateTime"), "2023:05:14 10:21:07");  // the file is written now
    }
}

TEST_F(ImageMetadataTest, KeywordsAreAddedOnceAtTheEnd) {
    Metadata m;
    EXPECT_FALSE(hasKeyword(m, "x"));
    EXPECT_TRUE(ImagePropertyGroup(m, "{IPTC}"));  // the query leaves an empty group
    appendKeyword(m, "Tavorin");
    appendKeyword(m, "Tavorin");
    EXPECT_EQ(ImagePropertyFind(m, "{IPTC}", "Keywords")->strings()->size(), 1u);
    setKeywords(m, "first");
    appendKeyword(m, "second");
    EXPECT_EQ(*ImagePropertyFind(m, "{IPTC}", "Keywords")->strings(),
              (platform::ImagePropertyValue::Strings{"first", "second"}));
    appendKeyword(m, std::nullopt);
    setUserComment(m, std::nullopt);
    EXPECT_FALSE(ImagePropertyFind(m, "{Exif}", "UserComment"));
}

TEST_F(ImageMetadataTest, LocationsKeepTheirHemispheres) {
    struct Case {
        double latitude, longitude;
        const char *latRef, *lonRef;
    } cases[] = {{0, 0, "N", "E"}, {-33.5, -70.6, "S", "W"}, {48.85, 2.35, "N", "E"}, {-0.0001, 179.9, "S", "E"}};
    for (auto& c : cases) {
        Metadata m;
        setLocation(m, CLLocation({c.latitude, c.longitude}, -12.5, 8, 1700000000));
        EXPECT_EQ(*text(m, "{GPS}", "LatitudeRef"), c.latRef);
        EXPECT_EQ(*text(m, "{GPS}", "LongitudeRef"), c.lonRef);
        EXPECT_DOUBLE_EQ(*ImagePropertyFind(m, "{GPS}", "Latitude")->number(), double(float(std::fabs(c.latitude))));
        EXPECT_DOUBLE_EQ(*ImagePropertyFind(m, "{GPS}", "Altitude")->number(), -12.5);
        EXPECT_EQ(*text(m, "{GPS}", "TimeStamp"), "2023:11:14 22:13:20");
        auto back = location(m);
        EXPECT_DOUBLE_EQ(back->coordinate().latitude, double(float(c.latitude)));
        EXPECT_DOUBLE_EQ(back->coordinate().longitude, double(float(c.longitude)));
    }
}

TEST_F(ImageMetadataTest, PositionAndDirectionKeepEachOther) {
    Metadata m;
    setHeading(m, CLHeading(123));
    setLocation(m, CLLocation({10, 20}, 0, 5, 0));
    EXPECT_DOUBLE_EQ(trueHeading(m), 123);
    setHeading(m, CLHeading(45));
    EXPECT_TRUE(ImagePropertyFind(m, "{GPS}", "Latitude"));
    EXPECT_EQ(*text(m, "{GPS}", "ImgDirectionRef"), "T");
    EXPECT_DOUBLE_EQ(trueHeading(Metadata{}), 0);
    EXPECT_FALSE(location(Metadata{}));
}

// The place comes from the installed geotag source alone: none installed, none written.
TEST_F(ImageMetadataTest, ThePlaceComesFromTheInstalledGeotagSource) {
    struct FixedSource : GeotagSource {
        std::optional<CLLocation> currentLocation() const override { return CLLocation({-33.5, -70.6}, 520, 5, 0); }
        std::optional<CLHeading> currentHeading() const override { return CLHeading(200); }
    } source;
    const GeotagSource* previous = GeotagSource::installed();

    GeotagSource::install(nullptr);
    Metadata none;
    autoPopulateMetadata(none, ImageMetadataOptionLocation);
    EXPECT_FALSE(ImagePropertyGroup(none, "{GPS}"));

    GeotagSource::install(&source);
    Metadata placed;
    autoPopulateMetadata(placed, ImageMetadataOptionLocation);
    ASSERT_TRUE(location(placed));
    EXPECT_DOUBLE_EQ(location(placed)->coordinate().latitude, double(float(-33.5)));
    EXPECT_DOUBLE_EQ(trueHeading(placed), 200);
    GeotagSource::install(previous);
}

TEST_F(ImageMetadataTest, AnUnsoundFixIsIgnored) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const CLLocation fixes[] = {
        CLLocation({nan, 0}, 0, 5, 0),    CLLocation({0, inf}, 0, 5, 0), CLLocation({91, 0}, 0, 5, 0),
        CLLocation({0, -180.5}, 0, 5, 0), CLLocation({0, 0}, 0, -1, 0),  CLLocation({0, 0}, nan, 5, 0),
    };
    for (auto& fix : fixes) {
        Metadata m{{"{GPS}", Metadata{{"ImgDirection", 5.0}}}};
        const Metadata before = m;
        setLocation(m, fix);
        EXPECT_EQ(m, before);
    }
}

TEST_F(ImageMetadataTest, OrientationBothWays) {
    struct Case {
        std::optional<int> exif;
        int image;
    } reads[] = {{6, 3}, {8, 2}, {3, 1}, {std::nullopt, 0}, {0, 0}, {9, 0}};
    for (auto& c : reads) {
        Metadata m;
        if (c.exif) setOrientation(m, *c.exif);
        EXPECT_EQ(imageOrientation(m), c.image);
    }
    Metadata m;
    setImageOrientation(m, 8);
    EXPECT_EQ(orientation(m), 1);
    setImageOrientation(m, 3);
    EXPECT_EQ(orientation(m), 6);
}

TEST_F(ImageMetadataTest, OnlyTheBurstEntryGoes) {
    Metadata none{{"{TIFF}", Metadata{{"Make", "x"}}}};
    const Metadata before = none;
    removeBurstMetadata(none);
    EXPECT_EQ(none, before);
    Metadata burst{{"{MakerApple}", Metadata{{"11", "ABC"}, {"8", 1}}}};
    EXPECT_TRUE(hasBurstMetadata(burst));
    removeBurstMetadata(burst);
    EXPECT_FALSE(hasBurstMetadata(burst));
    EXPECT_TRUE(ImagePropertyFind(burst, "{MakerApple}", "8"));
}

TEST_F(ImageMetadataTest, SoftwareAndResolutionTests) {
    Metadata m;
    EXPECT_FALSE(hasSoftwareMetadata(m, "Tavorin"));
    EXPECT_FALSE(hasResolutionUnit(m));
    setMake(m, "Apple", std::nullopt, "Tavorin 1.0");
    EXPECT_TRUE(hasSoftwareMetadata(m, "Tavorin"));
    EXPECT_FALSE(hasSoftwareMetadata(m, "Other"));
    EXPECT_FALSE(ImagePropertyFind(m, "{TIFF}", "Model"));
}

// Groups thousands in every C++ number, as some locales do.
struct Grouping : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(ImageMetadataTest, DateTextsKeepTheirFixedFormUnderAnyLocale) {
    const char* oldTZ = std::getenv("TZ");
    const std::string savedTZ = oldTZ ? oldTZ : "";
    ::setenv("TZ", "XYZ-3", 1);  // three hours east of UTC
    ::tzset();
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new Grouping));
    const double when = 1999999999;  // 2033-05-18 03:33:19 UTC
    EXPECT_EQ(getUTCFormattedDate(when), "2033:05:18 03:33:19");
    EXPECT_EQ(getLocalFormattedDate(when), "2033:05:18 06:33:19");
    Metadata m;
    setDateOriginal(m, when);
    EXPECT_EQ(*text(m, "{Exif}", "DateTimeOriginal"), "2033:05:18 06:33:19");
    std::locale::global(saved);
    if (oldTZ) ::setenv("TZ", savedTZ.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
