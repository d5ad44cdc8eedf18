// The local-contrast stage: the values of the combine program's uniforms.

#include "engine/LocalContrastStage.h"

#include <cmath>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ProcessingStage.h"

using QV::Math::CVector2;
using QV::Math::CVector3;

UniformList LocalContrastUniforms(const sCIE& cie)
{
    UniformList u;
    if (cie.contrastBasedOn == eContrastBasedOn::Both)
        u.push_back(sUniformValue::Of("uContrastBasedOnBothBalance", cie.contrastBasedOnBothBalance));
    return u;
}

UniformList LocalContrastUniforms(const AmbrelGraphicsController& engine) { return LocalContrastUniforms(engine.cie); }

UniformList ContrastLevelUniforms(const sCIE& cie, float strength)
{
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

uint64_t LocalContrastActivity(const AmbrelGraphicsController& engine)
{
    return ActivityMask({engine.cie.contrastBasedOn == eContrastBasedOn::Both});
}

}  // namespace

const sProcessingStage kLocalContrastStage = {
    kPairCIEContrast, LocalContrastActivity,
    [](const AmbrelGraphicsController& e) { return LocalContrastUniforms(e); }};
