#pragma once
// Access to the camera, the microphone, the photo library and location: tests of the
// current state and requests, each answered as an access status (0 not determined,
// 1 restricted, 2 denied, 3 authorised) (AccessViewController.cpp); and the full-screen access
// screen that asks for camera and photo access before the camera can start
// (AccessViewController+Screen.cpp): an animated gradient, the two texts and "Enable Access".
// A tap asks for the camera, then the photos; both granted, the button turns into a check
// mark and the screen reports and fades away; otherwise an alert offers the settings.
#include <functional>
#include <memory>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

class GradientView;

class AccessViewController : public UIViewController {
public:
    static constexpr NSTimeInterval kTransitionDuration = 0.4;
    // The screen's place among the host's subviews: above the two lowest.
    static constexpr std::size_t kHostIndex = 2;

    // Runs the completion at once when both are granted; otherwise puts the access screen
    // into the host view, and runs the completion once the user has granted both there.
    static void requestCameraAndPhotoAccess(const std::shared_ptr<UIView>& host, std::function<void()> completion);

    AccessViewController() = default;
    ~AccessViewController() override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void accessButtonTouched();
    void showNotAuthorizedPrompt();
    static void openSettings();

    void setCompletedBlock(std::function<void()> block) { completedBlock_ = std::move(block); }
    const std::shared_ptr<GradientView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    const std::shared_ptr<UIView>& imagesView() const { return imagesView_; }
    const std::shared_ptr<UIButton>& accessButton() const { return accessButton_; }
    const std::shared_ptr<UILabel>& label() const { return label_; }
    const std::shared_ptr<UILabel>& sublabel() const { return sublabel_; }

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
    static void requestCameraAccess(AccessBlock block) {
        requestMediaAccess(std::move(block), platform::AVMediaTypeVideo);
    }
    static void requestMicrophoneAccess(AccessBlock block) {
        requestMediaAccess(std::move(block), platform::AVMediaTypeAudio);
    }

private:
    void accessAnswered(int camera, int photos);

    std::function<void()> completedBlock_;
    std::shared_ptr<GradientView> backgroundView_;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UIView> imagesView_;
    std::shared_ptr<UIButton> accessButton_;
    std::shared_ptr<UILabel> label_;
    std::shared_ptr<UILabel> sublabel_;
    // The screen keeps itself until its completed block has run.
    std::shared_ptr<AccessViewController> keepAlive_;
};
