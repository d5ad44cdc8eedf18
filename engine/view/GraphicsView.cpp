// The view's layer, device and engine, its frame loop, sizing and application life cycle.
#include "engine/view/GraphicsView.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"
#include "model/DeviceUtility.h"
#include "model/GraphicsTypeController.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

GraphicsView* gSharedInstance = nullptr;

std::shared_ptr<CALayer> MakeGLLayer() { return std::make_shared<platform::CAEAGLLayer>(); }

}  // namespace

UIView::LayerClass GraphicsView::layerClass() { return &MakeGLLayer; }

GraphicsView::GraphicsView(CGRect frame) : UIView(frame, layerClass()) { initialize(); }

GraphicsView::~GraphicsView() {
    stopAnimation();
    // No camera frame may arrive once the engine starts going.
    camera_.reset();
    // The engine's GPU objects go before the device they were made on.
    if (device_) device_->MakeCurrent();
    graphicsController_.reset();
    device_.reset();
    if (gSharedInstance == this) gSharedInstance = nullptr;
    GraphicsTypeController::releaseEngine(this);
}

GraphicsView* GraphicsView::sharedInstance() { return gSharedInstance; }

int32_t GraphicsView::maxTextureSize() {
    return QV::Graphics::CDevice::GetCurrentDevice() ? AmbrelGraphicsController::MaxTextureSize() : 0;
}

AmbrelGraphicsController* GraphicsView::engine() const {
    // Several views may exist (each with its own context): the engine works in its own.
    if (device_) device_->MakeCurrent();
    return graphicsController_.get();
}

platform::CAEAGLLayer& GraphicsView::eaglLayer() const { return static_cast<platform::CAEAGLLayer&>(*layer()); }

void GraphicsView::initialize() {
    device_ = QV::Graphics::CDevice::Create(&eaglLayer(), true, false, false);
    if (device_) {
        device_->MakeCurrent();  // a failure shows in the first frame; nothing to report here
        device_->GetDepthTest()->SetEnabled(false);
        device_->SetClearColor(0, 0, 0, 1);
        device_->Clear(true, false);
    } else {
        std::fprintf(stderr, "GraphicsView: no OpenGL ES 2 context for the view\n");
    }
    animating_ = false;
    displayLink_.reset();
    currentImageSize_ = CGSizeZero;
    animationFrameInterval_ = 1;
    if (device_) {
        try {
            graphicsController_ =
                std::make_unique<AmbrelGraphicsController>(NSBundle::mainBundle().resourcePathHolding("looks"));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "GraphicsView: no engine: %s\n", error.what());
        }
    }
    UIView::setContentScaleFactor(AppConstants::defaultContentScale());
    if (graphicsController_) {
        setViewRectFromBounds(contentScaleFactor());
        // The engine matches these bounds now: a later frame of the same size changes nothing.
        lastBounds_ = bounds();
        // Tile limit of the full-resolution render (the preview is not capped by it).
        engine()->maxTextureSize = DeviceUtility::hasHighMemory() ? 768 : 384;
        engine()->SetRenderProgressBlock([](double) {});
    }
    toggleHDR();
    hdrEnabled_ = true;
    gSharedInstance = this;
}

void GraphicsView::setViewRectFromBounds(CGFloat scale) {
    const CGRect b = bounds();
    const auto s = static_cast<float>(scale);
    engine()->SetViewRect(static_cast<int32_t>(b.origin.x), static_cast<int32_t>(b.origin.y),
                          static_cast<int32_t>(static_cast<float>(b.size.width) * s),
                          static_cast<int32_t>(static_cast<float>(b.size.height) * s));
}

// ---- Frame loop -------------------------------------------------------------------------------

void GraphicsView::startAnimation() {
    if (animating_) return;
    // The link keeps only a weak hold: a view going away stops its own loop.
    std::weak_ptr<UIView> weak = weak_from_this();
    displayLink_ = CADisplayLink::displayLinkWithTarget([this, weak](CADisplayLink&) {
        if (auto keep = weak.lock()) drawView();
    });
    displayLink_->setFrameInterval(static_cast<long>(animationFrameInterval_));
    displayLink_->addToRunLoop(NSRunLoop::currentRunLoop(),
                               useCommonModesRunLoop_ ? NSRunLoopCommonModes : NSDefaultRunLoopMode);
    animating_ = true;
}

void GraphicsView::stopAnimation() {
    if (!animating_) return;
    displayLink_->invalidate();
    displayLink_.reset();
    animating_ = false;
}

void GraphicsView::setAnimationFrameInterval(int64_t interval) {
    if (interval < 1) return;
    animationFrameInterval_ = interval;
    if (animating_) {
        stopAnimation();
        startAnimation();
    }
}

void GraphicsView::setUseCommonModesRunLoop(bool common) {
    useCommonModesRunLoop_ = common;
    if (animating_) {
        stopAnimation();
        startAnimation();
    }
}

void GraphicsView::drawView() {
    if (graphicsController_) engine()->RenderFrame();
}

void GraphicsView::reconstructAndDrawView(int32_t state) {
    useCachedTextureState(state, [this] {
        drawView();
        if (const Block changed = graphicsChanged_) changed();  // may replace itself
    });
}

double GraphicsView::frameRate() const { return graphicsController_ ? engine()->frameRate.GetFrameRate() : 0.0; }

// ---- Sizing -----------------------------------------------------------------------------------

void GraphicsView::layoutSubviews() {
    if (device_ && device_->MakeCurrent()) device_->ValidateOnScreenBuffers();
    layoutSquareOverlay();
}

void GraphicsView::setFrame(CGRect frame) { setFrameWithContentScale(frame, contentScaleFactor()); }

void GraphicsView::setFrameWithContentScale(CGRect frame, CGFloat scale) {
    UIView::setFrame(frame);
    resetContentScaleFactor(scale);
}

void GraphicsView::resetContentScaleFactor(CGFloat scale) {
    // The layer refuses a scale that is not positive; the engine must not get one either
    // (its view rectangle would be a product with NaN or a negative size).
    if (!(scale > 0) || !std::isfinite(scale)) scale = contentScaleFactor();
    if (!lastBounds_) lastBounds_ = CGRectZero;
    const CGRect current = bounds();
    const bool changed =
        current.size.width != lastBounds_->size.width || current.size.height != lastBounds_->size.height;
    if (changed) lastBounds_ = current;
    if (!graphicsController_) return;
    if (!changed && scale == contentScaleFactor()) return;
    UIView::setContentScaleFactor(scale);
    engine()->ResetContentScaleFactor();
    setViewRectFromBounds(scale);
}

// ---- Application events -----------------------------------------------------------------------

void GraphicsView::applicationWillResignActive() {
    if (animating_) {
        wasAnimatingWhenResigningActive_ = true;
        stopAnimation();
    }
    if (device_ && device_->MakeCurrent()) device_->Finish();
}

void GraphicsView::applicationDidEnterBackground() {
    if (graphicsController_) engine()->ApplicationDidEnterBackground();
    if (device_ && device_->MakeCurrent()) device_->Finish();
}

void GraphicsView::applicationDidBecomeActive() {
    if (!wasAnimatingWhenResigningActive_) return;
    wasAnimatingWhenResigningActive_ = false;
    startAnimation();
}

// ---- Touches and camera feed --------------------------------------------------------------------

void GraphicsView::touchesBegan(const UITouchSet& touches, const UIEvent*) {
    if (delegate_) delegate_->graphicsViewTouchesBegan(*this, touches);
}

void GraphicsView::touchesEnded(const UITouchSet& touches, const UIEvent*) {
    if (delegate_) delegate_->graphicsViewTouchesEnded(*this, touches);
}
