#include "model/DeviceUtility.h"

#include <cmath>
#include <optional>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

namespace {

// Process-wide answers fixed at first use (main thread only).
std::optional<std::string> gMachine;
std::uint32_t gMemorySize = 0;
bool gCameraConnection = false;
int gOrientation = 0;
std::optional<bool> gRealtimeFramerateTier;

// A device profile never changes on a real device; here the profile can be replaced (tests, a
// pad run), and the answers fixed at first use are then derived again from the new one. The
// stored orientation is the program's own record and stays.
void forgetAnswersOfAReplacedProfile() {
    static unsigned seen = UIDeviceProfile::revision();
    if (UIDeviceProfile::revision() == seen) return;
    seen = UIDeviceProfile::revision();
    DeviceUtility::resetCaches();
    gRealtimeFramerateTier.reset();
}

bool isLandscape(int orientation) { return orientation == 3 || orientation == 4; }

int statusBarOrientation() { return static_cast<int>(UIApplication::sharedApplication().statusBarOrientation()); }

}  // namespace

// --- DeviceUtility ---------------------------------------------------------------------

void DeviceUtility::resetCaches() {
    gMachine.reset();
    gMemorySize = 0;
}

bool DeviceUtility::iOSVersionGreaterThanOrEqualTo(const std::string& version) {
    return UIDevice::compareVersions(UIDevice::currentDevice().systemVersion(), version) >= 0;
}

const std::string& DeviceUtility::machineIdentifier() {
    forgetAnswersOfAReplacedProfile();
    if (!gMachine) gMachine = UIDevice::currentDevice().machine();
    return *gMachine;
}

bool DeviceUtility::osVersionHasPrefix(const std::string& prefix) { return machineIdentifier().starts_with(prefix); }

bool DeviceUtility::hasCamera() { return UIDevice::currentDevice().isCameraAvailable(); }
bool DeviceUtility::hasCameraConnection() { return gCameraConnection; }
void DeviceUtility::setHasCameraConnection(bool connected) { gCameraConnection = connected; }
bool DeviceUtility::hasRetinaDisplay() { return UIScreen::mainScreen().scale() == 2.0; }
bool DeviceUtility::has3Point5InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 480; }
bool DeviceUtility::has4InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 568; }
bool DeviceUtility::has4Point7InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 667; }
bool DeviceUtility::has5Point5InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 736; }
bool DeviceUtility::isIPad() { return UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad; }

std::uint32_t DeviceUtility::memorySize() {
    forgetAnswersOfAReplacedProfile();
    if (gMemorySize != 0) return gMemorySize;
    const std::uint64_t bytes = UIDevice::currentDevice().physicalMemory();
    float blocks = static_cast<float>(static_cast<double>(bytes) / 1024.0 / 1024.0 / 128.0);
    gMemorySize = static_cast<std::uint32_t>(std::round(blocks) * 128.0f);
    return gMemorySize;
}

bool DeviceUtility::hasLowMemory() { return memorySize() < 257; }
bool DeviceUtility::hasHighMemory() { return memorySize() > 1023; }

bool DeviceUtility::is3GS() { return osVersionHasPrefix("iPhone2"); }
bool DeviceUtility::is4() { return osVersionHasPrefix("iPhone3"); }
bool DeviceUtility::is4S() { return osVersionHasPrefix("iPhone4"); }
bool DeviceUtility::is5() { return osVersionHasPrefix("iPhone5"); }
bool DeviceUtility::is5S() { return osVersionHasPrefix("iPhone6"); }
bool DeviceUtility::is6() { return osVersionHasPrefix("iPhone7,2"); }
bool DeviceUtility::is6Plus() { return osVersionHasPrefix("iPhone7,1"); }
bool DeviceUtility::is6S() { return osVersionHasPrefix("iPhone8,1"); }
bool DeviceUtility::is6SPlus() { return osVersionHasPrefix("iPhone8,2"); }
bool DeviceUtility::isTouch3() { return osVersionHasPrefix("iPod3"); }
bool DeviceUtility::isTouch4() { return osVersionHasPrefix("iPod4"); }
bool DeviceUtility::isTouch5() { return osVersionHasPrefix("iPod5"); }
bool DeviceUtility::isTouch6() { return osVersionHasPrefix("iPod7"); }
bool DeviceUtility::isIPad1() { return osVersionHasPrefix("iPad1"); }
bool DeviceUtility::isIPad2() { return osVersionHasPrefix("iPad2"); }
bool DeviceUtility::isIPad3() {
    return osVersionHasPrefix("iPad3,1") || osVersionHasPrefix("iPad3,2") || osVersionHasPrefix("iPad3,3");
}
bool DeviceUtility::isIPad4() { return osVersionHasPrefix("iPad3") && !isIPad3(); }
bool DeviceUtility::isIPadAir() { return osVersionHasPrefix("iPad4"); }
bool DeviceUtility::isIPadAir2() { return osVersionHasPrefix("iPad5"); }
bool DeviceUtility::isIPadPro() { return osVersionHasPrefix("iPad6"); }

bool DeviceUtility::hasAXGPU() {
    return !(isTouch3() || isTouch4() || isTouch5() || isIPad1() || isIPad2() || isIPad3() || isIPad4() || is3GS() ||
             is4() || is4S() || is5());
}

bool DeviceUtility::hasA8GPUOrHigher() { return hasAXGPU() && !is5S() && !isIPadAir(); }

bool DeviceUtility::is4SOrHigher() { return !(is3GS() || is4() || isTouch3() || isTouch4() || isIPad1()); }

bool DeviceUtility::is5OrHigher() { return is4SOrHigher() && !(is4S() || isTouch5() || isIPad2() || isIPad3()); }

// --- AppConstants ----------------------------------------------------------------------

void AppConstants::resetCaches() {
    gRealtimeFramerateTier.reset();
    gOrientation = 0;
}

CGFloat AppConstants::defaultContentScale() { return UIScreen::mainScreen().scale(); }
CGFloat AppConstants::screenScale() { return UIScreen::mainScreen().scale(); }

CGFloat AppConstants::maximumHighResolutionImageSize() { return DeviceUtility::hasHighMemory() ? 5500.0 : 4500.0; }

CGSize AppConstants::maximumHighResolutionSizeForImageSize(CGSize size) {
    // An empty or unmeasurable image has no pixels to scale (and would give NaN sides).
    const double area = size.width * size.height;
    if (!(size.width > 0) || !(size.height > 0) || !std::isfinite(area)) return {0, 0};
    CGFloat m = maximumHighResolutionImageSize();
    float s = std::sqrt(static_cast<float>(1.0 / (size.width * size.height)));
    float f = static_cast<float>(m * s);
    CGFloat width = std::floor(static_cast<float>(size.width * f + 0.5));
    CGFloat height = std::floor(static_cast<float>(size.height * f + 0.5));
    return {width, height};
}

bool AppConstants::cameraViewIsTransparent() {
    return DeviceUtility::isIPad() || DeviceUtility::has3Point5InchDisplay();
}

CGRect AppConstants::defaultCameraViewFrame() {
    if (!cameraViewIsTransparent()) return defaultAlbumViewFrame();
    CGRect bounds = screenBounds();
    return {{0, -defaultNavigationBarHeight()}, bounds.size};
}

CGRect AppConstants::defaultAlbumViewFrame() {
    CGRect bounds = screenBoundsWithNavigationBar();
    return {{0, 0}, {bounds.size.width, bounds.size.height - defaultToolbarHeight()}};
}

bool AppConstants::screenBoundsInterfaceOriented() {
    return DeviceUtility::isIPad() && isLandscape(statusBarOrientation()) &&
           DeviceUtility::iOSVersionGreaterThanOrEqualTo("8.0");
}

CGRect AppConstants::nativeScreenBounds() {
    CGRect bounds = UIScreen::mainScreen().bounds();
    if (screenBoundsInterfaceOriented()) std::swap(bounds.size.width, bounds.size.height);
    return bounds;
}

CGRect AppConstants::screenBounds() {
    CGRect bounds = nativeScreenBounds();
    if (DeviceUtility::isIPad() && isLandscape(statusBarOrientation()))
        std::swap(bounds.size.width, bounds.size.height);
    return bounds;
}

CGRect AppConstants::screenBoundsWithNavigationBar() {
    CGRect bounds = screenBounds();
    bounds.size.height -= defaultNavigationBarHeight();
    return bounds;
}

double AppConstants::defaultRealtimeFramerate() {
    forgetAnswersOfAReplacedProfile();
    if (!gRealtimeFramerateTier) gRealtimeFramerateTier = DeviceUtility::hasA8GPUOrHigher();
    return *gRealtimeFramerateTier ? 30.0 : 24.0;
}

int AppConstants::orientation() {
    setOrientation(static_cast<int>(UIDevice::currentDevice().orientation()));
    return gOrientation;
}

void AppConstants::setOrientation(int orientation) {
    if (orientation == 0 || orientation == 5 || orientation == 6) {
        if (gOrientation == 0) gOrientation = 1;
        return;
    }
    gOrientation = orientation;
}

double AppConstants::angleForOrientation(int orientation) {
    switch (orientation) {
    case 2: return M_PI;
    case 3: return M_PI / 2;
    case 4: return -M_PI / 2;
    default: return 0;
    }
}
