// The local-contrast stage: the values of the combine program's uniforms.

#include "engine/LocalContrastStage.h"

#include <cmath>

#include "engine/EngineSettings.h"
#include "engine/ProcessingStage.h"
#include "engine/ShaderSets.h"

using QV::Math::CVector2;
using QV::Math::CVector3;

UniformList LocalContrastUniforms(const sCIE& cie) {
    UniformList u;
    if (cie.contrastBasedOn == eContrastBasedOn::Both)
        u.push_back(sUniformValue::Of("uContrastBasedOnBothBalance", cie.contrastBasedOnBothBalance));
    return u;
}

UniformList ContrastLevelUniforms(const sCIE& cie, float strength) {
    UniformList u;
    const float scale = cie.contrastStrength.x, exponent = cie.contrastStrength.y;
    if (cie.contrastEquation == eContrastEquation::Paper) {
        u.push_back(sUniformValue::Of("uContrastKStrength", strength));
    } else if (cie.contrastEquation == eContrastEquation::Sigmoid) {
        const float e = std::exp(-40.0f * exponent);
        u.push_back(sUniformValue::Of("uNonCIEContrastStrength",
                                      CVector3<float>(scale * strength, e, 1.0f - 1.0f / (e + 1.0f))));
    } else {
        u.push_back(sUniformValue::Of("uNonCIEContrastStrength", CVector2<float>(scale * strength, exponent)));
    }
    u.push_back(sUniformValue::Of("uHaloRemovalStrength", 1.0f - cie.haloStrength));
    return u;
}

namespace {

uint64_t LocalContrastActivity(const sEngineSettings& settings) {
    return ActivityMask({settings.cie.contrastBasedOn == eContrastBasedOn::Both});
}

UniformList EngineLocalContrastUniforms(const sEngineSettings& settings, const sStageContext&) {
    return LocalContrastUniforms(settings.cie);
}

}  // namespace

const sProcessingStage kLocalContrastStage = {kPairCIEContrast, LocalContrastActivity, EngineLocalContrastUniforms};
