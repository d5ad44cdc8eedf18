#pragma once
// The drawing of the progress ring: a track disc, the progress wedge (one colour or a conic
// gradient), optional round caps at the wedge's ends, then a punched-out centre so that only
// a ring of the view's relative thickness remains. `progress` is a drawn, animatable
// property: every frame of its animation redraws the ring.
//
// The settings are read from `view` (not owned): the progress view the render view sits in.
#include <memory>

#include "platform/coregraphics/CGImage.h"
#include "platform/quartzcore/CALayer.h"

class CircularProgressView;

class CircularProgressLayer : public CALayer {
public:
    CircularProgressLayer();

    CircularProgressView* view() const { return view_; }
    void setView(CircularProgressView* view) { view_ = view; }
    // The model value (the presentation of an animated layer answers its own).
    CGFloat progress() const;
    void setProgress(CGFloat progress);
    // The conic gradient picture, made at the first gradient drawing and kept from then on
    // (shared with the presentation copies, so a copy's drawing fills the model's cache).
    const CGImageRef& gradientImage() const { return *gradientImage_; }

    bool needsDisplayForKey(const std::string& key) const override { return key == "progress"; }
    void drawInContext(const CGContextRef& context) override;

    // The largest fraction drawn: a full ring never quite closes.
    static constexpr double kMaximumDrawnProgress = static_cast<double>(0.9999999f);

protected:
    std::shared_ptr<CALayer> newPresentationInstance() const override;

private:
    CircularProgressView* view_ = nullptr;
    std::shared_ptr<CGImageRef> gradientImage_ = std::make_shared<CGImageRef>();
};
