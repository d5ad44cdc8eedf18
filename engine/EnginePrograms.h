#pragma once
// The engine's own program builders: the base passes (copies, input conversions, dark mask), the
// filter dispatchers that pick the generator's builders for each pair, the colour-correction
// and colour-adjustment programs, and the tone-map look texture they sample.
//
// Every builder works on the pairs of the context's program variant only, leaves a
// filled slot alone (apart from refreshing uniforms where stated) and must run on the main
// thread with the engine's device current. A program that fails to compile or link stays in its
// slot unbuilt; the failure is logged and the device skips draws with it, so the pass is left
// out instead of being drawn with another program.
//
// The GLSL texts are also available without GL (the ...Text functions), so that the stage
// logic can be checked and compiled on its own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ColorAdjustmentStage.h"
#include "engine/ColorCorrectionStage.h"
#include "engine/EngineRecords.h"
#include "engine/ShaderSets.h"
#include "gpu/Math.h"

class LookTexture;
struct sNoiseReduction;
struct sProgramContext;

namespace platform {
struct ImageBitmap;
}

// ---- Base pass programs ---------------------------------------------------------------------

// Pairs 0-2: plain copy (twice) and the opaque copy.
void BuildCopyPrograms(const sProgramContext& context);
// Pairs 3-7: the input conversions through the input's texture matrix (alpha modes 0, 1, 2, 4,
// 3); the matrix is set again on every call, so a new input geometry reaches them.
void BuildDisplayPrograms(const sProgramContext& context, const QV::Math::CMatrix4<float>& inputTextureMatrix);
// Pairs 19 and 20: the dark mask (red at most one third) and the dehaze alpha.
void BuildDarkMaskPrograms(const sProgramContext& context);

// Fragment texts of the base programs (without GL).
std::string CopyProgramFragment(int32_t precision, bool opaque);
std::string DarkMaskFragment(int32_t precision, bool dehazeAlpha);

// ---- Filter programs ------------------------------------------------------------------------

// The value the box means' horizontal sums are taken about: half-float sums of x − 0.5 and its
// square keep enough precision for the deviation of a flat area to stay near 0 (sums of x and
// x² cancel into a deviation of about 0.02 there); the deviation itself does not change.
inline constexpr float kBoxSumsShift = 0.5f;
void BuildBoxMeanPrograms(const sProgramContext& context);
// The box means' side in taps at the record's scale.
int32_t BoxMeanTapCount(const sFilterScale& record);
// The vertical passes convert luminance as the colour-correction method reads it.
void BuildNoiseReductionPrograms(const sNoiseReduction& noiseReduction, eColorCorrectionMethod colorCorrectionMethod,
                                 const sProgramContext& context);
// Rows around a pixel that the noise filter's pass reads, at a filter scale.
int32_t NoiseReductionReach(const sNoiseReduction& noiseReduction, const sFilterScale& record);
void BuildStructureTensorFilterPrograms(const sProgramContext& context);
void BuildGaussianPrograms(const sSmoothing& smoothing, const sProgramContext& context);
void BuildToneMappingPrograms(const sToneMapping& toneMapping, const sProgramContext& context);
// Taps of the tone mapping's difference-of-Gaussians passes at a filter scale, as they are built.
int32_t ToneMappingTapCount(const sToneMapping& toneMapping, const sFilterScale& record);

// Luminance mode of the vertical noise-reduction passes for a colour-correction method.
int32_t NoiseReductionVerticalLuminanceMode(eColorCorrectionMethod colorCorrectionMethod);

// ---- Colour correction (pair 25) ------------------------------------------------------------

std::string ColorCorrectionFragment(const sColorCorrectionOptions& options);
// Builds pair 25 of the context's variant when empty, then refreshes its uniforms.
void BuildColorCorrectionProgram(const sColorCorrection& correction, const sProgramContext& context);

// ---- Colour adjustment (pair 26) ------------------------------------------------------------

struct sColorAdjustmentTextOptions {
    sColorAdjustmentStages stages;
    QV::Math::CVector3<float> grayscaleWeights{0.299f, 0.587f, 0.114f};
    float shadowsWidth = 0.85f;
    float highlightsWidth = 0.85f;
    bool vignetteBlack = true;
    int32_t precision = 2;
};
std::string ColorAdjustmentFragment(const sColorAdjustmentTextOptions& options);

// Builds pair 26 of the context's variant when empty and some stage is active (loading the look
// texture into the context's first), then refreshes the uniforms of its active stages.
void BuildColorAdjustmentProgram(const sColorAdjustment& ca, const sProgramContext& context);

// ---- Tone-map looks -------------------------------------------------------------------------

// Texel layout of a look texture ready for upload.
struct sLookImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;  // 4 packed RGBA (colour looks, Gotham) or 1 (Inkwell)
    std::vector<uint8_t> bytes;
};

// Converts decoded pixels (straight RGBA) of a look's image to the layout its look stage
// samples, whatever the file's colour type: RGBA for colour strips and Gotham, one grey channel
// (the red samples) for Inkwell. Fails, with a reason, for an image the stage cannot use.
std::optional<sLookImage> ConvertLookImage(int32_t lookIndex, const platform::ImageBitmap& bitmap, std::string* reason);

// Makes `texture` the one of the settings' look when a look is active and none is loaded (a
// texture made for another look is replaced), reading its image from `resourceDirectory`. A
// look whose image is missing, unreadable or too large for the device is logged and leaves no
// texture: the colour-adjustment program then leaves the look stage out. The next rebuild of
// that program tries again.
void LoadToneMapLook(const sColorAdjustment& ca, LookTexture& texture, std::string_view resourceDirectory);
// The look index a look texture was made for (-1 when none).
int32_t LoadedToneMapLook(const LookTexture& texture);
