// The program's first launch as a user meets it, run headless from a script with an empty
// settings folder: the splash, the introduction's first page (a screenshot), taps through its
// three pages, the access screen that follows (granted at its button) and the camera screen,
// with the flag in the settings file; a second run with the same folder goes straight to the
// camera screen.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/imageio/ImageIO.h"

namespace fs = std::filesystem;

namespace {

struct Mean {
    double r = 0, g = 0, b = 0;
    double distance(const Mean& o) const { return std::abs(r - o.r) + std::abs(g - o.g) + std::abs(b - o.b); }
};

// The mean colour of a band of the screenshot (fractions of its height, from the top).
Mean BandMean(const fs::path& png, double top, double bottom) {
    const auto decoded = platform::DecodeImageFile(png.string());
    EXPECT_TRUE(decoded) << png;
    Mean m;
    if (!decoded) return m;
    const platform::ImageBitmap& b = decoded->bitmap;
    const auto y0 = static_cast<std::uint32_t>(top * b.height), y1 = static_cast<std::uint32_t>(bottom * b.height);
    std::size_t n = 0;
    for (std::uint32_t y = y0; y < y1; ++y)
        for (std::uint32_t x = 0; x < b.width; ++x, ++n) {
            const std::uint8_t* p = b.pixel(x, y);
            m.r += p[0], m.g += p[1], m.b += p[2];
        }
    if (n) m.r /= 255.0 * n, m.g /= 255.0 * n, m.b /= 255.0 * n;
    return m;
}

class FirstLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tavorin-first-launch-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "config");
        fs::create_directories(folder / "shots");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the program headless on the script; its exit status.
    int Run(const std::string& script) {
        const fs::path file = folder / "script.txt";
        std::ofstream(file) << script;
        const std::string command = "cd '" + folder.string() + "' && XDG_CONFIG_HOME='" + (folder / "config").string() +
                                    "' TAVORIN_DESKTOP_OPENERS=0 ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" +
                                    TAVORIN_EXECUTABLE "' --headless --camera simulated --script '" + file.string() +
                                    "' --screenshots '" + (folder / "shots").string() + "' >'" +
                                    (folder / "out.txt").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Settings() const {
        std::ifstream in(folder / "config" / "tavorin" / "defaults.json");
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string Output() const {
        std::ifstream in(folder / "out.txt");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path folder;
};

TEST_F(FirstLaunch, SplashIntroductionThenTheCameraAndNoIntroductionTheSecondTime) {
    // The splash waits 2.6 s and fades; the introduction opens in 0.8 s and its first page's
    // next button comes at 7.0 s; each later page takes as long after its tap. Then the access
    // screen asks for the camera and the photos ("Enable Access").
    ASSERT_EQ(Run("wait 1\n"
                  "shot splash.png\n"
                  "wait 10\n"
                  "shot intro.png\n"
                  "tap 187 333\nwait 8\n"
                  "tap 187 333\nwait 8\n"
                  "tap 187 333\nwait 3\n"
                  "tap 187 423\nwait 4\n"
                  "shot camera.png\n"),
              0)
        << Output();
    for (const char* shot : {"splash.png", "intro.png", "camera.png"})
        EXPECT_TRUE(fs::exists(folder / "shots" / shot)) << shot;
    EXPECT_NE(Settings().find("\"introductionShown\":true"), std::string::npos) << Settings();

    ASSERT_EQ(Run("wait 4\nshot second.png\n"), 0) << Output();
    // The middle band: the introduction's photographs and lines, or the camera's picture.
    const Mean intro = BandMean(folder / "shots" / "intro.png", 0.1, 0.9);
    const Mean camera = BandMean(folder / "shots" / "camera.png", 0.1, 0.9);
    const Mean second = BandMean(folder / "shots" / "second.png", 0.1, 0.9);
    EXPECT_GT(intro.distance(camera), 0.1) << "the introduction covers the camera screen";
    EXPECT_LT(second.distance(camera), intro.distance(camera) / 3) << "the second run shows the camera screen";
    // The splash's dark gradient covers the top at first.
    const Mean splash = BandMean(folder / "shots" / "splash.png", 0.0, 0.3);
    EXPECT_GT(splash.distance(BandMean(folder / "shots" / "camera.png", 0.0, 0.3)), 0.05);
}

}  // namespace
