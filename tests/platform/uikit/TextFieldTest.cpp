// The single-line text field, the pasteboard and the alert's two-field style, through synthetic
// taps, typed text and keys on the manual clock.
#include <gtest/gtest.h>

#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UITextField.h"
#include "support/TouchHarness.h"

namespace {

struct Recorder : UIAlertViewDelegate {
    std::vector<int> clicked;
    void alertViewClickedButtonAtIndex(UIAlertView&, int index) override { clicked.push_back(index); }
};

TEST(TextFieldTest, ATapFocusesTypingAndKeysEditAndEachChangeIsAnEvent) {
    TouchHarness ui;
    auto field = std::make_shared<UITextField>(CGRectMake(20, 100, 200, 30));
    auto other = std::make_shared<UITextField>(CGRectMake(20, 200, 200, 30));
    ui.window->addSubview(field);
    ui.window->addSubview(other);
    std::vector<std::string> events;
    const auto record = [&](const char* name) {
        return [&events, name](UIControl&, const UIEvent*) { events.push_back(name); };
    };
    field->addTarget(nullptr, record("begin"), UIControlEventEditingDidBegin);
    field->addTarget(nullptr, record("changed"), UIControlEventEditingChanged);
    field->addTarget(nullptr, record("end"), UIControlEventEditingDidEnd);
    field->addTarget(nullptr, record("exit"), UIControlEventEditingDidEndOnExit);
    field->setPlaceholder("Name");
    EXPECT_EQ(field->displayLabel()->text(), "Name");

    ui.driver->text("lost");  // no field is the first responder: dropped
    ui.tap(*field);
    EXPECT_TRUE(field->isFirstResponder());
    ui.driver->text("Caf\u00e9");
    ui.key("Backspace");
    EXPECT_EQ(field->text(), "Caf") << "a whole character goes";
    field->setText("Cafe");  // no event
    ui.key("Return");
    ui.tap(*other);
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_TRUE(other->isFirstResponder());
    EXPECT_EQ((std::vector<std::string>{"begin", "changed", "changed", "exit", "end"}), events);
    ui.driver->text("x");
    EXPECT_EQ(field->text(), "Cafe");
    EXPECT_EQ(other->text(), "x");

    field->setSecureTextEntry(true);
    EXPECT_EQ(field->displayLabel()->text(), "\u2022\u2022\u2022\u2022");
    other->resignFirstResponder();
}

TEST(TextFieldTest, TheRightViewShowsByItsMode) {
    TouchHarness ui;
    auto field = std::make_shared<UITextField>(CGRectMake(20, 100, 200, 30));
    ui.window->addSubview(field);
    field->setRightView(std::make_shared<UIView>(CGRectMake(0, 0, 26, 30)));
    struct Case {
        UITextFieldViewMode mode;
        bool idle, editing;
    } cases[] = {{UITextFieldViewMode::Never, false, false},
                 {UITextFieldViewMode::Always, true, true},
                 {UITextFieldViewMode::WhileEditing, false, true},
                 {UITextFieldViewMode::UnlessEditing, true, false}};
    for (const Case& c : cases) {
        field->setRightViewMode(c.mode);
        field->layoutIfNeeded();
        EXPECT_EQ(!field->rightView()->isHidden(), c.idle);
        field->becomeFirstResponder();
        field->layoutIfNeeded();
        EXPECT_EQ(!field->rightView()->isHidden(), c.editing);
        EXPECT_EQ(field->rightView()->frame().origin.x, 174);
        field->resignFirstResponder();
    }
}

TEST(TextFieldTest, ThePasteboardKeepsTextAndTheAlertShowsTwoFieldsToTypeInto) {
    UIPasteboard::generalPasteboard().setString("CA Exposure: 0.25");
    EXPECT_EQ(UIPasteboard::generalPasteboard().string(), "CA Exposure: 0.25");

    TouchHarness ui;
    auto delegate = std::make_shared<Recorder>();
    auto alert = UIAlertView::alertView("Replace", "", delegate, std::string("Cancel"), {"Ok"});
    alert->setAlertViewStyle(UIAlertViewStyle::LoginAndPasswordInput);
    ASSERT_NE(alert->textFieldAtIndex(1), nullptr);
    EXPECT_EQ(alert->textFieldAtIndex(2), nullptr);
    EXPECT_TRUE(alert->textFieldAtIndex(1)->isSecureTextEntry());
    alert->show();
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr);
    const CGRect first = alert->textFieldAtIndex(0)->convertRectToView(alert->textFieldAtIndex(0)->bounds(), nullptr);
    const CGRect second = alert->textFieldAtIndex(1)->convertRectToView(alert->textFieldAtIndex(1)->bounds(), nullptr);
    const CGRect ok = shown->buttonFrame(1);
    EXPECT_LT(CGRectGetMaxY(first), second.origin.y) << "one above the other";
    EXPECT_LE(CGRectGetMaxY(second), ok.origin.y) << "above the buttons";
    ui.tap(CGRectGetMidX(first), CGRectGetMidY(first));
    ui.driver->text("0.5");
    ui.tap(CGRectGetMidX(second), CGRectGetMidY(second));
    ui.driver->text("0.7");
    EXPECT_EQ(alert->textFieldAtIndex(0)->text(), "0.5");
    EXPECT_EQ(alert->textFieldAtIndex(1)->text(), "0.7");
    ui.tap(CGRectGetMidX(ok), CGRectGetMidY(ok));
    EXPECT_EQ(delegate->clicked, std::vector<int>{1});
    EXPECT_EQ(UITextField::firstResponder(), nullptr) << "the fields let go with the alert";
}

}  // namespace
