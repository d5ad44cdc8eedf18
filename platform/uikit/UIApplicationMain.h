#pragma once
// Runs an application: its delegate launches it (making and showing its key window), it
// becomes active, and then either the shown window's loop runs on the real clock until the
// window closes, or, headless, a script of input runs on the manual clock against the same
// window (UIScriptRunner) and the application ends. Headless, a `wait` passes in display
// frames, each giving work on other threads a moment to report back.
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/uikit/UIApplication.h"

struct UIApplicationRunOptions {
    bool headless = false;
    std::string script;       // headless: the script file
    std::string screenshots;  // headless: where its shots go
    std::string shortcut;     // a home-screen shortcut's type handed to the delegate once launched
    std::string title = "Application";
};

// Exit codes of a run: 0 done, 1 the launch failed, 2 a script line that cannot run (reported
// with its number) or no display (the message names the headless mode).
inline constexpr int UIApplicationExitFailure = 1;
inline constexpr int UIApplicationExitUsage = 2;

// Hands the delegate the launch, then makes the application active; false when the delegate
// refused the launch. The delegate stays the application's (not owned).
bool UIApplicationLaunch(UIApplicationDelegate& delegate);

// Hands a shortcut of that type (its title the type) to the delegate.
void UIApplicationPerformShortcut(const std::string& type);

int UIApplicationMain(const UIApplicationRunOptions& options, std::unique_ptr<UIApplicationDelegate> delegate,
                      std::ostream& err);
