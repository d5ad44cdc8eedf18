// The colour-correction stage: its switches and the values of its uniforms.

#include "engine/ColorCorrectionStage.h"

#include "engine/EngineSettings.h"
#include "engine/ProcessingStage.h"
#include "engine/ShaderSets.h"
#include "gpu/shadersource/ColorFunctions.h"

using M = eColorCorrectionMethod;

bool sColorCorrectionOptions::UsesLuminance() const {
    return QV::Graphics::ShaderSource::ColorCorrectionMethodUsesLuminance(ModeIndex(method));
}

sColorCorrectionOptions ColorCorrectionOptions(const sColorCorrection& c, int32_t precision) {
    sColorCorrectionOptions o;
    o.method = c.method;
    o.cie = c.cieOn;
    o.pouliAfter = c.pouliPost && c.method != M::Pouli;
    o.pouliSaturation = c.pouliSaturation && (o.pouliAfter || c.method == M::Pouli);
    o.precision = precision;
    return o;
}

float ColorCorrectionStrengthUniform(const sColorCorrection& correction) {
    const float s = correction.strength;
    switch (correction.method) {
    case M::Deron:
    case M::Yxy: return 1.0f / (7.0f * s + 1.0f);
    case M::Power:
    case M::Lab1:
    case M::Lab2: return 2.0f * s;
    case M::ConstantLuminance: return 1.5f * s;
    case M::Lab0: return 1.0f / (5.0f * s + 3.0f);
    case M::Reinhard: {
        const float d = 5.0f * s + 1.0f;
        return 1.0f / (d * d);
    }
    case M::Drago: return 3.5f * s + 0.5f;
    case M::Pouli:
    case M::None: break;
    }
    return 0.0f;
}

UniformList ColorCorrectionUniforms(const sColorCorrection& correction, const sColorCorrectionOptions& options) {
    UniformList u;
    if (options.UsesLuminance()) {
        u.push_back(sUniformValue::Of("uColorCorrectionStrength", ColorCorrectionStrengthUniform(correction)));
        if (options.cie) u.push_back(sUniformValue::Of("uColorCorrectionCIE", correction.cie));
    }
    if (options.pouliSaturation)
        u.push_back(sUniformValue::Of("uPouliSaturationExponent", correction.pouliSaturationExponent));
    return u;
}

namespace {

uint64_t ColorCorrectionActivity(const sEngineSettings& settings) {
    // Which switches the text holds does not depend on the precision it is written in.
    const sColorCorrectionOptions o =
        ColorCorrectionOptions(settings.colorCorrection, sColorCorrectionOptions{}.precision);
    return ActivityMask({o.UsesLuminance(), o.UsesLuminance() && o.cie, o.pouliAfter, o.pouliSaturation}) |
           (static_cast<uint64_t>(ModeIndex(o.method)) << 32);
}

UniformList EngineColorCorrectionUniforms(const sEngineSettings& settings, const sStageContext& context) {
    return ColorCorrectionUniforms(settings.colorCorrection,
                                   ColorCorrectionOptions(settings.colorCorrection, context.precision));
}

}  // namespace

const sProcessingStage kColorCorrectionStage = {kPairColorCorrection, ColorCorrectionActivity,
                                                EngineColorCorrectionUniforms};
