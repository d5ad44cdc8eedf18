#include "platform/opengles/CAEAGLLayer.h"

#include <cmath>

#include "platform/quartzcore/CACompositor.h"

namespace platform {

CAEAGLLayer::CAEAGLLayer() : backing_(std::make_shared<CAEAGLLayerBacking>()) {}

CAEAGLLayer::CAEAGLLayer(CGRect bounds, CGFloat contentsScale) : backing_(std::make_shared<CAEAGLLayerBacking>()) {
    setBounds(bounds);
    setContentsScale(contentsScale);
}

static int32_t PixelExtent(CGFloat points, CGFloat scale) {
    double v = std::round(std::fabs(points) * scale);
    if (!(v >= 0)) return 0;
    return v > 65536.0 ? 65536 : static_cast<int32_t>(v);
}

int32_t CAEAGLLayer::pixelWidth() const { return PixelExtent(bounds().size.width, contentsScale()); }
int32_t CAEAGLLayer::pixelHeight() const { return PixelExtent(bounds().size.height, contentsScale()); }

void CAEAGLLayer::drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const {
    const CAEAGLLayerContents& presented = backing_->contents;
    if (presented.presentCount == 0 || presented.width <= 0 || presented.height <= 0) return;
    if (!shown_ || shownCount_ != presented.presentCount) {
        // GL hands over premultiplied colour, as the engine's blending makes it.
        shown_ = CGImageCreate(static_cast<std::size_t>(presented.width), static_cast<std::size_t>(presented.height), 8,
                               32, static_cast<std::size_t>(presented.width) * 4, CGColorSpaceCreateDeviceRGB(),
                               kCGImageAlphaPremultipliedLast, presented.pixels);
        shownCount_ = presented.presentCount;
    }
    if (shown_) CACompositor::drawImage(context, shown_, p.bounds);
}

}  // namespace platform
