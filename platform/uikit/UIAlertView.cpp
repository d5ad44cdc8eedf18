#include "platform/uikit/UIAlertView.h"

#include <utility>

#include "platform/uikit/UIAlertPresentation.h"

std::shared_ptr<UIAlertView> UIAlertView::alertView(std::string title, std::string message,
                                                    std::shared_ptr<UIAlertViewDelegate> delegate,
                                                    std::optional<std::string> cancelButtonTitle,
                                                    std::vector<std::string> otherButtonTitles) {
    std::shared_ptr<UIAlertView> alert(new UIAlertView);
    alert->title_ = std::move(title);
    alert->message_ = std::move(message);
    alert->delegate_ = delegate;
    if (cancelButtonTitle) {
        alert->cancelIndex_ = 0;
        alert->titles_.push_back(std::move(*cancelButtonTitle));
    }
    for (auto& t : otherButtonTitles) alert->titles_.push_back(std::move(t));
    return alert;
}

std::string UIAlertView::buttonTitleAtIndex(int index) const {
    return index >= 0 && index < numberOfButtons() ? titles_[index] : std::string();
}

int UIAlertView::addButtonWithTitle(std::string title) {
    titles_.push_back(std::move(title));
    return numberOfButtons() - 1;
}

void UIAlertView::setAlertViewStyle(UIAlertViewStyle style) {
    style_ = style;
    fields_.clear();
    const auto field = [this](const char* placeholder, bool secure) {
        auto f = std::make_shared<UITextField>(CGRectMake(0, 0, 238, 28));
        f->setPlaceholder(placeholder);
        f->setSecureTextEntry(secure);
        f->setBorderStyle(UITextBorderStyle::Line);
        f->setBackgroundColor(UIColor::whiteColor());
        fields_.push_back(f);
    };
    switch (style) {
    case UIAlertViewStyle::SecureTextInput: field("", true); break;
    case UIAlertViewStyle::PlainTextInput: field("", false); break;
    case UIAlertViewStyle::LoginAndPasswordInput:
        field("Login", false);
        field("Password", true);
        break;
    case UIAlertViewStyle::Default: break;
    }
}

std::shared_ptr<UITextField> UIAlertView::textFieldAtIndex(int index) const {
    return index >= 0 && index < static_cast<int>(fields_.size()) ? fields_[index] : nullptr;
}

void UIAlertView::show() {
    if (presentation_) return;
    presentation_ = std::make_shared<UIAlertPresentation>();
    presentation_->title = title_;
    presentation_->message = message_;
    for (const auto& f : fields_) presentation_->fields.push_back(f);
    for (int i = 0; i < numberOfButtons(); ++i)
        presentation_->buttons.push_back(
            {titles_[i], i == cancelIndex_ ? UIAlertButtonKind::Cancel : UIAlertButtonKind::Default});
    presentation_->answer = [self = shared_from_this()](int index) {
        self->presentation_ = nullptr;
        for (const auto& f : self->fields_) {
            f->resignFirstResponder();
            f->removeFromSuperview();
        }
        const bool clicked = !std::exchange(self->dismissing_, false);
        if (auto d = self->delegate(); d && clicked) d->alertViewClickedButtonAtIndex(*self, index);
        if (auto d = self->delegate()) d->alertViewDidDismissWithButtonIndex(*self, index);
    };
    UIAlertPresentation::show(presentation_);
}

bool UIAlertView::isVisible() const { return presentation_ && presentation_->isShown(); }

void UIAlertView::dismissWithClickedButtonIndex(int index, bool) {
    auto p = presentation_;
    if (!p) return;
    // The delegate may let go of the last other reference to the alert while it hears.
    const std::shared_ptr<UIAlertView> keep = shared_from_this();
    dismissing_ = true;  // not a tap: the delegate hears only of the dismissal
    p->dismissWithIndex(index);
    dismissing_ = false;
}
