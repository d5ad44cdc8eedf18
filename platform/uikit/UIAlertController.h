#pragma once
// An alert or a sheet as a controller: actions (a title, a style and a handler) in the order
// added. Presented with `presentViewController`, it is shown by the same modal view as alert
// views and sheets (the pad's sheet at the controller's popover anchor), waits behind one
// already up, and runs the chosen action's handler once it is gone.
//
// `setAppearanceTintColor` sets the tint of every alert's buttons, as the appearance of views
// contained in alert controllers does.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIViewController.h"

enum class UIAlertControllerStyle { ActionSheet = 0, Alert = 1 };
enum class UIAlertActionStyle { Default = 0, Cancel = 1, Destructive = 2 };

class UIAlertAction {
public:
    using Handler = std::function<void(UIAlertAction&)>;
    static std::shared_ptr<UIAlertAction> actionWithTitle(std::string title, UIAlertActionStyle style,
                                                          Handler handler) {
        auto action = std::make_shared<UIAlertAction>();
        action->title_ = std::move(title);
        action->style_ = style;
        action->handler_ = std::move(handler);
        return action;
    }
    const std::string& title() const { return title_; }
    UIAlertActionStyle style() const { return style_; }
    const Handler& handler() const { return handler_; }

private:
    std::string title_;
    UIAlertActionStyle style_ = UIAlertActionStyle::Default;
    Handler handler_;
};

class UIAlertController : public UIViewController {
public:
    static std::shared_ptr<UIAlertController> alertControllerWithTitle(std::string title, std::string message,
                                                                       UIAlertControllerStyle style);

    const std::string& message() const { return message_; }
    UIAlertControllerStyle preferredStyle() const { return style_; }
    const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }
    void addAction(std::shared_ptr<UIAlertAction> action);

    static void setAppearanceTintColor(std::optional<UIColor> color);

    // Stand-in internals: what presenting it does (see above).
    void showAlert(std::function<void()> completion);

private:
    std::string message_;
    UIAlertControllerStyle style_ = UIAlertControllerStyle::Alert;
    std::vector<std::shared_ptr<UIAlertAction>> actions_;
    bool shown_ = false;
};
