#include "gpu/shadersource/ProgramBuilders.h"

#include <cstdio>
#include <exception>
#include <string>

#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/Texture.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramTexts.h"

namespace QV::Graphics::ShaderSource {

namespace {

// Fills an empty slot: the text first (a refusal leaves an unbuilt program, so the caller does
// not rebuild it every frame), then the program, its build and its starting uniforms. Every
// program starts with the unit-square matrix and img0 on unit 0; setInitial adds the rest.
template <typename MakeText, typename SetInitial>
void FillSlot(IShaderProgram** slot, const char* what, MakeText makeText, SetInitial setInitial) {
    if (*slot != nullptr) return;
    IDevice* device = CDevice::GetCurrentDevice();
    if (device == nullptr) {
        std::fprintf(stderr, "%s: no current graphics device\n", what);
        return;
    }
    ProgramText text;
    bool valid = true;
    try {
        text = makeText();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s not built: %s\n", what, error.what());
        valid = false;
    }
    IShaderProgram* program = device->GetShader()->CreateProgram();
    *slot = program;
    if (!valid) return;
    program->Build(text.vertex, text.fragment, {CVertexAttribute(0, "vaPosition")});
    program->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &UnitSquareToClipMatrix);
    program->SetUniformSampler("img0", 0);
    setInitial(program);
}

void SeparableStart(IShaderProgram* program) { program->SetUniform1f("uInvTextureDimension", 0.0f); }

void FlowStart(IShaderProgram* program) {
    program->SetUniformSampler("img1", 1);
    program->SetUniform2f("uInvTextureDimensions", QV::Math::CVector2<float>(0.0f, 0.0f));
}

}  // namespace

void BuildDifferenceOfGaussiansPassProgram(IShaderProgram** slot, int32_t taps, int32_t format, int32_t direction,
                                           bool clipSpaceCoordinates, int32_t varyingCap, int32_t samplerPrecision,
                                           int32_t precision, double sigma, double k, double spacing, float p) {
    FillSlot(
        slot, "difference-of-Gaussians pass",
        [&] {
            return DifferenceOfGaussiansPassText(taps, format, direction, clipSpaceCoordinates, varyingCap,
                                                 samplerPrecision, precision, sigma, k, spacing, p);
        },
        SeparableStart);
}

void BuildScaledBlurPassProgram(IShaderProgram** slot, int32_t taps, int32_t format, int32_t direction, bool edgeMask,
                                bool clipSpaceCoordinates, int32_t samplerPrecision, int32_t varyingCap,
                                int32_t precision, double sigma, double spacing) {
    FillSlot(
        slot, "scaled blur pass",
        [&] {
            return ScaledBlurPassText(taps, format, direction, edgeMask, clipSpaceCoordinates, samplerPrecision,
                                      varyingCap, precision, sigma, spacing);
        },
        [edgeMask](IShaderProgram* program) {
            SeparableStart(program);
            if (edgeMask) program->SetUniformSampler("img1", 1);
        });
}

void BuildSeparableRangeWeightedBlurProgram(IShaderProgram** slot, bool fixedKernel, int32_t taps, int32_t direction,
                                            int32_t luminanceMode, int32_t varyingCap, int32_t precision, double sigma,
                                            double spacing) {
    FillSlot(
        slot, "range-weighted blur pass",
        [&] {
            return SeparableRangeWeightedBlurText(fixedKernel, taps, direction, luminanceMode, varyingCap, precision,
                                                  sigma, spacing);
        },
        [](IShaderProgram* program) {
            SeparableStart(program);
            program->SetUniform1f("uDistanceFromCenterFactor", 1.0f);
        });
}

void BuildBoxMeanPassProgram(IShaderProgram** slot, int32_t taps, int32_t direction, bool standardDeviation,
                             bool readAlpha, int32_t samplerPrecision, bool floatSums, int32_t varyingCap,
                             int32_t precision, float sumsShift) {
    FillSlot(
        slot, "box-mean pass",
        [&] {
            return BoxMeanPassText(taps, direction, standardDeviation, readAlpha, samplerPrecision, floatSums,
                                   varyingCap, precision, sumsShift);
        },
        SeparableStart);
}

void BuildCopyProgram(IShaderProgram** slot, bool channelSwap, int32_t alphaMode, bool textureMatrix, int32_t srgbMode,
                      int32_t varyingCap, int32_t precision) {
    FillSlot(
        slot, "copy program",
        [&] { return CopyProgramText(channelSwap, alphaMode, textureMatrix, srgbMode, varyingCap, precision); },
        [textureMatrix](IShaderProgram* program) {
            if (textureMatrix)
                program->SetUniformMatrix4fv("uModelViewProjectionTextureMatrix", 1, false, &IdentityMatrix);
        });
}

void BuildGradientProgram(IShaderProgram** slot, int32_t varyingCap, int32_t precision, bool enforceMinimumGradient,
                          int32_t channel, int32_t samplerPrecision) {
    FillSlot(
        slot, "gradient program",
        [&] { return GradientProgramText(varyingCap, precision, enforceMinimumGradient, channel, samplerPrecision); },
        [](IShaderProgram* program) {
            program->SetUniform2f("uInvTextureDimensions", QV::Math::CVector2<float>(0.0f, 0.0f));
        });
}

void BuildTensorSmoothingPassProgram(IShaderProgram** slot, int32_t taps, const std::vector<double>& weights,
                                     bool vertical, int32_t varyingCap, int32_t precision) {
    FillSlot(
        slot, "tensor smoothing pass",
        [&] { return TensorSmoothingPassText(taps, weights, vertical, varyingCap, precision); }, SeparableStart);
}

void BuildNoisyEigenvectorProgram(IShaderProgram** slot, bool withAnisotropy, int32_t varyingCap, int32_t precision,
                                  bool signedInput, float noiseAmount) {
    FillSlot(
        slot, "noisy eigenvector program",
        [&] { return NoisyEigenvectorText(withAnisotropy, varyingCap, precision, signedInput, noiseAmount); },
        [](IShaderProgram* program) {
            program->SetUniformSampler("img1", 1);
            program->SetUniform2f("uNoiseScale", QV::Math::CVector2<float>(1.0f, 1.0f));
            program->SetUniform2f("uNoiseTranslate", QV::Math::CVector2<float>(0.0f, 0.0f));
        });
}

void BuildStructureTensorPrograms(IShaderProgram** gradientSlot, IShaderProgram** smoothingSlot,
                                  IShaderProgram** tensorSlot, IShaderProgram** noiseSlot, int32_t taps,
                                  int32_t varyingCap, int32_t precision, bool withAnisotropy, double sigma, double step,
                                  float noiseAmount, bool enforceMinimumGradient, int32_t gradientChannel,
                                  int32_t gradientSamplerPrecision) {
    if (*gradientSlot && *smoothingSlot && *tensorSlot && *noiseSlot) return;
    if (*gradientSlot == nullptr)
        BuildGradientProgram(gradientSlot, varyingCap, precision, enforceMinimumGradient, gradientChannel,
                             gradientSamplerPrecision);
    if (*smoothingSlot == nullptr && *tensorSlot == nullptr) {
        const int32_t requested = taps == -1 ? QV::Math::GaussianTapCount(sigma, step) : taps;
        // Too many taps (or no weights, for a negative sigma): both texts refuse to be written
        // and both slots get an unbuilt program, without computing weights for them first.
        const bool tooMany = requested > kMaxTapCount;
        const int32_t n = tooMany ? requested : UsableTapCount(requested);
        std::vector<double> weights;
        if (!tooMany) QV::Math::ComputeGaussianWeights(n, weights, sigma, step);
        BuildTensorSmoothingPassProgram(smoothingSlot, n, weights, true, varyingCap, precision);
        FillSlot(
            tensorSlot, "tensor pass",
            [&] { return TensorPassText(n, weights, withAnisotropy, varyingCap, precision); }, SeparableStart);
    }
    if (*noiseSlot == nullptr)
        BuildNoisyEigenvectorProgram(noiseSlot, withAnisotropy, varyingCap, precision, false, noiseAmount);
}

void BuildFlowBlurProgram(IShaderProgram** slot, int32_t channels, int32_t taps, bool along, int32_t varyingCap,
                          int32_t precision, bool unitStep, bool signedInput, double sigma, double step) {
    FillSlot(
        slot, "flow blur program",
        [&] { return FlowBlurText(channels, taps, along, varyingCap, precision, unitStep, signedInput, sigma, step); },
        FlowStart);
}

void BuildFlowBilateralProgram(IShaderProgram** slot, int32_t channels, int32_t taps, bool along, int32_t luminanceMode,
                               int32_t varyingCap, int32_t precision, bool unitStep, double sigma, float rangeSigma,
                               double step, bool signedInput) {
    FillSlot(
        slot, "flow bilateral program",
        [&] {
            return FlowBilateralText(channels, taps, along, luminanceMode, varyingCap, precision, unitStep, sigma,
                                     rangeSigma, step, signedInput);
        },
        FlowStart);
}

void BuildFlowRangeWeightedBlurProgram(IShaderProgram** slot, bool fixedWeights, int32_t taps, bool along,
                                       int32_t luminanceMode, int32_t varyingCap, int32_t precision, bool unitStep,
                                       double sigma, double step, bool signedInput) {
    FillSlot(
        slot, "flow range-weighted blur program",
        [&] {
            return FlowRangeWeightedBlurText(fixedWeights, taps, along, luminanceMode, varyingCap, precision, unitStep,
                                             sigma, step, signedInput);
        },
        [](IShaderProgram* program) {
            FlowStart(program);
            program->SetUniform1f("uDistanceFromCenterFactor", 1.0f);
        });
}

void BuildFlowSmoothingProgram(IShaderProgram** slot, int32_t format, bool edgeMask, bool across,
                               bool clipSpaceVertexShader, int32_t varyingCap, int32_t precision, bool signedInput,
                               float saturation) {
    FillSlot(
        slot, "flow smoothing program",
        [&] {
            return FlowSmoothingText(format, edgeMask, across, clipSpaceVertexShader, varyingCap, precision,
                                     signedInput, saturation);
        },
        [edgeMask](IShaderProgram* program) {
            program->SetUniformSampler("img1", 1);
            if (edgeMask) program->SetUniformSampler("img2", 2);
            program->SetUniform2f("uInvTextureDimensions", QV::Math::CVector2<float>(0.0f, 0.0f));
        });
}

}  // namespace QV::Graphics::ShaderSource

namespace QV::Graphics {

namespace {

// One pass into target: attach, bind, viewport of the target, source on unit 0. Not cleared:
// the quad covers the whole target, so the draw replaces every texel.
void BeginPass(IDevice* device, IFramebuffer* framebuffers, ITexture* textures, IFramebufferObject* framebufferObject,
               ITexture2D* target, ITexture2D* source) {
    framebufferObject->AttachTexture(ATTACHMENT_COLOR0, target);
    framebuffers->BindFramebufferObject(framebufferObject);
    device->SetViewport(0, 0, target->GetWidth(), target->GetHeight());
    textures->BindTexture(0, source);
}

}  // namespace

void RenderSeparablePasses(IDevice* device, IFramebuffer* framebuffers, ITexture* textures, IShaderProgram* firstPass,
                           IShaderProgram* secondPass, IVertexArrayObject* quad, IFramebufferObject* firstTarget,
                           IFramebufferObject* secondTarget, ITexture2D* source, ITexture2D* intermediate,
                           const QV::Math::CVector2<float>* inverseDimensions, ITexture2D* destination) {
    BeginPass(device, framebuffers, textures, firstTarget, intermediate, source);
    firstPass->SetUniform1f("uInvTextureDimension", inverseDimensions->y);
    device->Draw(firstPass, quad, PRIMITIVE_TRIANGLE_STRIP);
    BeginPass(device, framebuffers, textures, secondTarget, destination, intermediate);
    secondPass->SetUniform1f("uInvTextureDimension", inverseDimensions->x);
    device->Draw(secondPass, quad, PRIMITIVE_TRIANGLE_STRIP);
}

void RenderStructureTensorPasses(IDevice* device, IFramebuffer* framebuffers, ITexture* textures,
                                 IShaderProgram* gradient, IShaderProgram* smoothing, IShaderProgram* tensor,
                                 IShaderProgram* noise, IVertexArrayObject* quad, ITexture2D* noiseTexture,
                                 const QV::Math::CVector2<float>* gradientInverseDimensions,
                                 const QV::Math::CVector2<float>* smoothingInverseDimensions, bool noisePass,
                                 IFramebufferObject* framebufferObject, ITexture2D* input, ITexture2D* output,
                                 ITexture2D* scratch) {
    ITexture2D* first = noisePass ? scratch : output;
    ITexture2D* second = noisePass ? output : scratch;
    BeginPass(device, framebuffers, textures, framebufferObject, first, input);
    gradient->SetUniform2f("uInvTextureDimensions", *gradientInverseDimensions);
    device->Draw(gradient, quad, PRIMITIVE_TRIANGLE_STRIP);
    BeginPass(device, framebuffers, textures, framebufferObject, second, first);
    smoothing->SetUniform1f("uInvTextureDimension", smoothingInverseDimensions->y);
    device->Draw(smoothing, quad, PRIMITIVE_TRIANGLE_STRIP);
    BeginPass(device, framebuffers, textures, framebufferObject, first, second);
    tensor->SetUniform1f("uInvTextureDimension", smoothingInverseDimensions->x);
    device->Draw(tensor, quad, PRIMITIVE_TRIANGLE_STRIP);
    if (!noisePass) return;
    BeginPass(device, framebuffers, textures, framebufferObject, second, first);
    textures->BindTexture(1, noiseTexture);
    device->Draw(noise, quad, PRIMITIVE_TRIANGLE_STRIP);
}

}  // namespace QV::Graphics
