#pragma once
// Access to the camera, the microphone, the photo library and location: tests of the
// current state and requests, each answered as an access status (0 not determined,
// 1 restricted, 2 denied, 3 authorised). The access screen that asks for camera and photo
// access before the camera starts is added with the camera screen.
#include <functional>

#include "platform/avfoundation/AVCaptureDevice.h"

class AccessViewController {
public:
    using AccessBlock = std::function<void(int access)>;

    // The platform's states mapped to access statuses: photos and media keep 1 to 3,
    // location 1, 2, 3, 4 become 1, 2, 3, 3; anything else is 0.
    static int accessForPhotoStatus(int status);
    static int accessForMediaAccess(int64_t status);
    static int accessForLocationStatus(int status);

    static int hasPhotoAccess();
    static int hasMediaAccess(const platform::AVMediaType& mediaType);
    static int hasCameraAccess() { return hasMediaAccess(platform::AVMediaTypeVideo); }
    static int hasMicrophoneAccess() { return hasMediaAccess(platform::AVMediaTypeAudio); }
    static int hasLocationAccess();
    static bool hasCameraAndPhotoAccess();

    // The block gets the status on the thread the platform answers on. For the camera and
    // the microphone it is the status read again after the answer, not the answer's flag.
    static void requestPhotoAccess(AccessBlock block);
    static void requestMediaAccess(AccessBlock block, const platform::AVMediaType& mediaType);
    static void requestCameraAccess(AccessBlock block) { requestMediaAccess(std::move(block), platform::AVMediaTypeVideo); }
    static void requestMicrophoneAccess(AccessBlock block) {
        requestMediaAccess(std::move(block), platform::AVMediaTypeAudio);
    }
};
