#include "platform/uikit/UIWindow.h"

#include <algorithm>

#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewControllerPreviewing.h"

namespace {

UIWindow*& key() {
    static UIWindow* window = nullptr;
    return window;
}

UIWindow::GestureHook& gestureHook() {
    static UIWindow::GestureHook hook;
    return hook;
}

using Deliver = void (UIResponder::*)(const UITouchSet&, const UIEvent*);

Deliver methodFor(UITouchPhase phase) {
    switch (phase) {
    case UITouchPhase::Began: return &UIResponder::touchesBegan;
    case UITouchPhase::Moved:
    case UITouchPhase::Stationary: return &UIResponder::touchesMoved;
    case UITouchPhase::Ended: return &UIResponder::touchesEnded;
    case UITouchPhase::Cancelled: break;
    }
    return &UIResponder::touchesCancelled;
}

}  // namespace

UIWindow::UIWindow(CGRect frame) : UIView(frame) {}

UIWindow::~UIWindow() {
    if (key() == this) key() = nullptr;
}

void UIWindow::makeKeyAndVisible() {
    makeKeyWindow();
    setHidden(false);
}

void UIWindow::makeKeyWindow() { key() = this; }

UIWindow* UIWindow::keyWindow() { return key(); }

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller) {
    if (controller == rootViewController_) return;
    auto old = std::move(rootViewController_);
    rootViewController_ = std::move(controller);
    if (old && old->isViewLoaded()) {
        old->beginAppearanceTransition(false, false);
        old->view()->removeFromSuperview();
        old->endAppearanceTransition();
    }
    if (!rootViewController_) return;
    const auto& view = rootViewController_->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    rootViewController_->beginAppearanceTransition(true, false);
    insertSubview(view, 0);
    rootViewController_->endAppearanceTransition();
}

void UIWindow::setGestureHook(GestureHook hook) { gestureHook() = std::move(hook); }

// ---- Touches -------------------------------------------------------------------------------

void UIWindow::sendTouches(const std::vector<UITouchReport>& reports, NSTimeInterval timestamp) {
    auto self = shared_from_this();  // a handler may drop the last other hold on the window
    // Touches meet the tree as the screen shows it: laid out, as at the end of the last turn.
    layoutIfNeeded();
    if (UIViewControllerPreviewing::handleTouches(*this, reports, timestamp)) return;
    // Changes of one event are delivered phase by phase, as one event carries one phase per touch.
    for (UITouchPhase phase : {UITouchPhase::Began, UITouchPhase::Moved, UITouchPhase::Stationary, UITouchPhase::Ended,
                               UITouchPhase::Cancelled}) {
        std::vector<Active*> changed;
        for (const UITouchReport& report : reports) {
            if (report.phase != phase) continue;
            auto found = touches_.find(report.identifier);
            if (phase == UITouchPhase::Began) {
                if (found != touches_.end()) continue;  // a finger cannot go down twice
                UIView* hit = hitTest(report.location);
                if (!hit) continue;
                if (UIApplication::sharedApplication().isIgnoringInteractionEvents() &&
                    !UIAlertPresentation::isSystemAlertView(hit))
                    continue;
                const bool busy = std::any_of(touches_.begin(), touches_.end(), [&](const auto& entry) {
                    return entry.second.touch->view.lock().get() == hit;
                });
                if (busy && !hit->isMultipleTouchEnabled()) continue;
                const bool exclusiveElsewhere = std::any_of(touches_.begin(), touches_.end(), [&](const auto& entry) {
                    auto held = entry.second.touch->view.lock();
                    return held && held.get() != hit && (held->isExclusiveTouch() || hit->isExclusiveTouch());
                });
                if (exclusiveElsewhere) continue;
                auto touch = std::make_shared<UITouch>();
                touch->view = hit->weak_from_this();
                touch->windowLocation = touch->previousWindowLocation = report.location;
                found = touches_.emplace(report.identifier, Active{std::move(touch)}).first;
            } else if (found == touches_.end()) {
                continue;
            }
            UITouch& touch = *found->second.touch;
            touch.phase = phase;
            touch.timestamp = timestamp;
            touch.tapCount = std::max(report.tapCount, 1);
            touch.force = report.force;
            touch.previousWindowLocation = phase == UITouchPhase::Began ? report.location : touch.windowLocation;
            touch.windowLocation = report.location;
            changed.push_back(&found->second);
        }
        if (!changed.empty()) deliver(phase, changed, timestamp);
    }
}

void UIWindow::cancelAllTouches(NSTimeInterval timestamp) {
    std::vector<UITouchReport> reports;
    for (const auto& [id, active] : touches_)
        reports.push_back({id, UITouchPhase::Cancelled, active.touch->windowLocation, active.touch->force, 1});
    sendTouches(reports, timestamp);
}

void UIWindow::deliver(UITouchPhase phase, const std::vector<Active*>& changed, NSTimeInterval timestamp) {
    // The touches stay alive through the delivery although the ended ones leave the table.
    std::vector<std::shared_ptr<UITouch>> hold;
    UIEvent event;
    event.timestamp = timestamp;
    for (auto& [id, active] : touches_) {
        hold.push_back(active.touch);
        event.allTouches.push_back(active.touch.get());
    }
    UITouchSet changedTouches;
    for (Active* active : changed) changedTouches.push_back(active->touch.get());

    const bool toViews = !gestureHook() || gestureHook()(phase, changedTouches, event);
    // Group the touches each view gets, in the order the views were first touched.
    std::vector<std::pair<std::shared_ptr<UIView>, UITouchSet>> groups;
    std::vector<std::pair<std::shared_ptr<UIView>, UITouchSet>> cancels;
    for (Active* active : changed) {
        auto view = active->touch->view.lock();
        if (!view || active->withheld) continue;
        auto& target = toViews ? groups : cancels;
        if (!toViews) {
            active->withheld = true;
            if (phase == UITouchPhase::Began) continue;  // the view never saw it: nothing to cancel
        }
        auto group = std::find_if(target.begin(), target.end(), [&](const auto& g) { return g.first == view; });
        if (group == target.end()) group = target.insert(target.end(), {view, {}});
        group->second.push_back(active->touch.get());
    }
    // Ended touches leave the table before the views hear of them, so a handler sees the state after.
    if (phase == UITouchPhase::Ended || phase == UITouchPhase::Cancelled)
        std::erase_if(touches_, [](const auto& entry) {
            return entry.second.touch->phase == UITouchPhase::Ended ||
                   entry.second.touch->phase == UITouchPhase::Cancelled;
        });
    const Deliver method = methodFor(phase);
    for (auto& [view, touches] : groups) ((*view).*method)(touches, &event);
    for (auto& [view, touches] : cancels) view->touchesCancelled(touches, &event);
}

// ---- Picture -------------------------------------------------------------------------------

CGImageRef UIWindow::compose() {
    return CACompositor::compose(*layer(), bounds().size, UIScreen::mainScreen().scale());
}
