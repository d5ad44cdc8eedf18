#pragma once
// The slide view's ring: a disc of the view's very large circle, with the part up to the
// value filled when the view shows it, and the centre punched out so that a ring of the
// view's thickness remains; painted in colours or the view's gradient. Everything but its own
// `value` is read from `view` (not owned).
#include "platform/quartzcore/CALayer.h"

class SlideView;

class SlideLayer : public CALayer {
public:
    SlideLayer();

    SlideView* view() const { return view_; }
    void setView(SlideView* view) { view_ = view; }
    // The last value the view pushed, clamped to 0…1; every change redraws.
    double value() const;
    void setValue(double value);

    bool needsDisplayForKey(const std::string& key) const override { return key == "value"; }
    void drawInContext(const CGContextRef& context) override;
    // The view's gradient from the view's left edge to its right edge (in the rotated frame
    // of the drawing).
    void drawGradientInContext(const CGContextRef& context) const;

protected:
    std::shared_ptr<CALayer> newPresentationInstance() const override;

private:
    SlideView* view_ = nullptr;
};
