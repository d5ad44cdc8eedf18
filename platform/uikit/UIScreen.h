#pragma once
// The device the program pretends to run on: a profile with the screen's size in points
// (portrait), its scale, the idiom (phone or pad), the model name, the system version and the
// orientation, and the hardware behind it (identifier, memory, camera), which is this host's
// unless a profile says otherwise. The default is a phone of 375 x 667 points at scale 2; a pad
// profile serves the pad branches. `UIScreen` and `UIDevice` answer from the current profile,
// and so does everything the program derives from the device.
#include <cstdint>
#include <string>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSNotificationCenter.h"

enum class UIUserInterfaceIdiom { Unspecified = -1, Phone = 0, Pad = 1 };

enum class UIDeviceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};
// The interface turns against the device: device landscape left is interface landscape right.
enum class UIInterfaceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 4,
    LandscapeRight = 3
};

inline bool UIDeviceOrientationIsLandscape(UIDeviceOrientation o) {
    return o == UIDeviceOrientation::LandscapeLeft || o == UIDeviceOrientation::LandscapeRight;
}
inline bool UIDeviceOrientationIsPortrait(UIDeviceOrientation o) {
    return o == UIDeviceOrientation::Portrait || o == UIDeviceOrientation::PortraitUpsideDown;
}
inline bool UIInterfaceOrientationIsLandscape(UIInterfaceOrientation o) {
    return o == UIInterfaceOrientation::LandscapeLeft || o == UIInterfaceOrientation::LandscapeRight;
}
inline bool UIInterfaceOrientationIsPortrait(UIInterfaceOrientation o) {
    return o == UIInterfaceOrientation::Portrait || o == UIInterfaceOrientation::PortraitUpsideDown;
}

inline const NSNotificationName UIDeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

// Whether the screen measures a finger's force (peek and pop).
enum class UIForceTouchCapability { Unknown = 0, Unavailable = 1, Available = 2 };

struct UIDeviceProfile {
    CGSize portraitSize{375, 667};  // points
    CGFloat scale = 2;
    UIUserInterfaceIdiom idiom = UIUserInterfaceIdiom::Phone;
    std::string model = "iPhone";
    std::string systemVersion = "8.1";
    UIDeviceOrientation orientation = UIDeviceOrientation::Portrait;
    // Hardware identifier such as "iPhone7,2"; empty for this host's (uname's machine field).
    std::string machine;
    // Physical memory in bytes; 0 for this host's.
    std::uint64_t physicalMemory = 0;
    // Whether a camera can deliver pictures; the camera layer sets it when it finds one.
    bool cameraAvailable = false;
    // The window turns the right mouse button and finger pressure into force.
    UIForceTouchCapability forceTouchCapability = UIForceTouchCapability::Available;

    static UIDeviceProfile phone() { return {}; }
    static UIDeviceProfile pad() {
        UIDeviceProfile profile;
        profile.portraitSize = {768, 1024};
        profile.idiom = UIUserInterfaceIdiom::Pad;
        profile.model = "iPad";
        return profile;
    }

    static const UIDeviceProfile& current();
    // Replaces the profile (at start-up, or in a test); the interface takes the new
    // orientation without notifications.
    static void setCurrent(UIDeviceProfile profile);
    // Counts the replacements, so that values derived from a profile can tell when to be
    // derived again.
    static unsigned revision();
};

class UIScreen {
public:
    static UIScreen& mainScreen();
    // In points. From system version 8.0 on they turn with the interface (a landscape interface
    // swaps width and height); before, they are always portrait.
    CGRect bounds() const;
    CGFloat scale() const;
    CGFloat nativeScale() const { return scale(); }
    // In pixels, always portrait.
    CGRect nativeBounds() const;
    int maximumFramesPerSecond() const { return 60; }
};

class UIDevice {
public:
    static UIDevice& currentDevice();
    UIUserInterfaceIdiom userInterfaceIdiom() const;
    const std::string& model() const;
    const std::string& systemVersion() const;
    UIDeviceOrientation orientation() const;
    // The hardware: the profile's, or this host's where the profile leaves it open.
    std::string machine() const;
    std::uint64_t physicalMemory() const;
    bool isCameraAvailable() const;
    // Versions compared as the system compares them: runs of digits by their value ("8.10"
    // after "8.9"), other characters one by one. Negative, zero or positive.
    static int compareVersions(const std::string& a, const std::string& b);
    // The device turned (from the window's sensor, or a test). While orientation notifications
    // are generated, a change is posted, and the interface follows the four upright
    // orientations (on a phone not upside down).
    void setOrientation(UIDeviceOrientation orientation);
    void beginGeneratingDeviceOrientationNotifications() { ++generating_; }
    void endGeneratingDeviceOrientationNotifications() {
        if (generating_ > 0) --generating_;
    }
    bool isGeneratingDeviceOrientationNotifications() const { return generating_ > 0; }

private:
    int generating_ = 0;
};

inline UIUserInterfaceIdiom UI_USER_INTERFACE_IDIOM() { return UIDevice::currentDevice().userInterfaceIdiom(); }
