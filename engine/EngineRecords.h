#pragma once
// Value records held by the engine: parameter groups with their defaults, the input slots and
// the recording state. All values are internal (the registry converts normalised values).

#include <cstdint>
#include <memory>

#include "gpu/Math.h"
#include "platform/coregraphics/CGGeometry.h"

namespace QV::Graphics {
class ITexture2D;
}
class QVRealTimeVideoRecorder;
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
};

struct sGPUImageFilter {
    float sigmaS = 2.5f;
    float distanceFactor = 8.0f;
    float spacingFactor = 0.1f;
    bool shaderSameAsGPUImage = false;
};

struct sBilateralFilter {
    float sigmaS = 1.5f;
    float sigmaR = 0.015f;
};

struct sNoiseReduction {
    int32_t dimension = 9;  // 3, 5, 7, 9 or 11 taps
    int32_t type = 2;       // 0 flow-field GPU image, 1 isotropic GPU image, 2 flow-field bilateral
    sGPUImageFilter flowField;
    sGPUImageFilter isotropic;
    sBilateralFilter bilateral;
    bool on = false;
    bool scaleOnSave = false;
};

struct sCIE {
    QV::Math::CVector2<float> contrastStrength{1.0f, 1.0f};    // non-CIE scale, exponent
    QV::Math::CVector2<float> contrastRange{0.0f, 1.0f};       // non-CIE low, high
    QV::Math::CVector2<float> colorCorrectionCIE{1.0f, 0.0f};  // alpha, beta
    float contrastK = 0.5f;
    float brightnessStrength = 0.5f;
    float brightnessVarExponent = 1.0f;
    float brightnessVarScale = 1.0f;
    float haloStrength = 0.0f;
    float haloMaximumWidth = 0.0f;
    float compressionStrength = 0.5f;
    float compressionInterval = 0.5f;
    int32_t haloRemovalType = 2;  // All
    int32_t contrastEquation = 0; // Paper
    int32_t compression = 1;      // Clamp
    int32_t compressionSide = 0;  // Dark
    bool brightenOnly = false;
    bool colorCorrectionCIEOn = false;
};

struct sShadowsHighlights {
    float strength;
    float width;
};

// Before/after compare: the unprocessed picture shows on one side of a line through `point`
// (view pixels) whose normal has the direction `angle`.
struct sSplit {
    QV::Math::CVector2<float> point{0.0f, 0.0f};
    float angle = 0.0f;
    bool on = false;
};

struct sColorAdjustment {
    QV::Math::CVector3<float> photoFilterColor{0.9254f, 0.5411f, 0.0f};
    QV::Math::CVector2<float> vignetteRange{0.707107f, 0.83f};  // begin, end
    sSplit split;
    sShadowsHighlights shadows{0.0f, 0.85f};
    sShadowsHighlights highlights{1.0f, 0.85f};
    float temperature = 0.0f;
    float photoFilterStrength = 1.0f;
    float exposure = 0.0f;
    float exponentialBrightnessStrength = 1.0f;
    float saturationStrength = 1.0f;
    float exponentialSaturationStrength = 1.0f;
    float saturationContrastStrength = 1.0f;
    float contrastStrength = 1.0f;
    float vibrancyStrength = 0.0f;
    float effectStrength = 1.0f;
    float toneMapStrength = 1.0f;
    float photoFilterToneMapStrengthMultiplier = 1.0f;
    int32_t toneMap = 0;                // index into ToneMapLookTable
    int32_t grayscaleCoefficients = 0;  // YUV
    bool grayscale = false;
    bool grayscaleAtEnd = false;
    bool vignette = false;
    bool vignetteBlack = true;
    bool photoFilter = false;
};

struct sSmoothing {
    float sigmaS = 1.0f;
    int32_t type = 2;  // None
    int32_t lineIntegralIterations = 1;
    bool lineIntegral = false;
};

struct sLevels {
    float blackPoint = 0.0f;
    float midToneFraction = 0.5f;
    float whitePoint = 1.0f;
};

struct sInputTexture {
    sFrameTime time;
    QV::Graphics::ITexture2D* texture = nullptr;
};

struct sVideoRecording {
    sFrameTime frameTimes[5] = {sFrameTime::Make(0, 60), sFrameTime::Make(0, 60),
                                sFrameTime::Make(0, 60), sFrameTime::Make(0, 60),
                                sFrameTime::Make(0, 60)};
    sFrameTime startTime;
    sFrameTime previousTime;
    float savedZoom = 1.0f;
    int32_t mode = 2;  // 0 real-time recording, 1 video-asset rendering, 2 idle
    uint64_t outputBytesPerRow = 0;
    int32_t frameTimeIndex = -1;
    int32_t ringIndex = -1;
    int32_t pendingFrames = 0;
    int32_t latency = 0;
    bool ringActive = false;
    uint8_t* outputPixels = nullptr;
    sFrameTime* outputTime = nullptr;
    CGSize outputSize;  // pixel size of recorded video
    QV::Graphics::ITexture2D* ringTextures[4] = {};
    std::shared_ptr<QVRealTimeVideoRecorder> recorder;
    std::shared_ptr<QVFramebufferFrame> frameSource;

    // The frame time k slots from the start of the five-slot history, for any k (the index
    // starts at −1, and C++'s % keeps the sign of the dividend).
    sFrameTime& FrameTimeAt(int32_t k) { return frameTimes[((k % 5) + 5) % 5]; }
    const sFrameTime& FrameTimeAt(int32_t k) const { return frameTimes[((k % 5) + 5) % 5]; }
};
