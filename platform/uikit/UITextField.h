#pragma once
// A single-line text field: the text (or the placeholder, greyed, while it is empty), shown as
// dots with secure entry, and an optional right view shown by its mode. A tap makes the field
// the first responder; it then takes the window's text input (`UIInputDriver::text`, typed
// text in the shown window) and the Return and Backspace keys. Tests may also set the text or
// type into it directly.
//
// Events: editing did begin and did end when the field becomes and stops being the first
// responder, editing changed for every typed change (not for `setText`), did end on exit for
// Return (the owner usually resigns the field then). One field at a time is the first
// responder. Main thread only.
#include <memory>
#include <optional>
#include <string>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"

inline constexpr UIControlEvents UIControlEventEditingDidBegin = 1 << 16;
inline constexpr UIControlEvents UIControlEventEditingChanged = 1 << 17;
inline constexpr UIControlEvents UIControlEventEditingDidEnd = 1 << 18;
inline constexpr UIControlEvents UIControlEventEditingDidEndOnExit = 1 << 19;

enum class UITextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class UITextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };
enum class UITextAutocapitalizationType { None = 0, Words = 1, Sentences = 2, AllCharacters = 3 };

class UITextField : public UIControl {
public:
    static constexpr CGFloat kTextInset = 4;

    explicit UITextField(CGRect frame = CGRectZero);
    ~UITextField() override;

    const std::string& text() const { return text_; }
    // Sets the text without an editing-changed event.
    void setText(std::string text);
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder);
    bool isSecureTextEntry() const { return secure_; }
    void setSecureTextEntry(bool secure);
    const UIFont& font() const;
    void setFont(UIFont font);
    UIColor textColor() const { return textColor_; }
    void setTextColor(UIColor color);
    UITextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(UITextBorderStyle style);
    UITextAutocapitalizationType autocapitalizationType() const { return autocapitalization_; }
    void setAutocapitalizationType(UITextAutocapitalizationType type) { autocapitalization_ = type; }

    const std::shared_ptr<UIView>& rightView() const { return rightView_; }
    void setRightView(std::shared_ptr<UIView> view);
    UITextFieldViewMode rightViewMode() const { return rightViewMode_; }
    void setRightViewMode(UITextFieldViewMode mode);
    // Whether the right view shows now, by its mode and the editing state.
    bool rightViewShown() const;

    // ---- Editing -------------------------------------------------------------------------
    static UITextField* firstResponder();
    bool isFirstResponder() const { return firstResponder() == this; }
    bool isEditing() const { return isFirstResponder(); }
    bool becomeFirstResponder();
    bool resignFirstResponder();
    // Typed text: appended, then editing changed.
    void insertText(const std::string& text);
    // Removes the last character (a whole UTF-8 sequence), then editing changed; nothing when empty.
    void deleteBackward();
    // The Return key: did end on exit.
    void returnKey();

    // The text as drawn: the text, its dots, or the placeholder.
    const std::shared_ptr<UILabel>& displayLabel() const { return label_; }

    void layoutSubviews() override;
    void touchesEnded(const UITouchSet& touches, const UIEvent* event) override;

private:
    void updateDisplay();

    std::string text_, placeholder_;
    bool secure_ = false;
    UIColor textColor_ = UIColor::blackColor();
    UITextBorderStyle borderStyle_ = UITextBorderStyle::None;
    UITextAutocapitalizationType autocapitalization_ = UITextAutocapitalizationType::Sentences;
    std::shared_ptr<UILabel> label_;
    std::shared_ptr<UIView> rightView_;
    UITextFieldViewMode rightViewMode_ = UITextFieldViewMode::Never;
    int keyHandler_ = -1;
};
