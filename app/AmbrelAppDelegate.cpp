#include "app/AmbrelAppDelegate.h"

#include <cstdio>
#include <fstream>

#include <nlohmann/json.hpp>

#include "camera/location/LocationUtility.h"
#include "library/metadata/GeotagSource.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"
#include "screens/rating/RatingPrompt.h"
#include "screens/sharing/SquareCropSharingScreen.h"

// The home-screen quick actions as the resources declare them, in order (F1-F4).
std::vector<UIApplicationShortcutItem> AmbrelAppDelegate::shortcutItemsFromResources() {
    std::vector<UIApplicationShortcutItem> items;
    const std::string path = NSBundle::mainBundle().pathForResource("shortcuts", "json", "shortcuts");
    if (path.empty()) return items;
    std::ifstream in(path);
    const nlohmann::json table = nlohmann::json::parse(in, nullptr, false);
    if (!table.is_array()) {
        std::fprintf(stderr, "tavorin: the shortcut table %s is not a JSON list\n", path.c_str());
        return items;
    }
    for (const auto& entry : table)
        if (entry.is_object() && entry.contains("type") && entry["type"].is_string())
            items.push_back({entry["type"].get<std::string>(), entry.value("title", entry["type"].get<std::string>())});
    return items;
}

void configureRatingPrompt() {
    RatingPrompt& rating = RatingPrompt::sharedInstance();
    rating.setDaysUntilPrompt(3.0f);
    rating.setUsesUntilPrompt(7);
    rating.setRemindPeriod(7.0f);
    rating.setVerboseLogging(false);
    rating.setPromptAtLaunch(true);
}

void AmbrelAppDelegate::initialize() {
    // The share sheet's Instagram hand-off crops on the square crop screen; photos are
    // geotagged with what the location utility follows.
    static const bool configured = (configureRatingPrompt(), SquareCropSharingScreen::install(),
                                    GeotagSource::install(&LocationUtility::sharedInstance()), true);
    (void)configured;
}

AmbrelAppDelegate::AmbrelAppDelegate() { initialize(); }

AmbrelAppDelegate::~AmbrelAppDelegate() {
    // The delegate lives as long as the process; a test's ends before it.
    NSNotificationCenter::defaultCenter().removeObserver(this);
}

bool AmbrelAppDelegate::application(UIApplication& application, const UIApplicationLaunchOptions&) {
    application.setShortcutItems(shortcutItemsFromResources());
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    auto controller = std::make_shared<AmbrelViewController>();
    viewController_ = controller.get();
    window_->setRootViewController(std::make_shared<UINavigationController>(controller));
    window_->makeKeyAndVisible();

    UIDevice& device = UIDevice::currentDevice();
    device.beginGeneratingDeviceOrientationNotifications();
    NSNotificationCenter::defaultCenter().addObserver(
        this, UIDeviceOrientationDidChangeNotification,
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
