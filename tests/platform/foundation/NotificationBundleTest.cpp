// Notifications by name and sender, and resources found by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

TEST(NotificationCenter, DeliversByNameAndSenderWithUserInfo) {
    auto& center = NSNotificationCenter::defaultCenter();
    std::vector<std::string> log;
    int observerA = 0, observerB = 0, sender1 = 0, sender2 = 0;
    center.addObserver(&observerA, "Changed", [&](const NSNotification& n) {
        log.push_back("a:" + std::any_cast<std::string>(n.userInfo.at("what")));
    });
    center.addObserver(
        &observerB, "Changed", [&](const NSNotification&) { log.push_back("b(sender1)"); }, &sender1);
    center.addObserver(&observerB, "", [&](const NSNotification& n) { log.push_back("b-any:" + n.name); });

    center.postNotificationName("Changed", &sender2, {{"what", std::string("x")}});
    EXPECT_EQ(log, (std::vector<std::string>{"a:x", "b-any:Changed"}));
    log.clear();
    center.postNotificationName("Changed", &sender1, {{"what", std::string("y")}});
    EXPECT_EQ(log, (std::vector<std::string>{"a:y", "b(sender1)", "b-any:Changed"}));

    log.clear();
    center.removeObserver(&observerB, "Changed");
    center.postNotificationName("Changed", &sender1, {{"what", std::string("z")}});
    EXPECT_EQ(log, (std::vector<std::string>{"a:z", "b-any:Changed"}));
    center.removeObserver(&observerA);
    center.removeObserver(&observerB);
    log.clear();
    center.postNotificationName("Changed", &sender1);
    EXPECT_TRUE(log.empty());
}

TEST(NotificationCenter, ObserverRemovedDuringDeliveryIsNotCalled) {
    auto& center = NSNotificationCenter::defaultCenter();
    int first = 0, second = 0, calls = 0;
    center.addObserver(&first, "Ping", [&](const NSNotification&) {
        ++calls;
        center.removeObserver(&second);
        center.addObserver(&second, "Ping", [&](const NSNotification&) { calls += 100; });  // added late
    });
    center.addObserver(&second, "Ping", [&](const NSNotification&) { calls += 10; });
    center.postNotificationName("Ping");
    EXPECT_EQ(calls, 1);
    center.removeObserver(&first);
    center.removeObserver(&second);
}

TEST(NotificationCenter, BlockObserverOnTheMainQueue) {
    auto& center = NSNotificationCenter::defaultCenter();
    NSRunLoop::mainRunLoop().useManualClock(0);
    int calls = 0;
    auto token =
        center.addObserverForName("Later", nullptr, dispatch_get_main_queue(), [&](const NSNotification&) { ++calls; });
    center.postNotificationName("Later");
    EXPECT_EQ(calls, 0);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(calls, 1);
    center.removeObserver(token.get());
}

class BundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::filesystem::temp_directory_path() /
               ("tavorin-bundle-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(root / "first" / "looks" / "a");
        std::filesystem::create_directories(root / "second");
        touch(root / "first" / "icon.png");
        touch(root / "first" / "looks" / "a" / "zzTestLook.png");
        touch(root / "second" / "icon.png");
        touch(root / "second" / "only.txt");
        std::string list = (root / "first").string() + ":" + (root / "second").string();
        setenv("TAVORIN_RESOURCES", list.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TAVORIN_RESOURCES");
        std::filesystem::remove_all(root);
    }
    static void touch(const std::filesystem::path& p) { std::ofstream(p) << "x"; }
    std::filesystem::path root;
};

TEST_F(BundleTest, FindsResourcesInSearchOrderAndInSubfolders) {
    const NSBundle& bundle = NSBundle::mainBundle();
    struct Case {
        std::string name, type, subdirectory, expected;
    } cases[] = {
        {"icon", "png", "", "first/icon.png"},
        {"icon.png", "", "", "first/icon.png"},
        {"icon.png", "png", "", "first/icon.png"},
        {"only", ".txt", "", "second/only.txt"},
        {"zzTestLook", "png", "", "first/looks/a/zzTestLook.png"},
        {"zzTestLook", "png", "looks/a", "first/looks/a/zzTestLook.png"},
        {"zzTestLook", "png", "looks", ""},
        {"missing", "png", "", ""},
        {"../second/only", "txt", "", ""},
        {"", "png", "", ""},
    };
    for (const Case& c : cases) {
        std::string expected = c.expected.empty() ? "" : (root / c.expected).string();
        EXPECT_EQ(bundle.pathForResource(c.name, c.type, c.subdirectory), expected) << c.name << " " << c.subdirectory;
    }
    EXPECT_EQ(bundle.resourcePath(), (root / "first").string());
    EXPECT_EQ(bundle.resourcePathHolding("looks"), (root / "first").string());
    EXPECT_EQ(bundle.resourcePathHolding("only.txt"), (root / "second").string());
    EXPECT_EQ(bundle.resourcePathHolding("missing"), (root / "first").string());  // the first folder
    auto dirs = bundle.resourceDirectories();
    ASSERT_GE(dirs.size(), 2u);
    EXPECT_EQ(dirs[1], (root / "second").string());
}

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(PathUtilities, FollowTheBaseDirectoriesAndIgnoreRelativeOnes) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv cache("XDG_CACHE_HOME", nullptr), data("XDG_DATA_HOME", "relative/data"), tmp("TMPDIR", nullptr);
        EXPECT_EQ(NSSearchPathForDirectory(NSSearchPathDirectory::Caches), "/home/someone/.cache/tavorin");
        EXPECT_EQ(NSSearchPathForDirectory(NSSearchPathDirectory::ApplicationSupport),
                  "/home/someone/.local/share/tavorin");
        EXPECT_EQ(NSTemporaryDirectory(), "/tmp/");
    }
    ScopedEnv cache("XDG_CACHE_HOME", "/var/cache/x"), data("XDG_DATA_HOME", "/data"), tmp("TMPDIR", "/scratch");
    EXPECT_EQ(NSSearchPathForDirectory(NSSearchPathDirectory::Caches), "/var/cache/x/tavorin");
    EXPECT_EQ(NSSearchPathForDirectory(NSSearchPathDirectory::Documents), "/data/tavorin/Documents");
    EXPECT_EQ(NSTemporaryDirectory(), "/scratch/");
    EXPECT_EQ(NSHomeDirectory(), "/home/someone");
}

}  // namespace
