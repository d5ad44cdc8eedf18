#include "platform/uikit/UITextField.h"

#include <algorithm>
#include <utility>

#include "platform/uikit/UIInputDriver.h"

namespace {

UITextField* current = nullptr;
constexpr const char* kDot = "\u2022";

std::size_t utf8Length(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

}  // namespace

UITextField::UITextField(CGRect frame) : UIControl(frame) {
    label_ = std::make_shared<UILabel>(CGRectZero);
    label_->setUserInteractionEnabled(false);
    addSubview(label_);
    updateDisplay();
}

UITextField::~UITextField() {
    if (current == this) current = nullptr;
    if (keyHandler_ >= 0) UIInputDriver::removeKeyHandler(keyHandler_);
}

void UITextField::setText(std::string text) {
    text_ = std::move(text);
    updateDisplay();
}

void UITextField::setPlaceholder(std::string placeholder) {
    placeholder_ = std::move(placeholder);
    updateDisplay();
}

void UITextField::setSecureTextEntry(bool secure) {
    secure_ = secure;
    updateDisplay();
}

const UIFont& UITextField::font() const { return label_->font(); }
void UITextField::setFont(UIFont font) { label_->setFont(std::move(font)); }

void UITextField::setTextColor(UIColor color) {
    textColor_ = color;
    updateDisplay();
}

void UITextField::setBorderStyle(UITextBorderStyle style) {
    borderStyle_ = style;
    if (style == UITextBorderStyle::Line) {
        layer()->setBorderWidth(1);
        layer()->setBorderColor(UIColor::blackColor().CGColor());
    }
}

void UITextField::setRightView(std::shared_ptr<UIView> view) {
    if (rightView_) rightView_->removeFromSuperview();
    rightView_ = std::move(view);
    if (rightView_) addSubview(rightView_);
    setNeedsLayout();
}

void UITextField::setRightViewMode(UITextFieldViewMode mode) {
    rightViewMode_ = mode;
    setNeedsLayout();
}

bool UITextField::rightViewShown() const {
    if (!rightView_) return false;
    switch (rightViewMode_) {
    case UITextFieldViewMode::Always: return true;
    case UITextFieldViewMode::WhileEditing: return isEditing();
    case UITextFieldViewMode::UnlessEditing: return !isEditing();
    default: return false;
    }
}

UITextField* UITextField::firstResponder() { return current; }

bool UITextField::becomeFirstResponder() {
    if (current == this) return true;
    if (current) current->resignFirstResponder();
    current = this;
    keyHandler_ = UIInputDriver::addKeyHandler([this](const UIKeyPress& press) {
        if (press.code == UIKeyCode::Return) returnKey();
        else if (press.code == UIKeyCode::Backspace) deleteBackward();
        else return false;
        return true;
    });
    setNeedsLayout();
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    return true;
}

bool UITextField::resignFirstResponder() {
    if (current != this) return true;
    current = nullptr;
    if (keyHandler_ >= 0) UIInputDriver::removeKeyHandler(std::exchange(keyHandler_, -1));
    setNeedsLayout();
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    return true;
}

void UITextField::insertText(const std::string& text) {
    if (text.empty()) return;
    text_ += text;
    updateDisplay();
    sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::deleteBackward() {
    if (text_.empty()) return;
    std::size_t end = text_.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) --end;
    text_.erase(end);
    updateDisplay();
    sendActionsForControlEvents(UIControlEventEditingChanged);
}

void UITextField::returnKey() { sendActionsForControlEvents(UIControlEventEditingDidEndOnExit); }

void UITextField::updateDisplay() {
    if (text_.empty()) {
        label_->setText(placeholder_);
        label_->setTextColor(UIColor::colorWithWhite(0.7, 1));
        return;
    }
    std::string shown;
    if (secure_)
        for (std::size_t i = utf8Length(text_); i > 0; --i) shown += kDot;
    label_->setText(secure_ ? shown : text_);
    label_->setTextColor(textColor_);
}

void UITextField::layoutSubviews() {
    UIControl::layoutSubviews();
    const CGRect b = bounds();
    CGFloat right = b.size.width - kTextInset;
    if (rightView_) {
        const bool shown = rightViewShown();
        rightView_->setHidden(!shown);
        const CGSize size = rightView_->bounds().size;
        rightView_->setFrame(
            CGRectMake(b.size.width - size.width, (b.size.height - size.height) / 2, size.width, size.height));
        if (shown) right = b.size.width - size.width;
    }
    label_->setFrame(CGRectMake(kTextInset, 0, std::max<CGFloat>(0, right - kTextInset), b.size.height));
}

void UITextField::touchesEnded(const UITouchSet& touches, const UIEvent* event) {
    UIControl::touchesEnded(touches, event);
    if (isEnabled()) becomeFirstResponder();
}
