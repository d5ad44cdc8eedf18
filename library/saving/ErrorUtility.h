#pragma once
// The one alert that reports a failed save: title "Share Error", the error's description
// (with its failure reason after the localized delimiter, when it has one) or, for the photo
// library's "no access" errors, the localized privacy text; one "OK" button. While an alert
// is up, later errors are dropped. Used on the main queue only.
//
// The alert is a toolkit alert view whose delegate call clears `alertShowing`.
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NSError.h"

class UIAlertViewDelegate;

struct AlertContent {
    std::string title;
    std::string message;
    std::string cancelButtonTitle;
    std::vector<std::string> otherButtonTitles;
};

class ErrorUtility {
public:
    static ErrorUtility& sharedInstance();

    void showAlertForShareError(const NSErrorPtr& error);
    // The alert's delegate call.
    void alertViewDidDismissWithButtonIndex(int buttonIndex);
    bool alertShowing() const { return alertShowing_; }

    // What the alert for this error says.
    static AlertContent alertContentForError(const NSError& error);

private:
    ErrorUtility() = default;
    bool alertShowing_ = false;
    // The alert view's delegate (alert views hold theirs weakly).
    std::shared_ptr<UIAlertViewDelegate> delegate_;
};
