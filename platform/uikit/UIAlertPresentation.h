#pragma once
// The one modal view behind alert views, action sheets and alert controllers: a title, a
// message and buttons, drawn over the key window.
//
// - An alert: a panel centred over the dimmed screen; two buttons side by side, more stacked.
// - A sheet on the phone: the buttons stacked at the bottom of the dimmed screen, the cancel
//   button apart below the others.
// - A sheet on the pad: a panel under its anchor rectangle, without the cancel button; a tap
//   outside the panel answers the cancel index.
//
// One is shown at a time: a second waits until the first is answered. A button's tap (or Esc,
// for the cancel index) removes the view, then answers the button's index. Buttons are drawn in
// the global alert tint, destructive ones in red. An alert whose window goes away with it is
// dropped unanswered. Tests read the shown presentation and tap
// its buttons where `buttonFrame` says.
//
// A system alert is the platform's own question (the photo library's, say): it takes touches
// while the application ignores them, as a prompt of the system does over a busy application.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIColor.h"

class UIView;

enum class UIAlertButtonKind { Default = 0, Cancel = 1, Destructive = 2 };

struct UIAlertButton {
    std::string title;
    UIAlertButtonKind kind = UIAlertButtonKind::Default;
};

class UIAlertPresentation : public std::enable_shared_from_this<UIAlertPresentation> {
public:
    enum class Style { Alert, Sheet };

    std::string title, message;
    Style style = Style::Alert;
    // In the order of their indices.
    std::vector<UIAlertButton> buttons;
    // The sheet's anchor on the pad: a rectangle in the view's coordinates.
    std::weak_ptr<UIView> anchorView;
    CGRect anchorRect = CGRectZero;
    // Views stacked in the alert's panel between the texts and the buttons (text fields),
    // each keeping its height; alerts only.
    std::vector<std::shared_ptr<UIView>> fields;
    // Runs once, with the index of the button that ended the presentation.
    std::function<void(int index)> answer;
    // The platform's own question, answered also while the application ignores touches.
    bool system = false;

    // The index of the cancel button, or -1.
    int cancelIndex() const;
    // The sheet shown as the pad's panel.
    bool isPanel() const;

    // Shows it now, or after those shown or waiting before it.
    static void show(const std::shared_ptr<UIAlertPresentation>& presentation);
    // The platform's own report of a failure the person should know of: an alert with the
    // title, the message and one "OK" button.
    static void showFailure(const std::string& title, const std::string& message);
    // The presentation on the screen, or null.
    static UIAlertPresentation* shown();
    static std::size_t waitingCount();
    // Whether the view is part of the shown system alert, which takes touches however busy the
    // application is.
    static bool isSystemAlertView(const UIView* view);
    bool isShown() const { return shown() == this; }
    // Ends the presentation with the index (shown or waiting): it leaves the screen or the
    // queue, then `answer` runs and the next waiting one is shown. Nothing for another index
    // than the buttons' and the cancel index -1.
    void dismissWithIndex(int index);
    // Where the button is drawn, in the window's points; empty when it is not shown (the pad's
    // cancel button) or the presentation is not on the screen.
    CGRect buttonFrame(int index) const;
    // The index of the button with that title, or -1.
    int indexOfButton(const std::string& title) const;

    // The tint of every alert's buttons; unset: the default tint.
    static UIColor tintColor();
    static void setTintColor(std::optional<UIColor> color);
};
