#pragma once
// The GLSL text of every filter program the generator builds, without GL: each function returns
// the vertex and fragment text that the matching Build...Program function compiles. Arguments
// are those of the builders (see ProgramBuilders.h). A tap count below 3 is raised to 3 and an
// even one to the next odd count, since every text reads taps 0 to 2 and pairs the rest.
// Arguments that cannot give a valid program (a format or mode without text, a weight that is
// not a number) throw std::invalid_argument.
#include <cstdint>
#include <string>
#include <vector>

namespace QV::Graphics::ShaderSource {

struct ProgramText {
    std::string vertex;
    std::string fragment;
};

// The largest tap count a text is written for. Larger requests (a zero tap step upstream asks
// for two billion) are refused instead of filling memory with weights no GPU could sample.
inline constexpr int32_t kMaxTapCount = 1023;

// The tap count the texts use for a requested one: odd and at least 3; std::invalid_argument
// above kMaxTapCount.
int32_t UsableTapCount(int32_t taps);

ProgramText DifferenceOfGaussiansPassText(int32_t taps, int32_t format, int32_t direction, bool clipSpaceCoordinates,
                                          int32_t varyingCap, int32_t samplerPrecision, int32_t precision, double sigma,
                                          double k, double spacing, float p);
// The tap count after the negligible outer taps are trimmed (at least 3).
int32_t DifferenceOfGaussiansTapCount(int32_t taps, double sigma, double k, double spacing, float p);
ProgramText ScaledBlurPassText(int32_t taps, int32_t format, int32_t direction, bool edgeMask,
                               bool clipSpaceCoordinates, int32_t samplerPrecision, int32_t varyingCap,
                               int32_t precision, double sigma, double spacing);
ProgramText SeparableRangeWeightedBlurText(bool fixedKernel, int32_t taps, int32_t direction, int32_t luminanceMode,
                                           int32_t varyingCap, int32_t precision, double sigma, double spacing);
// With float sums the horizontal pass sums x − sumsShift and its square: sums closer to 0 keep
// more of their precision in a half-float texture, and the variance does not change with it.
ProgramText BoxMeanPassText(int32_t taps, int32_t direction, bool standardDeviation, bool readAlpha,
                            int32_t samplerPrecision, bool floatSums, int32_t varyingCap, int32_t precision,
                            float sumsShift = 0.0f);
// Fragment lines that read a box's float sums, as the horizontal box-mean pass writes them (red:
// of x − sumsShift, green: of its square), from `sampler` at `taps` texel centres down the
// column through vTexture0, a row every `texelHeight` (the name of a uniform), and declare
// `float <deviation>`: the box's standard deviation, as the vertical pass would have stored it.
std::string BoxDeviationFromSumsLines(int32_t taps, const std::string& sampler, const std::string& texelHeight,
                                      const std::string& deviation);
ProgramText CopyProgramText(bool channelSwap, int32_t alphaMode, bool textureMatrix, int32_t srgbMode,
                            int32_t varyingCap, int32_t precision);

ProgramText GradientProgramText(int32_t varyingCap, int32_t precision, bool enforceMinimumGradient, int32_t channel,
                                int32_t samplerPrecision);
ProgramText TensorSmoothingPassText(int32_t taps, const std::vector<double>& weights, bool vertical, int32_t varyingCap,
                                    int32_t precision);
ProgramText TensorPassText(int32_t taps, const std::vector<double>& weights, bool withAnisotropy, int32_t varyingCap,
                           int32_t precision);
ProgramText NoisyEigenvectorText(bool withAnisotropy, int32_t varyingCap, int32_t precision, bool signedInput,
                                 float noiseAmount);
// The tail of the tensor pass: eigen analysis of egf = (E, G, F) and the output, through the
// closing brace of main.
std::string WriteEigenAnalysis(bool withAnisotropy, bool signedOutput);

ProgramText FlowBlurText(int32_t channels, int32_t taps, bool along, int32_t varyingCap, int32_t precision,
                         bool unitStep, bool signedInput, double sigma, double step);
ProgramText FlowBilateralText(int32_t channels, int32_t taps, bool along, int32_t luminanceMode, int32_t varyingCap,
                              int32_t precision, bool unitStep, double sigma, float rangeSigma, double step,
                              bool signedInput);
ProgramText FlowRangeWeightedBlurText(bool fixedWeights, int32_t taps, bool along, int32_t luminanceMode,
                                      int32_t varyingCap, int32_t precision, bool unitStep, double sigma, double step,
                                      bool signedInput);
ProgramText FlowSmoothingText(int32_t format, bool edgeMask, bool across, bool clipSpaceVertexShader,
                              int32_t varyingCap, int32_t precision, bool signedInput, float saturation);

}  // namespace QV::Graphics::ShaderSource
