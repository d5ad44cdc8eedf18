#pragma once
// The application's delegate: builds the one window with the main screen as the root of a
// navigation controller, keeps the device's orientation in the device constants, and hands
// every application event to the main screen unchanged.
#include <functional>
#include <memory>
#include <vector>

#include "app/AmbrelViewController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

class AmbrelAppDelegate : public UIApplicationDelegate {
public:
    AmbrelAppDelegate();
    ~AmbrelAppDelegate() override;

    // The rating prompt's settings, made once before the first delegate.
    static void initialize();
    // The home-screen quick actions of the resources' shortcut table, in order.
    static std::vector<UIApplicationShortcutItem> shortcutItemsFromResources();

    bool application(UIApplication& application, const UIApplicationLaunchOptions& launchOptions) override;
    // Portrait only on a phone; every upright orientation on a pad.
    UIInterfaceOrientationMask application(UIApplication& application, UIWindow* window) override;
    void application(UIApplication& application, const UIApplicationShortcutItem& shortcutItem,
                     std::function<void(bool succeeded)> completionHandler) override;
    void applicationWillResignActive(UIApplication& application) override;
    void applicationDidEnterBackground(UIApplication& application) override;
    void applicationWillEnterForeground(UIApplication& application) override;
    void applicationDidBecomeActive(UIApplication& application) override;
    void applicationWillTerminate(UIApplication&) override {}
    void applicationOrientationChanged();

    const std::shared_ptr<UIWindow>& window() const { return window_; }
    // Not owned: the navigation controller holds it.
    AmbrelViewController* viewController() const { return viewController_; }

private:
    std::shared_ptr<UIWindow> window_;
    AmbrelViewController* viewController_ = nullptr;
};

// The rating prompt's configuration (days and uses before prompting, the reminder period,
// logging, prompting at launch), made once before the first delegate.
void configureRatingPrompt();
