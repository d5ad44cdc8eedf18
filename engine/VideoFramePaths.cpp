// The engine's two video frame paths: real-time recording, where a recorder pulls each
// finished frame through the engine's frame source, and movie-frame rendering, where a caller
// feeds decoded frames and gets back the processed frame of two calls before. Both share the
// recording ring that RenderFrame and PresentAndRecord advance and draw into.

#include <cmath>
#include <utility>

#include "engine/AmbrelGraphicsController.h"
#include "engine/QVFramebufferFrame.h"
#include "gpu/Device.h"
#include "gpu/Shader.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;
using QV::Math::CVector3;

namespace {

constexpr int32_t kRealTimeWarmUp = -2;
constexpr int32_t kRealTimeRingFull = 2;

void SetRecordingTextureMatrix(AmbrelGraphicsController& e, const CMatrix4<float>& m) {
    CDevice::GetCurrentDevice()->MakeCurrent();
    if (IShaderProgram* program = e.shaderSets[kPairVideoOutput][e.ProgramVariant()])
        program->SetUniformMatrix4fv("uModelViewProjectionTextureMatrix", 1, false, &m);
}

// Resets the record for `mode`, keeping the saved zoom, the output size, the recorder and the
// frame source.
void ResetRecord(sVideoRecording& r, eRecordingMode mode, int32_t warmUp, int32_t ringFull) {
    for (sFrameTime& t : r.frameTimes) t = sFrameTime::Make(0, 60);
    r.startTime = sFrameTime::Unset();
    r.previousTime = sFrameTime::Unset();
    r.mode = mode;
    r.outputBytesPerRow = 0;
    r.frameTimeIndex = -1;
    r.ringIndex = -1;
    r.pendingFrames = warmUp;
    r.latency = ringFull;
    r.ringActive = false;
    r.outputPixels = nullptr;
    r.outputTime = nullptr;
}

void DetachFrameSource(sVideoRecording& r) {
    if (r.frameSource) r.frameSource->detach();
    r.frameSource.reset();
}

}  // namespace

// Entering or leaving the full-resolution render (the asset path) reconfigures the input.
void AmbrelGraphicsController::SwitchVideoRenderMode(bool fullResolution) {
    if (fullResolution != videoFullResolution) inputReconfigureRequested = true;
    videoFullResolution = fullResolution;
    matricesDirty = true;
}

void AmbrelGraphicsController::PrepareVideoRecording(eRecordingMode mode, int32_t width, int32_t height) {
    const bool realTime = mode == eRecordingMode::RealTime;
    ResetRecord(videoRecording, mode, realTime ? kRealTimeWarmUp : 0, realTime ? kRealTimeRingFull : 0);
    ITexture* textures = CDevice::GetCurrentDevice()->GetTexture();
    for (OwnedTexture& target : videoRecording.ringTextures) {
        target.reset();  // a mode's end deletes them; never leave one behind
        target = textures->CreateTexture(LinearTextureTemplate(), width, height, FORMAT_RGBA, FORMAT_BGRA,
                                         PIXEL_TYPE_UNSIGNED_BYTE, 1, false, textureStorage, nullptr);
    }
}

void AmbrelGraphicsController::ReleaseVideoRecording() {
    CDevice::GetCurrentDevice()->MakeCurrent();
    for (OwnedTexture& target : videoRecording.ringTextures) target.reset();
    ResetRecord(videoRecording, eRecordingMode::Idle, 0, 0);
}

void AmbrelGraphicsController::SetVideoOutputSize(CGSize size) { videoRecording.outputSize = size; }

bool AmbrelGraphicsController::BeginVideoRecording(int64_t orientation, bool audio) {
    // Only from idle: a second begin would leak the targets or abandon a movie rendering.
    sVideoRecording& r = videoRecording;
    if (r.mode != eRecordingMode::Idle) return false;
    int32_t width = reducedProcessing ? outputViewport[2] : (levelWidths.empty() ? 0 : levelWidths[0]);
    int32_t height = reducedProcessing ? outputViewport[3] : (levelHeights.empty() ? 0 : levelHeights[0]);
    if (landscape) std::swap(width, height);
    if (width < 1 || height < 1) return false;
    if (!r.recorder) r.recorder = VideoRecorder::Create();
    if (!r.recorder) return false;
    r.recorder->setPreferredOutputSize(r.outputSize.width, r.outputSize.height);

    const CMatrix4<float> mirror = frontFacing ? CMatrix4<float>::Scale(-1, 1, 1) : CMatrix4<float>::Identity();
    const CVector3<float> axis(0, 0, 1);
    CMatrix4<float> turn = CMatrix4<float>::Identity();
    if (orientation == 0) turn = CMatrix4<float>::Rotation(static_cast<float>(1.5707963267948966), axis);
    else if (orientation == 1) turn = CMatrix4<float>::Rotation(static_cast<float>(-1.5707963267948966), axis);
    else if (orientation != 2) turn = CMatrix4<float>::Rotation(static_cast<float>(3.141592653589793), axis);
    SetRecordingTextureMatrix(*this, CMatrix4<float>::Translation(0.5f, 0.5f, 0) * turn * mirror *
                                         CMatrix4<float>::Translation(-0.5f, -0.5f, 0));

    DetachFrameSource(r);
    r.frameSource = std::make_shared<QVFramebufferFrame>(this);
    if (!r.recorder->start(width, height, r.frameSource, audio) || !r.recorder->started()) {
        DetachFrameSource(r);
        return false;
    }
    SwitchVideoRenderMode(false);
    PrepareVideoRecording(eRecordingMode::RealTime, width, height);
    frameDirty = false;
    return true;
}

std::string AmbrelGraphicsController::FinishVideoRecording() {
    sVideoRecording& r = videoRecording;
    if (r.mode != eRecordingMode::RealTime) return {};
    r.recorder->stop();
    SwitchVideoRenderMode(false);
    DetachFrameSource(r);
    ReleaseVideoRecording();
    return r.recorder->filename();
}

bool AmbrelGraphicsController::BeginVideoAssetRecording() {
    sVideoRecording& r = videoRecording;
    if (r.mode != eRecordingMode::Idle) return false;
    r.mode = eRecordingMode::VideoAsset;
    r.savedZoom = zoom;
    SetZoom(1.0f);
    SwitchVideoRenderMode(true);
    frameRate.Reset();
    frameDivider = 1;
    return true;
}

bool AmbrelGraphicsController::RenderVideoAssetFrame(int32_t width, int32_t height, int32_t cropW, int32_t cropH,
                                                     int32_t cropXOrigin, int32_t cropYOrigin, int32_t outputWidth,
                                                     int32_t outputHeight, int64_t orientation,
                                                     int64_t viewportOrientation, int32_t format, const void* pixels,
                                                     const sFrameTime& pixelsTime, uint64_t bufferBytesPerRow,
                                                     void* buffer, sFrameTime* bufferTime) {
    sVideoRecording& r = videoRecording;
    if (r.mode != eRecordingMode::VideoAsset || !bufferTime) return false;
    if (pixels) {
        const sInputGeometry geometry{width,       height,      cropW,        cropH, cropXOrigin,
                                      cropYOrigin, outputWidth, outputHeight, false};
        SetInputPixels(pixelsTime, geometry, orientation, format, pixels);
        SetOutputOrientation(width, height, viewportOrientation);
        if (frameRate.GetTickCount() == 0) {
            SetRecordingTextureMatrix(*this, CMatrix4<float>(1, 0, 0, 0, 0, -1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1));
            // The targets hold what the pipeline renders: the level-0 working size.
            PrepareVideoRecording(eRecordingMode::VideoAsset, levelWidths.empty() ? width : levelWidths[0],
                                  levelHeights.empty() ? height : levelHeights[0]);
        }
    } else {
        frameDirty = true;
    }
    r.outputBytesPerRow = bufferBytesPerRow;
    r.outputPixels = static_cast<uint8_t*>(buffer);
    r.outputTime = bufferTime;
    *bufferTime = sFrameTime::Unset();
    RenderFrame();
    r.outputPixels = nullptr;
    r.outputTime = nullptr;
    if (*bufferTime == r.previousTime) return false;
    r.previousTime = *bufferTime;
    return true;
}

bool AmbrelGraphicsController::EndVideoAssetRecording() {
    sVideoRecording& r = videoRecording;
    if (r.mode != eRecordingMode::VideoAsset) return false;
    SetZoom(r.savedZoom);
    r.savedZoom = 1.0f;
    ReleaseVideoRecording();
    SwitchVideoRenderMode(false);
    frameDivider = 0;
    RestoreVideoAssetOrientation();
    return true;
}

void AmbrelGraphicsController::RestoreVideoAssetOrientation() { SetOutputRotation(0); }
