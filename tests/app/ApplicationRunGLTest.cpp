// The program in its application mode, run as a user runs it: a headless script that takes a
// photo into a temporary library and writes its screenshot, the README's example script that
// passes a fresh profile's first-run screens and takes a photo, and the mistakes that end with
// status 2 and say why.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string err;
};

class ApplicationRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tavorin-app-run-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "config" / "tavorin");
        // Camera and photos granted before, as after a first run.
        std::ofstream(folder / "config" / "tavorin" / "authorization.json") << "{\"camera\": 3, \"photos\": 3}\n";
    }
    void TearDown() override { fs::remove_all(folder); }

    void WriteScript(const std::string& name, const std::string& text) const { std::ofstream(folder / name) << text; }

    // Runs the program in the folder with its own XDG folders and no display; `arguments`
    // already quoted. The child's exit-time leak scan is off, as for the render's runs. The GL
    // driver's shader cache is off unless `driverCache`. With `namespaceSetup`, the run is a
    // script of the setup and the program, run in a user and mount namespace of its own.
    Outcome Run(const std::string& arguments, bool driverCache = false, const std::string& namespaceSetup = "") const {
        std::string command = "cd '" + folder.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER" +
                              (driverCache ? "" : " MESA_SHADER_CACHE_DISABLE=true") + " XDG_CONFIG_HOME='" +
                              (folder / "config").string() + "' XDG_DATA_HOME='" + (folder / "data").string() +
                              "' XDG_CACHE_HOME='" + (folder / "cache").string() +
                              "' ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" + TAVORIN_EXECUTABLE "' " +
                              arguments + " >/dev/null 2>stderr.txt";
        if (!namespaceSetup.empty()) {
            std::ofstream(folder / "run.sh") << namespaceSetup << "\n" << command << "\n";
            command = "unshare -rm sh '" + (folder / "run.sh").string() + "'";
        }
        Outcome outcome;
        const int status = std::system(command.c_str());
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(folder / "stderr.txt", std::ios::binary);
        outcome.err.assign(std::istreambuf_iterator<char>(in), {});
        return outcome;
    }
    std::size_t FilesUnder(const fs::path& path) const {
        std::size_t count = 0;
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path, ignored))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

    fs::path folder;
};

TEST_F(ApplicationRun, AHeadlessScriptTakesAPhotoAndWritesItsScreenshot) {
    // A later launch (the introduction was seen): the splash holds the start-up until its logo
    // rests (2.6 s), then fades. The shutter sits in the middle of the phone's bottom bar (98
    // points high).
    fs::create_directories(folder / "config" / "tavorin");
    std::ofstream(folder / "config" / "tavorin" / "defaults.json")
        << R"({"AmbrelAppSettings": {"introductionShown": true}})";
    WriteScript("script.txt", "# launch, wait, shutter, shot\nwait 4\ntap 187.5 618\nwait 3\nshot camera.png\n");
    const Outcome outcome =
        Run("--headless --camera 'lavfi:testsrc2=size=320x240:rate=30'"
            " --script script.txt --screenshots shots");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto shot = platform::DecodeImageFile((folder / "shots" / "camera.png").string());
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->bitmap.width, 750u);
    EXPECT_EQ(shot->bitmap.height, 1334u);
    const fs::path library = folder / "data" / "tavorin" / "PhotoLibrary";
    EXPECT_EQ(FilesUnder(library / "originals"), 1u) << "one photo";
    EXPECT_EQ(FilesUnder(library / "renders"), 1u) << "carrying its edit";
}

TEST_F(ApplicationRun, TheReadmesExampleScriptPassesAFreshProfilesFirstRunScreensAndTakesAPhoto) {
    fs::remove_all(folder / "config");  // nothing seen, nothing granted
    const Outcome outcome = Run("--headless --camera simulated --script '" TAVORIN_SOURCE_DIR
                                "/tools/scripts/first-photo.txt' --screenshots shots");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const fs::path library = folder / "data" / "tavorin" / "PhotoLibrary";
    EXPECT_EQ(FilesUnder(library / "originals"), 1u) << "the photo is in the library";
    EXPECT_EQ(FilesUnder(library / "renders"), 1u) << "carrying its edit";
    for (const char* shot : {"introduction.png", "access.png", "camera.png", "photo.png"})
        EXPECT_TRUE(fs::exists(folder / "shots" / shot)) << shot;
}

// The GL driver maps its shader cache's files and died of a bus error (status 135) at every
// start and render when the disk under the cache folder was full. Here that disk is a full
// tmpfs of 1 MB, mounted in a mount namespace of the run's own: the render and the application
// run without the cache and say so once.
TEST_F(ApplicationRun, AFullDiskUnderTheCacheFolderTurnsTheDriversShaderCacheOffInsteadOfCrashing) {
    const fs::path cache = folder / "cache";
    fs::create_directories(cache);
    const std::string fullDisk = "mount -t tmpfs -o size=1m tmpfs '" + cache.string() +
                                 "' || exit 99\nhead -c 2M /dev/zero >'" + (cache / "fill").string() +
                                 "' 2>/dev/null || true";
    std::ofstream(folder / "probe.sh") << fullDisk << "\n";
    if (std::system(("unshare -rm sh '" + (folder / "probe.sh").string() + "' >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted in a mount namespace of this user here (unshare -rm)";
    std::ofstream(folder / "config" / "tavorin" / "defaults.json")
        << R"({"AmbrelAppSettings": {"introductionShown": true}})";
    WriteScript("script.txt", "wait 4\nshot camera.png\n");
    for (const std::string arguments :
         {"-q --sample -o out.jpg", "--headless --camera none --script script.txt --screenshots shots"}) {
        SCOPED_TRACE(arguments);
        const Outcome outcome = Run(arguments, true, fullDisk);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        const std::string said = "the GL driver's shader cache is off for this run: its folder " +
                                 (cache / "mesa_shader_cache").string() + " cannot take writes (only ";
        EXPECT_NE(outcome.err.find(said), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find(said), outcome.err.rfind(said)) << "said once: " << outcome.err;
    }
    EXPECT_TRUE(fs::exists(folder / "out.jpg"));
    EXPECT_TRUE(fs::exists(folder / "shots" / "camera.png"));
}

TEST_F(ApplicationRun, MistakesEndWithStatusTwoAndSayWhy) {
    WriteScript("bad.txt", "wait 1\ntap 1\n");
    struct Mistake {
        std::string arguments;
        std::string said;
    };
    for (const Mistake& m : std::vector<Mistake>{
             {"--device watch", "watch"},
             {"--device pad photo.jpg", "photo.jpg"},
             {"--headless --camera none --script bad.txt", "line 2"},
             {"--headless --script missing.txt", "missing.txt"},
             {"--camera nothing-like-it", "nothing-like-it"},
             {"--camera none", "--headless"},
         }) {
        const Outcome outcome = Run(m.arguments);
        EXPECT_EQ(outcome.status, 2) << m.arguments;
        EXPECT_NE(outcome.err.find(m.said), std::string::npos) << m.arguments << ": " << outcome.err;
    }
}

}  // namespace
