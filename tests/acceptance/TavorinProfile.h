#pragma once
// A fresh profile for the built program, as a new user has one: its own settings, data and cache
// folders in a temporary folder, photos put into its library by `tavorin import`, the program
// run headless on a script of taps, drags and keys (or started in a window), and what the person
// keeps afterwards: the screenshots, the library's files and the rows of its index.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"

namespace acceptance {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // the exit status, -1 when the program was killed by a signal
    std::string out, err;
};

// One photo as the library's index lists it.
struct LibraryRow {
    std::string uuid;
    fs::path original;  // the original's file
    fs::path render;    // the edit's rendered file; empty when the photo is not edited
    double creationDate = 0, modificationDate = 0;
    bool trashed = false;
};

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TavorinProfile {
public:
    explicit TavorinProfile(const std::string& name)
        : folder_(fs::temp_directory_path() / ("tavorin-acceptance-" + name + "-" + std::to_string(::getpid()))) {
        fs::remove_all(folder_);
        for (const char* sub : {"config", "data", "cache", "shots"}) fs::create_directories(folder_ / sub);
    }
    ~TavorinProfile() {
        // Kept for a look when the case failed, or when TAVORIN_ACCEPTANCE_KEEP is set.
        if (!::testing::Test::HasFailure() && !std::getenv("TAVORIN_ACCEPTANCE_KEEP")) fs::remove_all(folder_);
        else std::printf("the profile is kept for a look: %s\n", folder_.c_str());
    }
    TavorinProfile(const TavorinProfile&) = delete;
    TavorinProfile& operator=(const TavorinProfile&) = delete;

    const fs::path& folder() const { return folder_; }
    fs::path shot(const std::string& name) const { return folder_ / "shots" / name; }
    fs::path library() const { return folder_ / "data" / "tavorin" / "PhotoLibrary"; }

    // The settings of a person who has used the program before: the introduction seen, camera
    // and photos allowed on the access screen, the editing help (unless said otherwise) and each
    // kind of mode's help seen. The first run itself has its own case.
    void returningUser(bool editingHelpSeen = true) const {
        fs::create_directories(folder_ / "config" / "tavorin");
        std::ofstream(folder_ / "config" / "tavorin" / "authorization.json") << "{\"camera\": 3, \"photos\": 3}\n";
        std::string settings = R"({"AmbrelAppSettings": {"introductionShown": true)";
        if (editingHelpSeen) settings += R"(, "helpShownEdit": true)";
        for (const char* kind :
             {"Normal", "LowLight", "Clarity", "Sky", "Nature", "Artistic", "Dramatic", "Vibrant", "Exposure", "Fog"})
            settings += std::string(", \"modeHelpShown") + kind + "\": true";
        std::ofstream(folder_ / "config" / "tavorin" / "defaults.json") << settings << "}}\n";
    }

    // The GL driver keeps its shader cache in the profile's cache folder, as on a person's
    // machine, so that a later run finds its programs built. Off by default: each case builds
    // them as a first run does.
    void keepShaderCache() { shaderCache_ = true; }

    // A wallpaper scaled down to `longSide` pixels as a JPEG in the profile's folder: a real
    // photograph small enough for the debug program to render at once.
    // `taken` ("2021:07:14 09:30:05", local time) is the Exif moment it was taken, when given.
    fs::path scaledPhotograph(const fs::path& wallpaper, std::uint32_t longSide, const std::string& taken = {}) const {
        const auto bitmap = scaledWallpaper(wallpaper, longSide);
        platform::ImageProperties properties;
        if (!taken.empty()) {
            platform::ImageProperties exif;
            exif[platform::kCGImagePropertyExifDateTimeOriginal] = platform::ImagePropertyValue(taken);
            properties[platform::kCGImagePropertyExifDictionary] = platform::ImagePropertyValue(exif);
        }
        const fs::path out = folder_ / wallpaper.filename();
        EXPECT_TRUE(bitmap &&
                    platform::WriteImageFile(*bitmap, platform::ImageFileType::JPEG, properties, out.string()));
        return out;
    }
    // The desktop's Pictures folder of this profile (its user-dirs.dirs names it).
    fs::path pictures() const {
        const fs::path folder = folder_ / "Pictures";
        std::ofstream(folder_ / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << folder.string() << "\"\n";
        return folder;
    }

    // The same stored turned, as a camera held sideways stores it: the pixels lie turned and
    // the Exif orientation (6, turned a quarter clockwise to be seen) sets them upright.
    fs::path turnedPhotograph(const fs::path& wallpaper, std::uint32_t longSide) const {
        constexpr int kTurnedClockwise = 6, kTurnedBack = 8;
        const auto upright = scaledWallpaper(wallpaper, longSide);
        const auto stored = upright ? platform::ApplyEXIFOrientation(*upright, kTurnedBack) : std::nullopt;
        platform::ImageProperties properties;
        properties[platform::kCGImagePropertyOrientation] = platform::ImagePropertyValue(kTurnedClockwise);
        const fs::path out = folder_ / ("turned-" + wallpaper.filename().string());
        EXPECT_TRUE(stored &&
                    platform::WriteImageFile(*stored, platform::ImageFileType::JPEG, properties, out.string()));
        return out;
    }

    // The `--camera` source of a camera looking at the photograph: a filter graph showing it
    // for ever, at `rate` frames a second.
    static std::string CameraSeeing(const fs::path& photograph, int rate = 15) {
        return "lavfi:movie=" + photograph.string() + ",loop=loop=-1:size=1,fps=" + std::to_string(rate);
    }

    // `tavorin import` of the files into the library.
    Outcome import(const std::vector<fs::path>& photos) const {
        std::vector<std::string> arguments{"import"};
        for (const fs::path& p : photos) arguments.push_back(p.string());
        return run(arguments);
    }

    // The program headless on the manual clock, running the script (one command a line) and
    // writing its screenshots into shots/; `options` before the script's.
    Outcome runScript(const std::string& script, std::vector<std::string> options = {"--camera", "simulated"}) const {
        const fs::path file = folder_ / "script.txt";
        std::ofstream(file) << script;
        options.insert(options.end(),
                       {"--headless", "--script", file.string(), "--screenshots", (folder_ / "shots").string()});
        return run(options);
    }

    // The program started with the arguments in the background, with this profile and the
    // environment's display; its process id. Its output goes to out.txt and err.txt.
    pid_t start(const std::vector<std::string>& arguments, bool display = false) const {
        const pid_t child = ::fork();
        if (child != 0) return child;
        ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (folder_ / "cache").c_str(), 1);
        ::setenv("TAVORIN_DESKTOP_OPENERS", "0", 1);
        if (!shaderCache_) ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        ::unsetenv("TAVORIN_PHOTO_LIBRARY");
        ::unsetenv("TAVORIN_LOCATION");
        ::unsetenv("SDL_VIDEODRIVER");
        if (!display) ::unsetenv("DISPLAY"), ::unsetenv("WAYLAND_DISPLAY");
        // The child's exit-time leak scan is off, as for every run of the built program in the
        // tests: the scan can crash among the GL driver's threads on a loaded machine.
        const char* asan = std::getenv("ASAN_OPTIONS");
        ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
        if (::chdir(folder_.c_str()) != 0) ::_exit(127);
        const int out = ::open((folder_ / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open((folder_ / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(TAVORIN_EXECUTABLE)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TAVORIN_EXECUTABLE, argv.data());
        ::_exit(127);
    }
    // Waits for the started program; killed after `seconds` (a hang fails, never blocks).
    Outcome finish(pid_t child, int seconds = 600) const {
        Outcome outcome;
        int status = 0;
        for (int tenth = 0;; ++tenth) {
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done == child) break;
            if (tenth == seconds * 10) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                ADD_FAILURE() << "the program was still running after " << seconds << " s";
                break;
            }
            ::usleep(100000);
        }
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = ReadText(folder_ / "out.txt");
        outcome.err = ReadText(folder_ / "err.txt");
        return outcome;
    }
    Outcome run(const std::vector<std::string>& arguments) const { return finish(start(arguments)); }

    // A program started in the background, killed if the case ends before it is finished.
    class Started {
    public:
        Started(const TavorinProfile& profile, pid_t pid) : profile_(profile), pid_(pid) {}
        ~Started() {
            if (pid_ <= 0) return;
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        Started(const Started&) = delete;
        Started& operator=(const Started&) = delete;
        Outcome finish(int seconds) { return profile_.finish(std::exchange(pid_, -1), seconds); }

    private:
        const TavorinProfile& profile_;
        pid_t pid_;
    };

    // The photos the library's index lists, in the order they came in.
    std::vector<LibraryRow> rows() const {
        std::vector<LibraryRow> rows;
        sqlite3* db = nullptr;
        const std::string path = (library() / "library.sqlite").string();
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return rows;
        }
        sqlite3_stmt* s = nullptr;
        const char* sql =
            "SELECT a.uuid, a.original_path, e.render_path, a.creation_date, a.modification_date, "
            "a.trashed_date IS NOT NULL FROM asset a LEFT JOIN edit e ON e.asset_id = a.id ORDER BY a.id";
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        const auto text = [&s](int column) {
            const unsigned char* t = sqlite3_column_text(s, column);
            return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
        };
        const auto inLibrary = [this](const std::string& relative) {
            return relative.empty() ? fs::path() : library() / relative;
        };
        while (s && sqlite3_step(s) == SQLITE_ROW)
            rows.push_back({text(0), inLibrary(text(1)), inLibrary(text(2)), sqlite3_column_double(s, 3),
                            sqlite3_column_double(s, 4), sqlite3_column_int(s, 5) != 0});
        sqlite3_finalize(s);
        sqlite3_close(db);
        return rows;
    }
    // The rows of photos not deleted.
    std::vector<LibraryRow> photos() const {
        std::vector<LibraryRow> kept;
        for (LibraryRow& row : rows())
            if (!row.trashed) kept.push_back(std::move(row));
        return kept;
    }

private:
    static std::optional<platform::ImageBitmap> scaledWallpaper(const fs::path& wallpaper, std::uint32_t longSide) {
        platform::ImageIOError error;
        const auto source = platform::ImageSource::createWithFile(wallpaper.string(), &error);
        EXPECT_TRUE(source) << wallpaper << ": " << error.message;
        if (!source) return std::nullopt;
        auto bitmap = source->createThumbnailAtIndex(0, longSide);
        EXPECT_TRUE(bitmap) << wallpaper;
        return bitmap;
    }

    fs::path folder_;
    bool shaderCache_ = false;
};

// Whether two files hold the same bytes.
inline bool SameBytes(const fs::path& a, const fs::path& b) {
    return fs::exists(a) && fs::exists(b) && ReadText(a) == ReadText(b);
}

}  // namespace acceptance
