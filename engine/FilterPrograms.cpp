// Which generator builder fills which filter pair, with which tap count, direction, sigma and
// spacing, from the stage's settings and the context's filter-scale record. Every builder
// leaves a filled slot alone, so these run on every rebuild.

#include <cmath>

#include "engine/EnginePrograms.h"
#include "engine/NoiseReductionStage.h"
#include "engine/ProgramBuild.h"
#include "engine/ShaderSets.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramBuilders.h"
#include "gpu/shadersource/ProgramTexts.h"

namespace SS = QV::Graphics::ShaderSource;
using QV::Graphics::IShaderProgram;

namespace {

// The bilateral noise filter leaves out its outermost tap pairs while together they weigh under
// this share of its Gaussian: weighted again by their likeness to the centre, they move a
// filtered value by a small fraction of a level, and every pair costs two of a pass's fetches.
constexpr double kNoiseTailLeftOut = 0.02;

// The program context as the generator's builders take it.
struct Context {
    const sProgramContext& program;
    const sFilterScale& record;
    int32_t precision;
    int32_t cap;

    explicit Context(const sProgramContext& p)
        : program(p), record(p.filterScale), precision(p.Precision()), cap(p.varyingCap) {}
    IShaderProgram** Slot(int32_t pair) const { return &program.Slot(pair); }
};

}  // namespace

int32_t NoiseReductionVerticalLuminanceMode(eColorCorrectionMethod colorCorrectionMethod) {
    switch (colorCorrectionMethod) {
    case eColorCorrectionMethod::Lab0:
    case eColorCorrectionMethod::Yxy:
    case eColorCorrectionMethod::Lab1: return 1;
    case eColorCorrectionMethod::Lab2: return 2;
    default: return 0;
    }
}

int32_t BoxMeanTapCount(const sFilterScale& record) { return record.KernelByScale(9); }

// The horizontal passes alone: the combine sums the box's rows itself where it reads the local
// deviation (a pass of its own cost the write and the read of one more full-size texture).
void BuildBoxMeanPrograms(const sProgramContext& context) {
    const Context c(context);
    const int32_t n = BoxMeanTapCount(c.record);
    SS::BuildBoxMeanPassProgram(c.Slot(kPairBoxMeanFirst), n, 0, true, true, 0, true, c.cap, c.precision,
                                kBoxSumsShift);
    SS::BuildBoxMeanPassProgram(c.Slot(kPairBoxMeanFirst + 1), n, 0, true, false, 1, true, c.cap, c.precision,
                                kBoxSumsShift);
}

namespace {

// The noise filter's kernel: saving may filter at the requested scale so that the
// full-resolution render matches.
int32_t NoiseReductionKernel(const sNoiseReduction& nr, const sFilterScale& record) {
    return nr.scaleOnSave ? record.KernelByRequested(nr.dimension) : record.KernelByScale(nr.dimension);
}

double NoiseReductionSpacing(const sNoiseReduction& nr, const sFilterScale& record) {
    return nr.scaleOnSave ? record.inverseRequestedScale : record.inverseScale;
}

}  // namespace

int32_t NoiseReductionReach(const sNoiseReduction& nr, const sFilterScale& record) {
    // Half the kernel's taps, a step apart along the flow; a step is up to 1.5 pixels long
    // (its larger component one pixel).
    const double reach = NoiseReductionKernel(nr, record) / 2 * NoiseReductionSpacing(nr, record) * 1.5;
    return static_cast<int32_t>(std::ceil(reach)) + 1;
}

void BuildNoiseReductionPrograms(const sNoiseReduction& nr, eColorCorrectionMethod colorCorrectionMethod,
                                 const sProgramContext& context) {
    const Context c(context);
    const int32_t n = NoiseReductionKernel(nr, c.record);
    const double spacing = NoiseReductionSpacing(nr, c.record);
    const int32_t vertical = NoiseReductionVerticalLuminanceMode(colorCorrectionMethod);
    constexpr int32_t horizontal = 4;

    SS::BuildFlowRangeWeightedBlurProgram(c.Slot(kPairNoiseFlowFieldGPUImage), nr.flowField.shaderSameAsGPUImage, n,
                                          false, horizontal, c.cap, c.precision, false, nr.flowField.sigmaS, spacing,
                                          false);
    SS::BuildFlowRangeWeightedBlurProgram(c.Slot(kPairNoiseFlowFieldGPUImage + 1), nr.flowField.shaderSameAsGPUImage, n,
                                          true, vertical, c.cap, c.precision, false, nr.flowField.sigmaS, spacing,
                                          false);
    SS::BuildSeparableRangeWeightedBlurProgram(c.Slot(kPairNoiseIsotropicGPUImage), nr.isotropic.shaderSameAsGPUImage,
                                               n, 0, horizontal, c.cap, c.precision, nr.isotropic.sigmaS, spacing);
    SS::BuildSeparableRangeWeightedBlurProgram(c.Slot(kPairNoiseIsotropicGPUImage + 1),
                                               nr.isotropic.shaderSameAsGPUImage, n, 1, vertical, c.cap, c.precision,
                                               nr.isotropic.sigmaS, spacing);
    const bool unitStep = c.precision == 2;
    const int32_t bilateralTaps = QV::Math::GaussianTapsKeeping(n, nr.bilateral.sigmaS, spacing, kNoiseTailLeftOut);
    SS::BuildFlowBilateralProgram(c.Slot(kPairNoiseBilateral), 4, bilateralTaps, false, horizontal, c.cap, c.precision,
                                  unitStep, nr.bilateral.sigmaS, nr.bilateral.sigmaR, spacing, false);
    SS::BuildFlowBilateralProgram(c.Slot(kPairNoiseBilateral + 1), 3, bilateralTaps, true, vertical, c.cap, c.precision,
                                  unitStep, nr.bilateral.sigmaS, nr.bilateral.sigmaR, spacing, false);
}

void BuildStructureTensorFilterPrograms(const sProgramContext& context) {
    const Context c(context);
    // No noise pass is drawn by the engine: its slot is handed over as already filled.
    static QV::Graphics::CShaderProgram noNoiseProgram;
    IShaderProgram* noiseSlot = &noNoiseProgram;
    const int32_t n = c.record.KernelByScale(5);
    const double step = c.record.inverseScale * static_cast<double>(0.6f);
    SS::BuildStructureTensorPrograms(c.Slot(kPairGradient0), c.Slot(kPairTensorSmoothing), c.Slot(kPairTensorEigen),
                                     &noiseSlot, n, c.cap, c.precision, false, 1.0, step, 0.5f, c.record.tensorFlag, 0,
                                     0);
    SS::BuildStructureTensorPrograms(c.Slot(kPairGradient1), c.Slot(kPairTensorSmoothing), c.Slot(kPairTensorEigen),
                                     &noiseSlot, n, c.cap, c.precision, false, 1.0, step, 0.5f, c.record.tensorFlag, 1,
                                     1);
}

void BuildGaussianPrograms(const sSmoothing& smoothing, const sProgramContext& context) {
    const Context c(context);
    const int32_t n = c.record.KernelByRequested(5);
    const double spacing = c.record.inverseRequestedScale;
    if (smoothing.type == eGaussianType::Isotropic) {
        SS::BuildScaledBlurPassProgram(c.Slot(kPairSmoothingSecond), n, 3, 0, false, false, 0, c.cap, c.precision,
                                       smoothing.sigmaS, spacing);
        SS::BuildScaledBlurPassProgram(c.Slot(kPairSmoothingFirst), n, 3, 1, false, false, 0, c.cap, c.precision,
                                       smoothing.sigmaS, spacing);
    } else if (smoothing.type == eGaussianType::FlowField) {
        SS::BuildFlowBlurProgram(c.Slot(kPairSmoothingFirst), 4, n, true, c.cap, c.precision, false, false,
                                 smoothing.sigmaS, spacing);
    }
    SS::BuildFlowSmoothingProgram(c.Slot(kPairLineIntegral), 4, false, false, false, c.cap, c.precision, false, 1.0f);
}

namespace {

// The tone mapping's difference of Gaussians: the narrow sigma and the wide one's multiple.
constexpr double kToneMappingSigma = 1.0;
constexpr double kToneMappingWideFactor = 1.6;

int32_t ToneMappingKernel(const sToneMapping& toneMapping, const sFilterScale& record) {
    const int32_t dimension = toneMapping.dimension;
    return record.KernelByRequested(dimension == 9 ? 9 : dimension == 7 ? 7 : 5);
}

}  // namespace

int32_t ToneMappingTapCount(const sToneMapping& toneMapping, const sFilterScale& record) {
    return SS::DifferenceOfGaussiansTapCount(ToneMappingKernel(toneMapping, record), kToneMappingSigma,
                                             kToneMappingWideFactor, record.inverseScale, toneMapping.p);
}

void BuildToneMappingPrograms(const sToneMapping& toneMapping, const sProgramContext& context) {
    const Context c(context);
    const int32_t n = ToneMappingKernel(toneMapping, c.record);
    const float p = toneMapping.p;
    SS::BuildDifferenceOfGaussiansPassProgram(c.Slot(kPairToneMapping0), n, 5, 0, false, c.cap, 1, c.precision,
                                              kToneMappingSigma, kToneMappingWideFactor, c.record.inverseScale, p);
    SS::BuildDifferenceOfGaussiansPassProgram(c.Slot(kPairToneMapping1), n, 5, 1, false, c.cap, 1, c.precision,
                                              kToneMappingSigma, kToneMappingWideFactor, c.record.inverseScale, p);
}
