#pragma once
// The engine's modes: each enumeration follows the order of its parameter's named values, so
// that a stored choice index is also the enumerator's value.

#include <cstdint>

enum class eLuminanceStyle : int32_t { CIE, LocalLaplacian, NoneWithColorAdjustments, None };

enum class eBrightnessMethod : int32_t { CIE, CIEVar, ShadowsHighlights, CIEAndShadowsHighlights };

enum class eBrightnessStrengthMethod : int32_t { Exponent, ScaleAndExponent };

enum class eColorCorrectionMethod : int32_t {
    Deron,
    Power,
    ConstantLuminance,
    Pouli,
    Lab0,
    Yxy,
    Lab1,
    Lab2,
    Reinhard,
    Drago,
    None,
};

enum class eContrastBasedOn : int32_t { Darkness, Brightness, Both, None };

enum class eContrastEquation : int32_t { Paper, NonCIE0, NonCIE1, Sigmoid };

enum class eContrastCompression : int32_t { None, Clamp, Exponent, ExponentInterval, Drago, DragoInterval };

// The side of zero that a compression or a halo removal acts on.
enum class eContrastSide : int32_t { Dark, Bright, All };

enum class eNoiseReductionType : int32_t { FlowFieldGPUImage, IsotropicGPUImage, FlowFieldBilateral };

enum class eGaussianType : int32_t { Isotropic, FlowField, None };

// What a frame does with the result of the style's passes: render it and keep it, start from
// the kept one, or neither.
enum class eStyleStageMode : int32_t { RenderAndKeep, RenderFromKept, Neither };

// Where the picture leaves bars in the view.
enum class eLetterbox : int32_t { TopAndBottom, LeftAndRight, None };

// What the video path is doing.
enum class eRecordingMode : int32_t { RealTime, VideoAsset, Idle };

// The stored value of a mode.
template <typename Mode>
constexpr int32_t ModeIndex(Mode mode) {
    return static_cast<int32_t>(mode);
}
