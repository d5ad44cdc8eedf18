#include <algorithm>

#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIView.h"

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    if (!recognizer) return;
    if (auto* owner = recognizer->view(); owner && owner != this) owner->removeGestureRecognizer(recognizer.get());
    if (std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer) != gestureRecognizers_.end())
        return;
    recognizer->view_ = weak_from_this();
    gestureRecognizers_.push_back(recognizer);
    UIGestureRecognizer::installWindowHook();
}

void UIView::removeGestureRecognizer(const UIGestureRecognizer* recognizer) {
    auto found = std::find_if(gestureRecognizers_.begin(), gestureRecognizers_.end(),
                              [&](const auto& r) { return r.get() == recognizer; });
    if (found == gestureRecognizers_.end()) return;
    auto kept = *found;  // alive while it leaves its gesture
    gestureRecognizers_.erase(found);
    kept->setEnabled(false);
    kept->setEnabled(true);
    kept->view_.reset();
}
