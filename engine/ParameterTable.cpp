#include "engine/ParameterTable.h"

#include <algorithm>
#include <cmath>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterValues.h"
#include "engine/ToneMapLookTable.h"

namespace EngineParameters {

const std::array<std::string_view, 15> kCategoryNames = {
    "Global", "Contrast", "CIE", "Strength", "Halo", "NR", "NR FF GPU Image", "NR Iso GPU Image",
    "NR FF BF", "Flow Field", "Isotropic", "Color", "Brightness", "CA", "Smoothing"};

sParameter& sParameter::Releases(std::vector<int32_t> p, Predicate when)
{
    effect = eEffect::Release;
    pairs = std::move(p);
    gate = when;
    return *this;
}

sParameter& sParameter::Pushes(int32_t pair, std::vector<std::string_view> names, Action action,
                               Predicate when)
{
    effect = eEffect::Uniform;
    pairs = {pair};
    uniforms = std::move(names);
    push = action;
    gate = when;
    return *this;
}

sParameter& sParameter::Crosses(int32_t pair, std::vector<std::string_view> names,
                                Predicate isActive, Action action, Predicate when)
{
    effect = eEffect::Crossing;
    pairs = {pair};
    uniforms = std::move(names);
    active = isActive;
    push = action;
    gate = when;
    return *this;
}

sParameter& sParameter::Custom(CustomAction action, std::vector<int32_t> p,
                               std::vector<std::string_view> names)
{
    effect = eEffect::Custom;
    custom = action;
    pairs = std::move(p);
    uniforms = std::move(names);
    return *this;
}

float InternalFromValue(const sParameter& parameter, float v)
{
    switch (parameter.kind) {
    case eKind::Choice: return static_cast<float>(ChoiceIndex(v, parameter.choices));
    case eKind::Size:
        return static_cast<float>(parameter.firstSize + 2 * ChoiceIndex(v, parameter.choices));
    case eKind::OnOff: return FlagValue(FlagFromValue(v));
    case eKind::Range: return RangeToInternal(v, parameter.low, parameter.high);
    case eKind::Count: return static_cast<float>(LineIntegralIterationsFromValue(v));
    case eKind::Float:
    case eKind::Ignored: break;
    }
    return v;
}

float ValueFromInternal(const sParameter& parameter, float internal)
{
    switch (parameter.kind) {
    case eKind::Choice:
    case eKind::Size: {
        int32_t index = static_cast<int32_t>(internal);
        if (parameter.kind == eKind::Size)
            index = (index - parameter.firstSize) / 2;
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

std::vector<std::string_view> CategoryNames(uint32_t categories)
{
    std::vector<std::string_view> names;
    for (size_t i = 0; i < kCategoryNames.size(); ++i)
        if (categories & (1u << i))
            names.push_back(kCategoryNames[i]);
    return names;
}

namespace {

// Field accessors as plain function pointers.
#define FIELD(expr) (+[](Engine& e) -> auto& { return e.expr; })

sParameter Make(std::string_view name, eKind kind, Field field, float defaultValue, uint32_t categories)
{
    sParameter p;
    p.name = name;
    p.kind = kind;
    p.field = field;
    p.defaultValue = defaultValue;
    p.categories = categories;
    return p;
}

sParameter Choice(std::string_view name, int32_t n, Field field, float defaultValue, uint32_t categories)
{
    sParameter p = Make(name, eKind::Choice, field, defaultValue, categories);
    p.choices = n;
    return p;
}

sParameter Size(std::string_view name, int32_t n, int32_t firstSize, Field field, float defaultValue,
                uint32_t categories)
{
    sParameter p = Choice(name, n, field, defaultValue, categories);
    p.kind = eKind::Size;
    p.firstSize = firstSize;
    return p;
}

sParameter Flag(std::string_view name, Field field, bool defaultValue, uint32_t categories)
{
    return Make(name, eKind::OnOff, field, defaultValue ? 1.0f : 0.0f, categories);
}

sParameter Range(std::string_view name, float low, float high, Field field, float defaultValue,
                 uint32_t categories)
{
    sParameter p = Make(name, eKind::Range, field, defaultValue, categories);
    p.low = low;
    p.high = high;
    return p;
}

sParameter Float(std::string_view name, Field field, float defaultValue, uint32_t categories)
{
    return Make(name, eKind::Float, field, defaultValue, categories);
}

sParameter Ignored(std::string_view name) { return Make(name, eKind::Ignored, {}, 0.0f, 0); }

using E = Engine;
using namespace QV::Math;

// Gates and activity tests.
bool CIEEquationIsNonCIE(const E& e) { return e.cie.contrastEquation >= 1 && e.cie.contrastEquation <= 3; }
bool BrightnessIsNotShadowsHighlights(const E& e) { return e.brightnessMethod != 2; }
bool BrightnessIsCIEVar(const E& e) { return e.brightnessMethod == 1; }
bool BrightnessUsesShadowsHighlights(const E& e) { return e.brightnessMethod == 2 || e.brightnessMethod == 3; }
bool AlgShadowsActive(const E& e) { return E::IsShadowsActive(e.algShadows); }
bool AlgHighlightsActive(const E& e) { return E::IsHighlightsActive(e.algHighlights); }
bool LevelsActive(const E& e) { return e.AreLevelsActive(); }
bool FilmicActive(const E& e) { return DiffersFrom(e.filmicStrength, 0.0f); }
bool ColorCorrectionUsesLuminance(const E& e)
{
    return e.colorCorrectionMethod != 3 && e.colorCorrectionMethod != 10;
}
bool ColorCorrectionCIEActive(const E& e) { return ColorCorrectionUsesLuminance(e) && e.cie.colorCorrectionCIEOn; }
bool PouliSaturationApplies(const E& e) { return e.pouliPostColorCorrection || e.colorCorrectionMethod == 3; }
bool PouliSaturationActive(const E& e) { return e.pouliSaturation && PouliSaturationApplies(e); }
bool ContrastBasedOnBoth(const E& e) { return e.contrastBasedOn == 2; }
bool GrayscaleOn(const E& e) { return e.colorAdjustment.grayscale; }
bool VignetteOn(const E& e) { return e.colorAdjustment.vignette; }
bool PhotoFilterActive(const E& e) { return e.IsPhotoFilterActive(); }
bool CAShadowsActive(const E& e) { return E::IsShadowsActive(e.colorAdjustment.shadows); }
bool CAHighlightsActive(const E& e) { return E::IsHighlightsActive(e.colorAdjustment.highlights); }

template <float sColorAdjustment::*member, int neutral>
bool CAAway(const E& e)
{
    return DiffersFrom(e.colorAdjustment.*member, static_cast<float>(neutral));
}

template <float sColorAdjustment::*member>
void PushCA(E& e, const char* uniform)
{
    e.SetPairUniform(kPairColorAdjustment, uniform, e.colorAdjustment.*member);
}

// Uniform pushes.
void PushBrightnessStrength(E& e) { e.SetPairUniform(kPairBrightness, "uBrightnessStrength", e.BrightnessStrengthUniform()); }
void PushAlgShadows(E& e) { e.SetPairUniform(kPairBrightness, "uShadowsStrength", E::ShadowsStrengthUniform(e.algShadows)); }
void PushAlgHighlights(E& e) { e.SetPairUniform(kPairBrightness, "uHighlightsStrength", E::HighlightsStrengthUniform(e.algHighlights)); }
void PushFilmic(E& e) { e.SetPairUniform(kPairBrightness, "uFilmicStrength", e.filmicStrength); }
void PushColorCorrectionStrength(E& e)
{
    e.SetPairUniform(kPairColorCorrection, "uColorCorrectionStrength", e.ColorCorrectionStrengthUniform());
}
void PushColorCorrectionCIE(E& e) { e.SetPairUniform(kPairColorCorrection, "uColorCorrectionCIE", e.cie.colorCorrectionCIE); }
void PushPouliExponent(E& e)
{
    e.SetPairUniform(kPairColorCorrection, "uPouliSaturationExponent", e.pouliSaturationExponent);
}
void PushBothBalance(E& e) { e.SetPairUniform(kPairCIEContrast, "uContrastBasedOnBothBalance", e.contrastBasedOnBothBalance); }
void PushPhotoFilterColor(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uPhotoFilterColor", e.colorAdjustment.photoFilterColor * 2.0f);
}
void PushPhotoFilterStrength(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uPhotoFilterStrength",
                     e.colorAdjustment.photoFilterStrength * e.colorAdjustment.photoFilterToneMapStrengthMultiplier);
}
void PushToneMapStrength(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uToneMapStrength",
                     e.colorAdjustment.toneMapStrength * e.colorAdjustment.photoFilterToneMapStrengthMultiplier);
}
void PushVignetteRange(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uVignetteRange", E::VignetteRangeUniform(e.colorAdjustment.vignetteRange));
}
void PushCAShadows(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uShadowsStrength", E::ShadowsStrengthUniform(e.colorAdjustment.shadows));
}
void PushCAHighlights(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uHighlightsStrength",
                     E::HighlightsStrengthUniform(e.colorAdjustment.highlights));
}
void PushExponentialBrightness(E& e)
{
    const double s = e.colorAdjustment.exponentialBrightnessStrength;
    const bool exponential = s > 1.0;
    e.SetPairUniform(kPairColorAdjustment, "uExponentialBrightness", exponential ? 1.0f : 0.0f);
    e.SetPairUniform(kPairColorAdjustment, "uExponentialBrightnessStrength",
                     exponential ? static_cast<float>(1.0 / ((2.0 * s - 1.0) + 0.001)) : static_cast<float>(s));
}
void PushExponentialSaturation(E& e)
{
    e.SetPairUniform(kPairColorAdjustment, "uExponentialSaturationStrength",
                     1.0f / std::max(e.colorAdjustment.exponentialSaturationStrength, 0.001f));
}

// Custom rules.
int32_t ColorSpaceClass(int32_t method) { return method >= 4 && method <= 6 ? 1 : method == 7 ? 2 : 0; }

void ChangeColorCorrectionMethod(E& e, float oldInternal)
{
    const int32_t previous = static_cast<int32_t>(oldInternal);
    const int32_t method = e.colorCorrectionMethod;
    // Lab1 and Lab2 share the colour-correction text; their input conversions differ.
    const bool labPair = (previous == 6 && method == 7) || (previous == 7 && method == 6);
    if (!labPair)
        e.ReleasePrograms({kPairColorCorrection});
    if (ColorSpaceClass(previous) != ColorSpaceClass(method))
        e.ReleasePrograms({kPairNoiseFlowFieldGPUImage + 1, kPairNoiseIsotropicGPUImage + 1, kPairNoiseBilateral + 1});
}

void ChangeToneMap(E& e, float oldInternal)
{
    const sColorAdjustment& ca = e.colorAdjustment;
    const bool wasActive = ::IsToneMapLookActive(static_cast<int32_t>(oldInternal), ca.toneMapStrength,
                                                 ca.photoFilterToneMapStrengthMultiplier);
    if (wasActive || e.IsToneMapLookActive()) {
        e.ReleaseLookTexture();
        e.ReleasePrograms({kPairColorAdjustment});
    }
}

void ChangeToneMapStrength(E& e, float oldInternal)
{
    const sColorAdjustment& ca = e.colorAdjustment;
    const bool wasActive = ::IsToneMapLookActive(ca.toneMap, oldInternal, ca.photoFilterToneMapStrengthMultiplier);
    const bool isActive = e.IsToneMapLookActive();
    if (wasActive != isActive) {
        e.ReleaseLookTexture();
        e.ReleasePrograms({kPairColorAdjustment});
    } else if (isActive) {
        PushToneMapStrength(e);
    }
}

void ChangeToneMapMultiplier(E& e, float oldInternal)
{
    const sColorAdjustment& ca = e.colorAdjustment;
    const bool photoWas = ca.photoFilter && DiffersFrom(ca.photoFilterStrength, 0.0f) && DiffersFrom(oldInternal, 0.0f);
    const bool lookWas = ::IsToneMapLookActive(ca.toneMap, ca.toneMapStrength, oldInternal);
    const bool photoIs = e.IsPhotoFilterActive();
    const bool lookIs = e.IsToneMapLookActive();
    if (lookWas != lookIs)
        e.ReleaseLookTexture();
    if (photoWas != photoIs || lookWas != lookIs) {
        e.ReleasePrograms({kPairColorAdjustment});
        return;
    }
    if (photoIs)
        PushPhotoFilterStrength(e);
    if (lookIs)
        PushToneMapStrength(e);
}

std::vector<sParameter> MakeParameters()
{
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
    p.push_back(Choice("Luminance Style", 4, FIELD(luminanceStyle), 0, kGlobal).Releases({kPairBrightness}));
    p.push_back(Float("Level 0 Contrast Strength", FIELD(levelContrastStrengths[0]), 1, C).Untested());
    p.push_back(Float("Level 1 Contrast Strength", FIELD(levelContrastStrengths[1]), 1, C).Untested());
    p.push_back(Float("Level 2 Contrast Strength", FIELD(levelContrastStrengths[2]), 1, C).Untested());
    p.push_back(Range("Tone Mapping P", 2.4f, 6.7f, FIELD(toneMapping.p), 2.4f, C).Releases(toneMapping));
    p.push_back(Size("Tone Mapping Dimension", 2, 5, FIELD(toneMapping.dimension), 5, C).Releases(toneMapping));
    p.push_back(Choice("Contrast Based On", 4, FIELD(contrastBasedOn), 3, C).Releases({kPairCIEContrast}));
    p.push_back(Float("Contrast Based On Both Balance", FIELD(contrastBasedOnBothBalance), 0.5f, C)
                    .Pushes(kPairCIEContrast, {"uContrastBasedOnBothBalance"}, PushBothBalance, ContrastBasedOnBoth));

    // CIE contrast and halo.
    p.push_back(Choice("CIE Contrast Equation", 4, FIELD(cie.contrastEquation), 0, CIEC).Releases({kPairCIEContrast}));
    p.push_back(Float("CIE Contrast K Strength", FIELD(cie.contrastK), 0.5f, CIECS));
    p.push_back(Range("CIE Non-CIE Contrast Strength Scale", 0, 20, FIELD(cie.contrastStrength.x), 1, CIECS));
    p.push_back(Float("CIE Non-CIE Contrast Strength Exponent", FIELD(cie.contrastStrength.y), 1, CIECS));
    p.push_back(Range("CIE Non-CIE Contrast Range Low", 0, 0.02f, FIELD(cie.contrastRange.x), 0, CIECS)
                    .Releases({kPairCIEContrast}, CIEEquationIsNonCIE));
    p.push_back(Float("CIE Non-CIE Contrast Range High", FIELD(cie.contrastRange.y), 1, CIECS)
                    .Releases({kPairCIEContrast}, CIEEquationIsNonCIE));
    p.push_back(Choice("CIE Contrast Compression", 6, FIELD(cie.compression), 1, CIEC).Releases({kPairCIEContrast}));
    p.push_back(Choice("CIE Contrast Compression Side", 3, FIELD(cie.compressionSide), 0, CIEC).Releases({kPairCIEContrast}));
    p.push_back(Float("CIE Contrast Compression Strength", FIELD(cie.compressionStrength), 0.5f, CIECS)
                    .Releases({kPairCIEContrast}));
    p.push_back(Float("CIE Contrast Compression Interval", FIELD(cie.compressionInterval), 0.5f, CIEC)
                    .Releases({kPairCIEContrast}));
    p.push_back(Float("CIE Halo Strength", FIELD(cie.haloStrength), 0, kCIE | kHalo | kStrength));
    p.push_back(Float("CIE Halo Maximum Width", FIELD(cie.haloMaximumWidth), 0, kCIE | kHalo));
    p.push_back(Choice("CIE Halo Removal Type", 3, FIELD(cie.haloRemovalType), 2, kCIE | kHalo).Releases({kPairCIEContrast}));

    // Local Laplacian: no stage of the engine reads them any more; stored edits still carry them.
    for (std::string_view name : {"LL SigmaS", "LL SigmaR", "LL Alpha", "LL Automatic Alpha On/Off",
                                  "LL Automatic Alpha Strength", "LL Beta", "LL Halo Strength",
                                  "LL Flow Field On/Off", "LL Along Gradient On/Off",
                                  "LL Noise Reduction On/Off", "LL Noise Reduction Edge1"})
        p.push_back(Ignored(name));

    // Noise reduction.
    p.push_back(Flag("NR On/Off", FIELD(noiseReduction.on), false, NRAll).Untested());
    p.push_back(Choice("NR Type", 3, FIELD(noiseReduction.type), 2, NRAll).Untested());
    p.push_back(Flag("NR Scale On Save On/Off", FIELD(noiseReduction.scaleOnSave), false, NRAll).Releases(allNoise));
    p.push_back(Size("NR Dimension", 5, 3, FIELD(noiseReduction.dimension), 9, NRAll).Releases(allNoise));
    p.push_back(Range("NR Flow Field GPU Image SigmaS", 0.1f, 4.0f, FIELD(noiseReduction.flowField.sigmaS), 2.5f, NRFF)
                    .Releases(flowFieldNoise));
    p.push_back(Range("NR Flow Field GPU Image Distance Factor", 0, 10, FIELD(noiseReduction.flowField.distanceFactor), 8, NRFF));
    p.push_back(Float("NR Flow Field GPU Image Spacing Factor", FIELD(noiseReduction.flowField.spacingFactor), 0.1f, NRFF));
    p.push_back(Flag("NR Flow Field GPU Image Shader Same As GPUImage", FIELD(noiseReduction.flowField.shaderSameAsGPUImage),
                     false, NRFF).Releases(flowFieldNoise));
    p.push_back(Range("NR Isotropic GPU Image SigmaS", 0.1f, 4.0f, FIELD(noiseReduction.isotropic.sigmaS), 2.5f, NRISO)
                    .Releases(isotropicNoise));
    p.push_back(Range("NR Isotropic GPU Image Distance Factor", 0, 10, FIELD(noiseReduction.isotropic.distanceFactor), 8, NRISO));
    p.push_back(Float("NR Isotropic GPU Image Spacing Factor", FIELD(noiseReduction.isotropic.spacingFactor), 0.1f, NRISO));
    p.push_back(Flag("NR Isotropic GPU Image Shader Same As GPUImage", FIELD(noiseReduction.isotropic.shaderSameAsGPUImage),
                     false, NRISO).Releases(isotropicNoise));
    p.push_back(Range("NR Flow Field Bilateral SigmaS", 0.1f, 4.0f, FIELD(noiseReduction.bilateral.sigmaS), 1.5f, NRBF)
                    .Releases(bilateralNoise));
    p.push_back(Range("NR Flow Field Bilateral SigmaR", 0.005f, 0.1f, FIELD(noiseReduction.bilateral.sigmaR), 0.015f, NRBF)
                    .Releases(bilateralNoise));

    // Brightness and colour correction.
    p.push_back(Choice("Alg Brightness Method", 4, FIELD(brightnessMethod), 0, CB).Releases({kPairBrightness}));
    p.push_back(Choice("Alg CIE Brightness Strength Method", 2, FIELD(brightnessStrengthMethod), 1, CBS)
                    .Pushes(kPairBrightness, {"uBrightnessStrength"}, PushBrightnessStrength, BrightnessIsNotShadowsHighlights));
    p.push_back(Float("Alg CIE Brightness Strength", FIELD(cie.brightnessStrength), 0.5f, CBS)
                    .Pushes(kPairBrightness, {"uBrightnessStrength"}, PushBrightnessStrength, BrightnessIsNotShadowsHighlights));
    p.push_back(Float("Alg Brightness Method CIE Var Exponent", FIELD(cie.brightnessVarExponent), 1, CBS)
                    .Releases({kPairBrightness}, BrightnessIsCIEVar));
    p.push_back(Float("Alg Brightness Method CIE Var Scale", FIELD(cie.brightnessVarScale), 1, CBS)
                    .Releases({kPairBrightness}, BrightnessIsCIEVar));
    p.push_back(Flag("Alg CIE Brighten Only On/Off", FIELD(cie.brightenOnly), false, CBS)
                    .Releases({kPairBrightness}, BrightnessIsNotShadowsHighlights));
    p.push_back(Float("Alg SH Shadows Strength", FIELD(algShadows.strength), 0, CS)
                    .Crosses(kPairBrightness, {"uShadowsStrength"}, AlgShadowsActive, PushAlgShadows,
                             BrightnessUsesShadowsHighlights));
    p.push_back(Float("Alg SH Shadows Width", FIELD(algShadows.width), 0.85f, kColor)
                    .Releases({kPairBrightness}, AlgShadowsActive));
    p.push_back(Float("Alg SH Highlights Strength", FIELD(algHighlights.strength), 1, CS)
                    .Crosses(kPairBrightness, {"uHighlightsStrength"}, AlgHighlightsActive, PushAlgHighlights,
                             BrightnessUsesShadowsHighlights));
    p.push_back(Float("Alg SH Highlights Width", FIELD(algHighlights.width), 0.85f, CS)
                    .Releases({kPairBrightness}, AlgHighlightsActive));
    p.push_back(Float("Alg Levels Black Point", FIELD(levels.blackPoint), 0, kColor).Releases({kPairBrightness}, LevelsActive));
    p.push_back(Range("Alg Levels Mid-Tone Fraction", 0.1f, 0.9f, FIELD(levels.midToneFraction), 0.5f, kColor)
                    .Releases({kPairBrightness}, LevelsActive));
    p.push_back(Float("Alg Levels White Point", FIELD(levels.whitePoint), 1, kColor).Releases({kPairBrightness}, LevelsActive));
    p.push_back(Choice("Alg Color Correction Method", 11, FIELD(colorCorrectionMethod), 0, CB)
                    .Custom(ChangeColorCorrectionMethod, {kPairColorCorrection, kPairNoiseFlowFieldGPUImage + 1,
                                                          kPairNoiseIsotropicGPUImage + 1, kPairNoiseBilateral + 1}));
    p.push_back(Float("Alg Color Correction Strength", FIELD(colorCorrectionStrength), 0.171429f, CBS)
                    .Pushes(kPairColorCorrection, {"uColorCorrectionStrength"}, PushColorCorrectionStrength,
                            ColorCorrectionUsesLuminance));
    p.push_back(Flag("Alg Color Correction CIE On/Off", FIELD(cie.colorCorrectionCIEOn), false, CBS)
                    .Releases({kPairColorCorrection}));
    p.push_back(Float("Alg Color Correction CIE Alpha", FIELD(cie.colorCorrectionCIE.x), 1, CBS)
                    .Pushes(kPairColorCorrection, {"uColorCorrectionCIE"}, PushColorCorrectionCIE, ColorCorrectionCIEActive));
    p.push_back(Float("Alg Color Correction CIE Beta", FIELD(cie.colorCorrectionCIE.y), 0, CBS)
                    .Pushes(kPairColorCorrection, {"uColorCorrectionCIE"}, PushColorCorrectionCIE, ColorCorrectionCIEActive));
    p.push_back(Flag("Alg Pouli Post Color Correction Method On/Off", FIELD(pouliPostColorCorrection), false, CBS)
                    .Releases({kPairColorCorrection}));
    p.push_back(Flag("Alg Pouli Saturation On/Off", FIELD(pouliSaturation), false, kColor)
                    .Releases({kPairColorCorrection}, PouliSaturationApplies));
    p.push_back(Range("Alg Pouli Saturation Exponent", 1.6f, 0.4f, FIELD(pouliSaturationExponent), 1, CS)
                    .Pushes(kPairColorCorrection, {"uPouliSaturationExponent"}, PushPouliExponent, PouliSaturationActive));
    p.push_back(Range("Alg Filmic Strength", 0, 0.24f, FIELD(filmicStrength), 0.12f, CBS)
                    .Crosses(kPairBrightness, {"uFilmicStrength"}, FilmicActive, PushFilmic));

    // Colour adjustment.
    p.push_back(Flag("CA Grayscale On/Off", FIELD(colorAdjustment.grayscale), false, CCA).Releases({CA}));
    p.push_back(Choice("CA Grayscale Coefficients", 16, FIELD(colorAdjustment.grayscaleCoefficients), 0, CCA)
                    .Releases({CA}, GrayscaleOn));
    p.push_back(Flag("CA Grayscale At End On/Off", FIELD(colorAdjustment.grayscaleAtEnd), false, CCA).Releases({CA}));
    p.push_back(Range("CA Temperature", -1, 1, FIELD(colorAdjustment.temperature), 0, CCA)
                    .Crosses(CA, {"uTemperature"}, CAAway<&sColorAdjustment::temperature, 0>,
                             [](E& e) { PushCA<&sColorAdjustment::temperature>(e, "uTemperature"); }));
    p.push_back(Flag("CA Photo Filter On/Off", FIELD(colorAdjustment.photoFilter), false, CCA).Releases({CA}));
    p.push_back(Float("CA Photo Filter Strength", FIELD(colorAdjustment.photoFilterStrength), 1, CCAS)
                    .Crosses(CA, {"uPhotoFilterStrength"}, PhotoFilterActive, PushPhotoFilterStrength));
    p.push_back(Float("CA Photo Filter R", FIELD(colorAdjustment.photoFilterColor.x), 0.9254f, CCA)
                    .Pushes(CA, {"uPhotoFilterColor"}, PushPhotoFilterColor, PhotoFilterActive));
    p.push_back(Float("CA Photo Filter G", FIELD(colorAdjustment.photoFilterColor.y), 0.5411f, CCA)
                    .Pushes(CA, {"uPhotoFilterColor"}, PushPhotoFilterColor, PhotoFilterActive));
    p.push_back(Float("CA Photo Filter B", FIELD(colorAdjustment.photoFilterColor.z), 0, CCA)
                    .Pushes(CA, {"uPhotoFilterColor"}, PushPhotoFilterColor, PhotoFilterActive));
    p.push_back(Float("CA Shadows Strength", FIELD(colorAdjustment.shadows.strength), 0, CCAS)
                    .Crosses(CA, {"uShadowsStrength"}, CAShadowsActive, PushCAShadows));
    p.push_back(Float("CA Shadows Width", FIELD(colorAdjustment.shadows.width), 0.85f, CCAS).Releases({CA}, CAShadowsActive));
    p.push_back(Float("CA Highlights Strength", FIELD(colorAdjustment.highlights.strength), 1, CCAS)
                    .Crosses(CA, {"uHighlightsStrength"}, CAHighlightsActive, PushCAHighlights));
    p.push_back(Float("CA Highlights Width", FIELD(colorAdjustment.highlights.width), 0.85f, CCAS)
                    .Releases({CA}, CAHighlightsActive));
    p.push_back(Range("CA Exposure", -2, 2, FIELD(colorAdjustment.exposure), 0, CCA)
                    .Crosses(CA, {"uExposure"}, CAAway<&sColorAdjustment::exposure, 0>,
                             [](E& e) { PushCA<&sColorAdjustment::exposure>(e, "uExposure"); }));
    p.push_back(Range("CA Exponential Brightness Strength", 0.5f, 1.5f, FIELD(colorAdjustment.exponentialBrightnessStrength), 1, CCAS)
                    .Crosses(CA, {"uExponentialBrightness", "uExponentialBrightnessStrength"},
                             CAAway<&sColorAdjustment::exponentialBrightnessStrength, 1>, PushExponentialBrightness));
    p.push_back(Range("CA Saturation Strength", 0, 2, FIELD(colorAdjustment.saturationStrength), 1, CCAS)
                    .Crosses(CA, {"uSaturationStrength"}, CAAway<&sColorAdjustment::saturationStrength, 1>,
                             [](E& e) { PushCA<&sColorAdjustment::saturationStrength>(e, "uSaturationStrength"); }));
    p.push_back(Range("CA Exponential Saturation Strength", 0, 2, FIELD(colorAdjustment.exponentialSaturationStrength), 1, CCAS)
                    .Crosses(CA, {"uExponentialSaturationStrength"},
                             CAAway<&sColorAdjustment::exponentialSaturationStrength, 1>, PushExponentialSaturation));
    p.push_back(Range("CA Saturation Contrast Strength", 0.1f, 2.0f, FIELD(colorAdjustment.saturationContrastStrength), 1, CCAS)
                    .Crosses(CA, {"uSaturationContrastStrength"}, CAAway<&sColorAdjustment::saturationContrastStrength, 1>,
                             [](E& e) { PushCA<&sColorAdjustment::saturationContrastStrength>(e, "uSaturationContrastStrength"); }));
    p.push_back(Range("CA Contrast Strength", 0.5f, 1.5f, FIELD(colorAdjustment.contrastStrength), 1, CCAS)
                    .Crosses(CA, {"uContrastStrength"}, CAAway<&sColorAdjustment::contrastStrength, 1>,
                             [](E& e) { PushCA<&sColorAdjustment::contrastStrength>(e, "uContrastStrength"); }));
    p.push_back(Range("CA Vibrancy Strength", -1, 1, FIELD(colorAdjustment.vibrancyStrength), 0, CCAS)
                    .Crosses(CA, {"uVibrancyStrength"}, CAAway<&sColorAdjustment::vibrancyStrength, 0>,
                             [](E& e) { PushCA<&sColorAdjustment::vibrancyStrength>(e, "uVibrancyStrength"); }));
    p.push_back(Float("CA Effect Strength", FIELD(colorAdjustment.effectStrength), 1, CCAS)
                    .Crosses(CA, {"uEffectStrength"}, CAAway<&sColorAdjustment::effectStrength, 1>,
                             [](E& e) { PushCA<&sColorAdjustment::effectStrength>(e, "uEffectStrength"); }));
    p.push_back(Choice("CA Tone Map", kToneMapLookCount, FIELD(colorAdjustment.toneMap), 0, CCA)
                    .Custom(ChangeToneMap, {CA}));
    p.push_back(Float("CA Tone Map Strength", FIELD(colorAdjustment.toneMapStrength), 1, CCAS)
                    .Custom(ChangeToneMapStrength, {CA}, {"uToneMapStrength"}));
    p.push_back(Float("CA Photo Filter Tone Map Strength Multiplier", FIELD(colorAdjustment.photoFilterToneMapStrengthMultiplier),
                      1, CCAS)
                    .Custom(ChangeToneMapMultiplier, {CA}, {"uPhotoFilterStrength", "uToneMapStrength"}));
    p.push_back(Flag("CA Vignette On/Off", FIELD(colorAdjustment.vignette), false, CCA).Releases({CA}));
    p.push_back(Range("CA Vignette Begin", 0, 0.707107f, FIELD(colorAdjustment.vignetteRange.x), 0.707107f, CCA)
                    .Pushes(CA, {"uVignetteRange"}, PushVignetteRange, VignetteOn));
    p.push_back(Float("CA Vignette End", FIELD(colorAdjustment.vignetteRange.y), 0.83f, CCA)
                    .Pushes(CA, {"uVignetteRange"}, PushVignetteRange, VignetteOn));
    p.push_back(Flag("CA Vignette Black On/Off", FIELD(colorAdjustment.vignetteBlack), true, CCA).Releases({CA}, VignetteOn));

    // Smoothing.
    p.push_back(Choice("Gaussian Type", 3, FIELD(smoothing.type), 2, kSmoothing).Releases(smoothing));
    p.push_back(Range("Gaussian SigmaS", 0.1f, 1.0f, FIELD(smoothing.sigmaS), 1, kSmoothing).Releases(smoothing));
    p.push_back(Flag("Line Integral On/Off", FIELD(smoothing.lineIntegral), false, kSmoothing).Untested());
    sParameter iterations = Make("Num Line Integral Iterations", eKind::Count, FIELD(smoothing.lineIntegralIterations),
                                 1, kSmoothing);
    p.push_back(iterations.Untested());
    return p;
}

#undef FIELD

} // namespace

const std::vector<sParameter>& Parameters()
{
    static const std::vector<sParameter> parameters = MakeParameters();
    return parameters;
}

const sParameter* FindParameter(std::string_view name)
{
    for (const sParameter& parameter : Parameters())
        if (parameter.name == name)
            return &parameter;
    return nullptr;
}

} // namespace EngineParameters
