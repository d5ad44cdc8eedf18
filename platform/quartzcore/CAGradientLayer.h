#pragma once
// A layer that paints an axial gradient over its bounds: `colors` at `locations` (spread
// evenly when there are none or their count differs), along the line from `startPoint` to
// `endPoint` in unit coordinates of the bounds (default top centre to bottom centre), the end
// colours extended beyond the line's ends. No colours: nothing is painted.
#include <vector>

#include "platform/quartzcore/CALayer.h"

class CAGradientLayer : public CALayer {
public:
    static std::shared_ptr<CAGradientLayer> layer() { return std::make_shared<CAGradientLayer>(); }

    // Kept in the layer's table of further properties under "colors", so that animations of
    // that key path change what the presentation paints.
    std::vector<CGColor> colors() const { return colorsOf(model()); }
    void setColors(std::vector<CGColor> colors) { setValueForKeyPath("colors", std::move(colors)); }
    const std::vector<CGFloat>& locations() const { return locations_; }
    void setLocations(std::vector<CGFloat> locations) { locations_ = std::move(locations); }
    CGPoint startPoint() const { return startPoint_; }
    void setStartPoint(CGPoint point) { startPoint_ = point; }
    CGPoint endPoint() const { return endPoint_; }
    void setEndPoint(CGPoint point) { endPoint_ = point; }

    // Paints `colors` as the gradient of the layer at its bounds.
    void drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const override;
    // The same for any colours: what an animation of the colours shows at one moment.
    void drawGradient(const CGContextRef& context, const CALayerProperties& p, const std::vector<CGColor>& colors) const;

private:
    static std::vector<CGColor> colorsOf(const CALayerProperties& p);
    std::vector<CGFloat> locations_;
    CGPoint startPoint_{0.5, 0};
    CGPoint endPoint_{0.5, 1};
};
