// Registration of peek and pop sources.
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewControllerPreviewing.h"

UIForceTouchCapability UIViewController::forceTouchCapability() const {
    return UIDeviceProfile::current().forceTouchCapability;
}

std::shared_ptr<UIViewControllerPreviewing> UIViewController::registerForPreviewingWithDelegate(
    UIViewControllerPreviewingDelegate* delegate, const std::shared_ptr<UIView>& sourceView) {
    auto context = std::make_shared<UIViewControllerPreviewing>(delegate, sourceView);
    previewingContexts_.push_back(context);
    UIViewControllerPreviewing::registry().push_back(context);
    return context;
}

void UIViewController::unregisterForPreviewingWithContext(const std::shared_ptr<UIViewControllerPreviewing>& context) {
    std::erase(previewingContexts_, context);
    if (context) context->invalidate();
}

void UIViewController::unregisterAllPreviewing() {
    // The delegate is usually this controller: a context outliving it must not call it.
    for (auto& context : previewingContexts_) context->invalidate();
    previewingContexts_.clear();
}
