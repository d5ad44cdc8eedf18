#pragma once
// The layer an OpenGL ES context draws to the screen through. There is no screen here: the
// layer keeps the pixels last presented into it, where tests, the window and screenshots read
// them. Geometry is in points; the drawable has bounds x contents scale pixels.
//
// It is a Quartz Core layer like any other (bounds, contents scale and opacity are the
// layer's), so that a view can be backed by it; make it with std::make_shared when a view or
// layer tree is to hold it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/quartzcore/CALayer.h"

namespace platform {

inline const std::string kEAGLColorFormatRGBA8 = "EAGLColorFormatRGBA8";
inline const std::string kEAGLColorFormatRGB565 = "EAGLColorFormatRGB565";

struct EAGLDrawableProperties {
    bool retainedBacking = false;                     // kEAGLDrawablePropertyRetainedBacking
    std::string colorFormat = kEAGLColorFormatRGBA8;  // kEAGLDrawablePropertyColorFormat
};

// What the last presentRenderbuffer delivered: RGBA, 8 bits a channel, rows top first
// (as the screen shows them), width x 4 bytes a row.
struct CAEAGLLayerContents {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    uint64_t presentCount = 0;  // how many presents the layer has received
};

// Shared with the contexts whose renderbuffers draw into the layer, so that a context outliving
// its layer sees that the layer is gone.
struct CAEAGLLayerBacking {
    CAEAGLLayerContents contents;
    std::function<void(const CAEAGLLayerContents&)> presentHandler;
    // The rows as GL reads them (bottom up), kept between presents so that a frame does not
    // fault in fresh pages.
    std::vector<uint8_t> readRows;
};

class CAEAGLLayer : public ::CALayer {
public:
    CAEAGLLayer();
    explicit CAEAGLLayer(CGRect bounds, CGFloat contentsScale = 1.0);

    const EAGLDrawableProperties& drawableProperties() const { return drawableProperties_; }
    void setDrawableProperties(const EAGLDrawableProperties& p) { drawableProperties_ = p; }

    // Size of the drawable in pixels: bounds times contents scale, rounded.
    int32_t pixelWidth() const;
    int32_t pixelHeight() const;

    // The pixels last presented (empty before the first present).
    const CAEAGLLayerContents& presentedContents() const { return backing_->contents; }
    // Called after each present with the new contents (the window's repaint hook).
    void setPresentHandler(std::function<void(const CAEAGLLayerContents&)> handler) {
        backing_->presentHandler = std::move(handler);
    }

    const std::shared_ptr<CAEAGLLayerBacking>& backing() const { return backing_; }

    // Shows the pixels last presented over the bounds, as the screen would (nothing before
    // the first present).
    void drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const override;

private:
    // The presented pixels as an image, made again only after a new present.
    mutable CGImageRef shown_;
    mutable uint64_t shownCount_ = 0;
    EAGLDrawableProperties drawableProperties_;
    std::shared_ptr<CAEAGLLayerBacking> backing_;
};

}  // namespace platform
