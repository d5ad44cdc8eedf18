#include "platform/opengles/CAEAGLLayer.h"

#include <cmath>

namespace platform {

CAEAGLLayer::CAEAGLLayer() : backing_(std::make_shared<CAEAGLLayerBacking>()) {}

CAEAGLLayer::CAEAGLLayer(CGRect bounds, CGFloat contentsScale)
    : backing_(std::make_shared<CAEAGLLayerBacking>()) {
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

}  // namespace platform
