#include "camera/capture/AccessViewController.h"

#include "platform/corelocation/CLLocationManager.h"
#include "platform/photos/PHPhotoLibrary.h"

int AccessViewController::accessForPhotoStatus(int status) { return status >= 1 && status <= 3 ? status : 0; }

int AccessViewController::accessForMediaAccess(int64_t status) {
    return status >= 1 && status <= 3 ? static_cast<int>(status) : 0;
}

int AccessViewController::accessForLocationStatus(int status) {
    if (status == 4) return 3;  // when in use counts as authorised
    return status >= 1 && status <= 3 ? status : 0;
}

int AccessViewController::hasPhotoAccess() { return accessForPhotoStatus(PHPhotoLibrary::authorizationStatus()); }

int AccessViewController::hasMediaAccess(const platform::AVMediaType& mediaType) {
    return accessForMediaAccess(platform::AVCaptureDevice::authorizationStatusForMediaType(mediaType));
}

int AccessViewController::hasLocationAccess() {
    return accessForLocationStatus(CLLocationManager::authorizationStatus());
}

bool AccessViewController::hasCameraAndPhotoAccess() { return hasCameraAccess() == 3 && hasPhotoAccess() == 3; }

void AccessViewController::requestPhotoAccess(AccessBlock block) {
    PHPhotoLibrary::requestAuthorization([block = std::move(block)](int status) {
        if (block) block(accessForPhotoStatus(status));
    });
}

void AccessViewController::requestMediaAccess(AccessBlock block, const platform::AVMediaType& mediaType) {
    platform::AVCaptureDevice::requestAccessForMediaType(mediaType, [block = std::move(block), mediaType](bool) {
        if (block) block(hasMediaAccess(mediaType));
    });
}
