#include "library/saving/ErrorUtility.h"

#include <cstdio>

#include "platform/foundation/NSLocalizedString.h"
#include "platform/photos/ALAssetsLibrary.h"

ErrorUtility& ErrorUtility::sharedInstance() {
    static ErrorUtility instance;
    return instance;
}

void ErrorUtility::setPresenter(std::shared_ptr<AlertPresenter> presenter) { presenter_ = std::move(presenter); }

AlertContent ErrorUtility::alertContentForError(const NSError& error) {
    AlertContent content;
    content.title = "Share Error";
    content.message = error.localizedFailureReason().empty()
                          ? error.localizedDescription()
                          : error.localizedDescription() + NSLocalizedString("ErrorDelimiterKey") +
                                error.localizedFailureReason();
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
    if (!presenter_) {
        std::fprintf(stderr, "%s: %s\n", content.title.c_str(), content.message.c_str());
        alertViewDidDismissWithButtonIndex(0);
        return;
    }
    presenter_->present(content, [this](int index) { alertViewDidDismissWithButtonIndex(index); });
}

void ErrorUtility::alertViewDidDismissWithButtonIndex(int) { alertShowing_ = false; }
