#include "platform/uikit/UIScreen.h"

#include "platform/uikit/UIApplication.h"

namespace {

UIDeviceProfile& profile() {
    static UIDeviceProfile current;
    return current;
}

UIInterfaceOrientation interfaceOrientationOf(UIDeviceOrientation o, UIUserInterfaceIdiom idiom) {
    switch (o) {
    case UIDeviceOrientation::Portrait: return UIInterfaceOrientation::Portrait;
    case UIDeviceOrientation::PortraitUpsideDown:
        return idiom == UIUserInterfaceIdiom::Pad ? UIInterfaceOrientation::PortraitUpsideDown
                                                  : UIInterfaceOrientation::Unknown;
    case UIDeviceOrientation::LandscapeLeft: return UIInterfaceOrientation::LandscapeRight;
    case UIDeviceOrientation::LandscapeRight: return UIInterfaceOrientation::LandscapeLeft;
    default: return UIInterfaceOrientation::Unknown;
    }
}

}  // namespace

const UIDeviceProfile& UIDeviceProfile::current() { return profile(); }

void UIDeviceProfile::setCurrent(UIDeviceProfile p) {
    profile() = std::move(p);
    UIInterfaceOrientation o = interfaceOrientationOf(profile().orientation, profile().idiom);
    UIApplication::sharedApplication().resetStatusBarOrientation(o == UIInterfaceOrientation::Unknown
                                                                     ? UIInterfaceOrientation::Portrait
                                                                     : o);
}

UIScreen& UIScreen::mainScreen() {
    static UIScreen screen;
    return screen;
}

CGRect UIScreen::bounds() const {
    CGSize size = profile().portraitSize;
    if (UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation()))
        std::swap(size.width, size.height);
    return {{0, 0}, size};
}

CGFloat UIScreen::scale() const { return profile().scale; }

CGRect UIScreen::nativeBounds() const {
    return {{0, 0}, {profile().portraitSize.width * profile().scale, profile().portraitSize.height * profile().scale}};
}

UIDevice& UIDevice::currentDevice() {
    static UIDevice device;
    return device;
}

UIUserInterfaceIdiom UIDevice::userInterfaceIdiom() const { return profile().idiom; }
const std::string& UIDevice::model() const { return profile().model; }
const std::string& UIDevice::systemVersion() const { return profile().systemVersion; }
UIDeviceOrientation UIDevice::orientation() const { return profile().orientation; }

void UIDevice::setOrientation(UIDeviceOrientation orientation) {
    if (orientation == profile().orientation) return;
    profile().orientation = orientation;
    if (!isGeneratingDeviceOrientationNotifications()) return;
    NSNotificationCenter::defaultCenter().postNotificationName(UIDeviceOrientationDidChangeNotification, this);
    UIInterfaceOrientation o = interfaceOrientationOf(orientation, profile().idiom);
    if (o != UIInterfaceOrientation::Unknown) UIApplication::sharedApplication().setStatusBarOrientation(o);
}
