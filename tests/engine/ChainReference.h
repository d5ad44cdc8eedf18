#pragma once
// A double-precision CPU evaluation of the CIE style's local-contrast chain, stage by stage,
// with the formulas, kernels, sampling positions and parameters of the engine's programs: the
// Gaussian levels, the box means' local deviation, the bands, the base, the per-level combine,
// the difference-of-Gaussians tone mapping and the colour correction.
//
// Each stage function is one or two of the engine's passes: a target of the given size, each
// pixel's texture coordinate at its centre, fetches sampled as GL samples a linearly filtered,
// clamped texture. Fed with the textures the engine read (see ChainCapture.h), a stage gives
// what the engine's pass would give without storage rounding; EvaluateChain runs them all from
// the engine's working input (colour with its luminance in alpha).
//
// Planes hold rows in GL order: row 0 is the first row uploaded (texture coordinate 0).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/BrightnessStage.h"
#include "engine/ColorCorrectionStage.h"
#include "engine/ContrastPrograms.h"

class AmbrelGraphicsController;

namespace chainref {

struct Plane {
    int width = 0;
    int height = 0;
    int channels = 1;
    std::vector<double> values;

    Plane() = default;
    Plane(int w, int h, int c = 1, double fill = 0.0)
        : width(w), height(h), channels(c), values(static_cast<size_t>(w) * h * c, fill) {}
    double at(int x, int y, int c = 0) const { return values[(static_cast<size_t>(y) * width + x) * channels + c]; }
    double& at(int x, int y, int c = 0) { return values[(static_cast<size_t>(y) * width + x) * channels + c]; }
    // One channel as a plane of its own.
    Plane Channel(int c) const;
};

// How the values a pass draws are kept: exactly, or in half floats rounded to the nearest or
// towards zero (as some software rasterisers convert).
enum class Storage { Exact, HalfNearest, HalfTowardZero };

// The value a half-float texture stores.
double RoundToHalf(double value, bool towardZero = false);
// The value an 8-bit texture stores.
double RoundTo8Bit(double value);
// Every value of the plane rounded as a texture of that kind stores it.
Plane Stored(Plane plane, bool half);
Plane Stored(Plane plane, Storage storage);

// GL sampling with clamp to edge: linear between the four nearest texel centres.
double SampleLinear(const Plane& plane, double u, double v, int channel = 0);

// The unit quad drawn over a w x h target: `fragment` gets each pixel centre's texture
// coordinate and writes `channels` values.
Plane DrawPass(int w, int h, int channels, const std::function<void(double u, double v, double* out)>& fragment);

// The merged Gaussian of the local-contrast passes (sigma 1, `kernelScale` the spacing):
// entry h = n / 2 is the centre, the others pairs at ± offset.
struct Kernel {
    std::vector<double> weights;
    std::vector<double> offsets;
};
Kernel LinearKernel(int taps, double kernelScale);
// The full Gaussian of `taps` taps that the merged kernel stands for.
std::vector<double> GaussianWeights(int taps, double sigma, double spacing);

// --- Stages -------------------------------------------------------------------------------

// The blur pass: `source` channel blurred along one axis into a w x h target, the kernel's
// offsets in units of `texel` (the pass's uInvTextureDimension).
Plane BlurPass(const Plane& source, int channel, const Kernel& kernel, bool vertical, double texel, int w, int h);
// One Gaussian level: the vertical pass into (source width x h), then the horizontal into w x h.
// `storage`: how every texture a stage draws into, its scratch too, keeps its values.
Plane GaussianLevel(const Plane& source, int channel, const Kernel& kernel, int w, int h,
                    Storage storage = Storage::Exact);
// The box means' two passes: the horizontal sums of x − shift and its square (two channels)
// and the box's standard deviation over `taps` x `taps` (the pair of rows fetched between them,
// as the engine reads them).
Plane BoxSums(const Plane& source, int channel, int taps, double shift = 0.0);
Plane BoxDeviation(const Plane& sums, int taps);
// A band: `finer` channel less `coarser` brought up to the finer size (a horizontal blur into
// finer width x coarser height, then the vertical blur subtracted).
Plane Band(const Plane& finer, int finerChannel, const Plane& coarser, const Kernel& kernel,
           Storage storage = Storage::Exact);

// The brightness and tone curve of the base pass (c0 the coarsest level, a the brightness
// statistic), with the uniforms the engine passes.
double BaseValue(const sBrightnessOptions& options, const UniformList& uniforms, double c0, double a);
Plane Base(const Plane& coarsest, double a, const sBrightnessOptions& options, const UniformList& uniforms, int w,
           int h);

// The combine formula: the blurred coarser value a, the band l, the contrast map K (Paper), the
// local deviation v and the guide g; uniforms as one level's draw sets them.
double CombineValue(const sContrastCombineOptions& o, const UniformList& uniforms, double a, double l, double K,
                    double v, double g);
// One reconstructed level: `coarser` blurred up (horizontal, then vertical) and combined with
// the level's band and deviation; the guide (coarsest Gaussian level) when the gain uses one.
Plane CombineLevel(const Plane& coarser, const Plane& band, const Plane& deviation, const Plane* guide, double K,
                   const Kernel& kernel, const sContrastCombineOptions& o, const UniformList& uniforms,
                   Storage storage = Storage::Exact);

// The difference-of-Gaussians tone mapping's weights (its trimmed tap count) and its two passes.
std::vector<double> ToneMappingWeights(int taps, double spacing, float p);
Plane ToneMapping(const Plane& level0, const std::vector<double>& weights, Storage storage = Storage::Exact);

// Colour correction: the colour Mo of luminance Lo moved to the target luminance Lt by a method
// (the engine's numbering), strength s, the Pouli saturation exponent when on.
using Vec = std::array<double, 3>;
Vec RgbToIpt(const Vec& rgb);
Vec IptToRgb(const Vec& ipt);
Vec RgbToLab(const Vec& rgb);
Vec LabToRgb(const Vec& lab);
Vec RgbToYxy(const Vec& rgb);
Vec YxyToRgb(const Vec& yxy);
Vec Clamp01(Vec v);
Vec Pouli(const Vec& original, const Vec& tmo, std::optional<double> saturation);
Vec CorrectColor(int method, const Vec& mo, double lo, double lt, double s, std::optional<double> saturation);
// The whole pass over RGBA `input` (luminance in alpha) and the luminance plane.
Plane ColorCorrection(const Plane& input, const Plane& luminance, const sColorCorrectionOptions& options,
                      const UniformList& uniforms);

// --- The chain ----------------------------------------------------------------------------

struct ChainParameters {
    int levels = 4;                         // pyramid levels the chain uses
    int baseLevel = 3;                      // the level whose size the base has (3 + halvings)
    std::vector<std::array<int, 2>> sizes;  // every level's texture size (at least seven)
    int taps = 5;                           // Gaussian taps of the pass programs
    double kernelScale = 1.0;               // their spacing
    int boxTaps = 9;
    double boxShift = 0.0;         // what the box sums are taken about
    std::vector<float> strengths;  // per reconstructed level, coarse to fine
    sCIE cie;
    sContrastCombineOptions combine;
    sBrightnessOptions brightness;
    UniformList brightnessUniforms;
    bool toneMappingOn = false;
    std::vector<double> toneMappingWeights;
    sColorCorrectionOptions colorCorrection;
    UniformList colorCorrectionUniforms;
    eLuminanceStyle luminanceStyle = eLuminanceStyle::CIE;
    // The statistics; measured on the picture unless given (a full-resolution tile keeps the
    // preview's).
    std::optional<double> brightnessStatistic;
    std::optional<double> contrastK;
    // How every value a pass stores is kept, to tell storage from formula.
    Storage storage = Storage::Exact;

    // The combine's uniforms for the j-th reconstructed level (coarse to fine).
    UniformList LevelUniforms(int j) const;

    // The engine's current settings for a level-0 picture of w x h (its pyramid when the
    // engine has one of that size).
    static ChainParameters Of(const AmbrelGraphicsController& engine, int w, int h);
};

struct ChainResult {
    std::vector<Plane> gaussian;   // [k]: level k, 1 to levels - 1 ([0] unused)
    std::vector<Plane> boxSums;    // [k]: horizontal sums of level k
    std::vector<Plane> deviation;  // [k]: local deviation of level k
    std::vector<Plane> bands;      // [k]: band of level k
    double brightnessStatistic = 0.0;
    double contrastK = 0.0;
    Plane base;
    std::vector<Plane> reconstructed;  // [i]: level i after the combine
    Plane luminance;                   // level 0 after the tone mapping
    Plane output;                      // RGBA after the colour correction (not clamped)
};

// The chain from the engine's working input: RGBA in [0, 1], luminance in alpha.
ChainResult EvaluateChain(const Plane& input, const ChainParameters& parameters);

// The working input of a picture (RGB in [0, 1]) with the luminance of the input pass
// (0 Rec. 601, 1 Rec. 709, 2 scaled lightness), rounded to 8 bits as the engine stores it.
Plane WorkingInput(const Plane& rgb, int luminanceMode);

// Statistics of a difference: largest and mean absolute difference over a channel, where the
// largest is and the two values there.
struct Difference {
    double max = 0.0, mean = 0.0;
    int x = 0, y = 0;
    double first = 0.0, second = 0.0;
};
Difference Compare(const Plane& a, const Plane& b, int channel = 0, int border = 0);

}  // namespace chainref
