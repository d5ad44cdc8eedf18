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
#include "platform/uikit/UITextField.h"

class UIAlertPresentation;
class UIAlertView;

// Text fields of the alert: none, one secure, one plain, or a plain one over a secure one.
enum class UIAlertViewStyle { Default = 0, SecureTextInput = 1, PlainTextInput = 2, LoginAndPasswordInput = 3 };

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

    UIAlertViewStyle alertViewStyle() const { return style_; }
    // Makes the style's fields afresh (empty, with the placeholders "Login" and "Password").
    void setAlertViewStyle(UIAlertViewStyle style);
    // The style's field at the index (0 the first), or null.
    std::shared_ptr<UITextField> textFieldAtIndex(int index) const;

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
    UIAlertViewStyle style_ = UIAlertViewStyle::Default;
    std::vector<std::shared_ptr<UITextField>> fields_;
    bool dismissing_ = false;  // inside dismissWithClickedButtonIndex
};
