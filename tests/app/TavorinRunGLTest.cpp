// The program run as a user runs it: its help naming every use, a small photo rendered and
// written upright with its metadata, the default output name, the photo never written over,
// the exit status and message of each kind of mistake (damaged photos, what is not a file),
// output names as long as the folder takes, and a stop in the middle of the write.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "platform/imageio/DamagedImages.h"
#include "platform/imageio/ImageIO.h"
#include "platform/opengles/EAGLContext.h"
#include "platform/opengles/GLES.h"
#include "support/CameraPhoto.h"
#include "support/ShellRun.h"

namespace fs = std::filesystem;

namespace {

using Outcome = shellrun::ShellOutcome;
using shellrun::ReadText;

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// Runs the program with `arguments` (already quoted) in `folder`, stopped after `seconds` if
// given (status 124).
// The child's exit-time leak scan is switched off: under a loaded machine the sanitizer's
// thread-stopping scan sometimes crashes among the GL driver's worker threads, which would turn
// a passing run into an abort. The same render code is leak-checked in-process by the engine's
// full-resolution tests.
Outcome RunProgram(const fs::path& folder, const std::string& arguments, int seconds = 0) {
    const std::string limit = seconds ? "timeout " + std::to_string(seconds) + " " : "";
    return shellrun::RunShell("cd '" + folder.string() + "' && ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" " +
                                  limit + "'" TAVORIN_EXECUTABLE "' " + arguments,
                              folder / "stderr.txt");
}

// The widest texture the GL driver takes (0 without one).
uint32_t MaxTextureSize() {
    auto context = platform::EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2);
    if (!context || !platform::EAGLContext::setCurrentContext(context.get())) return 0;
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    platform::EAGLContext::setCurrentContext(nullptr);
    return static_cast<uint32_t>(size);
}

class TavorinRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tavorin-run-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        // A 240 x 160 photo stored sideways (EXIF orientation 6), colour ramps.
        auto bitmap = platform::ImageBitmap::make(240, 160);
        ASSERT_TRUE(bitmap);
        for (uint32_t y = 0; y < 160; ++y)
            for (uint32_t x = 0; x < 240; ++x) {
                uint8_t* p = bitmap->pixel(x, y);
                p[0] = static_cast<uint8_t>(40 + x / 2), p[1] = static_cast<uint8_t>(50 + y), p[2] = 120, p[3] = 255;
            }
        platform::ImageProperties properties;
        properties[platform::kCGImagePropertyOrientation] = 6;
        ASSERT_TRUE(platform::WriteImageFile(*bitmap, platform::ImageFileType::JPEG, properties,
                                             (folder / "photo.jpg").string()));
        photo = *bitmap;
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    platform::ImageBitmap photo;
};

TEST_F(TavorinRun, HelpNamesEveryUseOfTheProgram) {
    const Outcome run = RunProgram(folder, "--help");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* use : {"tavorin [options] [PHOTO [OUTPUT]]", "tavorin --sample", "--headless --script FILE",
                            "tavorin import [--album NAME] PATH..."})
        EXPECT_NE(run.out.find(use), std::string::npos) << use << " in\n" << run.out;
}

TEST_F(TavorinRun, RendersAndWritesThePhoto) {
    const Outcome run = RunProgram(folder,
                                   "-q --set 'Luminance Style=None with Color Adjustments' "
                                   "--set 'CA Tone Map=Amaro' photo.jpg result.png");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "result.png\n");
    platform::ImageIOError error;
    const auto result =
        platform::DecodeImageFile((folder / "result.png").string(), platform::ImagePixelFormat::RGBA, &error);
    ASSERT_TRUE(result) << error.message;
    EXPECT_EQ(result->bitmap.width, 160u);  // turned upright, as a viewer shows the photo
    EXPECT_EQ(result->bitmap.height, 240u);
    EXPECT_EQ(result->exifOrientation, 1);
    // The look changed the colours.
    const auto upright = platform::ApplyEXIFOrientation(photo, 6);
    ASSERT_TRUE(upright);
    double difference = 0;
    for (size_t i = 0; i < upright->pixels.size(); i += 4)
        difference += std::abs(int(result->bitmap.pixels[i]) - int(upright->pixels[i]));
    EXPECT_GT(difference / (240.0 * 160.0), 5.0);
}

TEST_F(TavorinRun, WritesBesideTheCurrentFolderByDefault) {
    const Outcome run = RunProgram(folder, "-q photo.jpg");
    ASSERT_EQ(run.status, 0);
    const fs::path expected = folder / "photo-tavorin.jpg";
    EXPECT_EQ(run.out, expected.string() + "\n");
    const auto result = platform::DecodeImageFile(expected.string());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->bitmap.width, 160u);  // upright
}

TEST_F(TavorinRun, ModesByTheirShownName) {
    ASSERT_EQ(RunProgram(folder, "-q photo.jpg plain.png").status, 0);
    ASSERT_EQ(RunProgram(folder, "-q --mode 'Dramatic 2' photo.jpg dramatic.png").status, 0);
    const auto plain = platform::DecodeImageFile((folder / "plain.png").string());
    const auto dramatic = platform::DecodeImageFile((folder / "dramatic.png").string());
    ASSERT_TRUE(plain && dramatic);
    ASSERT_EQ(plain->bitmap.pixels.size(), dramatic->bitmap.pixels.size());
    double difference = 0;
    for (size_t i = 0; i < plain->bitmap.pixels.size(); ++i)
        difference += std::abs(int(plain->bitmap.pixels[i]) - int(dramatic->bitmap.pixels[i]));
    EXPECT_GT(difference / plain->bitmap.pixels.size(), 2.0);
}

TEST_F(TavorinRun, MistakesEndWithTheirExitStatusAndNameThePathOnce) {
    std::ofstream(folder / "broken.jpg") << "\xFF\xD8\xFF not really a JPEG";
    fs::create_directories(folder / "a-folder.png");
    const struct {
        const char* arguments;
        int status;
        const char* named;  // said exactly once in the message
    } cases[] = {
        {"missing.jpg", 1, "missing.jpg"},
        {"broken.jpg", 1, "broken.jpg"},
        {"photo.jpg no-such-folder/out.jpg", 1, "no-such-folder/out.jpg"},
        {"photo.jpg a-folder.png", 1, "a-folder.png"},
        {"--set 'No Such Parameter=1' photo.jpg", 2, "No Such Parameter"},
        {"--set 'CA Tone Map=Nothing Like It' photo.jpg", 2, "Nothing Like It"},
        {"--set 'CA Exposure=2' photo.jpg", 2, "CA Exposure"},
        {"photo.jpg out.bmp", 2, "out.bmp"},
    };
    for (const auto& c : cases) {
        const Outcome run = RunProgram(folder, c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(Occurrences(run.err, c.named), 1u) << c.arguments << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(folder / "no-such-folder"));

    // The output's place is checked before the photo is read: the broken photo is never
    // reached, so its fault is not what is reported.
    const Outcome early = RunProgram(folder, "broken.jpg no-such-folder/out.jpg");
    EXPECT_EQ(early.status, 1);
    EXPECT_NE(early.err.find("the folder \"no-such-folder\" does not exist"), std::string::npos) << early.err;
    EXPECT_EQ(early.err.find("broken.jpg"), std::string::npos) << early.err;
}

// Pictures of extreme shapes (a row or a column, as long as the texture limit or past it,
// stored turned, with alpha) are real pictures: each renders whole to every output, the widest
// in tiles. A row as wide as the limit once asked for textures a texel wider than it, and a row
// wider than it failed whenever it was written as JPEG. What cannot be read is refused with the
// same reason by the render and by the import.
TEST_F(TavorinRun, PicturesOfExtremeShapesRenderOrAreRefusedAlikeByTheRenderAndTheImport) {
    const uint32_t limit = MaxTextureSize();
    ASSERT_GT(limit, 0u);
    using platform::ImageFileType;
    const struct Shape {
        uint32_t width, height;
        ImageFileType type;
        bool alpha;
        int orientation;      // EXIF
        const char* refusal;  // why it cannot be read, or null
    } shapes[] = {
        {30000, 1, ImageFileType::TIFF, true, 1, nullptr},
        {limit, 1, ImageFileType::PNG, false, 1, nullptr},
        {1, limit, ImageFileType::JPEG, false, 6, nullptr},
        {limit + 1, 2, ImageFileType::JPEG, false, 1, nullptr},
        {1, 30000, ImageFileType::TIFF, false, 8, nullptr},
        {70000, 1, ImageFileType::PNG, false, 1, "at most 65535 a side"},
    };
    fs::create_directories(folder / "shapes");
    std::vector<std::string> names;
    for (const Shape& shape : shapes) {
        auto bitmap = platform::ImageBitmap::make(shape.width, shape.height);
        ASSERT_TRUE(bitmap);
        for (uint32_t y = 0; y < shape.height; ++y)
            for (uint32_t x = 0; x < shape.width; ++x) {
                uint8_t* p = bitmap->pixel(x, y);
                p[0] = static_cast<uint8_t>(x / 64), p[1] = static_cast<uint8_t>(y / 64), p[2] = 90;
                p[3] = shape.alpha ? 200 : 255;
            }
        platform::ImageProperties properties;
        if (shape.orientation != 1) properties[platform::kCGImagePropertyOrientation] = shape.orientation;
        const std::string name = std::to_string(shape.width) + "x" + std::to_string(shape.height) +
                                 platform::ImageFileTypeExtension(shape.type);
        ASSERT_TRUE(platform::WriteImageFile(*bitmap, shape.type, properties, (folder / "shapes" / name).string()));
        names.push_back(name);
        const bool turned = shape.orientation >= 5;
        for (const char* output : {"out.jpg", "out.png"}) {
            SCOPED_TRACE(name + " to " + output);
            const Outcome run = RunProgram(folder, "-q shapes/" + name + " " + output);
            if (shape.refusal) {
                EXPECT_EQ(run.status, 1);
                EXPECT_NE(run.err.find(shape.refusal), std::string::npos) << run.err;
                EXPECT_FALSE(fs::exists(folder / output));
                continue;
            }
            ASSERT_EQ(run.status, 0) << run.err;
            const auto result = platform::DecodeImageFile((folder / output).string());
            ASSERT_TRUE(result);
            EXPECT_EQ(result->bitmap.width, turned ? shape.height : shape.width);
            EXPECT_EQ(result->bitmap.height, turned ? shape.width : shape.height);
            fs::remove(folder / output);
        }
    }
    const Outcome import = shellrun::RunShell(
        "cd '" + folder.string() + "' && TAVORIN_PHOTO_LIBRARY='" + (folder / "library").string() +
            "' ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" + TAVORIN_EXECUTABLE "' import shapes",
        folder / "stderr.txt");
    EXPECT_EQ(import.out, "5 photos imported, 1 failed\n") << import.err;
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t skipped = import.err.find("skipped shapes/" + names[i]);
        EXPECT_EQ(skipped != std::string::npos, shapes[i].refusal != nullptr) << names[i] << ": " << import.err;
        if (shapes[i].refusal && skipped != std::string::npos) {
            EXPECT_NE(import.err.find(shapes[i].refusal, skipped), std::string::npos) << import.err;
        }
    }
}

// A damaged photo is refused with its reason, whatever the output, and nothing is written:
// no grey rows passed off as the photo.
TEST_F(TavorinRun, DamagedPhotosFailWithTheirReasonAndWriteNothing) {
    for (const imageio_test::DamagedImage& damaged : imageio_test::damagedImages()) {
        SCOPED_TRACE(damaged.name);
        const std::string name = std::string("damaged") + damaged.extension;
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(damaged.data.data()),
                   static_cast<std::streamsize>(damaged.data.size()));
        const Outcome run = RunProgram(folder, "-q " + name + " out.jpg");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(Occurrences(run.err, name), 1u) << run.err;
        EXPECT_NE(run.err.find(damaged.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(fs::exists(folder / "out.jpg"));
        fs::remove(folder / name);
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 1u);  // the good photo alone: no temporary file either
}

// Anything but a regular file given as the photo is refused at once (a FIFO used to keep the
// program waiting in its open for ever), and so is one given as the output.
TEST_F(TavorinRun, WhatIsNotAFileIsRefusedAtOnce) {
    const int sock = imageio_test::makeNonFiles(folder, "pipe.jpg", "socket.jpg", "folder.jpg");
    const struct {
        const char* arguments;
        const char* says;
    } cases[] = {
        {"pipe.jpg out.jpg", "\"pipe.jpg\" is a FIFO, not a photo"},
        {"socket.jpg out.jpg", "\"socket.jpg\" is a socket, not a photo"},
        {"folder.jpg out.jpg", "\"folder.jpg\" is a folder, not a photo"},
        {"/dev/null out.jpg", "\"/dev/null\" is a device, not a photo"},
        {"photo.jpg pipe.jpg", "the output \"pipe.jpg\" is a FIFO"},
    };
    for (const auto& c : cases) {
        // The time limit turns a wait for ever into a failure (status 124) instead of a stuck test.
        const Outcome run = RunProgram(folder, std::string("-q ") + c.arguments, 30);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_FALSE(fs::exists(folder / "out.jpg"));
    }
    EXPECT_TRUE(fs::is_fifo(folder / "pipe.jpg"));
    ::close(sock);
}

// An output name as long as the folder takes is written (the temporary file beside it keeps
// within the limit); a longer one is refused before the photo is rendered.
TEST_F(TavorinRun, OutputNamesAsLongAsTheFolderTakes) {
    const std::string longest = std::string(251, 'a') + ".jpg";
    Outcome run = RunProgram(folder, "-q photo.jpg " + longest);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(platform::DecodeImageFile((folder / longest).string()));
    const std::string tooLong = std::string(252, 'b') + ".png";
    run = RunProgram(folder, "photo.jpg " + tooLong);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(std::strerror(ENAMETOOLONG)), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("rendering"), std::string::npos) << run.err;  // refused before the render
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 2u);  // the photo and the long-named result
}

TEST_F(TavorinRun, ThePhotoIsNeverWrittenOver) {
    const std::string original = ReadText(folder / "photo.jpg");
    fs::create_symlink("photo.jpg", folder / "link.jpg");
    fs::create_hard_link(folder / "photo.jpg", folder / "hard.jpg");
    const std::string absolute = "'" + (folder / "photo.jpg").string() + "'";
    const std::string cases[] = {
        "photo.jpg photo.jpg", "photo.jpg ./photo.jpg", "photo.jpg " + absolute, "-o photo.jpg photo.jpg",
        "photo.jpg link.jpg",  "link.jpg photo.jpg",    "photo.jpg hard.jpg",
    };
    for (const std::string& arguments : cases) {
        const Outcome run = RunProgram(folder, "-q " + arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("is the photo itself"), std::string::npos) << arguments << ": " << run.err;
    }
    EXPECT_EQ(ReadText(folder / "photo.jpg"), original);
    EXPECT_TRUE(fs::is_symlink(folder / "link.jpg"));

    // An empty name is a mistake, not a request for the sample photograph.
    EXPECT_EQ(RunProgram(folder, "-q '' out.jpg").status, 2);
    EXPECT_EQ(RunProgram(folder, "-q photo.jpg ''").status, 2);
    EXPECT_FALSE(fs::exists(folder / "out.jpg"));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 3u);  // the photo and its two links, nothing written beside them
}

// The mean colour of a quarter of the bitmap (0 top left, 1 top right, 2 bottom left, 3 bottom
// right).
std::array<double, 3> QuarterMean(const platform::ImageBitmap& b, int quarter) {
    const uint32_t w = b.width / 2, h = b.height / 2, x0 = quarter % 2 ? w : 0, y0 = quarter / 2 ? h : 0;
    std::array<double, 3> sum{};
    for (uint32_t y = y0; y < y0 + h; ++y)
        for (uint32_t x = x0; x < x0 + w; ++x)
            for (int k = 0; k < 3; ++k) sum[k] += b.pixel(x, y)[k];
    for (double& v : sum) v /= double(w) * h;
    return sum;
}

TEST_F(TavorinRun, EveryOrientationComesOutUpright) {
    // Four quarters of distinct colours tell every turn and mirror apart.
    const uint8_t colours[4][3] = {{220, 40, 40}, {40, 220, 40}, {40, 40, 220}, {220, 220, 40}};
    auto stored = platform::ImageBitmap::make(96, 64);
    ASSERT_TRUE(stored);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 96; ++x) {
            const uint8_t* c = colours[(y >= 32) * 2 + (x >= 48)];
            uint8_t* p = stored->pixel(x, y);
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
        }
    for (int exif = 1; exif <= 8; ++exif) {
        SCOPED_TRACE("EXIF orientation " + std::to_string(exif));
        ASSERT_TRUE(platform::WriteImageFile(*stored, platform::ImageFileType::PNG,
                                             {{platform::kCGImagePropertyOrientation, exif}},
                                             (folder / "turned.png").string()));
        ASSERT_EQ(RunProgram(folder, "-q --set 'Luminance Style=None' turned.png upright.png").status, 0);
        const auto result = platform::DecodeImageFile((folder / "upright.png").string());
        const auto expected = platform::ApplyEXIFOrientation(*stored, exif);
        ASSERT_TRUE(result && expected);
        EXPECT_EQ(result->exifOrientation, 1);
        ASSERT_EQ(result->bitmap.width, expected->width);
        ASSERT_EQ(result->bitmap.height, expected->height);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const auto got = QuarterMean(result->bitmap, quarter), want = QuarterMean(*expected, quarter);
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], 50.0) << "quarter " << quarter << " channel " << k;
        }
    }
}

TEST_F(TavorinRun, ColourProfileXMPAndMetadataTravelWithTheResult) {
    const std::string profile = imageio_test::iccProfile("RGB ");
    const std::string stamp = "2001:02:03 04:05:06";
    platform::ImageProperties properties{
        {platform::kCGImagePropertyOrientation, 6},
        {platform::kImagePropertyICCProfile, profile},
        {platform::kImagePropertyXMPPacket, imageio_test::xmpPacket(6)},
        {platform::kCGImagePropertyTIFFDictionary,
         platform::ImageProperties{{platform::kCGImagePropertyTIFFDateTime, stamp},
                                   {platform::kCGImagePropertyTIFFSoftware, "Some Camera 1.0"},
                                   {platform::kCGImagePropertyTIFFMake, "Maker"}}},
        {platform::kCGImagePropertyExifDictionary,
         platform::ImageProperties{{platform::kCGImagePropertyExifDateTimeOriginal, stamp}}},
    };
    // Stored sideways, and upright (whose JPEG is written a strip at a time as they render).
    for (const int stored : {6, 1}) {
        for (const char* output : {"out.jpg", "out.png", "out.tiff"}) {
            SCOPED_TRACE(std::string(output) + " from orientation " + std::to_string(stored));
            properties[platform::kCGImagePropertyOrientation] = stored;
            properties[platform::kImagePropertyXMPPacket] = imageio_test::xmpPacket(stored);
            ASSERT_TRUE(platform::WriteImageFile(photo, platform::ImageFileType::JPEG, properties,
                                                 (folder / "tagged.jpg").string()));
            ASSERT_EQ(RunProgram(folder, std::string("-q tagged.jpg ") + output).status, 0);
            platform::ImageIOError error;
            const auto result =
                platform::DecodeImageFile((folder / output).string(), platform::ImagePixelFormat::RGBA, &error);
            ASSERT_TRUE(result) << error.message;
            const platform::ImageProperties& p = result->properties;
            EXPECT_EQ(result->exifOrientation, 1);
            const auto text = [&](const char* group, const char* key) {
                const platform::ImagePropertyValue* v = platform::ImagePropertyFind(p, group, key);
                return v && v->string() ? *v->string() : std::string("<missing>");
            };
            const char* tiff = platform::kCGImagePropertyTIFFDictionary;
            // The program named as the application names it in the files it writes.
            EXPECT_EQ(text(tiff, platform::kCGImagePropertyTIFFSoftware), ImageMetadataUtility::softwareName());
            EXPECT_EQ(text(tiff, platform::kCGImagePropertyTIFFMake), "Maker");
            const std::string dateTime = text(tiff, platform::kCGImagePropertyTIFFDateTime);
            EXPECT_EQ(dateTime.size(), stamp.size());
            EXPECT_NE(dateTime, stamp);  // the file was made now
            // The packet agrees: upright pixels, the same modification date.
            std::string xmpDate = dateTime;
            xmpDate[4] = xmpDate[7] = '-';
            xmpDate[10] = 'T';
            imageio_test::expectProfileAndSampleXMP(p, profile, 1, xmpDate);
            EXPECT_EQ(text(platform::kCGImagePropertyExifDictionary, platform::kCGImagePropertyExifDateTimeOriginal),
                      stamp);
        }
    }
}

// A camera's photo rendered into each type, stored sideways and upright (whose JPEG is written
// a strip at a time): its metadata travels tag for tag but for what the render changed, and
// its XMP packet, which the XMP toolkit refuses, comes as it came, made upright.
TEST_F(TavorinRun, ACameraPhotosMetadataTravelsTagForTag) {
    using namespace camera_photo;
    for (const int stored : {6, 1}) {
        const Bytes camera = CameraPhoto(stored);
        const FileMetadata source = ReadFileMetadata(camera);
        std::ofstream(folder / "camera.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(camera.data()), static_cast<std::streamsize>(camera.size()));
        for (const char* output : {"out.jpg", "out.png", "out.tiff"}) {
            SCOPED_TRACE(std::string(output) + " from orientation " + std::to_string(stored));
            const Outcome run = RunProgram(folder, std::string("-q --mode 'Clarity 1' camera.jpg ") + output);
            ASSERT_EQ(run.status, 0) << run.err;
            const FileMetadata result = ReadFileMetadata(ReadBytes((folder / output).string()));
            const bool tiff = std::string(output).ends_with(".tiff");
            EXPECT_THAT(Differences(source, result, RenderedTags(), tiff ? TIFFOwnTags() : std::set<std::string>{}),
                        ::testing::IsEmpty());
            const auto value = [&](const char* key) {
                auto it = result.tags.find(key);
                return it == result.tags.end() ? std::string("<missing>") : it->second.value;
            };
            EXPECT_EQ(value("Exif.Image.Orientation"), "1");
            EXPECT_EQ(value("Exif.Image.Software"), ImageMetadataUtility::softwareName());
            EXPECT_NE(value("Exif.Image.DateTime"), source.tags.at("Exif.Image.DateTime").value);
            EXPECT_EQ(value("Exif.Photo.PixelXDimension"), stored == 6 ? "76" : "136");
            EXPECT_EQ(value("Exif.Photo.PixelYDimension"), stored == 6 ? "136" : "76");
            EXPECT_EQ(result.xmp, DuplicatedPropertyPacket(1));
        }
    }
}

// An upright photo's JPEG, written a strip at a time while the render runs, holds the same
// picture as the whole render written losslessly.
TEST_F(TavorinRun, UprightJPEGHoldsTheSameRenderAsPNG) {
    ASSERT_TRUE(platform::WriteImageFile(photo, platform::ImageFileType::PNG, {}, (folder / "upright.png").string()));
    for (const char* output : {"out.jpg", "out.png"})
        ASSERT_EQ(RunProgram(folder, std::string("-q --mode 'Dramatic 2' upright.png ") + output).status, 0);
    const auto jpeg = platform::DecodeImageFile((folder / "out.jpg").string());
    const auto png = platform::DecodeImageFile((folder / "out.png").string());
    ASSERT_TRUE(jpeg && png);
    ASSERT_EQ(jpeg->bitmap.width, 240u);
    ASSERT_EQ(jpeg->bitmap.height, 160u);
    double difference = 0, change = 0;
    for (size_t i = 0; i < png->bitmap.pixels.size(); ++i) {
        if (i % 4 == 3) continue;
        difference += std::abs(int(jpeg->bitmap.pixels[i]) - int(png->bitmap.pixels[i]));
        change += std::abs(int(png->bitmap.pixels[i]) - int(photo.pixels[i]));
    }
    EXPECT_LT(difference / (240.0 * 160.0 * 3.0), 2.0);  // JPEG at quality 0.9
    EXPECT_GT(change / (240.0 * 160.0 * 3.0), 2.0);      // and the mode did change it
}

TEST_F(TavorinRun, StoppedDuringTheWriteLeavesNoTemporaryFile) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The program, paused once its bytes are in the temporary file.
            ::dup2(channel[1], STDERR_FILENO);
            ::close(channel[0]);
            ::close(channel[1]);
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
            ::setenv("TAVORIN_TEST_PAUSE_AT_WRITE", "1", 1);
            ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            if (::chdir(folder.c_str()) == 0)
                ::execl(TAVORIN_EXECUTABLE, "tavorin", "-q", "photo.jpg", "out.png", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(channel[1]);
        // Waits for the announcement (or for the end of the child's output, if it never comes).
        std::string said;
        const std::string marker = "paused at the write of ";
        char buffer[256];
        const auto announced = [&] {
            const size_t at = said.find(marker);
            return at != std::string::npos && said.find('\n', at) != std::string::npos;
        };
        while (!announced()) {
            const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
            if (n <= 0) break;
            said.append(buffer, static_cast<size_t>(n));
        }
        const size_t at = said.find(marker);
        ASSERT_NE(at, std::string::npos) << said;
        const std::string temporary = said.substr(at + marker.size(), said.find('\n', at) - at - marker.size());
        EXPECT_TRUE(fs::exists(folder / temporary)) << temporary;

        ASSERT_EQ(::kill(child, signal), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(channel[0]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(fs::exists(folder / temporary));
        EXPECT_FALSE(fs::exists(folder / "out.png"));
    }
}

}  // namespace
