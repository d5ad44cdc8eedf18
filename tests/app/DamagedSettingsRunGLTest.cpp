// The application started headless over a damaged settings or access document, as a person
// would find it: it starts with its defaults, says what it found in one line, keeps the
// damaged file (aside once a new one is written), and shows its first screen.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class DamagedSettingsRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tavorin-damaged-run-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / "script.txt") << "wait 4\nshot start.png\n";
    }
    void TearDown() override {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(folder, ec);
    }

    // Runs the program headless on the script with its own XDG folders; its standard error.
    // A hang is cut short after two minutes (status 124).
    int Run(std::string* err) const {
        const std::string command = "cd '" + folder.string() +
                                    "' && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_CONFIG_HOME='" +
                                    (folder / "config").string() + "' XDG_DATA_HOME='" + (folder / "data").string() +
                                    "' XDG_CACHE_HOME='" + (folder / "cache").string() +
                                    "' MESA_SHADER_CACHE_DISABLE=true ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\"" +
                                    " timeout 120 '" TAVORIN_EXECUTABLE
                                    "' --headless --camera simulated --script script.txt --screenshots shots"
                                    " >/dev/null 2>stderr.txt";
        const int status = std::system(command.c_str());
        std::ifstream in(folder / "stderr.txt", std::ios::binary);
        err->assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder;
};

std::size_t LinesNaming(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);) count += line.find(name) != std::string::npos;
    return count;
}

TEST_F(DamagedSettingsRun, TheApplicationStartsOverADamagedSettingsFileAndSaysWhatItFound) {
    // Sound documents, as after a first run: the introduction seen, camera and photos granted.
    const std::map<std::string, std::string> sound = {
        {"defaults.json", R"({"AmbrelAppSettings": {"introductionShown": true}})"},
        {"authorization.json", R"({"camera": 3, "photos": 3})"},
    };
    struct Damage {
        const char* name;
        bool setAside;
        std::function<void(const fs::path&)> make;
    } damages[] = {
        {"a folder", true, [](const fs::path& file) { fs::create_directories(file); }},
        {"a named pipe", true, [](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); }},
        {"nested 200,000 deep", true,
         [](const fs::path& file) {
             WriteText(file, "{\"k\": " + std::string(200000, '[') + std::string(200000, ']') + "}");
         }},
        {"huge", true,
         [](const fs::path& file) {
             WriteText(file, "{}");
             fs::resize_file(file, std::uintmax_t{4} << 30);  // sparse
         }},
        {"of the wrong types", false,
         [](const fs::path& file) {
             WriteText(file, file.filename() == "defaults.json"
                                 ? R"({"AmbrelAppSettings": "yes", "RatingPromptUseCount": [1]})"
                                 : R"({"camera": "3", "photos": 4294967299})");
         }},
        {"read-only", false,
         [&sound](const fs::path& file) {
             WriteText(file, sound.at(file.filename().string()));
             fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         }},
    };
    for (const Damage& damage : damages) {
        for (const auto& [damaged, text] : sound) {
            SCOPED_TRACE(damaged + " " + damage.name);
            const fs::path config = folder / "config" / "tavorin";
            fs::remove_all(folder / "config");
            fs::remove_all(folder / "shots");
            fs::create_directories(config);
            for (const auto& [file, soundText] : sound)
                if (file != damaged) WriteText(config / file, soundText);
            damage.make(config / damaged);

            std::string err;
            ASSERT_EQ(Run(&err), 0) << err;
            const auto shot = platform::DecodeImageFile((folder / "shots" / "start.png").string());
            ASSERT_TRUE(shot) << "the first screen is shown";
            EXPECT_EQ(shot->bitmap.width, 750u);

            // The settings are written at every start; the access answers only once the person
            // answers the access screen, and the damaged document waits aside until then.
            const bool written = damaged == "defaults.json";
            std::size_t aside = 0;
            for (const auto& entry : fs::directory_iterator(config))
                aside += entry.path().filename().string().rfind(damaged + ".corrupt-", 0) == 0;
            EXPECT_EQ(aside, damage.setAside && written ? 1u : 0u);
            if (damage.setAside) {
                EXPECT_EQ(LinesNaming(err, (config / damaged).string()), 1u) << err;
                if (written) {
                    EXPECT_TRUE(fs::is_regular_file(config / damaged)) << "a fresh document";
                }
            }
        }
    }
}

}  // namespace
