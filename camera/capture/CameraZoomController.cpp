#include "camera/capture/CameraZoomController.h"

#include <algorithm>
#include <cmath>

#include "engine/view/GraphicsView.h"

CameraZoomController::~CameraZoomController() {
    if (pinch_) view_.removeGestureRecognizer(pinch_.get());
}

void CameraZoomController::enableZoom() {
    resetZoom();
    if (pinch_) return;
    pinch_ = std::make_shared<UIPinchGestureRecognizer>();
    pinch_->addTarget(
        this, [this](UIGestureRecognizer& r) { handlePinchGesture(static_cast<UIPinchGestureRecognizer&>(r)); });
    pinch_->setDelegate(shared_from_this());
    view_.addGestureRecognizer(pinch_);
}

void CameraZoomController::disableZoom() {
    resetZoom();
    if (!pinch_) return;
    view_.removeGestureRecognizer(pinch_.get());
    pinch_ = nullptr;
}

void CameraZoomController::resetZoom() {
    view_.setCameraZoomScale(1.0);
    view_.setZoom(1.0);
}

bool CameraZoomController::shouldBegin(UIGestureRecognizer& recognizer) {
    if (&recognizer == pinch_.get()) pinchStartScale_ = view_.cameraZoomScale();
    return true;
}

void CameraZoomController::handlePinchGesture(UIPinchGestureRecognizer& pinch) {
    const double scale = pinchStartScale_ * pinch.scale();
    if (!std::isfinite(scale)) return;  // a degenerate spread says nothing about the zoom
    const double zoom = std::clamp(scale, 1.0, kMaximumZoom);
    view_.setCameraZoomScale(zoom);
    view_.setZoom(zoom);
}
