#pragma once
// An alert with a title, a message, a cancel button (index 0 when there is one) and other
// buttons after it. Shown, it waits behind any alert already up; a button's tap dismisses it
// and tells the delegate the index (clicked, then dismissed); `dismissWithClickedButtonIndex`
// tells only of the dismissal. The alert keeps itself alive while shown or waiting.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSObject.h"

class UIAlertPresentation;
class UIAlertView;

class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(UIAlertView& alertView, int buttonIndex) {}
    virtual void alertViewDidDismissWithButtonIndex(UIAlertView& alertView, int buttonIndex) {}
};

class UIAlertView : public NSObject, public std::enable_shared_from_this<UIAlertView> {
public:
    static std::shared_ptr<UIAlertView> alertView(std::string title, std::string message,
                                                  std::shared_ptr<UIAlertViewDelegate> delegate,
                                                  std::optional<std::string> cancelButtonTitle,
                                                  std::vector<std::string> otherButtonTitles = {});

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    // Held weakly, as delegates are.
    std::shared_ptr<UIAlertViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<UIAlertViewDelegate>& delegate) { delegate_ = delegate; }
    int numberOfButtons() const { return static_cast<int>(titles_.size()); }
    std::string buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return cancelIndex_; }
    // The new button's index.
    int addButtonWithTitle(std::string title);

    void show();
    // On the screen (not waiting).
    bool isVisible() const;
    void dismissWithClickedButtonIndex(int index, bool animated);

private:
    UIAlertView() = default;

    std::string title_, message_;
    std::weak_ptr<UIAlertViewDelegate> delegate_;
    std::vector<std::string> titles_;
    int cancelIndex_ = -1;
    std::shared_ptr<UIAlertPresentation> presentation_;
    bool dismissing_ = false;  // inside dismissWithClickedButtonIndex
};
