#pragma once
// The filter program builders and the passes that draw them. Every builder takes the caller's
// program slot first and returns at once when it holds a program; otherwise it creates the
// program through the current device's shader manager, stores it in the slot, builds it from
// the texts of ProgramTexts.h with the attribute binding {0, "vaPosition"} and sets its uniforms
// to their starting values. Arguments that give no valid text leave an unbuilt program in the
// slot (drawing with it does nothing) and print why, so a bad setting is not rebuilt every frame.
#include <cstdint>
#include <vector>

#include "gpu/Math.h"

namespace QV::Graphics {

class IDevice;
class IFramebuffer;
class IFramebufferObject;
class IShaderProgram;
class ITexture;
class ITexture2D;
class IVertexArrayObject;

namespace ShaderSource {

void BuildDifferenceOfGaussiansPassProgram(IShaderProgram** slot, int32_t taps, int32_t format, int32_t direction,
                                           bool clipSpaceCoordinates, int32_t varyingCap, int32_t samplerPrecision,
                                           int32_t precision, double sigma, double k, double spacing, float p);
void BuildScaledBlurPassProgram(IShaderProgram** slot, int32_t taps, int32_t format, int32_t direction, bool edgeMask,
                                bool clipSpaceCoordinates, int32_t samplerPrecision, int32_t varyingCap,
                                int32_t precision, double sigma, double spacing);
void BuildSeparableRangeWeightedBlurProgram(IShaderProgram** slot, bool fixedKernel, int32_t taps, int32_t direction,
                                            int32_t luminanceMode, int32_t varyingCap, int32_t precision, double sigma,
                                            double spacing);
void BuildBoxMeanPassProgram(IShaderProgram** slot, int32_t taps, int32_t direction, bool standardDeviation,
                             bool readAlpha, int32_t samplerPrecision, bool floatSums, int32_t varyingCap,
                             int32_t precision, float sumsShift = 0.0f);
void BuildCopyProgram(IShaderProgram** slot, bool channelSwap, int32_t alphaMode, bool textureMatrix, int32_t srgbMode,
                      int32_t varyingCap, int32_t precision);

// taps -1 asks for QV::Math::GaussianTapCount(sigma, step).
void BuildStructureTensorPrograms(IShaderProgram** gradientSlot, IShaderProgram** smoothingSlot,
                                  IShaderProgram** tensorSlot, IShaderProgram** noiseSlot, int32_t taps,
                                  int32_t varyingCap, int32_t precision, bool withAnisotropy, double sigma, double step,
                                  float noiseAmount, bool enforceMinimumGradient, int32_t gradientChannel,
                                  int32_t gradientSamplerPrecision);
void BuildGradientProgram(IShaderProgram** slot, int32_t varyingCap, int32_t precision, bool enforceMinimumGradient,
                          int32_t channel, int32_t samplerPrecision);
void BuildTensorSmoothingPassProgram(IShaderProgram** slot, int32_t taps, const std::vector<double>& weights,
                                     bool vertical, int32_t varyingCap, int32_t precision);
void BuildNoisyEigenvectorProgram(IShaderProgram** slot, bool withAnisotropy, int32_t varyingCap, int32_t precision,
                                  bool signedInput, float noiseAmount);

void BuildFlowBlurProgram(IShaderProgram** slot, int32_t channels, int32_t taps, bool along, int32_t varyingCap,
                          int32_t precision, bool unitStep, bool signedInput, double sigma, double step);
void BuildFlowBilateralProgram(IShaderProgram** slot, int32_t channels, int32_t taps, bool along, int32_t luminanceMode,
                               int32_t varyingCap, int32_t precision, bool unitStep, double sigma, float rangeSigma,
                               double step, bool signedInput);
void BuildFlowRangeWeightedBlurProgram(IShaderProgram** slot, bool fixedWeights, int32_t taps, bool along,
                                       int32_t luminanceMode, int32_t varyingCap, int32_t precision, bool unitStep,
                                       double sigma, double step, bool signedInput);
void BuildFlowSmoothingProgram(IShaderProgram** slot, int32_t format, bool edgeMask, bool across,
                               bool clipSpaceVertexShader, int32_t varyingCap, int32_t precision, bool signedInput,
                               float saturation);

}  // namespace ShaderSource

// Draws a two-pass separable filter: the first program vertically from source into
// intermediate, the second horizontally from intermediate into destination. inverseDimensions
// is (1/width, 1/height) of the level filtered. The targets are not cleared: the quad must
// cover them, as it must in the tensor passes below.
void RenderSeparablePasses(IDevice* device, IFramebuffer* framebuffers, ITexture* textures, IShaderProgram* firstPass,
                           IShaderProgram* secondPass, IVertexArrayObject* quad, IFramebufferObject* firstTarget,
                           IFramebufferObject* secondTarget, ITexture2D* source, ITexture2D* intermediate,
                           const QV::Math::CVector2<float>* inverseDimensions, ITexture2D* destination);

// Gradient, vertical smoothing, horizontal tensor pass and (with the noise flag) the noise pass,
// ping-ponging one framebuffer object between the output and scratch textures; the flow field
// always ends in output.
void RenderStructureTensorPasses(IDevice* device, IFramebuffer* framebuffers, ITexture* textures,
                                 IShaderProgram* gradient, IShaderProgram* smoothing, IShaderProgram* tensor,
                                 IShaderProgram* noise, IVertexArrayObject* quad, ITexture2D* noiseTexture,
                                 const QV::Math::CVector2<float>* gradientInverseDimensions,
                                 const QV::Math::CVector2<float>* smoothingInverseDimensions, bool noisePass,
                                 IFramebufferObject* framebufferObject, ITexture2D* input, ITexture2D* output,
                                 ITexture2D* scratch);

}  // namespace QV::Graphics
