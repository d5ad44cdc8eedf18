// The brightness and tone stage: activity of its features and the values of their uniforms.

#include "engine/BrightnessStage.h"

#include "engine/EngineSettings.h"
#include "engine/ParameterValues.h"
#include "engine/ProcessingStage.h"
#include "engine/ShaderSets.h"

using EngineParameters::DiffersFrom;
using M = eBrightnessMethod;

bool sBrightnessOptions::CIEOn() const {
    return tone.method == M::CIE || tone.method == M::CIEVar || tone.method == M::CIEAndShadowsHighlights;
}
bool sBrightnessOptions::ShadowsOn() const { return IsShadowsActive(tone.shadows); }
bool sBrightnessOptions::HighlightsOn() const { return IsHighlightsActive(tone.highlights); }
bool sBrightnessOptions::SHOn() const {
    return (tone.method == M::ShadowsHighlights || tone.method == M::CIEAndShadowsHighlights) &&
           (ShadowsOn() || HighlightsOn());
}

bool sBrightnessOptions::LevelsOn() const {
    const sLevels& levels = tone.levels;
    return DiffersFrom(levels.blackPoint, 0.0f) || DiffersFrom(levels.midToneFraction, 0.5f) ||
           DiffersFrom(levels.whitePoint, 1.0f);
}

bool sBrightnessOptions::FilmicOn() const { return DiffersFrom(tone.filmicStrength, 0.0f); }
bool sBrightnessOptions::AnyOn() const { return CIEOn() || SHOn() || LevelsOn(); }
bool sBrightnessOptions::MakesProgram() const { return AnyOn() || FilmicOn() || !localLaplacian; }

sBrightnessOptions BrightnessOptions(const sEngineSettings& settings, int32_t precision) {
    sBrightnessOptions o;
    o.tone = settings.brightness;
    o.localLaplacian = settings.luminanceStyle == eLuminanceStyle::LocalLaplacian;
    o.precision = precision;
    return o;
}

QV::Math::CVector2<float> BrightnessStrengthUniform(const sBrightnessTone& tone) {
    const float b = tone.strength;
    if (b <= 0.5f)
        return tone.strengthMethod == eBrightnessStrengthMethod::ScaleAndExponent
                   ? QV::Math::CVector2<float>(2.0f * b, 1.0f)
                   : QV::Math::CVector2<float>(1.0f, b + 0.5f);
    return {1.0f, (b - 0.5f) * 19.180832f + 1.0f};
}

UniformList BrightnessUniforms(const sBrightnessOptions& o) {
    UniformList u;
    if (o.CIEOn()) u.push_back(sUniformValue::Of("uBrightnessStrength", BrightnessStrengthUniform(o.tone)));
    if (o.SHOn() && o.ShadowsOn())
        u.push_back(sUniformValue::Of("uShadowsStrength", ShadowsStrengthUniform(o.tone.shadows)));
    if (o.SHOn() && o.HighlightsOn())
        u.push_back(sUniformValue::Of("uHighlightsStrength", HighlightsStrengthUniform(o.tone.highlights)));
    if (o.FilmicOn()) u.push_back(sUniformValue::Of("uFilmicStrength", o.tone.filmicStrength));
    return u;
}

namespace {

uint64_t BrightnessActivity(const sEngineSettings& settings) {
    // Which features the text holds does not depend on the precision it is written in.
    const sBrightnessOptions o = BrightnessOptions(settings, sBrightnessOptions{}.precision);
    return ActivityMask({o.CIEOn(), o.SHOn() && o.ShadowsOn(), o.SHOn() && o.HighlightsOn(), o.LevelsOn(), o.FilmicOn(),
                         o.MakesProgram()});
}

UniformList EngineBrightnessUniforms(const sEngineSettings& settings, const sStageContext& context) {
    return BrightnessUniforms(BrightnessOptions(settings, context.precision));
}

}  // namespace

const sProcessingStage kBrightnessStage = {kPairBrightness, BrightnessActivity, EngineBrightnessUniforms};
