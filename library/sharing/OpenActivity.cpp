#include "library/sharing/OpenActivity.h"

#include "platform/mobilecoreservices/UTType.h"

UIImagePtr OpenActivity::activityImage() const { return UIImage::imageNamed("activityOpen"); }

void OpenActivity::performActivity() {
    if (!presentDocumentInteractionControllerWithImage(imageFromArray(activityItems_))) activityDidFinish(false);
}

bool OpenActivity::presentDocumentInteractionControllerWithImage(const UIImagePtr& image) {
    const auto data = handOffData(image);
    const auto url = data ? createFileUrlForData(*data, ".jpg") : std::nullopt;
    return url && presentMenu(documentInteractionControllerForFileURL(*url));
}

std::shared_ptr<UIDocumentInteractionController> OpenActivity::documentInteractionControllerForFileURL(
    const NSURL& url) {
    auto controller = UIDocumentInteractionController::interactionControllerWithURL(url);
    controller->setUTI(kUTTypeImage);
    controller->setDelegate(std::static_pointer_cast<OpenActivity>(shared_from_this()));
    return controller;
}

void OpenActivity::documentInteractionControllerWillBeginSendingToApplication(UIDocumentInteractionController&,
                                                                              const std::string&) {
    isPerformed_ = true;
}

void OpenActivity::documentInteractionControllerDidDismissOpenInMenu(UIDocumentInteractionController&) {
    controller_.reset();
    activityDidFinish(isPerformed_);
}
