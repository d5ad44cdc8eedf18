// Access tests and requests over the shared access store: the mapping of platform states,
// each policy of the store, the camera request answering the state read again, answers that
// persist, and a corrupt store document kept aside rather than overwritten.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "camera/capture/AccessViewController.h"
#include "platform/authorization/AuthorizationStore.h"

namespace {

namespace fs = std::filesystem;

class AccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-access-XXXXXX";
        root = mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        AuthorizationStore::resetShared();
    }
    void TearDown() override {
        AuthorizationStore::resetShared();
        fs::remove_all(root);
    }
    // The answer of a request, waited for (generously: it comes from another queue).
    template <class Request>
    std::optional<int> Answer(Request request) {
        auto promise = std::make_shared<std::promise<int>>();
        auto future = promise->get_future();
        request([promise](int access) { promise->set_value(access); });
        if (future.wait_for(std::chrono::seconds(20)) != std::future_status::ready) return std::nullopt;
        return future.get();
    }
    fs::path root;
};

TEST_F(AccessTest, PlatformStatesMapToAccess) {
    struct Case {
        int status, photo, media, location;
    } cases[] = {{-1, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}, {4, 0, 0, 3}, {5, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(AccessViewController::accessForPhotoStatus(c.status), c.photo);
        EXPECT_EQ(AccessViewController::accessForMediaAccess(c.status), c.media);
        EXPECT_EQ(AccessViewController::accessForLocationStatus(c.status), c.location);
    }
}

TEST_F(AccessTest, RequestsAnswerByThePolicyAndPersist) {
    auto& store = AuthorizationStore::shared();
    EXPECT_EQ(AccessViewController::hasCameraAccess(), 0);
    EXPECT_FALSE(AccessViewController::hasCameraAndPhotoAccess());

    store.setPolicy(AuthorizationPolicy::Deny);
    EXPECT_EQ(Answer(AccessViewController::requestMicrophoneAccess), 2);
    EXPECT_EQ(AccessViewController::hasMicrophoneAccess(), 2);

    store.setPolicy(AuthorizationPolicy::NeverAnswer);
    std::atomic<int> calls = 0;
    AccessViewController::requestCameraAccess([&](int) { ++calls; });
    EXPECT_EQ(AccessViewController::hasCameraAccess(), 0) << "still not determined";

    store.setPolicy(AuthorizationPolicy::Grant);
    EXPECT_EQ(Answer(AccessViewController::requestCameraAccess), 3);
    EXPECT_EQ(Answer(AccessViewController::requestPhotoAccess), 3);
    EXPECT_TRUE(AccessViewController::hasCameraAndPhotoAccess());
    EXPECT_EQ(Answer(AccessViewController::requestMicrophoneAccess), 2) << "a refusal stands";
    EXPECT_EQ(calls.load(), 0);

    // The camera request answers the state read again, not the platform's flag: a state set
    // while the request was on its way wins.
    store.setStatus(AuthorizationService::Camera, 1);
    EXPECT_EQ(Answer(AccessViewController::requestCameraAccess), 1);

    store.setStatus(AuthorizationService::Location, 4);
    EXPECT_EQ(AccessViewController::hasLocationAccess(), 3);
    AuthorizationStore::resetShared();
    EXPECT_EQ(AccessViewController::hasPhotoAccess(), 3) << "answers persist";
    EXPECT_EQ(AccessViewController::hasMicrophoneAccess(), 2);
    EXPECT_EQ(AccessViewController::hasCameraAccess(), 1);
}

TEST_F(AccessTest, ACorruptDocumentIsReportedAndKeptAside) {
    const fs::path file = AuthorizationStore::standardStorePath();
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "{\"camera\": 3,";
    auto& store = AuthorizationStore::shared();
    EXPECT_TRUE(store.foundCorruptDocument());
    EXPECT_EQ(AccessViewController::hasCameraAccess(), 0);
    EXPECT_EQ(Answer(AccessViewController::requestPhotoAccess), 3);
    ASSERT_TRUE(store.setAsidePath());
    std::ifstream aside(*store.setAsidePath());
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(aside)), std::istreambuf_iterator<char>()),
              "{\"camera\": 3,");
    AuthorizationStore::resetShared();
    EXPECT_FALSE(AuthorizationStore::shared().foundCorruptDocument());
    EXPECT_EQ(AccessViewController::hasPhotoAccess(), 3);
}

}  // namespace
