#pragma once
// Hands a file to another desktop program: the "Open In" menu lists the openers that take the
// document (UIDocumentOpeners.h) as a sheet at the anchor (the pad's panel; the phone's sheet
// at the bottom), with a cancel button.
//
// - No opener takes the type: presenting returns false and shows nothing.
// - An opener chosen: `willBeginSendingToApplication` (with the opener's identifier), the
//   launch, then `didDismissOpenInMenu`. An opener that cannot be started, or ends with a
//   failure, is said in an alert with the reason.
// - The menu dismissed (cancel, Esc, a tap outside the panel): only `didDismissOpenInMenu`.
//
// The controller keeps itself alive while its menu is shown. Main thread only.
#include <memory>
#include <string>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIDocumentOpeners.h"

class UIAlertPresentation;
class UIBarButtonItem;
class UIDocumentInteractionController;
class UIView;

class UIDocumentInteractionControllerDelegate {
public:
    virtual ~UIDocumentInteractionControllerDelegate() = default;
    virtual void documentInteractionControllerWillBeginSendingToApplication(UIDocumentInteractionController& controller,
                                                                            const std::string& application) {}
    virtual void documentInteractionControllerDidDismissOpenInMenu(UIDocumentInteractionController& controller) {}
};

class UIDocumentInteractionController : public NSObject,
                                        public std::enable_shared_from_this<UIDocumentInteractionController> {
public:
    // The type starts as the file extension's.
    static std::shared_ptr<UIDocumentInteractionController> interactionControllerWithURL(const NSURL& url);

    const NSURL& URL() const { return url_; }
    const std::string& UTI() const { return uti_; }
    void setUTI(std::string uti) { uti_ = std::move(uti); }
    const UIDocumentOpeners::Annotation& annotation() const { return annotation_; }
    void setAnnotation(UIDocumentOpeners::Annotation annotation) { annotation_ = std::move(annotation); }
    // Held weakly, as delegates are.
    std::shared_ptr<UIDocumentInteractionControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<UIDocumentInteractionControllerDelegate>& delegate) { delegate_ = delegate; }

    bool presentOpenInMenuFromBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item, bool animated);
    bool presentOpenInMenuFromRect(CGRect rect, const std::shared_ptr<UIView>& view, bool animated);
    // Closes the shown menu as dismissed.
    void dismissMenuAnimated(bool animated);
    // The menu on the screen, or null.
    UIAlertPresentation* menu() const { return menu_.get(); }

private:
    explicit UIDocumentInteractionController(NSURL url);
    void answer(int index);

    NSURL url_;
    std::string uti_;
    UIDocumentOpeners::Annotation annotation_;
    std::weak_ptr<UIDocumentInteractionControllerDelegate> delegate_;
    std::vector<UIDocumentOpener> openers_;
    std::shared_ptr<UIAlertPresentation> menu_;
};
