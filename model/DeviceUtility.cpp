#include "model/DeviceUtility.h"

#include <cmath>
#include <optional>
#include <sys/utsname.h>
#include <unistd.h>

#include "model/DeviceProfile.h"

namespace {

// Process-wide answers fixed at first use (main thread only).
std::optional<std::string> gMachine;
std::uint32_t gMemorySize = 0;
bool gCameraConnection = false;
int gOrientation = 0;
std::optional<bool> gRealtimeFramerateTier;

std::optional<DeviceProfile>& profileSlot() {
    static std::optional<DeviceProfile> profile;
    return profile;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Compares like a numeric string search: runs of digits compare by their value.
int compareNumeric(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            size_t li = ei - si, lj = ej - sj;
            if (li != lj) return li < lj ? -1 : 1;
            int c = a.compare(si, li, b, sj, lj);
            if (c != 0) return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
            ++i;
            ++j;
        }
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool isLandscape(int orientation) { return orientation == 3 || orientation == 4; }

}  // namespace

// --- DeviceProfile ---------------------------------------------------------------------

DeviceProfile DeviceProfile::host() {
    DeviceProfile profile;
    utsname name{};
    if (::uname(&name) == 0) profile.machine = name.machine;
    long pages = ::sysconf(_SC_PHYS_PAGES);
    long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        profile.physicalMemory = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    return profile;
}

const DeviceProfile& DeviceProfile::current() {
    auto& slot = profileSlot();
    if (!slot) slot = host();
    return *slot;
}

void DeviceProfile::setCurrent(const DeviceProfile& profile) {
    profileSlot() = profile;
    // The stored orientation is the program's own record, not derived from the profile.
    DeviceUtility::resetCaches();
    gRealtimeFramerateTier.reset();
}

CGRect DeviceProfile::platformScreenBounds() const {
    CGSize size = portraitScreenSize;
    if (isLandscape(statusBarOrientation) && compareNumeric(systemVersion, "8.0") >= 0)
        size = {size.height, size.width};
    return {{0, 0}, size};
}

// --- DeviceUtility ---------------------------------------------------------------------

void DeviceUtility::resetCaches() {
    gMachine.reset();
    gMemorySize = 0;
}

bool DeviceUtility::iOSVersionGreaterThanOrEqualTo(const std::string& version) {
    return compareNumeric(DeviceProfile::current().systemVersion, version) >= 0;
}

const std::string& DeviceUtility::machineIdentifier() {
    if (!gMachine) gMachine = DeviceProfile::current().machine;
    return *gMachine;
}

bool DeviceUtility::osVersionHasPrefix(const std::string& prefix) {
    return machineIdentifier().starts_with(prefix);
}

bool DeviceUtility::hasCamera() { return DeviceProfile::current().cameraAvailable; }
bool DeviceUtility::hasCameraConnection() { return gCameraConnection; }
void DeviceUtility::setHasCameraConnection(bool connected) { gCameraConnection = connected; }
bool DeviceUtility::hasRetinaDisplay() { return DeviceProfile::current().screenScale == 2.0; }
bool DeviceUtility::has3Point5InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 480; }
bool DeviceUtility::has4InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 568; }
bool DeviceUtility::has4Point7InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 667; }
bool DeviceUtility::has5Point5InchDisplay() { return AppConstants::nativeScreenBounds().size.height == 736; }
bool DeviceUtility::isIPad() { return DeviceProfile::current().idiom == UserInterfaceIdiom::Pad; }

std::uint32_t DeviceUtility::memorySize() {
    if (gMemorySize != 0) return gMemorySize;
    std::uint64_t bytes = DeviceProfile::current().physicalMemory;
    if (bytes == 0) bytes = DeviceProfile::host().physicalMemory;
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
    return !(isTouch3() || isTouch4() || isTouch5() || isIPad1() || isIPad2() || isIPad3() || isIPad4() ||
             is3GS() || is4() || is4S() || is5());
}

bool DeviceUtility::hasA8GPUOrHigher() { return hasAXGPU() && !is5S() && !isIPadAir(); }

bool DeviceUtility::is4SOrHigher() { return !(is3GS() || is4() || isTouch3() || isTouch4() || isIPad1()); }

bool DeviceUtility::is5OrHigher() { return is4SOrHigher() && !(is4S() || isTouch5() || isIPad2() || isIPad3()); }

// --- AppConstants ----------------------------------------------------------------------

void AppConstants::resetCaches() {
    gRealtimeFramerateTier.reset();
    gOrientation = 0;
}

CGFloat AppConstants::defaultContentScale() { return DeviceProfile::current().screenScale; }
CGFloat AppConstants::screenScale() { return DeviceProfile::current().screenScale; }

CGFloat AppConstants::maximumHighResolutionImageSize() {
    return DeviceUtility::hasHighMemory() ? 5500.0 : 4500.0;
}

CGSize AppConstants::maximumHighResolutionSizeForImageSize(CGSize size) {
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
    return DeviceUtility::isIPad() && isLandscape(DeviceProfile::current().statusBarOrientation) &&
           DeviceUtility::iOSVersionGreaterThanOrEqualTo("8.0");
}

CGRect AppConstants::nativeScreenBounds() {
    CGRect bounds = DeviceProfile::current().platformScreenBounds();
    if (screenBoundsInterfaceOriented()) std::swap(bounds.size.width, bounds.size.height);
    return bounds;
}

CGRect AppConstants::screenBounds() {
    CGRect bounds = nativeScreenBounds();
    if (DeviceUtility::isIPad() && isLandscape(DeviceProfile::current().statusBarOrientation))
        std::swap(bounds.size.width, bounds.size.height);
    return bounds;
}

CGRect AppConstants::screenBoundsWithNavigationBar() {
    CGRect bounds = screenBounds();
    bounds.size.height -= defaultNavigationBarHeight();
    return bounds;
}

double AppConstants::defaultRealtimeFramerate() {
    if (!gRealtimeFramerateTier) gRealtimeFramerateTier = DeviceUtility::hasA8GPUOrHigher();
    return *gRealtimeFramerateTier ? 30.0 : 24.0;
}

int AppConstants::orientation() {
    setOrientation(DeviceProfile::current().deviceOrientation);
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
