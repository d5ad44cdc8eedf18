#include "library/sharing/InstagramActivity.h"

#include "model/DeviceUtility.h"
#include "platform/mobilecoreservices/UTType.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIView.h"

namespace {

SquareCropFactory& squareCropFactory() {
    static SquareCropFactory factory;
    return factory;
}

}  // namespace

UIImagePtr InstagramActivity::activityImage() const { return UIImage::imageNamed("activityInstagram"); }

void InstagramActivity::setSquareCropFactory(SquareCropFactory factory) { squareCropFactory() = std::move(factory); }

std::shared_ptr<SquareCropScreen> InstagramActivity::makeSquareCropScreen() {
    return squareCropFactory() ? squareCropFactory()() : makeWholePhotoSquareCropScreen();
}

bool InstagramActivity::isInstagramAvailable() {
    return UIApplication::sharedApplication().canOpenURL(kApplicationURL);
}

bool InstagramActivity::canPerformWithActivityItems(const UIActivityItems& items) {
    return isImageInArray(items) && isInstagramAvailable();
}

std::shared_ptr<UIViewController> InstagramActivity::activityViewController() {
    const UIImagePtr image = imageFromArray(activityItems_);
    const std::string caption = stringFromArray(activityItems_);
    cropScreen_ = makeSquareCropScreen();
    if (!cropScreen_) return nullptr;
    cropScreen_->setConstrainHeight(true);
    cropScreen_->setConstrainWidth(true);
    cropScreen_->setShowGrid(false);
    cropScreen_->setCropToSquare(true);
    // Weak: the screen's answer must not keep the activity that holds the screen.
    std::weak_ptr<InstagramActivity> weak = std::static_pointer_cast<InstagramActivity>(shared_from_this());
    cropScreen_->setCompletionBlock([weak, caption](bool done) {
        if (auto self = weak.lock()) self->cropAnswered(done, caption);
    });
    const auto crop = cropScreen_->viewController();
    crop->view()->setFrame(AppConstants::screenBounds());
    cropScreen_->setImage(image);
    auto navigation = std::make_shared<UINavigationController>(crop);
    if (auto attributes = titleTextAttributes()) navigation->navigationBar()->setTitleTextAttributes(*attributes);
    return navigation;
}

void InstagramActivity::cropAnswered(bool done, const std::string& caption) {
    const auto screen = std::move(cropScreen_);
    if (!screen) return;
    if (!done) {
        screen->clearImage();
        activityDidFinish(false);
        return;
    }
    const UIImagePtr cropped = screen->croppedImage();
    screen->clearImage();
    presentDocumentInteractionControllerWithImage(cropped, caption);
}

bool InstagramActivity::presentDocumentInteractionControllerWithImage(const UIImagePtr& image,
                                                                      const std::string& text) {
    // The file first: the activity says whether it was handed on only once that is known.
    const auto data = handOffData(image);
    const auto url = data ? createFileUrlForData(*data, ".igo") : std::nullopt;
    if (!url) {
        activityDidFinish(false);
        return false;
    }
    activityDidFinish(true);
    self_ = shared_from_this();
    if (presentMenu(documentInteractionControllerForInstagramWithFileURL(*url, text))) return true;
    self_.reset();
    return false;
}

std::shared_ptr<UIDocumentInteractionController>
InstagramActivity::documentInteractionControllerForInstagramWithFileURL(const NSURL& url, const std::string& caption) {
    auto controller = UIDocumentInteractionController::interactionControllerWithURL(url);
    controller->setUTI(kUTTypeInstagramExclusive);
    controller->setDelegate(std::static_pointer_cast<InstagramActivity>(shared_from_this()));
    controller->setAnnotation({{kCaptionKey, caption}});
    return controller;
}

void InstagramActivity::documentInteractionControllerDidDismissOpenInMenu(UIDocumentInteractionController&) {
    controller_.reset();
    const auto keep = std::move(self_);
}
