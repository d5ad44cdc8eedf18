#pragma once
// The local-contrast passes: one direction of a separable Gaussian blur of one channel, the
// vertical half of that blur subtracted from a second image (the detail coefficient), and the
// combine program that finishes the blur, turns the detail into a per-pixel contrast gain, damps
// it where halos would form and compresses the result.
//
// The texts are generated from the build's constants (kernel weights and offsets, range bounds,
// compression constants are literals; switched-off features write nothing). As many tap
// coordinates as the varying cap allows come from the vertex shader; the rest are computed in the
// fragment shader from uInvTextureDimension.
//
// Builders work on the given slot, leave a filled slot alone (the combine program refreshes its
// both-balance uniform) and need the engine's device current. The context gives the precision
// and the varying cap. A text that cannot be written or a
// program that fails to compile or link is logged and left unbuilt in its slot, so that its pass
// is skipped until the pair is released.

#include <cstdint>
#include <string>

#include "engine/LocalContrastStage.h"
#include "engine/ProgramBuild.h"
#include "gpu/Math.h"

namespace QV::Graphics {
class IShaderProgram;
}

using sContrastProgramText = sProgramText;

// What the combine text depends on.
struct sContrastCombineOptions {
    int32_t equation = 0;                         // 0 Paper, 1 Non-CIE 0, 2 Non-CIE 1, 3 Sigmoid
    QV::Math::CVector2<float> range{0.0f, 1.0f};  // non-CIE low, high (equations 1 to 3)
    int32_t basedOn = 3;                          // 0 Darkness, 1 Brightness, 2 Both, 3 None
    int32_t haloType = 2;                         // 0 Dark, 1 Bright, 2 All
    int32_t compression = 1;  // 0 None, 1 Clamp, 2 Exponent, 3 Exponent Interval, 4 Drago, 5 Drago Interval
    int32_t side = 0;         // 0 Dark, 1 Bright, 2 All
    float strength = 0.5f;    // compression strength
    float interval = 0.5f;    // compression interval
    int32_t precision = 2;
    int32_t varyingCap = 16;
    int32_t boxTaps = 9;  // the box whose sums img3 holds, a row every uBoxTexelHeight
};

// The combine options of the settings with the given "Contrast Based On", for programs of float
// precision `precision` on a device giving `varyingCap` vec4 varyings.
sContrastCombineOptions ContrastCombineOptions(const sCIE& cie, eContrastBasedOn contrastBasedOn, int32_t precision,
                                               int32_t varyingCap);

// Texts of the three generators. taps is the (odd) Gaussian tap count, kernelScale the spacing
// of the taps in sigmas; precision is the float precision, the sampler precisions are
// 0 lowp, 1 mediump, 2 highp. Throw std::invalid_argument for a kernel that yields fewer than
// three fetches or for settings out of range.
sContrastProgramText ContrastCombineText(const sContrastCombineOptions& options, int32_t taps, double kernelScale);
sContrastProgramText BlurPassText(int32_t taps, bool vertical, bool alphaChannel, int32_t samplerPrecision,
                                  double kernelScale, int32_t precision, int32_t varyingCap);
sContrastProgramText DifferencePassText(int32_t taps, bool deadZone, bool minuendAlpha, int32_t img0Precision,
                                        int32_t img1Precision, double kernelScale, int32_t precision,
                                        int32_t varyingCap);

// The CIE contrast combine program: img0 base (blurred vertically here), img1 detail, img2 the
// contrast K map (Paper), img3 local variance, img4 the brightness guide (unless based on None).
void BuildContrastCombineProgram(const sCIE& cie, const sProgramContext& context, QV::Graphics::IShaderProgram*& slot,
                                 int32_t taps, eContrastBasedOn contrastBasedOn, double kernelScale);
void BuildBlurPassProgram(const sProgramContext& context, QV::Graphics::IShaderProgram*& slot, int32_t taps,
                          bool vertical, bool alphaChannel, int32_t samplerPrecision, double kernelScale);
void BuildDifferencePassProgram(const sProgramContext& context, QV::Graphics::IShaderProgram*& slot, int32_t taps,
                                bool deadZone, bool minuendAlpha, int32_t img0Precision, int32_t img1Precision,
                                double kernelScale);

// The six local-contrast pairs of the context's program variant (blurs, combine, differences)
// with its filter-scale record's five-tap kernel and inverse scale.
void BuildContrastPassPrograms(const sCIE& cie, const sProgramContext& context);
