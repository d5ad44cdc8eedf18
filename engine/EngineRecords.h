#pragma once
// Value records held by the engine: parameter groups with their defaults, the input slots and
// the recording state. All values are internal (the registry converts normalised values).

#include <cstdint>
#include <memory>

#include "engine/EngineModes.h"
#include "engine/OwnedGpuObject.h"
#include "engine/ShadowsHighlights.h"
#include "gpu/Math.h"
#include "platform/coregraphics/CGGeometry.h"

namespace QV::Graphics {
class ITexture2D;
}
class VideoRecorder;
class QVFramebufferFrame;

// Presentation time of a frame: value / timescale seconds (the layout of a media time).
struct sFrameTime {
    int64_t value = -1;
    int32_t timescale = 60;
    uint32_t flags = 0;
    int64_t epoch = 0;

    static sFrameTime Unset() { return {-1, 60, 0, 0}; }
    static sFrameTime Make(int64_t value, int32_t timescale) { return {value, timescale, 0, 0}; }
    bool operator==(const sFrameTime&) const = default;
};

// Byte order of the engine's input pixels. Image sources and video paths keep codes of their
// own and convert to these.
enum ePixelFormat : int32_t {
    kPixelFormatRGB = 0,
    kPixelFormatBGRA = 1,
    kPixelFormatRGBA = 2,
    kPixelFormatNone = 3,  // no input yet
};

// What a frame renders for.
enum eRenderTarget : int32_t {
    kRenderTargetRecording = 0,
    kRenderTargetOffscreen = 1,
    kRenderTargetScreen = 2,
};

// Lowest and highest value of a span, e.g. the part of a parameter's range a master value moves.
struct sValueRange {
    float minimum = 0.0f;
    float maximum = 0.0f;
};

struct sToneMapping {
    float p = 2.4f;
    int32_t dimension = 5;  // 5 or 7 taps

    // Its passes run only above the least p.
    bool Runs() const { return p > 2.4f; }
};

struct sSmoothing {
    float sigmaS = 1.0f;
    eGaussianType type = eGaussianType::None;
    int32_t lineIntegralIterations = 1;
    bool lineIntegral = false;
};

struct sLevels {
    float blackPoint = 0.0f;
    float midToneFraction = 0.5f;
    float whitePoint = 1.0f;
};

// Where the picture lies in the engine's input and at what size it is worked on: the input's
// pixel size, the crop of it that is shown (origin and size in input pixels) and the size the
// pipeline works at before any reduction to the view.
struct sInputGeometry {
    int32_t inputWidth = 0, inputHeight = 0;
    int32_t cropWidth = 0, cropHeight = 0;
    int32_t cropX = 0, cropY = 0;
    int32_t processingWidth = 0, processingHeight = 0;
    // The used rectangle is one texel narrower than cropWidth in the texture matrix.
    bool cropWidthLessOne = false;

    // A whole picture of width × height, worked on at its own size or at the one given.
    static sInputGeometry Whole(int32_t width, int32_t height) { return Whole(width, height, width, height); }
    static sInputGeometry Whole(int32_t width, int32_t height, int32_t processingWidth, int32_t processingHeight) {
        return {width, height, width, height, 0, 0, processingWidth, processingHeight, false};
    }
    bool operator==(const sInputGeometry&) const = default;
};

struct sInputTexture {
    sFrameTime time;
    OwnedTexture texture;
};

struct sVideoRecording {
    sFrameTime frameTimes[5] = {sFrameTime::Make(0, 60), sFrameTime::Make(0, 60), sFrameTime::Make(0, 60),
                                sFrameTime::Make(0, 60), sFrameTime::Make(0, 60)};
    sFrameTime startTime;
    sFrameTime previousTime;
    float savedZoom = 1.0f;
    eRecordingMode mode = eRecordingMode::Idle;
    uint64_t outputBytesPerRow = 0;
    int32_t frameTimeIndex = -1;
    int32_t ringIndex = -1;
    int32_t pendingFrames = 0;
    int32_t latency = 0;
    bool ringActive = false;
    uint8_t* outputPixels = nullptr;
    sFrameTime* outputTime = nullptr;
    CGSize outputSize;  // pixel size of recorded video
    OwnedTexture ringTextures[4];
    std::shared_ptr<VideoRecorder> recorder;
    std::shared_ptr<QVFramebufferFrame> frameSource;

    // The frame time k slots from the start of the five-slot history, for any k (the index
    // starts at −1, and C++'s % keeps the sign of the dividend).
    sFrameTime& FrameTimeAt(int32_t k) { return frameTimes[((k % 5) + 5) % 5]; }
    const sFrameTime& FrameTimeAt(int32_t k) const { return frameTimes[((k % 5) + 5) % 5]; }
};
