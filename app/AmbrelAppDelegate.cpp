#include "app/AmbrelAppDelegate.h"

#include "model/DeviceUtility.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

// Hook: filled by the rating prompt.
void configureRatingPrompt() {}

void AmbrelAppDelegate::initialize() {
    static const bool configured = (configureRatingPrompt(), true);
    (void)configured;
}

AmbrelAppDelegate::AmbrelAppDelegate() { initialize(); }

AmbrelAppDelegate::~AmbrelAppDelegate() {
    // The delegate lives as long as the process; a test's ends before it.
    NSNotificationCenter::defaultCenter().removeObserver(this);
}

bool AmbrelAppDelegate::application(UIApplication&, const UIApplicationLaunchOptions&) {
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    auto controller = std::make_shared<AmbrelViewController>();
    viewController_ = controller.get();
    window_->setRootViewController(std::make_shared<UINavigationController>(controller));
    window_->makeKeyAndVisible();

    UIDevice& device = UIDevice::currentDevice();
    device.beginGeneratingDeviceOrientationNotifications();
    NSNotificationCenter::defaultCenter().addObserver(this, UIDeviceOrientationDidChangeNotification,
                                                      [this](const NSNotification&) { applicationOrientationChanged(); });
    AppConstants::setOrientation(static_cast<int>(device.orientation()));
    return true;
}

UIInterfaceOrientationMask AmbrelAppDelegate::application(UIApplication&, UIWindow*) {
    return DeviceUtility::isIPad() ? UIInterfaceOrientationMaskAll : UIInterfaceOrientationMaskPortrait;
}

void AmbrelAppDelegate::applicationOrientationChanged() {
    AppConstants::setOrientation(static_cast<int>(UIDevice::currentDevice().orientation()));
    if (viewController_) viewController_->applicationOrientationChanged(AppConstants::orientation());
}

void AmbrelAppDelegate::application(UIApplication& application, const UIApplicationShortcutItem& shortcutItem,
                                    std::function<void(bool)> completionHandler) {
    if (viewController_) viewController_->application(application, shortcutItem, std::move(completionHandler));
}

void AmbrelAppDelegate::applicationWillResignActive(UIApplication& application) {
    if (viewController_) viewController_->applicationWillResignActive(application);
}

void AmbrelAppDelegate::applicationDidEnterBackground(UIApplication& application) {
    if (viewController_) viewController_->applicationDidEnterBackground(application);
}

void AmbrelAppDelegate::applicationWillEnterForeground(UIApplication& application) {
    if (viewController_) viewController_->applicationWillEnterForeground(application);
}

void AmbrelAppDelegate::applicationDidBecomeActive(UIApplication& application) {
    if (viewController_) viewController_->applicationDidBecomeActive(application);
}
