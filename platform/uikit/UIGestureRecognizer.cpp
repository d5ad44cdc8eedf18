#include "platform/uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <map>

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

namespace {

using State = UIGestureRecognizerState;

bool isRunning(State state) { return state == State::Began || state == State::Changed; }
bool isFinished(State state) { return state == State::Ended || state == State::Cancelled || state == State::Failed; }

const std::string kStepKey = "gestureStep";

}  // namespace

// The recognisers taking part in the touches now down (and those still deciding after the
// last lift, such as a tap waiting for a second one), and which touch each one sees.
struct GestureArena {
    std::vector<std::shared_ptr<UIGestureRecognizer>> members;
    std::map<const UITouch*, std::vector<std::shared_ptr<UIGestureRecognizer>>> byTouch;

    static GestureArena& shared() {
        static GestureArena arena;
        return arena;
    }
    bool contains(const UIGestureRecognizer& r) const {
        return std::any_of(members.begin(), members.end(), [&](const auto& m) { return m.get() == &r; });
    }
    void join(const std::shared_ptr<UIGestureRecognizer>& r) {
        if (!contains(*r)) members.push_back(r);
    }
    void leave(const UIGestureRecognizer& r) {
        std::erase_if(members, [&](const auto& m) { return m.get() == &r; });
    }

    void collect(UITouch& touch) {
        auto hit = touch.view.lock();
        if (!hit) return;
        for (UIView* view = hit.get(); view; view = view->superview()) {
            for (const auto& r : std::vector(view->gestureRecognizers())) {
                if (!r->isEnabled() || isFinished(r->state()) || r->pending_) continue;
                if (!r->wantsTouchOn(*hit)) continue;
                if (auto d = r->delegate(); d && !d->shouldReceiveTouch(*r, touch)) continue;
                byTouch[&touch].push_back(r);
                r->touches_.push_back(&touch);
                join(r);
            }
        }
    }

    // Answers whether the views get the touches.
    bool offer(UITouchPhase phase, const UITouchSet& changed, const UIEvent& event) {
        if (phase == UITouchPhase::Began)
            for (UITouch* touch : changed) collect(*touch);
        for (const auto& r : std::vector(members)) {
            UITouchSet mine;
            for (UITouch* touch : changed)
                if (std::find(r->touches_.begin(), r->touches_.end(), touch) != r->touches_.end())
                    mine.push_back(touch);
            if (mine.empty() || isFinished(r->state()) || r->pending_ || !r->isEnabled()) continue;
            switch (phase) {
            case UITouchPhase::Began: r->touchesBegan(mine, event); break;
            case UITouchPhase::Moved:
            case UITouchPhase::Stationary: r->touchesMoved(mine, event); break;
            case UITouchPhase::Ended: r->touchesEnded(mine, event); break;
            case UITouchPhase::Cancelled: r->touchesCancelled(mine, event); break;
            }
        }
        bool toViews = true;
        for (UITouch* touch : changed) {
            auto found = byTouch.find(touch);
            if (found == byTouch.end()) continue;
            for (const auto& r : found->second) {
                if (r->cancelsTouchesInView() && (isRunning(r->state()) || r->state() == State::Ended)) toViews = false;
                r->lastWindowLocation_ = r->locationInView(nullptr);
            }
        }
        if (phase == UITouchPhase::Ended || phase == UITouchPhase::Cancelled) {
            for (UITouch* touch : changed) {
                auto found = byTouch.find(touch);
                if (found == byTouch.end()) continue;
                for (const auto& r : found->second) std::erase(r->touches_, touch);
                byTouch.erase(found);
            }
        }
        for (const auto& r : std::vector(members)) r->finishIfIdle();
        return toViews;
    }
};

UIGestureRecognizer::~UIGestureRecognizer() { cancelStep(); }

void UIGestureRecognizer::installWindowHook() {
    UIWindow::setGestureHook([](UITouchPhase phase, const UITouchSet& changed, const UIEvent& event) {
        return GestureArena::shared().offer(phase, changed, event);
    });
}

// ---- Targets ---------------------------------------------------------------------------------

void UIGestureRecognizer::addTarget(const void* target, Action action) {
    if (action) targets_.emplace_back(target, std::move(action));
}

void UIGestureRecognizer::removeTarget(const void* target) {
    std::erase_if(targets_, [&](const auto& t) { return t.first == target; });
}

void UIGestureRecognizer::sendActions() {
    auto self = shared_from_this();
    for (const auto& [target, action] : std::vector(targets_)) action(*this);
}

// ---- State -----------------------------------------------------------------------------------

void UIGestureRecognizer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    if (!enabled) {
        if (isRunning(state_)) setState(State::Cancelled);
        else if (state_ == State::Possible && GestureArena::shared().contains(*this)) setState(State::Failed);
    }
    enabled_ = enabled;
}

void UIGestureRecognizer::requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other) {
    if (other && other.get() != this) required_.push_back(other);
}

bool UIGestureRecognizer::isWaitingFor(const UIGestureRecognizer& other) const {
    return std::any_of(required_.begin(), required_.end(), [&](const auto& w) { return w.lock().get() == &other; });
}

bool UIGestureRecognizer::runsWith(UIGestureRecognizer& other) {
    auto mine = delegate();
    auto theirs = other.delegate();
    return (mine && mine->shouldRecognizeSimultaneously(*this, other)) ||
           (theirs && theirs->shouldRecognizeSimultaneously(other, *this));
}

void UIGestureRecognizer::setState(State state) {
    auto self = shared_from_this();  // a target may drop the view that holds it
    auto& arena = GestureArena::shared();
    if (state_ == State::Possible && (state == State::Began || state == State::Ended)) {
        if (!enabled_) return;
        if (auto d = delegate(); d && !d->shouldBegin(*this)) return setState(State::Failed);
        for (const auto& weak : required_) {
            auto other = weak.lock();
            if (!other || !arena.contains(*other)) continue;
            if (other->state_ == State::Possible) {
                pending_ = state;
                return;
            }
            if (!isFinished(other->state_) || other->state_ == State::Ended) return setState(State::Failed);
        }
        for (const auto& other : std::vector(arena.members))
            if (other.get() != this && isRunning(other->state_) && !runsWith(*other)) return setState(State::Failed);
        pending_.reset();
        state_ = state;
        for (const auto& other : std::vector(arena.members))
            if (other.get() != this && other->state_ == State::Possible &&
                (!runsWith(*other) || other->isWaitingFor(*this)))
                other->setState(State::Failed);
        sendActions();
        finishIfIdle();
        return;
    }
    if (state == State::Failed) {
        if (state_ != State::Possible) return;
        state_ = State::Failed;
        pending_.reset();
        cancelStep();
        for (const auto& other : std::vector(arena.members)) {
            if (other.get() == this || !other->pending_ || !other->isWaitingFor(*this)) continue;
            const State wanted = *other->pending_;
            other->pending_.reset();
            other->setState(wanted);
        }
        finishIfIdle();
        return;
    }
    if (!isRunning(state_) || (state != State::Changed && state != State::Ended && state != State::Cancelled)) return;
    state_ = state;
    sendActions();
    finishIfIdle();
}

void UIGestureRecognizer::touchesCancelled(const UITouchSet&, const UIEvent&) {
    setState(isRunning(state_) ? State::Cancelled : State::Failed);
}

void UIGestureRecognizer::finishIfIdle() {
    if (!touches_.empty()) return;
    auto& arena = GestureArena::shared();
    if (isFinished(state_)) {
        reset();
    } else if (state_ == State::Possible && !pending_ && !stepScheduled_ && arena.contains(*this)) {
        // Nothing left to decide on: the gesture did not happen.
        setState(State::Failed);
    }
}

void UIGestureRecognizer::reset() {
    state_ = State::Possible;
    pending_.reset();
    cancelStep();
    GestureArena::shared().leave(*this);
}

void UIGestureRecognizer::scheduleStep(NSTimeInterval delay, std::function<void()> step) {
    cancelStep();
    stepScheduled_ = true;
    std::weak_ptr<UIGestureRecognizer> weak = weak_from_this();
    NSRunLoop::mainRunLoop().performAfterDelay(
        this, kStepKey, delay,
        [weak, step = std::move(step)] {
            auto self = weak.lock();
            if (!self) return;
            self->stepScheduled_ = false;
            step();
            self->finishIfIdle();
        },
        NSRunLoopCommonModes);
}

void UIGestureRecognizer::cancelStep() {
    if (!stepScheduled_) return;
    stepScheduled_ = false;
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, kStepKey);
}

// ---- Where -----------------------------------------------------------------------------------

CGPoint UIGestureRecognizer::windowPointInView(CGPoint point, const UIView* view) {
    UITouch at;
    at.windowLocation = point;
    return at.locationInView(view);
}

std::size_t UIGestureRecognizer::liveTouchCount() const {
    return std::count_if(touches_.begin(), touches_.end(), [](const UITouch* t) {
        return t->phase != UITouchPhase::Ended && t->phase != UITouchPhase::Cancelled;
    });
}

bool UIGestureRecognizer::liveTouchPair(CGPoint& first, CGPoint& second) const {
    std::vector<CGPoint> down;
    for (const UITouch* touch : touches_)
        if (touch->phase != UITouchPhase::Ended && touch->phase != UITouchPhase::Cancelled)
            down.push_back(touch->windowLocation);
    if (down.size() < 2) return false;
    first = down[0];
    second = down[1];
    return true;
}

CGPoint UIGestureRecognizer::liveCentroid() const {
    CGPoint sum{0, 0};
    std::size_t count = 0;
    for (const UITouch* touch : touches_) {
        if (touch->phase == UITouchPhase::Ended || touch->phase == UITouchPhase::Cancelled) continue;
        sum.x += touch->windowLocation.x;
        sum.y += touch->windowLocation.y;
        ++count;
    }
    return count ? CGPoint{sum.x / count, sum.y / count} : lastWindowLocation_;
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const {
    if (touches_.empty()) return windowPointInView(lastWindowLocation_, view);
    CGPoint sum{0, 0};
    for (const UITouch* touch : touches_) {
        const CGPoint p = touch->locationInView(view);
        sum.x += p.x;
        sum.y += p.y;
    }
    return {sum.x / touches_.size(), sum.y / touches_.size()};
}

CGPoint UIGestureRecognizer::locationOfTouch(std::size_t index, const UIView* view) const {
    return index < touches_.size() ? touches_[index]->locationInView(view) : locationInView(view);
}
