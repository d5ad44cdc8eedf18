// The shared access store: the grant policy, states that persist across processes' reads, and
// an unreadable document that is neither trusted nor overwritten until a state is set.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/authorization/AuthorizationStore.h"

namespace {

namespace fs = std::filesystem;

class AuthorizationStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-auth-XXXXXX";
        root = mkdtemp(pattern);
        file = root / "tavorin" / "authorization.json";
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root, file;
};

TEST_F(AuthorizationStoreTest, RequestsAreGrantedOnceAndAnswersPersist) {
    struct Case {
        AuthorizationService service;
        int granted;
    } cases[] = {{AuthorizationService::Camera, 3},
                 {AuthorizationService::Microphone, 3},
                 {AuthorizationService::Photos, 3},
                 {AuthorizationService::Location, 4}};
    AuthorizationStore store(file);
    for (auto& c : cases) {
        EXPECT_EQ(store.status(c.service), kAuthorizationNotDetermined);
        EXPECT_EQ(store.requestAccess(c.service), c.granted);
        EXPECT_TRUE(AuthorizationStore::isAuthorized(c.service, c.granted));
    }
    ASSERT_TRUE(store.setStatus(AuthorizationService::Photos, kAuthorizationDenied));
    EXPECT_EQ(store.requestAccess(AuthorizationService::Photos), kAuthorizationDenied);  // a refusal stands
    AuthorizationStore again(file);
    EXPECT_EQ(again.status(AuthorizationService::Photos), kAuthorizationDenied);
    EXPECT_EQ(again.status(AuthorizationService::Location), 4);
    EXPECT_FALSE(AuthorizationStore::isAuthorized(AuthorizationService::Camera, 4));
}

TEST_F(AuthorizationStoreTest, AnUnreadableDocumentCountsAsEmpty) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "{ not json";
    AuthorizationStore store(file);
    EXPECT_EQ(store.status(AuthorizationService::Camera), kAuthorizationNotDetermined);
    std::ifstream in(file);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "{ not json");
}

TEST_F(AuthorizationStoreTest, AStoredStateNoServiceHasCountsAsNotDetermined) {
    fs::create_directories(file.parent_path());
    // 2^32 + 3 would narrow to 3, "authorized".
    std::ofstream(file) << R"({"camera": 4294967299, "photos": -4294967293, "microphone": "3", "location": 4})";
    AuthorizationStore store(file);
    EXPECT_EQ(store.status(AuthorizationService::Camera), kAuthorizationNotDetermined);
    EXPECT_EQ(store.status(AuthorizationService::Photos), kAuthorizationNotDetermined);
    EXPECT_EQ(store.status(AuthorizationService::Microphone), kAuthorizationNotDetermined);
    EXPECT_EQ(store.status(AuthorizationService::Location), kLocationAuthorizedWhenInUse);
}

TEST_F(AuthorizationStoreTest, TheSharedStoreFollowsTheConfigFolder) {
    ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    AuthorizationStore::resetShared();
    AuthorizationStore::shared().setStatus(AuthorizationService::Camera, kAuthorizationRestricted);
    EXPECT_TRUE(fs::exists(file));
    AuthorizationStore::resetShared();
    EXPECT_EQ(AuthorizationStore::shared().status(AuthorizationService::Camera), kAuthorizationRestricted);
    AuthorizationStore::resetShared();
}

}  // namespace
