#pragma once
// The application object: its life-cycle state with the notifications of each step, the count
// of requests to ignore touches, and the interface orientation.
#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIScreen.h"

inline const NSNotificationName UIApplicationDidFinishLaunchingNotification =
    "UIApplicationDidFinishLaunchingNotification";
inline const NSNotificationName UIApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline const NSNotificationName UIApplicationDidEnterBackgroundNotification =
    "UIApplicationDidEnterBackgroundNotification";
inline const NSNotificationName UIApplicationWillEnterForegroundNotification =
    "UIApplicationWillEnterForegroundNotification";
inline const NSNotificationName UIApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline const NSNotificationName UIApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";
inline const NSNotificationName UIApplicationDidReceiveMemoryWarningNotification =
    "UIApplicationDidReceiveMemoryWarningNotification";
inline const NSNotificationName UIApplicationDidChangeStatusBarOrientationNotification =
    "UIApplicationDidChangeStatusBarOrientationNotification";

// The run loop mode while a finger drags a scrolling view; one of the common modes.
inline const NSRunLoopMode UITrackingRunLoopMode = "UITrackingRunLoopMode";

enum class UIApplicationState { Active = 0, Inactive = 1, Background = 2 };

// A home-screen quick action: its type string identifies it to the delegate.
struct UIApplicationShortcutItem {
    std::string type;
    std::string localizedTitle;
};

class UIApplication;
class UIWindow;

// Interface orientations as a mask: bit N for the orientation of value N.
using UIInterfaceOrientationMask = unsigned;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskOf(UIInterfaceOrientation o) {
    return 1u << static_cast<unsigned>(o);
}
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskPortrait = 2;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskAll = 30;

// What a launch is given; on the desktop nothing yet.
struct UIApplicationLaunchOptions {};

// What the application hands its delegate: the launch, each step of the life cycle (before its
// notification is posted), the orientations the interface may take and the home-screen
// shortcuts. Every message has an empty default.
class UIApplicationDelegate {
public:
    virtual ~UIApplicationDelegate() = default;
    // The launch is over; answers whether it succeeded.
    virtual bool application(UIApplication& application, const UIApplicationLaunchOptions& launchOptions) {
        return true;
    }
    virtual void applicationWillResignActive(UIApplication& application) {}
    virtual void applicationDidEnterBackground(UIApplication& application) {}
    virtual void applicationWillEnterForeground(UIApplication& application) {}
    virtual void applicationDidBecomeActive(UIApplication& application) {}
    virtual void applicationWillTerminate(UIApplication& application) {}
    // The orientations the interface of the window may turn to (all four upright ones unless
    // the delegate says otherwise).
    virtual UIInterfaceOrientationMask application(UIApplication& application,
                                                   UIWindow* supportedInterfaceOrientationsForWindow) {
        return UIInterfaceOrientationMaskAll;
    }
    // A home-screen shortcut was chosen; the completion says whether it was handled.
    virtual void application(UIApplication& application, const UIApplicationShortcutItem& shortcutItem,
                             std::function<void(bool succeeded)> completionHandler) {}
};

// The system settings of this application. On the desktop its access answers are all there is
// to set, so opening it opens the file that keeps them.
inline const std::string UIApplicationOpenSettingsURLString = "app-settings:";

class UIApplication {
public:
    // Hands a target (a URL, or for the settings a file path) to the desktop; true when it was
    // handed over.
    using URLLauncher = std::function<bool(const std::string& target)>;
    static UIApplication& sharedApplication();

    // Starts inactive (launching).
    UIApplicationState applicationState() const { return state_; }
    // Walks the life cycle to the state one step at a time, posting (with the application as
    // sender) each step's notification: active to inactive "will resign active", inactive to
    // background "did enter background", background to inactive "will enter foreground",
    // inactive to active "did become active".
    void transitionToState(UIApplicationState state);

    // Touches are dropped while the count is above zero. Ending more often than beginning
    // leaves the count at zero.
    void beginIgnoringInteractionEvents() { ++ignoring_; }
    void endIgnoringInteractionEvents() {
        if (ignoring_ > 0) --ignoring_;
    }
    bool isIgnoringInteractionEvents() const { return ignoring_ > 0; }
    // While a finger drags a scrolling view the input runs the main loop in the tracking
    // mode (what only the default mode runs waits for the lift). Nested; unbalanced ends are
    // ignored.
    void beginTrackingInteraction() { ++tracking_; }
    void endTrackingInteraction() {
        if (tracking_ > 0) --tracking_;
    }
    NSRunLoopMode inputRunLoopMode() const { return tracking_ > 0 ? UITrackingRunLoopMode : NSDefaultRunLoopMode; }

    // The application is closing: from the foreground it first goes to the background, then
    // "will terminate" is posted (once).
    void terminate();
    bool isTerminating() const { return terminating_; }

    // Not owned.
    UIApplicationDelegate* delegate() const { return delegate_; }
    void setDelegate(UIApplicationDelegate* delegate) { delegate_ = delegate; }
    // The home-screen quick actions, in their order on the home screen.
    const std::vector<UIApplicationShortcutItem>& shortcutItems() const { return shortcutItems_; }
    void setShortcutItems(std::vector<UIApplicationShortcutItem> items) { shortcutItems_ = std::move(items); }
    // Hands the shortcut at the index to the delegate; false when there is none.
    bool performShortcutItemAtIndex(std::size_t index);

    UIInterfaceOrientation statusBarOrientation() const { return orientation_; }
    // Whether the delegate lets the interface take the orientation.
    bool supportsInterfaceOrientation(UIInterfaceOrientation orientation);
    // Posts the orientation change when it differs.
    void setStatusBarOrientation(UIInterfaceOrientation orientation);
    // Stand-in internals: the profile sets the orientation quietly.
    void resetStatusBarOrientation(UIInterfaceOrientation orientation) { orientation_ = orientation; }

    // ---- Opening URLs (UIApplication+OpenURL.cpp) ------------------------------------------
    // Only http, https and mailto URLs are opened (the scheme in any case, no control
    // characters), and the settings URL, as the access answers' file. The launcher starts
    // `xdg-open` with the target as its one argument, without a shell, and does not wait for it;
    // when it cannot be started or ends with a failure, an alert says so with the reason (the
    // answer is then already given: YES once it started).
    // "instagram:" URLs are only asked about: YES when a document opener takes that program's
    // exclusive type (see UIDocumentOpeners.h); they are never opened.
    bool canOpenURL(const std::string& url) const;
    bool openURL(const std::string& url);
    // Replaces the launcher (tests record the targets; false stands for a desktop that could
    // not be asked, said in the alert as well); null restores `xdg-open`.
    void setURLLauncher(URLLauncher launcher);

private:
    UIApplication();
    URLLauncher launcher_;
    UIApplicationState state_ = UIApplicationState::Inactive;
    int ignoring_ = 0;
    int tracking_ = 0;
    bool terminating_ = false;
    UIApplicationDelegate* delegate_ = nullptr;
    std::vector<UIApplicationShortcutItem> shortcutItems_;
    UIInterfaceOrientation orientation_ = UIInterfaceOrientation::Portrait;
};
