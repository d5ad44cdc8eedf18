#include "engine/ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/ParameterValues.h"
#include "engine/ToneMapLookTable.h"

namespace EngineParameters {

const std::array<std::string_view, 15> kCategoryNames = {
    "Global",   "Contrast",   "CIE",       "Strength", "Halo",       "NR", "NR FF GPU Image", "NR Iso GPU Image",
    "NR FF BF", "Flow Field", "Isotropic", "Color",    "Brightness", "CA", "Smoothing"};

sParameter& sParameter::Releases(std::vector<int32_t> p, Predicate when) {
    effect = eEffect::Release;
    pairs = std::move(p);
    gate = when;
    return *this;
}

sParameter& sParameter::Updates(const sProcessingStage& s) {
    effect = eEffect::Stage;
    pairs = {s.pair};
    stage = &s;
    return *this;
}

sParameter& sParameter::Custom(CustomAction action, std::vector<int32_t> p) {
    effect = eEffect::Custom;
    custom = action;
    pairs = std::move(p);
    return *this;
}

float InternalFromValue(const sParameter& parameter, float v) {
    switch (parameter.kind) {
    case eKind::Choice: return static_cast<float>(ChoiceIndex(v, parameter.choices));
    case eKind::Size: return static_cast<float>(parameter.firstSize + 2 * ChoiceIndex(v, parameter.choices));
    case eKind::OnOff: return FlagValue(FlagFromValue(v));
    case eKind::Range: return RangeToInternal(v, parameter.low, parameter.high);
    case eKind::Count: return static_cast<float>(LineIntegralIterationsFromValue(v));
    case eKind::Float:
    case eKind::Ignored: break;
    }
    return v;
}

float ValueFromInternal(const sParameter& parameter, float internal) {
    switch (parameter.kind) {
    case eKind::Choice:
    case eKind::Size: {
        int32_t index = static_cast<int32_t>(internal);
        if (parameter.kind == eKind::Size) index = (index - parameter.firstSize) / 2;
        return ChoiceValue(std::clamp(index, 0, parameter.choices - 1), parameter.choices);
    }
    case eKind::OnOff: return internal != 0.0f ? 1.0f : 0.0f;
    case eKind::Range: return RangeToValue(internal, parameter.low, parameter.high);
    case eKind::Count: return LineIntegralIterationsValue(static_cast<int32_t>(internal));
    case eKind::Float:
    case eKind::Ignored: break;
    }
    return internal;
}

std::vector<std::string_view> CategoryNames(uint32_t categories) {
    std::vector<std::string_view> names;
    for (size_t i = 0; i < kCategoryNames.size(); ++i)
        if (categories & (1u << i)) names.push_back(kCategoryNames[i]);
    return names;
}

namespace {

template <typename T>
float StoredAsFloat(const T& value) {
    if constexpr (std::is_enum_v<T>) return static_cast<float>(static_cast<std::underlying_type_t<T>>(value));
    else return static_cast<float>(value);
}

template <typename T>
T FromStoredFloat(float internal) {
    if constexpr (std::is_same_v<T, bool>) return internal != 0.0f;
    else if constexpr (std::is_enum_v<T>) return static_cast<T>(static_cast<std::underlying_type_t<T>>(internal));
    else return static_cast<T>(internal);
}

// The get and set of one settings field through its accessor (a lambda without captures, made
// again where it is called).
template <typename Access>
sField MakeField(Access) {
    using T = std::remove_reference_t<decltype(Access{}(std::declval<sEngineSettings&>()))>;
    return {[](const sEngineSettings& s) { return StoredAsFloat(Access{}(const_cast<sEngineSettings&>(s))); },
            [](sEngineSettings& s, float internal) { Access{}(s) = FromStoredFloat<T>(internal); }};
}

// clang-format off
#define FIELD(expr) MakeField([](sEngineSettings& e) -> auto& { return e.expr; })
// clang-format on

const sEngineSettings& DefaultSettings() {
    static const sEngineSettings defaults;
    return defaults;
}

sParameter Make(std::string_view name, eKind kind, sField field, uint32_t categories) {
    sParameter p;
    p.name = name;
    p.kind = kind;
    p.field = field;
    p.defaultValue = field ? field.get(DefaultSettings()) : 0.0f;
    p.categories = categories;
    return p;
}

sParameter Choice(std::string_view name, int32_t n, sField field, uint32_t categories) {
    sParameter p = Make(name, eKind::Choice, field, categories);
    p.choices = n;
    return p;
}

sParameter Size(std::string_view name, int32_t n, int32_t firstSize, sField field, uint32_t categories) {
    sParameter p = Choice(name, n, field, categories);
    p.kind = eKind::Size;
    p.firstSize = firstSize;
    return p;
}

sParameter Flag(std::string_view name, sField field, uint32_t categories) {
    return Make(name, eKind::OnOff, field, categories);
}

sParameter Range(std::string_view name, float low, float high, sField field, uint32_t categories) {
    sParameter p = Make(name, eKind::Range, field, categories);
    p.low = low;
    p.high = high;
    return p;
}

sParameter Float(std::string_view name, sField field, uint32_t categories) {
    return Make(name, eKind::Float, field, categories);
}

sParameter Ignored(std::string_view name) { return Make(name, eKind::Ignored, {}, 0); }

using E = Engine;
using B = eBrightnessMethod;

// Gates of released pairs.
bool CIEEquationIsNonCIE(const E& e) { return e.cie.contrastEquation != eContrastEquation::Paper; }
bool BrightnessIsNotShadowsHighlights(const E& e) { return e.brightness.method != B::ShadowsHighlights; }
bool BrightnessIsCIEVar(const E& e) { return e.brightness.method == B::CIEVar; }
bool AlgShadowsActive(const E& e) { return IsShadowsActive(e.brightness.shadows); }
bool AlgHighlightsActive(const E& e) { return IsHighlightsActive(e.brightness.highlights); }
bool LevelsActive(const E& e) { return e.AreLevelsActive(); }
bool PouliSaturationApplies(const E& e) {
    return e.colorCorrection.pouliPost || e.colorCorrection.method == eColorCorrectionMethod::Pouli;
}
bool GrayscaleOn(const E& e) { return e.colorAdjustment.grayscale; }
bool VignetteOn(const E& e) { return e.colorAdjustment.vignette; }
bool CAShadowsActive(const E& e) { return IsShadowsActive(e.colorAdjustment.shadows); }
bool CAHighlightsActive(const E& e) { return IsHighlightsActive(e.colorAdjustment.highlights); }

// Custom rules.
void ChangeColorCorrectionMethod(E& e, float oldInternal) {
    using M = eColorCorrectionMethod;
    const M previous = static_cast<M>(static_cast<int32_t>(oldInternal));
    const M method = e.colorCorrection.method;
    // Lab1 and Lab2 share the colour-correction text; their input conversions differ.
    const bool labPair = (previous == M::Lab1 && method == M::Lab2) || (previous == M::Lab2 && method == M::Lab1);
    if (!labPair) e.ReleasePrograms({kPairColorCorrection});
    if (NoiseReductionVerticalLuminanceMode(previous) != NoiseReductionVerticalLuminanceMode(method))
        e.ReleasePrograms({kPairNoiseFlowFieldGPUImage + 1, kPairNoiseIsotropicGPUImage + 1, kPairNoiseBilateral + 1});
}

void ChangeToneMap(E& e, float oldInternal) {
    const sColorAdjustment& ca = e.colorAdjustment;
    const bool wasActive = ::IsToneMapLookActive(static_cast<int32_t>(oldInternal), ca.toneMapStrength,
                                                 ca.photoFilterToneMapStrengthMultiplier);
    if (wasActive || e.IsToneMapLookActive()) {
        e.ReleaseLookTexture();
        e.ReleasePrograms({kPairColorAdjustment});
    }
}

std::vector<sParameter> MakeParameters() {
    const uint32_t C = kContrast, CIEC = kCIE | kContrast, CIECS = kCIE | kContrast | kStrength;
    const uint32_t NRAll = kNR | kNRFlowFieldGPUImage | kNRIsotropicGPUImage | kNRFlowFieldBilateral;
    const uint32_t NRFF = kNR | kFlowField | kNRFlowFieldGPUImage, NRISO = kNR | kIsotropic | kNRIsotropicGPUImage;
    const uint32_t NRBF = kNR | kFlowField | kNRFlowFieldBilateral;
    const uint32_t CB = kColor | kBrightness, CBS = kColor | kBrightness | kStrength, CS = kColor | kStrength;
    const uint32_t CCA = kColor | kCA, CCAS = kColor | kCA | kStrength;
    const std::vector<int32_t> toneMapping = {kPairToneMapping0, kPairToneMapping1};
    const std::vector<int32_t> flowFieldNoise = {kPairNoiseFlowFieldGPUImage, kPairNoiseFlowFieldGPUImage + 1};
    const std::vector<int32_t> isotropicNoise = {kPairNoiseIsotropicGPUImage, kPairNoiseIsotropicGPUImage + 1};
    const std::vector<int32_t> bilateralNoise = {kPairNoiseBilateral, kPairNoiseBilateral + 1};
    const std::vector<int32_t> allNoise = {kPairNoiseFlowFieldGPUImage, kPairNoiseFlowFieldGPUImage + 1,
                                           kPairNoiseIsotropicGPUImage, kPairNoiseIsotropicGPUImage + 1,
                                           kPairNoiseBilateral,         kPairNoiseBilateral + 1};
    const std::vector<int32_t> smoothing = {kPairSmoothingSecond, kPairSmoothingFirst};
    const int32_t CA = kPairColorAdjustment;

    std::vector<sParameter> p;
    // Global and contrast.
    p.push_back(Choice("Luminance Style", 4, FIELD(luminanceStyle), kGlobal).Releases({kPairBrightness}));
    p.push_back(Float("Level 0 Contrast Strength", FIELD(cie.levelContrastStrengths[0]), C).Untested());
    p.push_back(Float("Level 1 Contrast Strength", FIELD(cie.levelContrastStrengths[1]), C).Untested());
    p.push_back(Float("Level 2 Contrast Strength", FIELD(cie.levelContrastStrengths[2]), C).Untested());
    p.push_back(Range("Tone Mapping P", 2.4f, 6.7f, FIELD(toneMapping.p), C).Releases(toneMapping));
    p.push_back(Size("Tone Mapping Dimension", 2, 5, FIELD(toneMapping.dimension), C).Releases(toneMapping));
    p.push_back(Choice("Contrast Based On", 4, FIELD(cie.contrastBasedOn), C).Releases({kPairCIEContrast}));
    p.push_back(
        Float("Contrast Based On Both Balance", FIELD(cie.contrastBasedOnBothBalance), C).Updates(kLocalContrastStage));

    // CIE contrast and halo.
    p.push_back(Choice("CIE Contrast Equation", 4, FIELD(cie.contrastEquation), CIEC).Releases({kPairCIEContrast}));
    p.push_back(Float("CIE Contrast K Strength", FIELD(cie.contrastK), CIECS));
    p.push_back(Range("CIE Non-CIE Contrast Strength Scale", 0, 20, FIELD(cie.contrastStrength.x), CIECS));
    p.push_back(Float("CIE Non-CIE Contrast Strength Exponent", FIELD(cie.contrastStrength.y), CIECS));
    p.push_back(Range("CIE Non-CIE Contrast Range Low", 0, 0.02f, FIELD(cie.contrastRange.x), CIECS)
                    .Releases({kPairCIEContrast}, CIEEquationIsNonCIE));
    p.push_back(Float("CIE Non-CIE Contrast Range High", FIELD(cie.contrastRange.y), CIECS)
                    .Releases({kPairCIEContrast}, CIEEquationIsNonCIE));
    p.push_back(Choice("CIE Contrast Compression", 6, FIELD(cie.compression), CIEC).Releases({kPairCIEContrast}));
    p.push_back(
        Choice("CIE Contrast Compression Side", 3, FIELD(cie.compressionSide), CIEC).Releases({kPairCIEContrast}));
    p.push_back(
        Float("CIE Contrast Compression Strength", FIELD(cie.compressionStrength), CIECS).Releases({kPairCIEContrast}));
    p.push_back(
        Float("CIE Contrast Compression Interval", FIELD(cie.compressionInterval), CIEC).Releases({kPairCIEContrast}));
    p.push_back(Float("CIE Halo Strength", FIELD(cie.haloStrength), kCIE | kHalo | kStrength));
    p.push_back(Float("CIE Halo Maximum Width", FIELD(cie.haloMaximumWidth), kCIE | kHalo));
    p.push_back(
        Choice("CIE Halo Removal Type", 3, FIELD(cie.haloRemovalType), kCIE | kHalo).Releases({kPairCIEContrast}));

    // Local Laplacian: no stage of the engine reads them any more; stored edits still carry them.
    for (std::string_view name : {"LL SigmaS", "LL SigmaR", "LL Alpha", "LL Automatic Alpha On/Off",
                                  "LL Automatic Alpha Strength", "LL Beta", "LL Halo Strength", "LL Flow Field On/Off",
                                  "LL Along Gradient On/Off", "LL Noise Reduction On/Off", "LL Noise Reduction Edge1"})
        p.push_back(Ignored(name));

    // Noise reduction.
    p.push_back(Flag("NR On/Off", FIELD(noiseReduction.on), NRAll).Untested());
    p.push_back(Choice("NR Type", 3, FIELD(noiseReduction.type), NRAll).Untested());
    p.push_back(Flag("NR Scale On Save On/Off", FIELD(noiseReduction.scaleOnSave), NRAll).Releases(allNoise));
    p.push_back(Size("NR Dimension", 5, 3, FIELD(noiseReduction.dimension), NRAll).Releases(allNoise));
    p.push_back(Range("NR Flow Field GPU Image SigmaS", 0.1f, 4.0f, FIELD(noiseReduction.flowField.sigmaS), NRFF)
                    .Releases(flowFieldNoise));
    p.push_back(
        Range("NR Flow Field GPU Image Distance Factor", 0, 10, FIELD(noiseReduction.flowField.distanceFactor), NRFF));
    p.push_back(Float("NR Flow Field GPU Image Spacing Factor", FIELD(noiseReduction.flowField.spacingFactor), NRFF));
    p.push_back(Flag("NR Flow Field GPU Image Shader Same As GPUImage",
                     FIELD(noiseReduction.flowField.shaderSameAsGPUImage), NRFF)
                    .Releases(flowFieldNoise));
    p.push_back(Range("NR Isotropic GPU Image SigmaS", 0.1f, 4.0f, FIELD(noiseReduction.isotropic.sigmaS), NRISO)
                    .Releases(isotropicNoise));
    p.push_back(
        Range("NR Isotropic GPU Image Distance Factor", 0, 10, FIELD(noiseReduction.isotropic.distanceFactor), NRISO));
    p.push_back(Float("NR Isotropic GPU Image Spacing Factor", FIELD(noiseReduction.isotropic.spacingFactor), NRISO));
    p.push_back(Flag("NR Isotropic GPU Image Shader Same As GPUImage",
                     FIELD(noiseReduction.isotropic.shaderSameAsGPUImage), NRISO)
                    .Releases(isotropicNoise));
    p.push_back(Range("NR Flow Field Bilateral SigmaS", 0.1f, 4.0f, FIELD(noiseReduction.bilateral.sigmaS), NRBF)
                    .Releases(bilateralNoise));
    p.push_back(Range("NR Flow Field Bilateral SigmaR", 0.005f, 0.1f, FIELD(noiseReduction.bilateral.sigmaR), NRBF)
                    .Releases(bilateralNoise));

    // Brightness and colour correction.
    p.push_back(Choice("Alg Brightness Method", 4, FIELD(brightness.method), CB).Releases({kPairBrightness}));
    p.push_back(Choice("Alg CIE Brightness Strength Method", 2, FIELD(brightness.strengthMethod), CBS)
                    .Updates(kBrightnessStage));
    p.push_back(Float("Alg CIE Brightness Strength", FIELD(brightness.strength), CBS).Updates(kBrightnessStage));
    p.push_back(Float("Alg Brightness Method CIE Var Exponent", FIELD(brightness.varExponent), CBS)
                    .Releases({kPairBrightness}, BrightnessIsCIEVar));
    p.push_back(Float("Alg Brightness Method CIE Var Scale", FIELD(brightness.varScale), CBS)
                    .Releases({kPairBrightness}, BrightnessIsCIEVar));
    p.push_back(Flag("Alg CIE Brighten Only On/Off", FIELD(brightness.brightenOnly), CBS)
                    .Releases({kPairBrightness}, BrightnessIsNotShadowsHighlights));
    p.push_back(Float("Alg SH Shadows Strength", FIELD(brightness.shadows.strength), CS).Updates(kBrightnessStage));
    p.push_back(Float("Alg SH Shadows Width", FIELD(brightness.shadows.width), kColor)
                    .Releases({kPairBrightness}, AlgShadowsActive));
    p.push_back(
        Float("Alg SH Highlights Strength", FIELD(brightness.highlights.strength), CS).Updates(kBrightnessStage));
    p.push_back(Float("Alg SH Highlights Width", FIELD(brightness.highlights.width), CS)
                    .Releases({kPairBrightness}, AlgHighlightsActive));
    p.push_back(Float("Alg Levels Black Point", FIELD(brightness.levels.blackPoint), kColor)
                    .Releases({kPairBrightness}, LevelsActive));
    p.push_back(Range("Alg Levels Mid-Tone Fraction", 0.1f, 0.9f, FIELD(brightness.levels.midToneFraction), kColor)
                    .Releases({kPairBrightness}, LevelsActive));
    p.push_back(Float("Alg Levels White Point", FIELD(brightness.levels.whitePoint), kColor)
                    .Releases({kPairBrightness}, LevelsActive));
    p.push_back(Choice("Alg Color Correction Method", 11, FIELD(colorCorrection.method), CB)
                    .Custom(ChangeColorCorrectionMethod, {kPairColorCorrection, kPairNoiseFlowFieldGPUImage + 1,
                                                          kPairNoiseIsotropicGPUImage + 1, kPairNoiseBilateral + 1}));
    p.push_back(
        Float("Alg Color Correction Strength", FIELD(colorCorrection.strength), CBS).Updates(kColorCorrectionStage));
    p.push_back(
        Flag("Alg Color Correction CIE On/Off", FIELD(colorCorrection.cieOn), CBS).Releases({kPairColorCorrection}));
    p.push_back(
        Float("Alg Color Correction CIE Alpha", FIELD(colorCorrection.cie.x), CBS).Updates(kColorCorrectionStage));
    p.push_back(
        Float("Alg Color Correction CIE Beta", FIELD(colorCorrection.cie.y), CBS).Updates(kColorCorrectionStage));
    p.push_back(Flag("Alg Pouli Post Color Correction Method On/Off", FIELD(colorCorrection.pouliPost), CBS)
                    .Releases({kPairColorCorrection}));
    p.push_back(Flag("Alg Pouli Saturation On/Off", FIELD(colorCorrection.pouliSaturation), kColor)
                    .Releases({kPairColorCorrection}, PouliSaturationApplies));
    p.push_back(Range("Alg Pouli Saturation Exponent", 1.6f, 0.4f, FIELD(colorCorrection.pouliSaturationExponent), CS)
                    .Updates(kColorCorrectionStage));
    p.push_back(
        Range("Alg Filmic Strength", 0, 0.24f, FIELD(brightness.filmicStrength), CBS).Updates(kBrightnessStage));

    // Colour adjustment.
    p.push_back(Flag("CA Grayscale On/Off", FIELD(colorAdjustment.grayscale), CCA).Releases({CA}));
    p.push_back(Choice("CA Grayscale Coefficients", 16, FIELD(colorAdjustment.grayscaleCoefficients), CCA)
                    .Releases({CA}, GrayscaleOn));
    p.push_back(Flag("CA Grayscale At End On/Off", FIELD(colorAdjustment.grayscaleAtEnd), CCA).Releases({CA}));
    p.push_back(Range("CA Temperature", -1, 1, FIELD(colorAdjustment.temperature), CCA).Updates(kColorAdjustmentStage));
    p.push_back(Flag("CA Photo Filter On/Off", FIELD(colorAdjustment.photoFilter), CCA).Releases({CA}));
    p.push_back(Float("CA Photo Filter Strength", FIELD(colorAdjustment.photoFilterStrength), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(
        Float("CA Photo Filter R", FIELD(colorAdjustment.photoFilterColor.x), CCA).Updates(kColorAdjustmentStage));
    p.push_back(
        Float("CA Photo Filter G", FIELD(colorAdjustment.photoFilterColor.y), CCA).Updates(kColorAdjustmentStage));
    p.push_back(
        Float("CA Photo Filter B", FIELD(colorAdjustment.photoFilterColor.z), CCA).Updates(kColorAdjustmentStage));
    p.push_back(
        Float("CA Shadows Strength", FIELD(colorAdjustment.shadows.strength), CCAS).Updates(kColorAdjustmentStage));
    p.push_back(Float("CA Shadows Width", FIELD(colorAdjustment.shadows.width), CCAS).Releases({CA}, CAShadowsActive));
    p.push_back(Float("CA Highlights Strength", FIELD(colorAdjustment.highlights.strength), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(
        Float("CA Highlights Width", FIELD(colorAdjustment.highlights.width), CCAS).Releases({CA}, CAHighlightsActive));
    p.push_back(Range("CA Exposure", -2, 2, FIELD(colorAdjustment.exposure), CCA).Updates(kColorAdjustmentStage));
    p.push_back(Range("CA Exponential Brightness Strength", 0.5f, 1.5f,
                      FIELD(colorAdjustment.exponentialBrightnessStrength), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(Range("CA Saturation Strength", 0, 2, FIELD(colorAdjustment.saturationStrength), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(
        Range("CA Exponential Saturation Strength", 0, 2, FIELD(colorAdjustment.exponentialSaturationStrength), CCAS)
            .Updates(kColorAdjustmentStage));
    p.push_back(
        Range("CA Saturation Contrast Strength", 0.1f, 2.0f, FIELD(colorAdjustment.saturationContrastStrength), CCAS)
            .Updates(kColorAdjustmentStage));
    p.push_back(Range("CA Contrast Strength", 0.5f, 1.5f, FIELD(colorAdjustment.contrastStrength), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(Range("CA Vibrancy Strength", -1, 1, FIELD(colorAdjustment.vibrancyStrength), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(
        Float("CA Effect Strength", FIELD(colorAdjustment.effectStrength), CCAS).Updates(kColorAdjustmentStage));
    p.push_back(
        Choice("CA Tone Map", kToneMapLookCount, FIELD(colorAdjustment.toneMap), CCA).Custom(ChangeToneMap, {CA}));
    p.push_back(
        Float("CA Tone Map Strength", FIELD(colorAdjustment.toneMapStrength), CCAS).Updates(kColorAdjustmentStage));
    p.push_back(Float("CA Photo Filter Tone Map Strength Multiplier",
                      FIELD(colorAdjustment.photoFilterToneMapStrengthMultiplier), CCAS)
                    .Updates(kColorAdjustmentStage));
    p.push_back(Flag("CA Vignette On/Off", FIELD(colorAdjustment.vignette), CCA).Releases({CA}));
    p.push_back(Range("CA Vignette Begin", 0, 0.707107f, FIELD(colorAdjustment.vignetteRange.x), CCA)
                    .Updates(kColorAdjustmentStage));
    p.push_back(Float("CA Vignette End", FIELD(colorAdjustment.vignetteRange.y), CCA).Updates(kColorAdjustmentStage));
    p.push_back(Flag("CA Vignette Black On/Off", FIELD(colorAdjustment.vignetteBlack), CCA).Releases({CA}, VignetteOn));

    // Smoothing.
    p.push_back(Choice("Gaussian Type", 3, FIELD(smoothing.type), kSmoothing).Releases(smoothing));
    p.push_back(Range("Gaussian SigmaS", 0.1f, 1.0f, FIELD(smoothing.sigmaS), kSmoothing).Releases(smoothing));
    p.push_back(Flag("Line Integral On/Off", FIELD(smoothing.lineIntegral), kSmoothing).Untested());
    sParameter iterations =
        Make("Num Line Integral Iterations", eKind::Count, FIELD(smoothing.lineIntegralIterations), kSmoothing);
    p.push_back(iterations.Untested());
    return p;
}

#undef FIELD

}  // namespace

const std::vector<sParameter>& Parameters() {
    static const std::vector<sParameter> parameters = MakeParameters();
    return parameters;
}

const sParameter* FindParameter(std::string_view name) {
    for (const sParameter& parameter : Parameters())
        if (parameter.name == name) return &parameter;
    return nullptr;
}

}  // namespace EngineParameters
