// The image writer: files in the private temporary folder, metadata that survives JPEG, PNG
// and TIFF files (positions in every hemisphere, the GPS stamp as one text, a camera's photo
// tag for tag), unsound degrees left out, and failures reported instead of a path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "library/metadata/UIImage+ImageMetadataUtility.h"
#include "platform/imageio/ImageIO.h"
#include "support/CameraPhoto.h"

namespace {

namespace fs = std::filesystem;
using namespace ImageMetadataUtility;

UIImagePtr MakeImage() {
    std::vector<std::uint8_t> pixels(24 * 16 * 4, 128);
    return UIImage::imageWithCGImage(
        CGImageCreate(24, 16, 8, 32, 24 * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, pixels));
}

Metadata Read(const std::string& path) {
    auto source = platform::ImageSource::createWithFile(path);
    return source ? source->propertiesAtIndex(0) : Metadata{};
}

class ImageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-files-XXXXXX";
        root = mkdtemp(pattern);
        ::setenv("TMPDIR", root.c_str(), 1);
        folder = root / ("tavorin-" + std::to_string(::getuid()));
    }
    void TearDown() override {
        ::unsetenv("TMPDIR");
        fs::remove_all(root);
    }
    fs::path root, folder;
};

TEST_F(ImageFilesTest, TheWriterNamesFilesByTypeInThePrivateFolder) {
    auto image = MakeImage();
    EXPECT_FALSE(writeImage(*image, "Tavorin", 3, {}, true));
    EXPECT_FALSE(fs::exists(folder) && !fs::is_empty(folder));
    ASSERT_TRUE(temporaryDirectory());
    std::ofstream(folder / "Tavorin.jpg") << "an older file";  // replaced
    struct Case {
        int type;
        bool copyData;
        const char* file;
        platform::ImageFileType decoded;
    } cases[] = {{SaveTypeJPEG, true, "Tavorin.jpg", platform::ImageFileType::JPEG},
                 {SaveTypeJPEG, false, "Tavorin.jpg", platform::ImageFileType::JPEG},
                 {SaveTypePNG, true, "Tavorin.png", platform::ImageFileType::PNG},
                 {SaveTypePNG, false, "Tavorin.png", platform::ImageFileType::PNG},
                 {SaveTypeTIFF, true, "Tavorin.tiff", platform::ImageFileType::TIFF}};
    for (auto& c : cases) {
        const auto path = writeImage(*image, "Tavorin", c.type, {{"Orientation", 6}}, c.copyData);
        ASSERT_TRUE(path);
        EXPECT_EQ(*path, (folder / c.file).string());
        auto source = platform::ImageSource::createWithFile(*path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->type(), c.decoded);
        EXPECT_EQ(source->exifOrientation(0), 6);
    }
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(ImageFilesTest, PositionsSurviveEveryFileType) {
    const double quadrants[][2] = {{33.5, 70.6}, {-33.5, 70.6}, {33.5, -70.6}, {-33.5, -70.6}};
    const int types[] = {SaveTypeJPEG, SaveTypePNG, SaveTypeTIFF};
    auto image = MakeImage();
    for (int type : types) {
        for (auto& q : quadrants) {
            SCOPED_TRACE(std::to_string(type) + " " + std::to_string(q[0]) + "," + std::to_string(q[1]));
            Metadata m;
            setLocation(m, CLLocation({q[0], q[1]}, 12, 3, 1700000000));
            auto path = writeImage(*image, "where", type, m, true);
            ASSERT_TRUE(path);
            const Metadata back = Read(*path);
            auto l = location(back);
            ASSERT_TRUE(l);
            EXPECT_NEAR(l->coordinate().latitude, q[0], 1e-4);
            EXPECT_NEAR(l->coordinate().longitude, q[1], 1e-4);
            const auto* stamp = platform::ImagePropertyFind(back, "{GPS}", "TimeStamp");
            ASSERT_TRUE(stamp && stamp->string());
            EXPECT_EQ(*stamp->string(), "2023:11:14 22:13:20");
        }
    }
}

TEST_F(ImageFilesTest, UnsoundDegreesAreLeftOutOfTheFile) {
    auto image = MakeImage();
    Metadata m{{"{GPS}", Metadata{{"Latitude", std::numeric_limits<double>::quiet_NaN()},
                                  {"LatitudeRef", "N"},
                                  {"Longitude", 200.0},
                                  {"LongitudeRef", "E"},
                                  {"Altitude", 5.0}}}};
    auto path = writeImage(*image, "odd", SaveTypeJPEG, m, false);
    ASSERT_TRUE(path);
    const Metadata back = Read(*path);
    EXPECT_FALSE(platform::ImagePropertyFind(back, "{GPS}", "Latitude"));
    EXPECT_FALSE(platform::ImagePropertyFind(back, "{GPS}", "Longitude"));
    EXPECT_TRUE(platform::ImagePropertyFind(back, "{GPS}", "Altitude"));
}

// A camera's photo saved as the library and the share sheet save it (its own orientation,
// the file's date and the program filled in), in every type and both ways of writing: every
// tag it came with stays in its own type and value but the modification date and the
// software, with the program's keyword added; its make, model and capture dates are its own.
TEST_F(ImageFilesTest, ACameraPhotoSavedKeepsItsMetadataTagForTag) {
    using namespace camera_photo;
    const Bytes camera = CameraPhoto();
    const FileMetadata source = ReadFileMetadata(camera);
    auto photo = platform::ImageSource::createWithData(camera);
    ASSERT_TRUE(photo);
    auto bitmap = photo->createImageAtIndex(0);
    ASSERT_TRUE(bitmap);
    const std::size_t w = bitmap->width, h = bitmap->height;
    auto image = UIImage::imageWithCGImage(
        CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, bitmap->pixels), 1,
        UIImageOrientation::Right);  // stored sideways, as EXIF 6 says
    Metadata metadata = photo->propertiesAtIndex(0);
    setImageOrientation(metadata, static_cast<int>(image->imageOrientation()));
    autoPopulateMetadata(metadata, ImageMetadataOptionDateDigitized | ImageMetadataOptionSoftware);
    for (int type : {SaveTypeJPEG, SaveTypePNG, SaveTypeTIFF})
        for (bool copyData : {true, false}) {
            SCOPED_TRACE(std::to_string(type) + (copyData ? " encoded, then merged" : " direct"));
            auto path = writeImage(*image, "saved", type, metadata, copyData);
            ASSERT_TRUE(path);
            const FileMetadata result = ReadFileMetadata(ReadBytes(*path));
            // A TIFF states its sizes as LONG, the only type libtiff reads them in.
            std::set<std::string> changed = {"Exif.Image.DateTime", "Exif.Image.Software",
                                             "Exif.Image.YCbCrPositioning", "Iptc.Application2.Keywords#3"};
            if (type == SaveTypeTIFF) changed.insert({"Exif.Photo.PixelXDimension", "Exif.Photo.PixelYDimension"});
            EXPECT_THAT(
                Differences(source, result, changed, type == SaveTypeTIFF ? TIFFOwnTags() : std::set<std::string>{}),
                ::testing::IsEmpty());
            EXPECT_NE(result.tags.at("Exif.Image.DateTime").value, source.tags.at("Exif.Image.DateTime").value);
            EXPECT_EQ(result.tags.at("Exif.Image.Software").value, softwareName());
            EXPECT_EQ(result.tags.at("Iptc.Application2.Keywords#3").value, kKeyword);
            EXPECT_EQ(result.xmp, DuplicatedPropertyPacket());
        }
}

TEST_F(ImageFilesTest, FailuresGiveNoPath) {
    auto image = MakeImage();
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"the temporary folder is a file", [&] { std::ofstream(folder) << "x"; }},
        {"others may enter the folder",
         [&] {
             fs::create_directory(folder);
             fs::permissions(folder, fs::perms(0755));
         }},
        {"TMPDIR names no folder", [&] { ::setenv("TMPDIR", (root / "missing" / "deeper").c_str(), 1); }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.arrange();
        for (int type : {SaveTypeJPEG, SaveTypePNG, SaveTypeTIFF})
            EXPECT_FALSE(writeImage(*image, "x", type, {}, true));
    }
    const std::string nowhere = (root / "no" / "such" / "folder" / "x.jpg").string();
    EXPECT_FALSE(writeJpegRepresentation(*image, kJPEGQuality, {}, nowhere, true));
    EXPECT_FALSE(writeJpegRepresentation(*image, kJPEGQuality, {}, nowhere, false));
    EXPECT_FALSE(writePngRepresentationWithMetadata(*image, {}, nowhere, true));
    EXPECT_FALSE(writeTiffRepresentation(*image, 1.0, {}, nowhere));
    auto data = jpegRepresentation(*image, kJPEGQuality, {{"{TIFF}", Metadata{{"Software", "Tavorin 1.0"}}}});
    ASSERT_TRUE(data);
    auto source = platform::ImageSource::createWithData(*data);
    const Metadata merged = source->propertiesAtIndex(0);
    EXPECT_EQ(*platform::ImagePropertyFind(merged, "{TIFF}", "Software")->string(), "Tavorin 1.0");
}

}  // namespace
