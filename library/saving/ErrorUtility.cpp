#include "library/saving/ErrorUtility.h"

#include "platform/foundation/NSLocalizedString.h"
#include "platform/photos/ALAssetsLibrary.h"
#include "platform/uikit/UIAlertView.h"

namespace {

class DismissForwarder : public UIAlertViewDelegate {
public:
    explicit DismissForwarder(ErrorUtility& owner) : owner_(owner) {}
    void alertViewDidDismissWithButtonIndex(UIAlertView&, int buttonIndex) override {
        owner_.alertViewDidDismissWithButtonIndex(buttonIndex);
    }

private:
    ErrorUtility& owner_;
};

}  // namespace

ErrorUtility& ErrorUtility::sharedInstance() {
    static ErrorUtility instance;
    return instance;
}

AlertContent ErrorUtility::alertContentForError(const NSError& error) {
    AlertContent content;
    content.title = "Share Error";
    content.message =
        error.localizedFailureReason().empty()
            ? error.localizedDescription()
            : error.localizedDescription() + NSLocalizedString("ErrorDelimiterKey") + error.localizedFailureReason();
    if (error.domain() == ALAssetsLibraryErrorDomain &&
        (error.code() == ALAssetsLibraryDataUnavailableError || error.code() == ALAssetsLibraryAccessUserDeniedError))
        content.message = NSLocalizedString("PrivacySettingsErrorKey");
    content.cancelButtonTitle = NSLocalizedString("OK");
    return content;
}

void ErrorUtility::showAlertForShareError(const NSErrorPtr& error) {
    if (!error || alertShowing_) return;
    const AlertContent content = alertContentForError(*error);
    alertShowing_ = true;
    if (!delegate_) delegate_ = std::make_shared<DismissForwarder>(*this);
    UIAlertView::alertView(content.title, content.message, delegate_, content.cancelButtonTitle,
                           content.otherButtonTitles)
        ->show();
}

void ErrorUtility::alertViewDidDismissWithButtonIndex(int) { alertShowing_ = false; }
