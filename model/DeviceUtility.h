#pragma once
// Device constants: questions about the device the program runs on and the limits that
// follow from its tier. Everything is answered from the interface layer's device, screen and
// application (`UIDevice`, `UIScreen`, `UIApplication`, all following `UIDeviceProfile`); the
// machine identifier, the memory size and the live frame-rate tier are fixed at first use
// (until the device profile is replaced).
#include <cstdint>
#include <string>

#include "platform/coregraphics/CGGeometry.h"

class DeviceUtility {
public:
    DeviceUtility() = delete;

    // Numeric comparison of dotted versions ("8.10" is after "8.9").
    static bool iOSVersionGreaterThanOrEqualTo(const std::string& version);
    // True when the hardware identifier begins with the prefix.
    static bool osVersionHasPrefix(const std::string& prefix);
    static const std::string& machineIdentifier();

    static bool hasCamera();
    static bool hasCameraConnection();
    static void setHasCameraConnection(bool connected);
    static bool hasRetinaDisplay();
    static bool has3Point5InchDisplay();
    static bool has4InchDisplay();
    static bool has4Point7InchDisplay();
    static bool has5Point5InchDisplay();
    static bool isIPad();

    // Physical memory in megabytes, rounded to a multiple of 128.
    static std::uint32_t memorySize();
    static bool hasLowMemory();
    static bool hasHighMemory();

    static bool is3GS();
    static bool is4();
    static bool is4S();
    static bool is5();
    static bool is5S();
    static bool is6();
    static bool is6Plus();
    static bool is6S();
    static bool is6SPlus();
    static bool isTouch3();
    static bool isTouch4();
    static bool isTouch5();
    static bool isTouch6();
    static bool isIPad1();
    static bool isIPad2();
    static bool isIPad3();
    static bool isIPad4();
    static bool isIPadAir();
    static bool isIPadAir2();
    static bool isIPadPro();

    static bool hasAXGPU();
    static bool hasA8GPUOrHigher();
    static bool is4SOrHigher();
    static bool is5OrHigher();

    // Forgets the cached identifier, memory size and frame-rate tier (profile replaced).
    static void resetCaches();
};

class AppConstants {
public:
    AppConstants() = delete;

    static CGFloat defaultContentScale();
    static CGFloat screenScale();
    static CGFloat defaultNavigationBarHeight() { return 44.0; }
    static CGFloat defaultToolbarHeight() { return 98.0; }
    static CGFloat maximumHighResolutionImageSize();
    // The size scaled to about maximumHighResolutionImageSize() squared pixels; zero for an
    // empty (or not finite) size.
    static CGSize maximumHighResolutionSizeForImageSize(CGSize size);
    static bool cameraViewIsTransparent();
    static CGRect defaultCameraViewFrame();
    static CGRect defaultAlbumViewFrame();
    static bool screenBoundsInterfaceOriented();
    static CGRect nativeScreenBounds();
    static CGRect screenBounds();
    static CGRect screenBoundsWithNavigationBar();
    static double defaultRealtimeFramerate();
    // Reads the device's orientation into the stored one and answers the stored one.
    static int orientation();
    // Face up, face down and none keep the last upright orientation (portrait at first).
    static void setOrientation(int orientation);
    static double angleForOrientation(int orientation);

    // Forgets the stored orientation and the frame-rate tier.
    static void resetCaches();
};
