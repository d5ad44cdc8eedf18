// The access screen with synthetic touches on the manual clock: nothing shown when both are
// granted, the check mark and the fade-out after a grant (on screenshots too), the alert when
// the photos are refused, and "Settings" opening the file of access answers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "camera/capture/AccessViewController.h"
#include "platform/authorization/AuthorizationStore.h"
#include "platform/uikit/UIApplication.h"
#include "support/AlertHarness.h"
#include "support/ImageRegions.h"
#include "support/TouchHarness.h"

namespace {

class AccessScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-accessscreen-XXXXXX";
        root = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        AuthorizationStore::resetShared();
        // The host's two lowest views stay below the screen; the views above them stay above.
        for (int i = 0; i < 2; ++i) host->addSubview(std::make_shared<UIView>(host->bounds()));
        ui.window->addSubview(host);
        UIApplication::sharedApplication().setURLLauncher([this](const std::string& target) {
            opened.push_back(target);
            return true;
        });
    }
    void TearDown() override {
        UIApplication::sharedApplication().setURLLauncher(nullptr);
        ui.loop().runUntilIdle();
        AuthorizationStore::resetShared();
        std::filesystem::remove_all(root);
    }
    // The screen's view, read from the host's tree: the gradient, the texts' column, the button.
    UIView* screen() const { return host->subviews().size() < 3 ? nullptr : host->subviews()[2].get(); }
    std::shared_ptr<UIButton> accessButton() const {
        return std::dynamic_pointer_cast<UIButton>(screen()->subviews().at(2));
    }
    std::shared_ptr<UILabel> label() const {
        return std::dynamic_pointer_cast<UILabel>(screen()->subviews().at(1)->subviews().at(1));
    }
    // The answers come from the store's queue: turn the main loop until the condition holds
    // (a wait for another thread, bounded only so that a fault fails instead of hanging).
    template <class Condition>
    bool turnUntil(Condition condition) {
        for (int i = 0; i < 20000 && !condition(); ++i) {
            ui.loop().runOnce();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return condition();
    }
    void tapAccessButton() {
        const auto button = accessButton();
        ASSERT_TRUE(button);
        const CGPoint p =
            button->convertPointToView({CGRectGetMidX(button->bounds()), CGRectGetMidY(button->bounds())}, nullptr);
        ui.tap(p.x, p.y);
    }

    std::string root;
    TouchHarness ui;
    std::shared_ptr<UIView> host = std::make_shared<UIView>(ui.window->bounds());
    std::vector<std::string> opened;
    int completions = 0;
};

TEST_F(AccessScreenTest, NothingIsShownWhenBothAreGranted) {
    AuthorizationStore::shared().setStatus(AuthorizationService::Camera, kAuthorizationAuthorized);
    AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
    AccessViewController::requestCameraAndPhotoAccess(host, [this] { ++completions; });
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(host->subviews().size(), 2u);
}

TEST_F(AccessScreenTest, AGrantShowsTheCheckMarkThenTheScreenReportsAndFades) {
    AccessViewController::requestCameraAndPhotoAccess(host, [this] { ++completions; });
    ASSERT_TRUE(screen());
    EXPECT_EQ(screen()->frame(), host->bounds());
    ASSERT_TRUE(label());
    EXPECT_EQ(label()->text(), "Tavorin needs access to your camera and photos");
    ui.advance(1.0);  // the texts and button bounce in
    const CGRect buttonArea = accessButton()->convertRectToView(accessButton()->bounds(), nullptr);
    const auto brightness = [&](CGRect r) {
        const CGColor c = ui.meanColor(r);
        return c.r + c.g + c.b;
    };
    const CGRect border{{buttonArea.origin.x, CGRectGetMidY(buttonArea) - 8}, {1.5, 16}};
    const CGRect middle = CGRectInset(buttonArea, (buttonArea.size.width - 24) / 2, (buttonArea.size.height - 24) / 2);
    const double borderBefore = brightness(border), middleBefore = brightness(middle);
    tapAccessButton();
    ASSERT_TRUE(turnUntil([&] { return accessButton()->currentImage() != nullptr; }));
    EXPECT_EQ(completions, 0) << "not before the check mark has faded in";
    EXPECT_EQ(accessButton()->layer()->borderWidth(), 0);
    ui.advance(0.39);
    EXPECT_EQ(completions, 0);
    // On the screen: the white border gone, the check mark in place of the title's middle.
    EXPECT_LT(brightness(border), borderBefore - 0.2);
    EXPECT_GT(std::abs(brightness(middle) - middleBefore), 0.05);
    ui.advance(0.02);
    EXPECT_EQ(completions, 1);
    ui.advance(1.0);
    EXPECT_EQ(host->subviews().size(), 2u) << "the screen is gone";
    EXPECT_FALSE(screen());
}

TEST_F(AccessScreenTest, ARefusalShowsTheAlertAndSettingsOpensTheAnswers) {
    AuthorizationStore::shared().setStatus(AuthorizationService::Camera, kAuthorizationAuthorized);
    AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationDenied);
    AccessViewController::requestCameraAndPhotoAccess(host, [this] { ++completions; });
    ASSERT_TRUE(screen());
    ui.advance(1.0);
    tapAccessButton();
    ASSERT_TRUE(turnUntil([] { return UIAlertPresentation::shown() != nullptr; }));
    ui.advance(0.5);
    tapAlertButton(ui, "Settings");
    ui.advance(0.5);
    EXPECT_EQ(opened, std::vector<std::string>{AuthorizationStore::standardStorePath().string()});
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(screen()) << "the screen stays";
}

}  // namespace
