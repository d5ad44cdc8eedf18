// The program run as a user runs it: a small photo rendered and written, the photo's
// orientation kept, the default output name, and the exit status of each kind of mistake.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/imageio/ImageIO.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

// Runs the program with `arguments` (already quoted) in `folder`; standard error is dropped.
// The child's exit-time leak scan is switched off: under a loaded machine the sanitizer's
// thread-stopping scan sometimes crashes among the GL driver's worker threads, which would turn
// a passing run into an abort. The same render code is leak-checked in-process by the engine's
// full-resolution tests.
Outcome RunProgram(const fs::path& folder, const std::string& arguments)
{
    const std::string command = "cd '" + folder.string() +
                                "' && ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" TAVORIN_EXECUTABLE
                                "' " + arguments + " 2>/dev/null";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        outcome.out += buffer;
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

class TavorinRun : public ::testing::Test {
protected:
    void SetUp() override
    {
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

TEST_F(TavorinRun, RendersAndWritesThePhoto)
{
    const Outcome run = RunProgram(folder, "-q --set 'Luminance Style=None with Color Adjustments' "
                                           "--set 'CA Tone Map=Amaro' photo.jpg result.png");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "result.png\n");
    platform::ImageIOError error;
    const auto result = platform::DecodeImageFile((folder / "result.png").string(), platform::ImagePixelFormat::RGBA, &error);
    ASSERT_TRUE(result) << error.message;
    EXPECT_EQ(result->bitmap.width, 240u);  // stored as the photo was, turned by its orientation
    EXPECT_EQ(result->bitmap.height, 160u);
    EXPECT_EQ(result->exifOrientation, 6);
    // The look changed the colours.
    double difference = 0;
    for (size_t i = 0; i < photo.pixels.size(); i += 4)
        difference += std::abs(int(result->bitmap.pixels[i]) - int(photo.pixels[i]));
    EXPECT_GT(difference / (240.0 * 160.0), 5.0);
}

TEST_F(TavorinRun, WritesBesideTheCurrentFolderByDefault)
{
    const Outcome run = RunProgram(folder, "-q photo.jpg");
    ASSERT_EQ(run.status, 0);
    const fs::path expected = folder / "photo-tavorin.jpg";
    EXPECT_EQ(run.out, expected.string() + "\n");
    const auto result = platform::DecodeImageFile(expected.string());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->bitmap.width, 240u);
}

TEST_F(TavorinRun, ModesByTheirShownName)
{
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

TEST_F(TavorinRun, MistakesEndWithTheirExitStatus)
{
    std::ofstream(folder / "broken.jpg") << "\xFF\xD8\xFF not really a JPEG";
    const struct {
        const char* arguments;
        int status;
    } cases[] = {
        {"missing.jpg", 1},
        {"broken.jpg", 1},
        {"photo.jpg no-such-folder/out.jpg", 1},
        {"--set 'No Such Parameter=1' photo.jpg", 2},
        {"--set 'CA Tone Map=Nothing Like It' photo.jpg", 2},
        {"--set 'CA Exposure=2' photo.jpg", 2},
        {"photo.jpg out.bmp", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunProgram(folder, c.arguments).status, c.status) << c.arguments;
    EXPECT_FALSE(fs::exists(folder / "no-such-folder"));
}

} // namespace
