#pragma once
// What the device constants need to know of the machine the program runs on: the screen,
// the idiom, orientations, the system version, the hardware identifier, the memory and the
// camera. `current()` describes this host (a phone-sized screen; real memory and machine
// name); tests and the screen layer replace it with `setCurrent`.
#include <cstdint>
#include <string>

#include "platform/coregraphics/CGGeometry.h"

enum class UserInterfaceIdiom { Phone, Pad };

struct DeviceProfile {
    // Screen size in points with the device held upright, and its scale (pixels per point).
    CGSize portraitScreenSize{375, 667};
    CGFloat screenScale = 2.0;
    UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone;
    // Orientation codes: 0 none, 1 portrait, 2 upside down, 3 landscape left, 4 landscape
    // right, 5 face up, 6 face down. The status bar follows the interface (1 to 4).
    int deviceOrientation = 1;
    int statusBarOrientation = 1;
    // The version the screen layer behaves like: from 8.0 on, screen bounds follow the
    // interface orientation.
    std::string systemVersion = "9.0";
    // Hardware identifier (uname's machine field here). An identifier that names no known
    // handheld counts as the most capable tier.
    std::string machine;
    // Physical memory in bytes; 0 asks the host.
    std::uint64_t physicalMemory = 0;
    // Whether a camera can deliver pictures. The camera layer sets it when it finds one.
    bool cameraAvailable = false;

    // The profile of this host.
    static DeviceProfile host();
    // The profile in use (the host's until replaced).
    static const DeviceProfile& current();
    // Replaces the profile in use and forgets every value derived from the previous one.
    static void setCurrent(const DeviceProfile& profile);

    // The screen bounds as the screen layer reports them: in portrait terms, except that a
    // system of version 8.0 or later turns them with a landscape interface.
    CGRect platformScreenBounds() const;
};
