// The program's state files (the defaults, the access answers, the configured openers) under
// the damage disks and people cause: each store starts clean with its defaults, says what it
// found in one line, sets a damaged document aside whole (and leaves one it may not read where
// it is), and never hangs, overflows the stack or grows. Rewrites keep the document's mode,
// stay compact, and leave the old document whole when the disk is full.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/foundation/StateFile.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/uikit/UIDocumentOpeners.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Nested(int depth) { return "{\"k\": " + std::string(depth, '[') + std::string(depth, ']') + "}"; }

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Root reads and writes whatever the permissions say; for as long as this lives the calling
// thread (where the stores read) obeys them like anybody else.
class ObeyingPermissions {
public:
    ObeyingPermissions() {
        ::syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &header_, reduced);
    }
    ~ObeyingPermissions() { ::syscall(SYS_capset, &header_, saved_); }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

class StateFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavorin-state-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home = pattern;
        ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        ::setenv("TAVORIN_DESKTOP_OPENERS", "0", 1);
        UserDefaults::resetStandardUserDefaults();
        AuthorizationStore::resetShared();
    }
    void TearDown() override {
        UserDefaults::resetStandardUserDefaults();
        AuthorizationStore::resetShared();
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(home, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(home, ec);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    fs::path folder() const { return home / "tavorin"; }
    // The store's files beside it other than the document.
    std::vector<fs::path> besides(const fs::path& file) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path().filename().string().rfind(file.filename().string() + ".", 0) == 0)
                found.push_back(entry.path());
        return found;
    }

    fs::path home;
};

// A store as the program starts it: read, and one answer recorded.
struct Start {
    bool sawStoredValue = false;  // the value the valid document holds
    bool recorded = false;        // the new answer reached the disk
};

struct Store {
    const char* file;
    std::string valid;  // a document holding the stored value
    bool writes;        // whether starting records something
    std::function<Start(const fs::path&)> start;
};

std::vector<Store> Stores() {
    return {
        {"defaults.json", R"({"k": 1})", true,
         [](const fs::path&) {
             UserDefaults::resetStandardUserDefaults();
             UserDefaults& defaults = UserDefaults::standardUserDefaults();
             Start start;
             start.sawStoredValue = defaults.objectForKey("k") == 1;
             defaults.setObject(2, "fresh");
             start.recorded = defaults.synchronize();
             return start;
         }},
        {"authorization.json", R"({"camera": 1})", true,
         [](const fs::path& file) {
             AuthorizationStore store(file);
             Start start;
             start.sawStoredValue = store.status(AuthorizationService::Camera) == kAuthorizationRestricted;
             start.recorded = store.setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
             return start;
         }},
        {"openers.json", R"({"openers": [{"id": "v", "name": "V", "types": ["public.jpeg"], "exec": ["true", "%f"]}]})",
         false,
         [](const fs::path&) {
             Start start;
             start.sawStoredValue = UIDocumentOpeners::configuredOpeners().openers.size() == 1;
             return start;
         }},
    };
}

enum class Found { Nothing, Damaged, Unreadable, ReadOnly };

struct Damage {
    const char* name;
    Found found;
    std::function<void(const fs::path& file, const std::string& valid)> make;
};

std::vector<Damage> Damages() {
    auto text = [](std::function<std::string(const std::string&)> of) {
        return [of](const fs::path& file, const std::string& valid) { WriteText(file, of(valid)); };
    };
    return {
        {"missing", Found::Nothing, [](const fs::path&, const std::string&) {}},
        {"empty", Found::Damaged, text([](const std::string&) { return ""; })},
        {"truncated", Found::Damaged, text([](const std::string& valid) { return valid.substr(0, valid.size() / 2); })},
        {"garbage", Found::Damaged, text([](const std::string&) {
             return std::string(
                 "\x7f"
                 "ELF\x02\x01\0\xff garbage",
                 16);
         })},
        {"a folder", Found::Damaged,
         [](const fs::path& file, const std::string&) { WriteText(file / "inside.txt", "kept"); }},
        {"a named pipe", Found::Damaged,
         [](const fs::path& file, const std::string&) {
             fs::create_directories(file.parent_path());
             ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
         }},
        {"huge", Found::Damaged,
         [](const fs::path& file, const std::string& valid) {
             WriteText(file, valid);
             fs::resize_file(file, std::uintmax_t{4} << 30);  // sparse
         }},
        {"nested 200,000 deep", Found::Damaged, text([](const std::string&) { return Nested(200000); })},
        {"nested 10,000 deep", Found::Damaged, text([](const std::string&) { return Nested(10000); })},
        {"a list for a dictionary", Found::Damaged, text([](const std::string&) { return R"(["k", 1])"; })},
        {"unreadable", Found::Unreadable,
         [](const fs::path& file, const std::string& valid) {
             WriteText(file, valid);
             fs::permissions(file, fs::perms::none);
         }},
        {"read-only", Found::ReadOnly,
         [](const fs::path& file, const std::string& valid) {
             WriteText(file, valid);
             fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         }},
    };
}

TEST_F(StateFileTest, EveryStoreStartsCleanFromADamagedDocumentAndSaysSoOnce) {
    for (const Store& store : Stores()) {
        for (const Damage& damage : Damages()) {
            SCOPED_TRACE(std::string(store.file) + " " + damage.name);
            fs::remove_all(folder());
            fs::create_directories(folder());
            const fs::path file = folder() / store.file;
            damage.make(file, store.valid);
            const fs::file_status before = fs::symlink_status(file);
            const std::uintmax_t beforeSize = fs::is_regular_file(before) ? fs::file_size(file) : 0;
            const std::string beforeText = fs::is_regular_file(before) && beforeSize < (1u << 20) ? ReadText(file) : "";

            testing::internal::CaptureStderr();
            Start start;
            {
                ObeyingPermissions obeying;
                start = store.start(file);
            }
            const std::string said = testing::internal::GetCapturedStderr();

            const std::vector<fs::path> aside = besides(file);
            switch (damage.found) {
            case Found::Nothing:
                EXPECT_EQ(said, "");
                EXPECT_TRUE(aside.empty());
                break;
            case Found::Damaged:
                EXPECT_FALSE(start.sawStoredValue) << "defaults";
                EXPECT_EQ(Lines(said), 1u) << said;
                EXPECT_NE(said.find(file.string()), std::string::npos) << said;
                ASSERT_EQ(aside.size(), 1u) << "set aside whole";
                EXPECT_NE(aside[0].filename().string().find(".corrupt-"), std::string::npos);
                EXPECT_EQ(fs::symlink_status(aside[0]).type(), before.type());
                if (fs::is_regular_file(before)) {
                    EXPECT_EQ(fs::file_size(aside[0]), beforeSize);
                    if (beforeSize < (1u << 20)) {
                        EXPECT_EQ(ReadText(aside[0]), beforeText);
                    }
                }
                if (fs::is_directory(before)) {
                    EXPECT_EQ(ReadText(aside[0] / "inside.txt"), "kept");
                }
                break;
            case Found::Unreadable:
                EXPECT_FALSE(start.sawStoredValue);
                EXPECT_EQ(Lines(said), 1u) << said;
                EXPECT_NE(said.find("Permission denied"), std::string::npos) << said;
                EXPECT_TRUE(aside.empty()) << "left where it is";
                break;
            case Found::ReadOnly:
                EXPECT_TRUE(start.sawStoredValue);
                EXPECT_EQ(Lines(said), store.writes ? 1u : 0u) << said;
                if (store.writes) {
                    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
                }
                EXPECT_TRUE(aside.empty());
                EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
                          fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
                break;
            }
            if (damage.found == Found::Unreadable || damage.found == Found::ReadOnly) {
                EXPECT_FALSE(start.recorded) << "never written over";
                fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
                EXPECT_EQ(ReadText(file), store.valid);
            } else if (store.writes) {
                EXPECT_TRUE(start.recorded);
                EXPECT_EQ(Lines(ReadText(file)), 1u) << "a fresh, compact document";
                EXPECT_LT(fs::file_size(file), 64u);
            }
        }
    }
}

TEST_F(StateFileTest, ARewriteKeepsTheModeFollowsALinkAndStaysCompact) {
    const nlohmann::json document = {{"AmbrelAppSettings", {{"showGrid", true}, {"saveType", 1}}}, {"list", {1, 2, 3}}};
    const std::string pretty = document.dump(4) + "\n";
    const mode_t umask = ::umask(027);
    struct Case {
        const char* name;
        std::function<fs::path(const fs::path&)> prepare;  // answers where the text ends up
        fs::perms mode;
    } cases[] = {
        {"a new document: the umask's mode", [](const fs::path& file) { return file; },
         fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read},
        {"a document of mode 0604",
         [&](const fs::path& file) {
             WriteText(file, pretty);
             fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
             return file;
         },
         fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read},
        {"a link to a document kept elsewhere",
         [&](const fs::path& file) {
             const fs::path kept = home / "dotfiles" / "defaults.json";
             WriteText(kept, pretty);
             fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
             fs::create_directories(file.parent_path());
             fs::create_symlink(kept, file);
             return kept;
         },
         fs::perms::owner_read | fs::perms::owner_write},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home);
        const fs::path file = folder() / "defaults.json";
        const fs::path written = c.prepare(file);
        std::string problem;
        ASSERT_TRUE(StateFile::write(file, document, &problem)) << problem;
        EXPECT_EQ(fs::status(written).permissions() & fs::perms::all, c.mode);
        EXPECT_EQ(ReadText(written), document.dump() + "\n") << "one line";
        EXPECT_EQ(fs::is_symlink(file), written != file);
        EXPECT_TRUE(besides(file).empty()) << "no temporary file left";
    }
    ::umask(umask);

    // The stores write the same way.
    fs::remove_all(home);
    WriteText(folder() / "defaults.json", pretty);
    fs::permissions(folder() / "defaults.json", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    UserDefaults::standardUserDefaults().setObject("x", "y");
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    EXPECT_EQ(Lines(ReadText(folder() / "defaults.json")), 1u);
    EXPECT_EQ(fs::status(folder() / "defaults.json").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteText(folder() / "authorization.json", "{\n    \"camera\": 3\n}\n");
    fs::permissions(folder() / "authorization.json",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(AuthorizationStore(folder() / "authorization.json").setStatus(AuthorizationService::Photos, 2));
    EXPECT_EQ(ReadText(folder() / "authorization.json"), "{\"camera\":3,\"photos\":2}\n");
    EXPECT_EQ(fs::status(folder() / "authorization.json").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// In a child process: a file system of 64 KiB of its own (a tmpfs in a private mount space),
// or where none may be mounted, a limit on the size of files written (the same failure at the
// file layer); the disk filled, then the store asked to write. The exit status tells.
TEST_F(StateFileTest, AFullDiskLeavesTheOldDocumentWholeAndSaysWhy) {
    const fs::path disk = home / "disk";
    fs::create_directories(disk);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The user's own ids, as root of a new user space where that is needed.
        const std::string uid = "0 " + std::to_string(::getuid()) + " 1",
                          gid = "0 " + std::to_string(::getgid()) + " 1";
        bool mounted = ::unshare(CLONE_NEWNS) == 0;
        if (!mounted && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << uid;
            std::ofstream("/proc/self/gid_map") << gid;
            mounted = true;
        }
        mounted = mounted && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                  ::mount("tavorin-full", disk.c_str(), "tmpfs", 0, "size=64k") == 0;
        const fs::path file = disk / "tavorin" / "defaults.json";
        const std::string old = "{\"kept\": true}\n";
        WriteText(file, old);
        if (mounted) {
            std::ofstream filler(disk / "filler", std::ios::binary);
            const std::string block(4096, 'x');
            while (filler.write(block.data(), block.size()) && filler.flush()) {}
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{8, 8};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::setenv("XDG_CONFIG_HOME", disk.c_str(), 1);
        UserDefaults defaults(file);
        defaults.setObject(std::string(8192, 'v'), "large");
        const bool written = defaults.synchronize();
        const auto problems = defaults.problems();
        const std::string said = problems.empty() ? "" : problems.back();
        const bool reason = said.find(mounted ? "No space left on device" : "File too large") != std::string::npos;
        std::size_t others = 0;
        for (const auto& entry : fs::directory_iterator(file.parent_path())) others += entry.path() != file;
        ::_exit(written ? 10 : ReadText(file) != old ? 11 : !reason ? 12 : others ? 13 : mounted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const int code = WEXITSTATUS(status);
    EXPECT_NE(code, 10) << "a write to a full disk reported as success";
    EXPECT_NE(code, 11) << "the old document was damaged";
    EXPECT_NE(code, 12) << "the reason was not said";
    EXPECT_NE(code, 13) << "a temporary file was left behind";
    EXPECT_LE(code, 1);
    if (code == 1) std::printf("no file system could be mounted here: a file size limit stood in for the full disk\n");
}

}  // namespace
