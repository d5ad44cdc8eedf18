#include "platform/uikit/UIScreen.h"

#include <sys/utsname.h>
#include <unistd.h>

#include "platform/uikit/UIApplication.h"

namespace {

UIDeviceProfile& profile() {
    static UIDeviceProfile current;
    return current;
}

unsigned gRevision = 0;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

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

unsigned UIDeviceProfile::revision() { return gRevision; }

void UIDeviceProfile::setCurrent(UIDeviceProfile p) {
    profile() = std::move(p);
    ++gRevision;
    UIInterfaceOrientation o = interfaceOrientationOf(profile().orientation, profile().idiom);
    UIApplication::sharedApplication().resetStatusBarOrientation(
        o == UIInterfaceOrientation::Unknown ? UIInterfaceOrientation::Portrait : o);
}

UIScreen& UIScreen::mainScreen() {
    static UIScreen screen;
    return screen;
}

CGRect UIScreen::bounds() const {
    CGSize size = profile().portraitSize;
    if (UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation()) &&
        UIDevice::compareVersions(profile().systemVersion, "8.0") >= 0)
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

std::string UIDevice::machine() const {
    if (!profile().machine.empty()) return profile().machine;
    utsname name{};
    return ::uname(&name) == 0 ? name.machine : "";
}

std::uint64_t UIDevice::physicalMemory() const {
    if (profile().physicalMemory != 0) return profile().physicalMemory;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

bool UIDevice::isCameraAvailable() const { return profile().cameraAvailable; }

int UIDevice::compareVersions(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            // Leading zeros do not count; then the longer run is the larger number.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            const std::size_t li = ei - si, lj = ej - sj;
            if (li != lj) return li < lj ? -1 : 1;
            const int c = a.compare(si, li, b, sj, lj);
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

void UIDevice::setOrientation(UIDeviceOrientation orientation) {
    if (orientation == profile().orientation) return;
    profile().orientation = orientation;
    if (!isGeneratingDeviceOrientationNotifications()) return;
    NSNotificationCenter::defaultCenter().postNotificationName(UIDeviceOrientationDidChangeNotification, this);
    UIInterfaceOrientation o = interfaceOrientationOf(orientation, profile().idiom);
    UIApplication& application = UIApplication::sharedApplication();
    if (o != UIInterfaceOrientation::Unknown && application.supportsInterfaceOrientation(o))
        application.setStatusBarOrientation(o);
}
