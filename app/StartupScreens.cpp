#include "app/StartupScreens.h"

#include "camera/capture/AccessViewController.h"
#include "model/AmbrelAppSettings.h"
#include "screens/splash/SplashViewController.h"

StartupScreens StartupScreens::defaults() {
    StartupScreens screens;
    screens.presentSplash = [](const std::shared_ptr<UIView>& host, bool wait, Completion completion) {
        SplashViewController::presentSplashIfNeeded(*host, wait, std::move(completion));
    };
    screens.shouldShowIntroduction = [] { return !AmbrelAppSettings::sharedInstance().introductionShown(); };
    screens.presentIntroduction = [](const std::shared_ptr<UIView>&, Completion completion) { completion(); };
    screens.hasCameraAndPhotoAccess = [] { return AccessViewController::hasCameraAndPhotoAccess(); };
    screens.requestCameraAndPhotoAccess = [](const std::shared_ptr<UIView>& host, Completion completion) {
        AccessViewController::requestCameraAndPhotoAccess(host, std::move(completion));
    };
    return screens;
}

StartupScreens& StartupScreens::current() {
    static StartupScreens screens = defaults();
    return screens;
}
