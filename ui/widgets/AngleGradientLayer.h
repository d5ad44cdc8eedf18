#pragma once
// A layer that paints a conic gradient: a pixel's colour depends only on its angle about the
// centre, running from the +x direction towards increasing rows once around the circle, so a
// ring drawn with it passes through the colours once.
//
// `colors` stand at `locations` (0-1 around the circle) when there are as many locations as
// colours, else evenly spaced. Below the first location the first colour is painted; with no
// colours nothing is painted. The picture is computed pixel by pixel whenever the layer
// draws (it redraws when its bounds change).
#include <memory>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/quartzcore/CALayer.h"

class AngleGradientLayer : public CALayer {
public:
    AngleGradientLayer();

    // The colours followed by the first again, so that the circle closes on its start.
    static std::shared_ptr<AngleGradientLayer> angleGradientLayer(const std::vector<CGColor>& colors);
    // Red, orange, yellow, green, blue, purple and red again, smoothly.
    static std::shared_ptr<AngleGradientLayer> spectrumGradientLayer();
    // Six flat bands with narrow blends between them.
    static std::shared_ptr<AngleGradientLayer> flatSpectrumGradientLayer();

    const std::vector<CGColor>& colors() const { return colors_; }
    void setColors(std::vector<CGColor> colors) { colors_ = std::move(colors); }
    const std::vector<CGFloat>& locations() const { return locations_; }
    void setLocations(std::vector<CGFloat> locations) { locations_ = std::move(locations); }

    // The background over the clip's bounding box, then the gradient over that box.
    void drawInContext(const CGContextRef& context) override;
    void drawToRect(CGRect rect, const CGContextRef& context) const;
    // The gradient as a bitmap of the rectangle's size in whole pixels (premultiplied alpha
    // last in little-endian words); null when a side is under one pixel or there are no
    // colours.
    CGImageRef newImageGradientInRect(CGRect rect) const;
    // The layer rendered into an image of its bounds' size.
    CGImageRef drawToImage();

private:
    std::vector<CGColor> colors_;
    std::vector<CGFloat> locations_;
};
