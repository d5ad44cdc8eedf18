#pragma once
// A layer that paints an axial gradient over its bounds: `colors` at `locations` (spread
// evenly when there are none or their count differs), along the line from `startPoint` to
// `endPoint` in unit coordinates of the bounds (default top centre to bottom centre), the end
// colours extended beyond the line's ends. No colours: nothing is painted.
//
// The colours are the animatable property "colors" (a list of colours): an animation of it
// shows in the presentation, which is what the layer paints.
#include <vector>

#include "platform/quartzcore/CALayer.h"

class CAGradientLayer : public CALayer {
public:
    static std::shared_ptr<CAGradientLayer> layer() { return std::make_shared<CAGradientLayer>(); }

    std::vector<CGColor> colors() const;
    void setColors(std::vector<CGColor> colors);
    const std::vector<CGFloat>& locations() const { return locations_; }
    void setLocations(std::vector<CGFloat> locations) { locations_ = std::move(locations); }
    CGPoint startPoint() const { return startPoint_; }
    void setStartPoint(CGPoint point) { startPoint_ = point; }
    CGPoint endPoint() const { return endPoint_; }
    void setEndPoint(CGPoint point) { endPoint_ = point; }

    // The colours of some values of the layer (its model or a presentation).
    static std::vector<CGColor> colorsOf(const CALayerProperties& p);

    // Paints the presentation's colours over its bounds.
    void drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const override;

protected:
    std::shared_ptr<CALayer> newPresentationInstance() const override { return std::make_shared<CAGradientLayer>(); }

private:
    std::vector<CGFloat> locations_;
    CGPoint startPoint_{0.5, 0};
    CGPoint endPoint_{0.5, 1};
};
