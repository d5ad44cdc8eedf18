#include "platform/uikit/UIActivityViewController.h"

#include <algorithm>

#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UISaveToPicturesActivity.h"
#include "platform/uikit/UIView.h"

UIActivityViewController::UIActivityViewController(UIActivityItems items,
                                                   std::vector<std::shared_ptr<UIActivity>> applicationActivities)
    : items_(std::move(items)), applicationActivities_(std::move(applicationActivities)) {
    setModalPresentationStyle(UIModalPresentationStyle::Popover);
}

std::vector<std::shared_ptr<UIActivity>> UIActivityViewController::availableActivities() {
    std::vector<std::shared_ptr<UIActivity>> available;
    auto offer = [&](const std::shared_ptr<UIActivity>& activity) {
        const bool excluded =
            std::find(excluded_.begin(), excluded_.end(), activity->activityType()) != excluded_.end();
        if (!excluded && activity->canPerformWithActivityItems(items_)) available.push_back(activity);
    };
    for (const auto& activity : applicationActivities_)
        if (activity) offer(activity);
    offer(std::make_shared<UISaveToPicturesActivity>());
    return available;
}

void UIActivityViewController::showSheet(const std::shared_ptr<UIViewController>& presenting,
                                         std::function<void()> completion) {
    if (sheet_ || running_) return;
    listed_ = availableActivities();
    auto sheet = std::make_shared<UIAlertPresentation>();
    sheet->style = UIAlertPresentation::Style::Sheet;
    for (const auto& activity : listed_)
        sheet->buttons.push_back({activity->activityTitle(), UIAlertButtonKind::Default});
    sheet->buttons.push_back({"Cancel", UIAlertButtonKind::Cancel});
    if (barButtonItem_) {
        sheet->anchorView = barButtonItem_->view();
        if (barButtonItem_->view()) sheet->anchorRect = barButtonItem_->view()->bounds();
    } else if (UIView* source = popoverSourceView()) {
        sheet->anchorView = std::static_pointer_cast<UIView>(source->shared_from_this());
        sheet->anchorRect = popoverSourceRect();
    }
    auto self = std::static_pointer_cast<UIActivityViewController>(shared_from_this());
    sheet->answer = [self](int index) { self->choose(index); };
    presenting_ = presenting;
    sheet_ = sheet;
    UIAlertPresentation::show(sheet);
    if (completion) completion();
}

void UIActivityViewController::choose(int index) {
    sheet_.reset();
    if (index < 0 || index >= static_cast<int>(listed_.size())) {
        listed_.clear();
        if (completionHandler_) completionHandler_("", false, nullptr);
        return;
    }
    const auto activity = listed_[index];
    listed_.clear();
    running_ = shared_from_this();
    activity->prepareWithActivityItems(items_);
    activity->setFinishHandler(
        [this, activity](bool completed, const NSErrorPtr& error) { finish(activity, completed, error); });
    if (auto controller = activity->activityViewController()) {
        activityController_ = controller;
        if (auto presenting = presenting_.lock()) presenting->presentViewController(controller, true);
    } else {
        activity->performActivity();
    }
}

void UIActivityViewController::finish(const std::shared_ptr<UIActivity>& activity, bool completed,
                                      const NSErrorPtr& error) {
    const auto keep = std::move(running_);
    if (auto controller = std::move(activityController_); controller && controller->presentingViewController())
        controller->dismissViewControllerAnimated(true);
    if (completionHandler_) completionHandler_(activity->activityType(), completed, error);
}
