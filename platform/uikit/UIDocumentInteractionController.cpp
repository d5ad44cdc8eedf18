#include "platform/uikit/UIDocumentInteractionController.h"

#include "platform/mobilecoreservices/UTType.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIView.h"

std::shared_ptr<UIDocumentInteractionController> UIDocumentInteractionController::interactionControllerWithURL(
    const NSURL& url) {
    return std::shared_ptr<UIDocumentInteractionController>(new UIDocumentInteractionController(url));
}

UIDocumentInteractionController::UIDocumentInteractionController(NSURL url)
    : url_(std::move(url)),
      uti_(UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, url_.pathExtension())) {}

bool UIDocumentInteractionController::presentOpenInMenuFromBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item,
                                                                         bool animated) {
    if (!item) return false;
    const auto& view = item->view();
    return presentOpenInMenuFromRect(view ? view->bounds() : CGRectZero, view, animated);
}

bool UIDocumentInteractionController::presentOpenInMenuFromRect(CGRect rect, const std::shared_ptr<UIView>& view,
                                                                bool animated) {
    if (menu_) return false;
    openers_ = UIDocumentOpeners::openersForDocument(uti_, url_.path());
    if (openers_.empty()) return false;
    auto menu = std::make_shared<UIAlertPresentation>();
    menu->title = "Open In";
    menu->style = UIAlertPresentation::Style::Sheet;
    for (const auto& opener : openers_) menu->buttons.push_back({opener.name, UIAlertButtonKind::Default});
    menu->buttons.push_back({"Cancel", UIAlertButtonKind::Cancel});
    menu->anchorView = view;
    menu->anchorRect = rect;
    // The menu's answer holds the controller until it comes.
    menu->answer = [self = shared_from_this()](int index) { self->answer(index); };
    menu_ = menu;
    UIAlertPresentation::show(menu);
    return true;
}

void UIDocumentInteractionController::dismissMenuAnimated(bool) {
    if (menu_) menu_->dismissWithIndex(menu_->cancelIndex());
}

void UIDocumentInteractionController::answer(int index) {
    menu_.reset();
    const auto delegate = delegate_.lock();
    if (index >= 0 && index < static_cast<int>(openers_.size())) {
        const UIDocumentOpener opener = openers_[index];
        if (delegate) delegate->documentInteractionControllerWillBeginSendingToApplication(*this, opener.identifier);
        UIDocumentOpeners::launch(opener, url_.path(), annotation_,
                                  [name = opener.name](const UILaunchOutcome& outcome) {
                                      if (!outcome.succeeded())
                                          UIAlertPresentation::showFailure("Cannot Open In " + name, outcome.failure);
                                  });
    }
    if (delegate) delegate->documentInteractionControllerDidDismissOpenInMenu(*this);
}
