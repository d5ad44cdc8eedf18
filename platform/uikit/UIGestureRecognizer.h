#pragma once
// Gesture recognisers: objects attached to a view that turn its touches (and those of the
// views below it) into taps, presses, pans, swipes, pinches and rotations.
//
// Every touch is offered, before its view sees it, to the recognisers of the hit view and its
// ancestors, innermost first (UIWindow's gesture hook). Each recogniser runs its own state
// machine from `Possible`: a discrete gesture (tap, swipe) goes straight to `Ended` (the
// recognised state); a continuous one (long press, pan, pinch, rotation) goes `Began`,
// `Changed`…, then `Ended` or `Cancelled`; any may go to `Failed`. Targets hear every state
// but `Possible` and `Failed`. Once every touch it saw has lifted, a finished recogniser
// resets to `Possible`.
//
// Between recognisers of one touch sequence:
// - one that begins (or recognises) makes the others fail, unless its delegate or theirs lets
//   both run at once; one that would begin while another already runs fails instead;
// - one that requires another to fail waits in `Possible` until that one fails (then it goes
//   on) or recognises (then it fails);
// - a recogniser on an ancestor of a control never sees the touch when it is a single tap: the
//   control keeps its tap;
// - while a recogniser with `cancelsTouchesInView` (the default) has recognised, its touches
//   are withheld from their view, which hears them cancelled.
//
// Thresholds, stated once here and relied on by the tests: a tap moves under 10 points, and a
// further tap must come down within 0.35 s of the last lift; a long press begins after its
// minimum duration (0.5 s unless set) unless it first moves 10 points; a pan begins after 10
// points of travel and takes its velocity over the last 0.1 s; a swipe covers 50 points along
// its direction, under half that across, within 0.5 s. Main thread only; timed steps run on
// the main run loop's clock.
//
// Classes: UIGestureRecognizer (this file and UIGestureRecognizer.cpp, which also holds the
// window's gesture hook), UITapGestureRecognizer, UILongPressGestureRecognizer,
// UIPanGestureRecognizer, UISwipeGestureRecognizer, UIPinchGestureRecognizer,
// UIRotationGestureRecognizer (each in the file of its name).
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/uikit/UITouch.h"

class UIGestureRecognizer;

enum class UIGestureRecognizerState { Possible = 0, Began = 1, Changed = 2, Ended = 3, Cancelled = 4, Failed = 5 };
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateRecognized = UIGestureRecognizerState::Ended;

class UIGestureRecognizerDelegate {
public:
    virtual ~UIGestureRecognizerDelegate() = default;
    // Whether the recogniser may leave `Possible` for `Began` or `Ended`; NO fails it.
    virtual bool shouldBegin(UIGestureRecognizer& recognizer) { return true; }
    // Whether the recogniser sees a touch at all (asked when the touch begins).
    virtual bool shouldReceiveTouch(UIGestureRecognizer& recognizer, const UITouch& touch) { return true; }
    // Whether the two may run at the same time (asked of both recognisers' delegates).
    virtual bool shouldRecognizeSimultaneously(UIGestureRecognizer& recognizer, UIGestureRecognizer& other) {
        return false;
    }
};

class UIGestureRecognizer : public std::enable_shared_from_this<UIGestureRecognizer> {
public:
    using Action = std::function<void(UIGestureRecognizer&)>;

    UIGestureRecognizer() = default;
    virtual ~UIGestureRecognizer();
    UIGestureRecognizer(const UIGestureRecognizer&) = delete;
    UIGestureRecognizer& operator=(const UIGestureRecognizer&) = delete;

    // ---- Targets -------------------------------------------------------------------------
    // The target is an identity for removal only; it is never dereferenced.
    void addTarget(const void* target, Action action);
    void removeTarget(const void* target);

    // ---- State ---------------------------------------------------------------------------
    UIGestureRecognizerState state() const { return state_; }
    // Disabling a running recogniser cancels it (fails it while still possible).
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // The view the recogniser is attached to (UIView::addGestureRecognizer), or null.
    UIView* view() const { return view_.lock().get(); }
    // Held weakly, as delegates are.
    std::shared_ptr<UIGestureRecognizerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<UIGestureRecognizerDelegate>& delegate) { delegate_ = delegate; }
    bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
    void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
    // This recogniser waits for `other` to fail before it recognises.
    void requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other);

    // ---- Where -----------------------------------------------------------------------------
    // The centre of the touches down (the last ones once all lifted), in the view's space.
    CGPoint locationInView(const UIView* view) const;
    std::size_t numberOfTouches() const { return touches_.size(); }
    CGPoint locationOfTouch(std::size_t index, const UIView* view) const;

    // ---- For subclasses and the window's hook ----------------------------------------------
    virtual void touchesBegan(const UITouchSet& touches, const UIEvent& event) {}
    virtual void touchesMoved(const UITouchSet& touches, const UIEvent& event) {}
    virtual void touchesEnded(const UITouchSet& touches, const UIEvent& event) {}
    virtual void touchesCancelled(const UITouchSet& touches, const UIEvent& event);
    // Back to `Possible`, forgetting the last gesture (subclasses call the base).
    virtual void reset();
    // Whether the recogniser wants a touch that begins on `hit` (below or at its view).
    virtual bool wantsTouchOn(const UIView& hit) const { return true; }
    // Moves the state machine, with the rules between recognisers above.
    void setState(UIGestureRecognizerState state);

    // Installs the window's gesture hook (done when a view takes its first recogniser).
    static void installWindowHook();

protected:
    const std::vector<UITouch*>& touches() const { return touches_; }
    // The centre of the touches still down (neither ended nor cancelled), in window points;
    // the last location when none is.
    CGPoint liveCentroid() const;
    std::size_t liveTouchCount() const;
    // The first two touches still down, in window points; false with fewer.
    bool liveTouchPair(CGPoint& first, CGPoint& second) const;
    // A window point in the view's space (the window's for null).
    static CGPoint windowPointInView(CGPoint point, const UIView* view);
    // A step `delay` seconds from now on the main run loop; another call replaces it, and a
    // reset drops it.
    void scheduleStep(NSTimeInterval delay, std::function<void()> step);
    void cancelStep();

private:
    friend class UIView;
    friend struct GestureArena;
    bool runsWith(UIGestureRecognizer& other);
    bool isWaitingFor(const UIGestureRecognizer& other) const;
    void sendActions();
    void finishIfIdle();

    UIGestureRecognizerState state_ = UIGestureRecognizerState::Possible;
    bool enabled_ = true;
    bool cancelsTouchesInView_ = true;
    std::weak_ptr<UIView> view_;
    std::weak_ptr<UIGestureRecognizerDelegate> delegate_;
    std::vector<std::pair<const void*, Action>> targets_;
    std::vector<std::weak_ptr<UIGestureRecognizer>> required_;
    std::vector<UITouch*> touches_;
    CGPoint lastWindowLocation_{};
    // The state it reached while waiting for others to fail, applied once they have.
    std::optional<UIGestureRecognizerState> pending_;
    bool stepScheduled_ = false;
};
