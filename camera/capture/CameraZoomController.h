#pragma once
// Pinch to zoom the camera preview: each pinch starts from the zoom it found and scales it by
// the fingers' spread, held within 1 … 5; the view's zoom is what stills are cropped by.
// Switched on while the back camera runs. Main thread only.
#include <memory>

#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIPinchGestureRecognizer.h"

class GraphicsView;

class CameraZoomController : public UIGestureRecognizerDelegate,
                             public std::enable_shared_from_this<CameraZoomController> {
public:
    static constexpr double kMaximumZoom = 5.0;

    explicit CameraZoomController(GraphicsView& view) : view_(view) {}
    ~CameraZoomController() override;

    // Both reset the zoom to 1 first.
    void enableZoom();
    void disableZoom();
    void resetZoom();
    const std::shared_ptr<UIPinchGestureRecognizer>& pinchRecognizer() const { return pinch_; }

    bool shouldBegin(UIGestureRecognizer& recognizer) override;

private:
    void handlePinchGesture(UIPinchGestureRecognizer& pinch);

    GraphicsView& view_;
    std::shared_ptr<UIPinchGestureRecognizer> pinch_;
    double pinchStartScale_ = 1.0;
};
