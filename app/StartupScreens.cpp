#include "app/StartupScreens.h"

#include "camera/capture/AccessViewController.h"
#include "model/AmbrelAppSettings.h"

StartupScreens StartupScreens::defaults() {
    StartupScreens screens;
    screens.presentSplash = [](const std::shared_ptr<UIView>&, bool, Completion completion) { completion(); };
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
