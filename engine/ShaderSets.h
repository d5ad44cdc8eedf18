#pragma once
// The engine's program pairs and filter scales. Every program exists in two resolution variants
// (0 the preview, 1 the full-resolution render); a null slot is rebuilt before the next frame.

#include <cstdint>
#include <initializer_list>

namespace QV::Graphics {
class IDevice;
class IShaderProgram;
}  // namespace QV::Graphics

// Requested image-to-reference scale and what remains of it after the halvings that the level
// pyramid takes over.
struct sBaseFilterScale {
    double scale = 1.0;           // residual scale, in (2/3, 4/3]
    double requestedScale = 1.0;  // as requested (0 after a request that could not be reduced)
    float scaleF = 1.0f;
    float requestedScaleF = 1.0f;
    int32_t extra = 0;
};

// Per variant: the scales and the kernel sizes derived from them. "By scale" sizes follow the
// residual scale, "by requested" sizes the requested one.
struct sFilterScale {
    static constexpr int32_t kBaseKernelSizes[5] = {3, 5, 7, 9, 11};

    double scale = 1.0;
    double requestedScale = 1.0;
    double inverseScale = 1.0;
    double inverseRequestedScale = 1.0;
    float scaleF = 1.0f;
    float requestedScaleF = 1.0f;
    // 3 by scale, 3 by requested, 5 by scale, 5 by requested, ... 11 by requested.
    int32_t kernelSizes[10] = {3, 3, 5, 5, 7, 7, 9, 9, 11, 11};
    int32_t scaledExtra = 0;
    int32_t steps[4] = {1, 2, 4, 6};
    int32_t extra = 0;
    bool tensorFlag = true;

    // Kernel of base size 3, 5, 7, 9 or 11 (any other size: that of 9).
    int32_t KernelByScale(int32_t baseSize) const { return kernelSizes[2 * KernelSlot(baseSize)]; }
    int32_t KernelByRequested(int32_t baseSize) const { return kernelSizes[2 * KernelSlot(baseSize) + 1]; }

    // Kernel sizes, steps and inverses from the scales.
    void ComputeDerived();

private:
    static int32_t KernelSlot(int32_t baseSize);
};

// Smallest odd size covering base × scale, never below the base: c = ceil(base × scale), the
// next odd number when even, base when that is not larger.
int32_t ScaledKernelSize(int32_t baseSize, float scale);

// The reduction of a requested scale: requests below 2/3 count as 1; the scale is halved while
// above 2 (at most twice) and once more when above 4/3, each halving deepening the level
// pyramid by one. A request that three halvings cannot bring to 4/3 falls back to scale 1 with
// no halving and requested scale 0 (so that the next request is taken afresh).
struct sFilterScaleReduction {
    double requestedScale;
    double scale;
    int32_t halvings;
    int32_t levelCount;  // halvings + 4
};
sFilterScaleReduction ReduceFilterScale(double requested);

// Program pairs by index.
enum eProgramPair : int32_t {
    kPairCopy = 0,
    kPairScreenOutput = 1,
    kPairOpaqueCopy = 2,
    kPairInputFirst = 3,  // 3-6: input programs, one per colour space or alpha mode
    kPairVideoOutput = 7,
    kPairVerticalAlphaBlur = 8,  // 8-10: the three-tap contrast smoothing passes
    kPairVerticalBlur = 9,
    kPairHorizontalBlur = 10,
    kPairGradient0 = 11,
    kPairGradient1 = 12,
    kPairTensorSmoothing = 13,
    kPairTensorEigen = 14,
    kPairGrayReductionTwoLevels = 15,
    kPairCIEContrast = 16,
    kPairAlphaDifference = 17,  // 17, 18: halo removal / difference passes
    kPairDifference = 18,
    kPairDarkMask = 19,  // 19, 20: brightness-statistic reductions
    kPairDehazeAlpha = 20,
    kPairBrightness = 21,
    kPairGrayReduction = 22,
    kPairSquaredDifference = 23,
    kPairContrastFactor = 24,
    kPairColorCorrection = 25,
    kPairColorAdjustment = 26,
    kPairBoxMeanFirst = 27,            // 27, 28 (29 is free: the combine sums the box's rows)
    kPairNoiseFlowFieldGPUImage = 30,  // 30, 31
    kPairNoiseIsotropicGPUImage = 32,  // 32, 33
    kPairNoiseBilateral = 34,          // 34, 35
    kPairSmoothingSecond = 36,
    kPairSmoothingFirst = 37,
    kPairLineIntegral = 38,
    kPairToneMapping0 = 39,
    kPairToneMapping1 = 40,
    kProgramPairCount = 41,
};

// Pairs whose source contains kernel sizes: a filter-scale change releases them (current
// variant only).
inline constexpr std::initializer_list<int32_t> kScaledProgramPairs = {8,  9,  10, 13, 14, 16, 17, 18, 27, 28,
                                                                       30, 31, 32, 33, 34, 35, 36, 37, 39, 40};

// One program per resolution variant. Owns both; releasing or destroying the pair returns them
// to the shader manager of the device they were made with (the one attached, else the current
// one), with that device current for the moment.
struct CShaderSetsShaderProgram {
    QV::Graphics::IShaderProgram* programs[2] = {nullptr, nullptr};
    QV::Graphics::IDevice* device = nullptr;

    CShaderSetsShaderProgram() = default;
    CShaderSetsShaderProgram(const CShaderSetsShaderProgram&) = delete;
    CShaderSetsShaderProgram& operator=(const CShaderSetsShaderProgram&) = delete;
    ~CShaderSetsShaderProgram();

    QV::Graphics::IShaderProgram*& operator[](int32_t variant) { return programs[variant]; }
    QV::Graphics::IShaderProgram* operator[](int32_t variant) const { return programs[variant]; }

    // Deletes the program of one variant (or of both) and clears the slot.
    void Release(int32_t variant);
    void Release();
};

class CShaderSets {
public:
    sFilterScale filterScales[2];
    int32_t precisions[2] = {2, 2};                     // highp fragment programs in both variants
    bool stale[2] = {true, true};                       // programs must be rebuilt before the next frame
    CShaderSetsShaderProgram pairs[kProgramPairCount];  // destroyed from the last to the first

    CShaderSets() = default;
    CShaderSets(const CShaderSets&) = delete;
    CShaderSets& operator=(const CShaderSets&) = delete;

    // The device every program of the sets is made with.
    void AttachDevice(QV::Graphics::IDevice* device) {
        for (CShaderSetsShaderProgram& pair : pairs) pair.device = device;
    }

    CShaderSetsShaderProgram& operator[](int32_t pair) { return pairs[pair]; }
    const CShaderSetsShaderProgram& operator[](int32_t pair) const { return pairs[pair]; }

    void MarkStale() { stale[0] = stale[1] = true; }
};
