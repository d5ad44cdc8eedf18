// The developers' tuning panel: one slider per engine parameter in a scrolling list, a name
// filter, and a menu to save the whole set to the pasteboard as text and load it back, undo
// the last slider move, return to the defaults, and keep a set in memory to apply (with a
// text replacement if wished). Numbers are written and read in the C locale whatever the
// user's, and a value that is not a finite number is skipped rather than taken as zero.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "model/DeviceUtility.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UITextField.h"
#include "ui/foundation/UIAlertView+BlockUtility.h"

namespace {

enum Tag { kValueTag = 1, kNameTag = 2, kSliderTag = 3 };
constexpr CGFloat kRowHeight = 200, kFirstRowY = 600, kStartOffsetY = 400;
constexpr CGFloat kButtonSide = 44;
constexpr CGFloat kMenuButtonWidth = 79.2, kMenuButtonHeight = 35.2, kMenuHalfWidth = 158.4;
constexpr NSTimeInterval kTurnDuration = 0.2;
constexpr const char* kValuePrefix = "[NSNumber numberWithFloat:";
constexpr const char* kNamePrefix = "], @\"";
constexpr const char* kLineEnd = "\",";

std::unique_ptr<TestAdjustmentsPanel>& Panel() {
    static std::unique_ptr<TestAdjustmentsPanel> panel;
    return panel;
}

UILabel* labelOf(UIView& row, int tag) { return dynamic_cast<UILabel*>(row.viewWithTag(tag)); }
UISlider* sliderOf(UIView& row) { return dynamic_cast<UISlider*>(row.viewWithTag(kSliderTag)); }
bool isRow(UIView& row) { return labelOf(row, kValueTag) && labelOf(row, kNameTag); }
std::string nameOf(UIView& row) { return labelOf(row, kNameTag)->text(); }
UIView& rowOf(UIView& part) { return *part.superview(); }

// Six decimals with a point, as the C locale writes them.
std::string decimal(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

void eraseAll(std::string& text, const std::string& what) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    if (what.empty()) return text;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The number at the start of the text (after spaces and tabs), in the C locale; nothing
// without digits or for a value that is not finite.
std::optional<float> leadingNumber(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const char* begin = text.data() + first;
    if (*begin == '+') ++begin;
    float value = 0;
    const auto result = std::from_chars(begin, text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A save-format line in the "name:\t\tvalue" form; other lines as they are.
std::string plainLine(std::string line) {
    if (!line.starts_with("[NSNumber")) return line;
    eraseAll(line, kValuePrefix);
    eraseAll(line, kNamePrefix);
    eraseAll(line, kLineEnd);
    const std::size_t f = line.find('f');
    if (f == std::string::npos) return line;
    return line.substr(f + 1) + ":\t\t" + line.substr(0, f + 1) + "\n";
}

void showAlert(const std::string& title, const std::string& message) {
    UIAlertView::alertView(title, message, nullptr, std::string("OK"))->show();
}

std::shared_ptr<UIButton> panelButton(const char* image, CGRect frame, int tag) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(frame);
    button->setTag(tag);
    if (const UIImagePtr picture = UIImage::imageNamed(image))
        button->setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate), UIControlStateNormal);
    button->setTintColor(UIColor::whiteColor());
    button->setAlpha(1);
    return button;
}

void styleRowLabel(UILabel& label, NSTextAlignment alignment) {
    label.setNumberOfLines(2);
    label.setTextAlignment(alignment);
    label.setBackgroundColor(UIColor::clearColor());
    label.setTextColor(UIColor::whiteColor());
    label.setShadowColor(UIColor::blackColor());
    label.setShadowOffset(CGSizeMake(1, 1));
}

bool menuOpen(const TestAdjustmentsPanel& panel) {
    return !panel.menuButtons.empty() && !panel.menuButtons.front()->isHidden();
}

// ---- The panel's parts, each built by one step ------------------------------------------

// The panel's own views: list, buttons, filter (the menu's buttons come and go by themselves).
std::vector<UIView*> panelViews(const TestAdjustmentsPanel& panel) {
    return {panel.scrollView.get(), panel.toggleButton.get(), panel.actionButton.get(), panel.filterField.get()};
}

// Shows or hides a built panel: the list, the menu button and the filter turn together, the
// menu's buttons with them while the menu was open; the toggle button turns to a cross while
// the list shows.
void turnPanel(TestAdjustmentsPanel& panel) {
    for (UIView* v : panelViews(panel))
        if (v != panel.toggleButton.get()) v->setHidden(!v->isHidden());
    const bool open = !panel.actionButton->isHidden() && !CGAffineTransformIsIdentity(panel.actionButton->transform());
    for (const auto& button : panel.menuButtons) button->setHidden(!open);
    const bool shown = !panel.scrollView->isHidden();
    UIView::animateWithDuration(kTurnDuration, [button = panel.toggleButton, shown] {
        button->setTransform(shown ? CGAffineTransformMakeRotation(std::numbers::pi / 4) : CGAffineTransformIdentity);
    });
}

// The toggle and menu buttons at the top right of the view.
void addPanelButtons(GraphicsView& view, UIView& host, TestAdjustmentsPanel& panel) {
    const CGFloat width = view.bounds().size.width;
    panel.toggleButton = panelButton("panelAdd", CGRectMake(width - kButtonSide, 0, kButtonSide, kButtonSide), 2);
    panel.toggleButton->addTarget(
        &view, [&view, &host](UIControl&, const UIEvent*) { view.toggleTestAdjustments(host); },
        UIControlEventTouchUpInside);
    host.addSubview(panel.toggleButton);
    panel.actionButton =
        panelButton("panelDisclosure", CGRectMake(width - 2 * kButtonSide, 0, kButtonSide, kButtonSide), 3);
    panel.actionButton->addTarget(
        &view, [&view](UIControl&, const UIEvent*) { view.testAdjustmentsAction(); }, UIControlEventTouchUpInside);
    host.addSubview(panel.actionButton);
}

// The name filter at the top centre, with its clear button showing while it holds text.
void addFilterField(GraphicsView& view, UIView& host, TestAdjustmentsPanel& panel) {
    const CGFloat width = view.bounds().size.width;
    auto field = std::make_shared<UITextField>(CGRectMake(width * 0.5 - 55, 8.8, 110, 26.4));
    field->setTag(4);
    field->addTarget(
        &view, [&view](UIControl&, const UIEvent*) { view.testAdjustmentsFilter(); }, UIControlEventEditingChanged);
    field->addTarget(
        &view, [](UIControl& sender, const UIEvent*) { static_cast<UITextField&>(sender).resignFirstResponder(); },
        UIControlEventEditingDidEndOnExit);
    field->setTextColor(UIColor::whiteColor());
    field->setBackgroundColor(UIColor::clearColor());
    field->setTintColor(UIColor::whiteColor());
    field->setBorderStyle(UITextBorderStyle::Line);
    field->layer()->setBorderWidth(1);
    field->layer()->setBorderColor(UIColor::whiteColor().CGColor());
    field->layer()->setCornerRadius(4);
    field->setFont(UIFont::boldSystemFontOfSize(11));
    auto clear = UIButton::buttonWithType(UIButtonType::System);
    clear->setTitle("\u2715", UIControlStateNormal);
    clear->setFrame(CGRectMake(0, 0, 26.4, 44));
    clear->setBackgroundColor(UIColor::clearColor());
    clear->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    clear->addTarget(
        &view, [&view](UIControl&, const UIEvent*) { view.testAdjustmentsFilterClear(); }, UIControlEventTouchUpInside);
    field->setRightView(clear);
    field->setRightViewMode(UITextFieldViewMode::Never);
    panel.filterField = field;
    host.addSubview(field);
}

// One parameter's row at `y`: its slider over its name (left; a double tap sets the default)
// and its value (right).
std::shared_ptr<UIView> parameterRow(GraphicsView& view, const std::string& name, CGFloat width, CGFloat y) {
    auto row = std::make_shared<UIView>(CGRectMake(0, y, width, kRowHeight));
    row->setBackgroundColor(UIColor::clearColor());
    auto slider = std::make_shared<UISlider>(CGRectMake(4, 0, width - 8, 20));
    slider->setBackgroundColor(UIColor::clearColor());
    slider->setValue(view.getAdjustment(name));
    slider->setTag(kSliderTag);
    slider->addTarget(
        &view, [&view](UIControl& s, const UIEvent*) { view.testAdjustmentChanged(static_cast<UISlider&>(s)); },
        UIControlEventValueChanged);
    slider->addTarget(
        &view, [&view](UIControl& s, const UIEvent*) { view.testAdjustmentWillChange(static_cast<UISlider&>(s)); },
        UIControlEventTouchDown);
    slider->addTarget(
        &view, [&view](UIControl& s, const UIEvent*) { view.testAdjustmentFinished(static_cast<UISlider&>(s)); },
        UIControlEventTouchUpInside | UIControlEventTouchUpOutside | UIControlEventTouchCancel);
    auto nameLabel = std::make_shared<UILabel>(CGRectMake(0, 20, width * 0.6, 40));
    nameLabel->setTag(kNameTag);
    styleRowLabel(*nameLabel, NSTextAlignment::Left);
    nameLabel->setText(name);
    auto valueLabel = std::make_shared<UILabel>(CGRectMake(0, 20, width * 0.4, 40));
    valueLabel->setTag(kValueTag);
    styleRowLabel(*valueLabel, NSTextAlignment::Right);
    valueLabel->setText(view.adjustmentValueDescription(name, slider->value()));
    CGRect frame = valueLabel->frame();
    frame.origin.x = width - 4 - frame.size.width;
    valueLabel->setFrame(frame);
    if (!DeviceUtility::isIPad()) {
        valueLabel->setFont(UIFont::systemFontOfSize(12));
        nameLabel->setFont(UIFont::systemFontOfSize(12));
    }
    nameLabel->sizeToFit();
    auto doubleTap = std::make_shared<UITapGestureRecognizer>();
    doubleTap->setNumberOfTapsRequired(2);
    doubleTap->addTarget(&view, [&view](UIGestureRecognizer& tap) {
        if (auto* label = dynamic_cast<UILabel*>(tap.view())) view.adjustmentNameTapGesture(*label);
    });
    nameLabel->addGestureRecognizer(doubleTap);
    nameLabel->setUserInteractionEnabled(true);
    row->addSubview(valueLabel);
    row->addSubview(nameLabel);
    row->addSubview(slider);
    return row;
}

// A row for every parameter with a default, in the engine's category order.
void addParameterRows(GraphicsView& view, TestAdjustmentsPanel& panel) {
    UIScrollView& list = *panel.scrollView;
    const CGFloat width = list.bounds().size.width;
    const std::map<std::string, float>& defaults = view.defaultAdjustmentsDictionary();
    list.setContentSize(CGSizeMake(width, static_cast<CGFloat>(2 * defaults.size() + 3) * kRowHeight));
    CGFloat y = kFirstRowY;
    for (const auto& [name, categories] : AmbrelGraphicsController::AdjustmentCategories()) {
        if (!defaults.contains(name)) continue;
        panel.rows.push_back(parameterRow(view, name, width, y));
        list.addSubview(panel.rows.back());
        y += kRowHeight;
    }
}

}  // namespace

TestAdjustmentsPanel* GraphicsView::testAdjustmentsPanel() { return Panel().get(); }

void GraphicsView::toggleTestAdjustments(UIView& host) {
    std::unique_ptr<TestAdjustmentsPanel>& panel = Panel();
    if (panel && !panel->host.expired()) return turnPanel(*panel);
    if (panel) {
        // The host went away with the views; whatever is left of the old panel goes with it.
        for (UIView* v : panelViews(*panel)) v->removeFromSuperview();
        for (const auto& button : panel->menuButtons) button->removeFromSuperview();
    }
    panel = std::make_unique<TestAdjustmentsPanel>();
    panel->host = std::static_pointer_cast<UIView>(host.shared_from_this());
    ensureAdjustmentDefaultsAreInitialized();

    panel->scrollView = std::make_shared<UIScrollView>(host.bounds());
    panel->scrollView->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    panel->scrollView->setTag(1);
    host.addSubview(panel->scrollView);
    addPanelButtons(*this, host, *panel);
    addFilterField(*this, host, *panel);
    addParameterRows(*this, *panel);

    // Built hidden: only the toggle button shows.
    panel->scrollView->setHidden(true);
    panel->actionButton->setHidden(true);
    panel->filterField->setHidden(true);
    panel->scrollView->setContentOffset(CGPointMake(0, kStartOffsetY));
    UIView::animateWithDuration(kTurnDuration,
                                [button = panel->toggleButton] { button->setTransform(CGAffineTransformIdentity); });
}

void GraphicsView::testAdjustmentShowValue(const std::string& name) {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    for (const auto& row : panel->rows)
        if (UISlider* slider = sliderOf(*row); slider && isRow(*row) && nameOf(*row) == name) {
            slider->setValue(getAdjustment(name));
            testAdjustmentChanged(*slider);
            return;
        }
}

void GraphicsView::testAdjustmentWillChange(UISlider& slider) {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    panel->undoSlider = std::static_pointer_cast<UISlider>(slider.shared_from_this());
    // The engine still holds the value from before the touch (a drag reaches it only at the
    // end), even when the thumb has already jumped to the finger.
    UIView& row = rowOf(slider);
    panel->undoValue = isRow(row) ? getAdjustment(nameOf(row)) : slider.value();
}

void GraphicsView::testAdjustmentChanged(UISlider& slider) {
    UIView& row = rowOf(slider);
    if (!isRow(row)) return;
    labelOf(row, kValueTag)->setText(adjustmentValueDescription(nameOf(row), slider.value()));
}

void GraphicsView::testAdjustmentFinished(UISlider& slider) {
    applyAdjustment(slider);
    if (!isAnimating()) finishApplyAdjustment();
}

void GraphicsView::applyAdjustment(UISlider& slider) {
    UIView& row = rowOf(slider);
    if (!isRow(row)) return;
    testAdjustmentChanged(slider);
    // Straight to the engine: the panel's changes stay out of the parameter cache.
    if (graphicsController_) engine()->SetAdjustment(nameOf(row), true, slider.value());
}

void GraphicsView::finishApplyAdjustment() {
    if (isAnimating()) return;
    if (delegate_) delegate_->graphicsViewTestAdjustmentFinished(*this);
    reconstructAndDrawView(0);
}

void GraphicsView::adjustmentNameTapGesture(UILabel& nameLabel) {
    const std::string name = nameLabel.text();
    setAdjustmentDefault(name);
    UIView& row = rowOf(nameLabel);
    if (UISlider* slider = sliderOf(row)) {
        slider->setValue(getAdjustment(name));
        if (isRow(row)) labelOf(row, kValueTag)->setText(adjustmentValueDescription(name, slider->value()));
    }
    finishApplyAdjustment();
}

void GraphicsView::testAdjustmentsAction() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    if (!panel->menuButtons.empty()) {
        for (const auto& button : panel->menuButtons) button->setHidden(!button->isHidden());
    } else if (UIView* parent = panel->actionButton->superview()) {
        const CGFloat x0 = parent->bounds().size.width * 0.5 - kMenuHalfWidth;
        const CGFloat y = panel->actionButton->frame().origin.y;
        struct Item {
            const char* title;
            CGRect frame;
            int tag;
            void (GraphicsView::*action)();
        };
        const Item items[] = {
            {"Save", CGRectMake(x0, y + 44, kMenuButtonWidth, kMenuButtonHeight), 4,
             &GraphicsView::testAdjustmentsSave},
            {"Load", CGRectMake(x0 + kMenuButtonWidth, y + 44, kMenuButtonWidth, kMenuButtonHeight), 5,
             &GraphicsView::testAdjustmentsLoad},
            {"Undo", CGRectMake(x0 + 2 * kMenuButtonWidth, y + 44, kMenuButtonWidth, kMenuButtonHeight), 6,
             &GraphicsView::testAdjustmentsUndo},
            {"Defaults", CGRectMake(x0 + 3 * kMenuButtonWidth, y + 44, kMenuButtonWidth, kMenuButtonHeight), 7,
             &GraphicsView::testAdjustmentsDefaults},
            {"Store", CGRectMake(x0, y + 88, kMenuButtonWidth, kMenuButtonHeight), 7,
             &GraphicsView::testAdjustmentsStore},
            {"Apply", CGRectMake(x0 + kMenuButtonWidth, y + 88, kMenuButtonWidth, kMenuButtonHeight), 7,
             &GraphicsView::testAdjustmentsApply},
            {"Apply/Replace", CGRectMake(x0 + 2 * kMenuButtonWidth, y + 88, kMenuHalfWidth, kMenuButtonHeight), 8,
             &GraphicsView::testAdjustmentsApplyReplace},
        };
        for (const Item& item : items) {
            auto button = UIButton::buttonWithType(UIButtonType::Custom);
            button->setFrame(item.frame);
            button->setTag(item.tag);
            button->setTitle(item.title, UIControlStateNormal);
            button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(15));
            button->titleLabel()->setShadowColor(UIColor::blackColor());
            button->titleLabel()->setShadowOffset(CGSizeMake(1, 1));
            button->setContentHorizontalAlignment(UIControlContentHorizontalAlignment::Center);
            button->setAlpha(1);
            button->addTarget(
                this, [this, action = item.action](UIControl&, const UIEvent*) { (this->*action)(); },
                UIControlEventTouchUpInside);
            parent->addSubview(button);
            panel->menuButtons.push_back(button);
        }
    }
    const bool open = menuOpen(*panel);
    UIView::animateWithDuration(kTurnDuration, [button = panel->actionButton, open] {
        button->setTransform(open ? CGAffineTransformMakeRotation(std::numbers::pi / 2) : CGAffineTransformIdentity);
    });
}

std::string GraphicsView::testAdjustmentsText(const std::vector<std::shared_ptr<UIView>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        if (!isRow(*row)) continue;
        const std::string name = nameOf(*row);
        text += kValuePrefix + decimal(getAdjustment(name)) + "f" + kNamePrefix + name + kLineEnd + "\n";
    }
    return text;
}

namespace {

// Closes the menu when it is open (the commands are run from it, or by code with it shut).
void closeMenu(GraphicsView& view) {
    if (TestAdjustmentsPanel* panel = GraphicsView::testAdjustmentsPanel(); panel && menuOpen(*panel))
        view.testAdjustmentsAction();
}

}  // namespace

void GraphicsView::testAdjustmentsSave() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    UIPasteboard::generalPasteboard().setString(testAdjustmentsText(panel->rows));
    closeMenu(*this);
    showAlert("Adjustments", "Adjustments save to Clipboard");
}

void GraphicsView::testAdjustmentsLoad() {
    testAdjustmentsLoadWithString(UIPasteboard::generalPasteboard().string().value_or(""));
}

void GraphicsView::testAdjustmentsLoadWithString(const std::string& text) {
    const std::map<std::string, float>& defaults = defaultAdjustmentsDictionary();
    for (const std::string& line : split(text, '\n')) {
        const std::vector<std::string> parts = split(plainLine(line), ':');
        if (parts.size() != 2 || !defaults.contains(parts[0])) continue;
        if (const std::optional<float> value = leadingNumber(parts[1])) setAdjustment(parts[0], *value, true);
    }
    finishApplyAdjustment();
    closeMenu(*this);
}

void GraphicsView::testAdjustmentsUndo() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    const std::shared_ptr<UISlider> slider = panel->undoSlider.lock();
    if (!slider) return;
    const float previous = slider->value();
    slider->setValue(panel->undoValue);
    panel->undoValue = previous;
    testAdjustmentChanged(*slider);
    UIView& row = rowOf(*slider);
    if (graphicsController_ && isRow(row)) engine()->SetAdjustment(nameOf(row), true, slider->value());
    finishApplyAdjustment();
}

void GraphicsView::testAdjustmentsDefaults() {
    setAdjustmentDefaults();
    finishApplyAdjustment();
    closeMenu(*this);
    showAlert("Adjustments", "Adjustments reset to default");
}

void GraphicsView::testAdjustmentsStore() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    std::vector<std::shared_ptr<UIView>> shown;
    for (const auto& row : panel->rows)
        if (row->superview() == panel->scrollView.get()) shown.push_back(row);
    panel->storedSet = testAdjustmentsText(shown);
    closeMenu(*this);
    showAlert("Adjustments", "Adjustments stored");
}

void GraphicsView::testAdjustmentsApply() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    testAdjustmentsLoadWithString(panel && panel->storedSet ? *panel->storedSet : std::string());
}

void GraphicsView::testAdjustmentsApplyReplace() {
    auto alert = UIAlertView::alertView("Replace", "", nullptr, std::string("Cancel"), {"Ok"});
    alert->setAlertViewStyle(UIAlertViewStyle::LoginAndPasswordInput);
    const std::shared_ptr<UITextField> replace = alert->textFieldAtIndex(0);
    const std::shared_ptr<UITextField> replacement = alert->textFieldAtIndex(1);
    replace->setPlaceholder("Replace");
    replacement->setPlaceholder("Replacement");
    replacement->setSecureTextEntry(false);
    for (const auto& field : {replace, replacement})
        field->setAutocapitalizationType(UITextAutocapitalizationType::Sentences);
    BlockUtility::setBlock(*alert, [this](UIAlertView& shown, int index) {
        if (index != 1) return;
        TestAdjustmentsPanel* panel = testAdjustmentsPanel();
        const std::string stored = panel && panel->storedSet ? *panel->storedSet : std::string();
        // An empty search text replaces nothing: the stored set is loaded as it stands.
        testAdjustmentsLoadWithString(
            replaceAll(stored, shown.textFieldAtIndex(0)->text(), shown.textFieldAtIndex(1)->text()));
    });
    alert->show();
}

void GraphicsView::testAdjustmentsFilter() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    const std::string filter = lower(panel->filterField->text());
    panel->filterField->setRightViewMode(filter.empty() ? UITextFieldViewMode::Never : UITextFieldViewMode::Always);
    std::vector<std::shared_ptr<UIView>> shown;
    for (const auto& row : panel->rows)
        if (filter.empty() || (isRow(*row) && lower(nameOf(*row)).find(filter) != std::string::npos))
            shown.push_back(row);
    testAdjustmentFilterViews(shown);
}

void GraphicsView::testAdjustmentsFilterClear() {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    panel->filterField->setText("");
    panel->filterField->resignFirstResponder();
    testAdjustmentsFilter();
}

void GraphicsView::testAdjustmentFilterViews(const std::vector<std::shared_ptr<UIView>>& rows) {
    TestAdjustmentsPanel* panel = testAdjustmentsPanel();
    if (!panel) return;
    UIScrollView& list = *panel->scrollView;
    for (const auto& row : panel->rows) row->removeFromSuperview();
    const CGFloat width = list.bounds().size.width;
    list.setContentSize(CGSizeMake(width, static_cast<CGFloat>(2 * rows.size() + 3) * kRowHeight));
    CGFloat y = kFirstRowY;
    for (const auto& row : rows) {
        row->setFrame(CGRectMake(0, y, width, kRowHeight));
        list.addSubview(row);
        y += kRowHeight;
    }
    list.setContentOffset(CGPointMake(0, kStartOffsetY));
}
