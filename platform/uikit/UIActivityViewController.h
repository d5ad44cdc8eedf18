#pragma once
// The share sheet: a list of the ways to hand on some items. The ways offered are the
// application's activities that can run on the items, in their order, then the platform's own
// ("Save to Pictures") unless its type is excluded or it cannot run; an excluded type is
// never offered.
//
// Presented like any controller (`presentViewController`), it shows as a modal list with a
// cancel button: on the phone a sheet at the bottom of the screen, on the pad a panel at its
// anchor (the bar button item, or the popover source). Esc cancels. Choosing an activity runs
// it (UIActivity.h), presenting the activity's controller from the sheet's presenter when it
// has one; the end of the run dismisses that controller and calls the completion handler with
// the activity's type, whether it completed and, when it failed, its error. Cancelling calls it
// with an empty type, not completed, no error. The sheet keeps itself alive while shown and while an activity runs.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/UIActivity.h"
#include "platform/uikit/UIViewController.h"

class UIAlertPresentation;
class UIBarButtonItem;

class UIActivityViewController : public UIViewController {
public:
    using CompletionHandler =
        std::function<void(const std::string& activityType, bool completed, const NSErrorPtr& activityError)>;

    UIActivityViewController(UIActivityItems items, std::vector<std::shared_ptr<UIActivity>> applicationActivities);

    const UIActivityItems& activityItems() const { return items_; }
    const std::vector<std::shared_ptr<UIActivity>>& applicationActivities() const { return applicationActivities_; }
    const std::vector<std::string>& excludedActivityTypes() const { return excluded_; }
    void setExcludedActivityTypes(std::vector<std::string> types) { excluded_ = std::move(types); }
    const CompletionHandler& completionHandler() const { return completionHandler_; }
    void setCompletionHandler(CompletionHandler handler) { completionHandler_ = std::move(handler); }
    // The pad's anchor: a bar button item (its view's bounds), or `setPopoverSource`.
    const std::shared_ptr<UIBarButtonItem>& popoverBarButtonItem() const { return barButtonItem_; }
    void setPopoverBarButtonItem(std::shared_ptr<UIBarButtonItem> item) { barButtonItem_ = std::move(item); }

    // The activities the sheet lists, in order.
    std::vector<std::shared_ptr<UIActivity>> availableActivities();

    // Stand-in internals: what presenting the sheet does. The list shown, or null.
    void showSheet(const std::shared_ptr<UIViewController>& presenting, std::function<void()> completion);
    UIAlertPresentation* sheet() const { return sheet_.get(); }

private:
    void choose(int index);
    void finish(const std::shared_ptr<UIActivity>& activity, bool completed, const NSErrorPtr& error);

    UIActivityItems items_;
    std::vector<std::shared_ptr<UIActivity>> applicationActivities_;
    std::vector<std::string> excluded_;
    CompletionHandler completionHandler_;
    std::shared_ptr<UIBarButtonItem> barButtonItem_;
    std::vector<std::shared_ptr<UIActivity>> listed_;
    std::shared_ptr<UIAlertPresentation> sheet_;
    std::weak_ptr<UIViewController> presenting_;
    // While an activity runs: the sheet itself and the activity's controller.
    std::shared_ptr<UIViewController> running_;
    std::shared_ptr<UIViewController> activityController_;
};
