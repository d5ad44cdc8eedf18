#include "platform/uikit/UIViewControllerPreviewing.h"

#include <algorithm>
#include <optional>

#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "platform/uikit/UIWindow.h"

namespace {

constexpr CGFloat kActionHeight = 57;

// The one peek in progress: the finger that made it and what it shows.
struct Peek {
    std::shared_ptr<UIViewControllerPreviewing> context;
    std::shared_ptr<UIViewController> controller;
    std::shared_ptr<UIView> overlay;
    std::vector<std::shared_ptr<UIView>> actionViews;
    std::vector<UIPreviewAction> actions;
    int finger = -1;  // -1 once lifted with the actions listed
    CGPoint start = CGPointZero;
};

// Set while the peek cancels the views' touches, which come back through the window.
bool cancelling = false;

std::optional<Peek>& current() {
    static std::optional<Peek> peek;
    return peek;
}

void dismiss() {
    if (current() && current()->overlay) current()->overlay->removeFromSuperview();
    current().reset();
}

// The controller's view centred in the window, the margin from the sides, keeping its aspect.
CGRect peekFrame(CGRect window, CGSize content) {
    const CGFloat margin = UIViewControllerPreviewing::kPeekMargin;
    CGFloat width = std::max<CGFloat>(0, window.size.width - 2 * margin);
    CGFloat height = content.width > 0 ? width * content.height / content.width : width;
    const CGFloat maxHeight = std::max<CGFloat>(0, window.size.height - 2 * margin);
    if (height > maxHeight && height > 0) {
        width *= maxHeight / height;
        height = maxHeight;
    }
    return {{(window.size.width - width) / 2, (window.size.height - height) / 2}, {width, height}};
}

bool show(UIWindow& window, const std::shared_ptr<UIViewControllerPreviewing>& context, CGPoint point, int finger) {
    auto source = context->sourceView();
    auto* delegate = context->delegate();
    if (!source || !delegate || source->window() != &window) return false;
    const CGPoint local = source->convertPointFromView(point, &window);
    if (!source->pointInside(local)) return false;
    auto controller = delegate->previewingContext(*context, local);
    if (!controller) return false;

    Peek peek{context, controller};
    peek.finger = finger;
    peek.start = point;
    const CGRect bounds = window.bounds();
    peek.overlay =
        std::make_shared<UIVisualEffectView>(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Light), bounds);
    auto& view = controller->view();
    view->setFrame(peekFrame(bounds, view->bounds().size));
    peek.overlay->addSubview(view);
    peek.actions = controller->previewActionItems();
    current() = std::move(peek);
    window.addSubview(current()->overlay);
    return true;
}

void listActions(UIWindow& window) {
    Peek& peek = *current();
    if (!peek.actionViews.empty() || peek.actions.empty()) return;
    // The peek moves up so the rows fit under it at the bottom of the screen.
    const CGRect bounds = window.bounds();
    const CGFloat rows = kActionHeight * static_cast<CGFloat>(peek.actions.size());
    CGFloat y = bounds.size.height - UIViewControllerPreviewing::kPeekMargin - rows;
    auto& view = peek.controller->view();
    CGRect frame = view->frame();
    frame.origin.y = std::min(frame.origin.y, y - UIViewControllerPreviewing::kPeekMargin - frame.size.height);
    view->setFrame(frame);
    for (const UIPreviewAction& action : peek.actions) {
        auto label = std::make_shared<UILabel>(
            CGRectMake(UIViewControllerPreviewing::kPeekMargin, y,
                       bounds.size.width - 2 * UIViewControllerPreviewing::kPeekMargin, kActionHeight - 1));
        label->setText(action.title);
        label->setTextAlignment(NSTextAlignment::Center);
        label->setBackgroundColor(UIColor::colorWithWhite(1, 0.9));
        label->setTextColor(action.style == UIPreviewActionStyle::Destructive ? UIColor::colorWithRed(1, 0.23, 0.19, 1)
                                                                              : UIColor::colorWithRed(0, 0.48, 1, 1));
        peek.overlay->addSubview(label);
        peek.actionViews.push_back(label);
        y += kActionHeight;
    }
}

}  // namespace

std::vector<std::weak_ptr<UIViewControllerPreviewing>>& UIViewControllerPreviewing::registry() {
    static std::vector<std::weak_ptr<UIViewControllerPreviewing>> contexts;
    return contexts;
}

std::shared_ptr<UIView> UIViewControllerPreviewing::peekView() { return current() ? current()->overlay : nullptr; }

std::vector<std::shared_ptr<UIView>> UIViewControllerPreviewing::actionViews() {
    return current() ? current()->actionViews : std::vector<std::shared_ptr<UIView>>{};
}

bool UIViewControllerPreviewing::handleTouches(UIWindow& window, const std::vector<UITouchReport>& reports,
                                               NSTimeInterval timestamp) {
    if (cancelling) return false;
    auto& contexts = registry();
    std::erase_if(contexts, [](const auto& weak) { return weak.expired(); });
    if (current() && current()->overlay->window() != &window) dismiss();

    if (!current()) {
        if (contexts.empty()) return false;
        // A peek needs one finger pressing firmly.
        if (reports.size() != 1 || window.activeTouchCount() > 1) return false;
        const UITouchReport& report = reports.front();
        if (report.phase != UITouchPhase::Began && report.phase != UITouchPhase::Moved) return false;
        if (report.force < UITouchMaximumPossibleForce * kPeekForceFraction) return false;
        for (auto& weak : std::vector(contexts)) {
            auto context = weak.lock();
            if (!context || !show(window, context, report.location, report.identifier)) continue;
            // The views lose the touch the peek has taken.
            cancelling = true;
            window.cancelAllTouches(timestamp);
            cancelling = false;
            return true;
        }
        return false;
    }

    Peek& peek = *current();
    for (const UITouchReport& report : reports) {
        if (peek.finger < 0) {
            // The actions are listed and the finger has lifted: a tap picks one or dismisses.
            if (report.phase != UITouchPhase::Began) continue;
            std::optional<UIPreviewAction> picked;
            for (std::size_t i = 0; i < peek.actionViews.size(); ++i)
                if (CGRectContainsPoint(peek.actionViews[i]->frame(), report.location)) picked = peek.actions[i];
            auto controller = peek.controller;
            dismiss();
            if (picked && picked->handler) picked->handler(*picked, *controller);
            return true;
        }
        if (report.identifier != peek.finger) continue;
        if (report.phase == UITouchPhase::Ended || report.phase == UITouchPhase::Cancelled) {
            if (peek.actionViews.empty()) dismiss();
            else peek.finger = -1;
            return true;
        }
        if (peek.start.y - report.location.y >= kActionsRise) listActions(window);
        // Once the actions are listed the press picks among them instead of popping.
        if (peek.actionViews.empty() && report.force >= UITouchMaximumPossibleForce * kPopForceFraction) {
            auto context = peek.context;
            auto controller = peek.controller;
            dismiss();
            if (auto* delegate = context->delegate()) delegate->previewingContext(*context, *controller);
            return true;
        }
    }
    return true;
}
