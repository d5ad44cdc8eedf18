// The noise-reduction stage: the values of its passes' uniforms.

#include "engine/NoiseReductionStage.h"

#include "engine/EngineSettings.h"

using QV::Math::CVector2;

bool NoiseReductionRuns(const sEngineSettings& settings) {
    const sNoiseReduction& nr = settings.noiseReduction;
    if (!nr.on || settings.luminanceStyle == eLuminanceStyle::None) return false;
    return nr.type != eNoiseReductionType::FlowFieldBilateral || nr.bilateral.sigmaR > 0.005f;
}

UniformList NoiseReductionUniforms(const sNoiseReduction& nr, const CVector2<float>& texel, int32_t step) {
    switch (nr.type) {
    case eNoiseReductionType::FlowFieldGPUImage:
        return {sUniformValue::Of("uDistanceFromCenterFactor", nr.flowField.distanceFactor),
                sUniformValue::Of("uInvTextureDimensions", texel * nr.flowField.spacingFactor)};
    case eNoiseReductionType::IsotropicGPUImage:
        return {
            sUniformValue::Of("uDistanceFromCenterFactor", nr.isotropic.distanceFactor),
            sUniformValue::Of("uInvTextureDimension", nr.isotropic.spacingFactor * (step == 0 ? texel.x : texel.y))};
    case eNoiseReductionType::FlowFieldBilateral: break;
    }
    return {sUniformValue::Of("uInvTextureDimensions", texel)};
}
