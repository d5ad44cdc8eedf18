// The camera view's movie player: its frames go to the view as movie frames, its sound target
// is the view's audio entry.
#include "camera/movie/VideoAssetController.h"
#include "engine/view/GraphicsView.h"

VideoAssetController& GraphicsView::videoAssetController() {
    if (!videoAssetController_) {
        auto controller = std::make_shared<VideoAssetController>();
        VideoAssetController* player = controller.get();
        controller->setTarget([this, player](const platform::CMSampleBufferRef& sampleBuffer) {
            setImageForAsset(CameraSampleBuffer::of(sampleBuffer), player->active(),
                             static_cast<int64_t>(player->imageOrientation()));
        });
        controller->setAudioTarget([this](const platform::CMSampleBufferRef& sampleBuffer) { setAudio(sampleBuffer); });
        videoAssetController_ = std::move(controller);
    }
    return *videoAssetController_;
}
