#include "platform/uikit/UIApplicationMain.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <thread>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIHostWindow.h"
#include "platform/uikit/UIInputDriver.h"
#include "platform/uikit/UIScriptRunner.h"
#include "platform/uikit/UIWindow.h"

bool UIApplicationLaunch(UIApplicationDelegate& delegate) {
    UIApplication& application = UIApplication::sharedApplication();
    application.setDelegate(&delegate);
    if (!delegate.application(application, UIApplicationLaunchOptions{})) return false;
    application.transitionToState(UIApplicationState::Active);
    return true;
}

void UIApplicationPerformShortcut(const std::string& type) {
    UIApplication& application = UIApplication::sharedApplication();
    if (UIApplicationDelegate* delegate = application.delegate())
        delegate->application(application, UIApplicationShortcutItem{type, type}, [](bool) {});
}

int UIApplicationMain(const UIApplicationRunOptions& options, std::unique_ptr<UIApplicationDelegate> delegate,
                      std::ostream& err) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (options.headless) loop.useManualClock(0);
    if (!UIApplicationLaunch(*delegate)) {
        err << "the application did not launch\n";
        return UIApplicationExitFailure;
    }
    UIWindow* key = UIWindow::keyWindow();
    if (!key) {
        err << "the application showed no window\n";
        return UIApplicationExitFailure;
    }
    auto window = std::static_pointer_cast<UIWindow>(key->shared_from_this());
    UIInputDriver driver(window);
    if (!options.shortcut.empty()) UIApplicationPerformShortcut(options.shortcut);

    int status = 0;
    if (options.headless) {
        loop.runUntilIdle();
        UIScriptRunner runner(driver, options.screenshots.empty() ? "." : options.screenshots);
        // Frame by frame, each giving work on other threads (access answers, library writes,
        // thumbnails) a moment to hand its result to the main queue.
        runner.setWait([&driver, &loop](NSTimeInterval seconds) {
            constexpr NSTimeInterval kFrame = 1.0 / 60;
            for (NSTimeInterval left = seconds; left > 1e-9; left -= kFrame) {
                driver.wait(std::min(kFrame, left));
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                loop.runUntilIdle();
            }
        });
        std::string error;
        if (!runner.runFile(options.script, &error)) {
            err << options.script << ": " << error << "\n";
            status = UIApplicationExitUsage;
        }
    } else {
        std::string error;
        auto shown = UIHostWindow::open(driver, options.title, &error);
        if (!shown) {
            err << error << "; without a display run headless: --headless --script FILE [--screenshots DIR]\n";
            status = UIApplicationExitUsage;
        } else {
            shown->run();
        }
    }
    UIApplication& application = UIApplication::sharedApplication();
    application.terminate();
    loop.runUntilIdle();
    application.setDelegate(nullptr);
    return status;
}
