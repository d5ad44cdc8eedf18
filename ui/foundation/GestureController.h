#pragma once
// Turns a horizontal pan over a view into a scalar: dragging right across the full width of a
// reference view (the normalisation view) adds 1 to `gestureValue`, dragging left subtracts.
// Positions are normalised to that view (x from its left edge, y from its bottom edge, 0…1)
// and velocities per second (upward positive). Touches on sliders are left to the sliders.
#include <functional>
#include <memory>

#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIView.h"

class GestureController : public UIGestureRecognizerDelegate, public std::enable_shared_from_this<GestureController> {
public:
    using ValueBlock = std::function<void(double value)>;
    using PointBlock = std::function<void(CGPoint position, CGPoint velocity)>;

    ~GestureController() override;

    double gestureValue() const { return gestureValue_; }
    void setGestureValue(double value) { gestureValue_ = value; }
    void setGestureValueChangedBlock(ValueBlock block) { valueChanged_ = std::move(block); }
    void setGestureBeganBlock(PointBlock block) { began_ = std::move(block); }
    void setGestureChangedBlock(PointBlock block) { changed_ = std::move(block); }
    // Also for a cancelled or failed pan.
    void setGestureEndedBlock(PointBlock block) { ended_ = std::move(block); }
    UIView* normalizationView() const { return normalizationView_.get(); }
    const std::shared_ptr<UIPanGestureRecognizer>& panRecognizer() const { return pan_; }
    double initialGestureValue() const { return initialGestureValue_; }
    CGPoint initialPoint() const { return initialPoint_; }
    CGPoint currentPoint() const { return currentPoint_; }
    void setCurrentPoint(CGPoint point) { currentPoint_ = point; }

    // Installs a pan recogniser on the view (once: again on the same view does nothing; on
    // another view the old one is taken off first). The controller must be owned by a
    // shared pointer: the recogniser holds it weakly as its delegate.
    void enableGesturesForView(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& normalizationView);
    void enableGesturesForView(const std::shared_ptr<UIView>& view) { enableGesturesForView(view, view); }
    void disableGestures();
    void handlePanGesture(UIPanGestureRecognizer& pan);

    bool shouldReceiveTouch(UIGestureRecognizer& recognizer, const UITouch& touch) override;
    bool shouldBegin(UIGestureRecognizer&) override { return true; }
    // Alongside anything but another pan or a pinch.
    bool shouldRecognizeSimultaneously(UIGestureRecognizer& recognizer, UIGestureRecognizer& other) override;

private:
    double gestureValue_ = 0, initialGestureValue_ = 0;
    ValueBlock valueChanged_;
    PointBlock began_, changed_, ended_;
    std::shared_ptr<UIView> normalizationView_;
    std::shared_ptr<UIPanGestureRecognizer> pan_;
    CGPoint initialPoint_{}, currentPoint_{};
};
