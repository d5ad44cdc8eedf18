#include "platform/uikit/UIAlertController.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIView.h"

std::shared_ptr<UIAlertController> UIAlertController::alertControllerWithTitle(std::string title, std::string message,
                                                                               UIAlertControllerStyle style) {
    auto controller = std::make_shared<UIAlertController>();
    controller->setTitle(std::move(title));
    controller->message_ = std::move(message);
    controller->style_ = style;
    return controller;
}

void UIAlertController::addAction(std::shared_ptr<UIAlertAction> action) {
    if (action) actions_.push_back(std::move(action));
}

void UIAlertController::setAppearanceTintColor(std::optional<UIColor> color) {
    UIAlertPresentation::setTintColor(std::move(color));
}

void UIAlertController::showAlert(std::function<void()> completion) {
    if (shown_) return;
    shown_ = true;
    auto p = std::make_shared<UIAlertPresentation>();
    p->title = title();
    p->message = message_;
    p->style =
        style_ == UIAlertControllerStyle::Alert ? UIAlertPresentation::Style::Alert : UIAlertPresentation::Style::Sheet;
    if (UIView* anchor = popoverSourceView()) p->anchorView = anchor->weak_from_this();
    p->anchorRect = popoverSourceRect();
    for (const auto& a : actions_)
        p->buttons.push_back({a->title(), static_cast<UIAlertButtonKind>(static_cast<int>(a->style()))});
    auto self = std::static_pointer_cast<UIAlertController>(shared_from_this());
    p->answer = [self](int index) {
        self->shown_ = false;
        if (index < 0 || index >= static_cast<int>(self->actions_.size())) return;
        const auto action = self->actions_[index];
        if (action->handler()) action->handler()(*action);
    };
    UIAlertPresentation::show(p);
    if (completion) NSRunLoop::mainRunLoop().performBlock(std::move(completion));
}
