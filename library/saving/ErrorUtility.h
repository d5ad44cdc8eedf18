#pragma once
// The one alert that reports a failed save: title "Share Error", the error's description
// (with its failure reason after the localized delimiter, when it has one) or, for the photo
// library's "no access" errors, the localized privacy text; one "OK" button. While an alert
// is up, later errors are dropped. Used on the main queue only.
//
// The alert is shown through a presenter, so that the toolkit's alert view can take it when it
// exists; without one the alert is written to stderr and counts as dismissed at once.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NSError.h"

struct AlertContent {
    std::string title;
    std::string message;
    std::string cancelButtonTitle;
    std::vector<std::string> otherButtonTitles;
};

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Shows the alert; `dismissed` is to be called with the button index when it goes away.
    virtual void present(const AlertContent& content, std::function<void(int buttonIndex)> dismissed) = 0;
};

class ErrorUtility {
public:
    static ErrorUtility& sharedInstance();

    void setPresenter(std::shared_ptr<AlertPresenter> presenter);
    void showAlertForShareError(const NSErrorPtr& error);
    // The alert's delegate call.
    void alertViewDidDismissWithButtonIndex(int buttonIndex);
    bool alertShowing() const { return alertShowing_; }

    // What the alert for this error says.
    static AlertContent alertContentForError(const NSError& error);

private:
    ErrorUtility() = default;
    bool alertShowing_ = false;
    std::shared_ptr<AlertPresenter> presenter_;
};
