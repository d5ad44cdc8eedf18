#include "engine/ChainReference.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/LocalContrastStage.h"
#include "engine/RenderPasses.h"
#include "gpu/Texture.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramTexts.h"

namespace chainref {

namespace {

double Uniform(const UniformList& uniforms, const std::string& name, int component = 0, double otherwise = 0.0) {
    for (const sUniformValue& u : uniforms)
        if (u.name == name && component < u.count) return u.v[component];
    return otherwise;
}

double SmoothStepTail(double t) { return t * t * (3.0 - 2.0 * t); }

int Index(int i, int n) { return std::clamp(i, 0, n - 1); }

}  // namespace

Plane Plane::Channel(int c) const {
    Plane out(width, height, 1);
    for (size_t i = 0; i < out.values.size(); ++i) out.values[i] = values[i * channels + c];
    return out;
}

double RoundToHalf(double value, bool towardZero) {
    _Float16 half = static_cast<_Float16>(value);
    if (towardZero && std::fabs(static_cast<double>(half)) > std::fabs(value)) {
        // One step less in magnitude: the magnitude bits of a half are ordered like its values.
        uint16_t bits;
        std::memcpy(&bits, &half, 2);
        --bits;
        std::memcpy(&half, &bits, 2);
    }
    return static_cast<double>(half);
}

double RoundTo8Bit(double value) { return std::round(std::clamp(value, 0.0, 1.0) * 255.0) / 255.0; }

Plane Stored(Plane plane, Storage storage) {
    if (storage != Storage::Exact)
        for (double& v : plane.values) v = RoundToHalf(v, storage == Storage::HalfTowardZero);
    return plane;
}

Plane Stored(Plane plane, bool half) {
    for (double& v : plane.values) v = half ? RoundToHalf(v) : RoundTo8Bit(v);
    return plane;
}

namespace {

Plane Keep(Plane plane, Storage storage) { return Stored(std::move(plane), storage); }

// The size the engine gives a scratch texture between two levels: some tiny power-of-two
// shapes are not allowed and grow by a row or a column.
std::array<int, 2> ScratchSize(int w, int h) {
    int32_t aw = w, ah = h;
    QV::Graphics::AdjustTextureSize(w, h, aw, ah);
    return {aw, ah};
}

}  // namespace

double SampleLinear(const Plane& plane, double u, double v, int channel) {
    const double x = u * plane.width - 0.5, y = v * plane.height - 0.5;
    const double fx = std::floor(x), fy = std::floor(y);
    const double ax = x - fx, ay = y - fy;
    const int x0 = Index(static_cast<int>(fx), plane.width), x1 = Index(static_cast<int>(fx) + 1, plane.width);
    const int y0 = Index(static_cast<int>(fy), plane.height), y1 = Index(static_cast<int>(fy) + 1, plane.height);
    const double top = plane.at(x0, y0, channel) * (1.0 - ax) + plane.at(x1, y0, channel) * ax;
    const double bottom = plane.at(x0, y1, channel) * (1.0 - ax) + plane.at(x1, y1, channel) * ax;
    return top * (1.0 - ay) + bottom * ay;
}

Plane DrawPass(int w, int h, int channels, const std::function<void(double u, double v, double* out)>& fragment) {
    Plane out(w, h, channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            fragment((x + 0.5) / w, (y + 0.5) / h, &out.values[(static_cast<size_t>(y) * w + x) * channels]);
    return out;
}

Kernel LinearKernel(int taps, double kernelScale) {
    Kernel k;
    if (!QV::Math::ComputeLinearSamplingKernel(taps, k.weights, k.offsets, 1.0, kernelScale) || k.weights.size() < 3)
        throw std::invalid_argument("no blur kernel of " + std::to_string(taps) + " taps");
    return k;
}

std::vector<double> GaussianWeights(int taps, double sigma, double spacing) {
    std::vector<double> w;
    if (!QV::Math::ComputeGaussianWeights(taps, w, sigma, spacing))
        throw std::invalid_argument("no Gaussian of " + std::to_string(taps) + " taps");
    return w;
}

// --- Stages -------------------------------------------------------------------------------

namespace {

// The merged kernel's weighted sum of fetches along an axis around (u, v).
double KernelSum(const Plane& source, int channel, const Kernel& kernel, bool vertical, double texel, double u,
                 double v) {
    const auto fetch = [&](double offset) {
        return vertical ? SampleLinear(source, u, v + offset * texel, channel)
                        : SampleLinear(source, u + offset * texel, v, channel);
    };
    const size_t h = kernel.weights.size() / 2;
    double sum = kernel.weights[h] * fetch(0.0);
    for (size_t j = 0; j < h; ++j) sum += kernel.weights[j] * (fetch(-kernel.offsets[j]) + fetch(kernel.offsets[j]));
    return sum;
}

}  // namespace

Plane BlurPass(const Plane& source, int channel, const Kernel& kernel, bool vertical, double texel, int w, int h) {
    return DrawPass(w, h, 1, [&](double u, double v, double* out) {
        out[0] = KernelSum(source, channel, kernel, vertical, texel, u, v);
    });
}

Plane GaussianLevel(const Plane& source, int channel, const Kernel& kernel, int w, int h, Storage storage) {
    const auto [sw, sh] = ScratchSize(source.width, h);
    const Plane scratch = Keep(BlurPass(source, channel, kernel, true, 1.0 / source.height, sw, sh), storage);
    return Keep(BlurPass(scratch, 0, kernel, false, 1.0 / source.width, w, h), storage);
}

Plane BoxSums(const Plane& source, int channel, int taps, double shift) {
    const int n = QV::Graphics::ShaderSource::UsableTapCount(taps), h = n / 2;
    const double texel = 1.0 / source.width;
    return DrawPass(source.width, source.height, 2, [&](double u, double v, double* out) {
        double sum = 0.0, squares = 0.0;
        for (int i = -h; i <= h; ++i) {
            const double c = SampleLinear(source, u + i * texel, v, channel) - shift;
            sum += c;
            squares += c * c;
        }
        out[0] = sum, out[1] = squares;
    });
}

Plane BoxDeviation(const Plane& sums, int taps) {
    const int n = QV::Graphics::ShaderSource::UsableTapCount(taps), h = n / 2;
    const double texel = 1.0 / sums.height, perBox = 1.0 / (static_cast<double>(n) * n);
    return DrawPass(sums.width, sums.height, 1, [&](double u, double v, double* out) {
        double s[2];
        for (int c = 0; c < 2; ++c) {
            s[c] = SampleLinear(sums, u, v, c);
            // Rows i and i + 1 in one fetch halfway between them; an odd last row alone.
            for (int i = 1; i <= h; i += 2) {
                const bool pair = i + 1 <= h;
                const double offset = (pair ? i + 0.5 : i) * texel;
                s[c] +=
                    (pair ? 2.0 : 1.0) * (SampleLinear(sums, u, v - offset, c) + SampleLinear(sums, u, v + offset, c));
            }
        }
        const double average = s[0] * perBox, squaredAverage = s[1] * perBox;
        out[0] = std::sqrt(std::max(squaredAverage - average * average, 0.0));
    });
}

Plane Band(const Plane& finer, int finerChannel, const Plane& coarser, const Kernel& kernel, Storage storage) {
    const auto [sw, sh] = ScratchSize(finer.width, coarser.height);
    const Plane up = Keep(BlurPass(coarser, 0, kernel, false, 1.0 / coarser.width, sw, sh), storage);
    return Keep(DrawPass(finer.width, finer.height, 1,
                         [&](double u, double v, double* out) {
                             out[0] = SampleLinear(finer, u, v, finerChannel) -
                                      KernelSum(up, 0, kernel, true, 1.0 / coarser.height, u, v);
                         }),
                storage);
}

namespace {

// Levels whose points (nearly) meet make a threshold, as the engine writes them.
sLevels WritableLevels(sLevels levels) {
    const float width = levels.whitePoint - levels.blackPoint;
    if (std::fabs(width) < 1.0f / 1024.0f)
        levels.whitePoint = levels.blackPoint + (width < 0.0f ? -1.0f : 1.0f) / 1024.0f;
    return levels;
}

double LevelsRamp(const sLevels& levels, double x) {
    const double a = levels.blackPoint, m = levels.midToneFraction, b = levels.whitePoint;
    const double lo = std::min(a, b), hi = std::max(a, b);
    if (m == 0.5) {
        const double s = 0.5 / ((hi - lo) * 0.5);
        return std::clamp(s * x - lo * s, 0.0, 1.0);
    }
    const double mid = lo + (hi - lo) * m;
    const double s0 = 0.5 / (mid - lo), s1 = 0.5 / (hi - mid);
    const double y0 = s0 * x - lo * s0, y1 = s1 * x + 1.0 - hi * s1;
    return std::clamp(s0 > s1 ? std::min(y0, y1) : std::max(y0, y1), 0.0, 1.0);
}

double WidthExponent(double width) { return std::log(0.006) / std::log(1.0 - std::clamp(width, 0.001, 0.999)); }

}  // namespace

double BaseValue(const sBrightnessOptions& o, const UniformList& uniforms, double c0, double a) {
    if (!o.AnyOn() && !o.FilmicOn()) return c0;
    const bool cieOn = o.CIEOn(), shOn = o.SHOn();
    double cie = c0;
    if (cieOn) {
        const double x = Uniform(uniforms, "uBrightnessStrength", 0), y = Uniform(uniforms, "uBrightnessStrength", 1);
        const double L = -std::log(std::max(c0, 0.001));
        double curve;
        if (o.tone.method == eBrightnessMethod::CIEVar && (o.tone.varExponent != 1.0f || o.tone.varScale != 1.0f))
            curve = 1.0 - std::pow((0.1 * o.tone.varScale + 0.1) * std::pow(L, o.tone.varExponent), y * a);
        else curve = 1.0 - std::pow(0.2 * L, y * a);
        const double move = o.tone.brightenOnly ? std::max(curve - c0, 0.0) : curve - c0;
        cie = c0 + x * move;
    }
    if (shOn) {
        const double x = cie;
        const auto shadows = [&] {
            const double k1 = Uniform(uniforms, "uShadowsStrength", 1) *
                              (1.0 / (1.0 + std::exp2(-x * Uniform(uniforms, "uShadowsStrength", 0))) - 0.5);
            const double w0 = std::pow(std::max(1.0 - x, 0.0), WidthExponent(o.tone.shadows.width));
            return w0 * k1 + (1.0 - w0) * x;
        };
        const auto highlights = [&] {
            const double s = Uniform(uniforms, "uHighlightsStrength", 0);
            const double k1 =
                Uniform(uniforms, "uHighlightsStrength", 1) * (1.0 / (1.0 + std::exp2(-(s * x - s))) - 0.5) + 1.0;
            const double w0 = std::pow(std::max(x, 0.0), WidthExponent(o.tone.highlights.width));
            return w0 * k1 + (1.0 - w0) * x;
        };
        if (o.ShadowsOn() && o.HighlightsOn()) cie = shadows() + highlights() - x;
        else cie = o.ShadowsOn() ? shadows() : highlights();
    }
    if (o.LevelsOn()) cie = LevelsRamp(WritableLevels(o.tone.levels), cie);
    if (o.FilmicOn()) {
        const double t = SmoothStepTail(std::clamp(c0 / Uniform(uniforms, "uFilmicStrength"), 0.0, 1.0));
        cie = (o.AnyOn() ? cie : c0) * t;
    }
    return cie;
}

Plane Base(const Plane& coarsest, double a, const sBrightnessOptions& options, const UniformList& uniforms, int w,
           int h) {
    return DrawPass(w, h, 1, [&](double u, double v, double* out) {
        out[0] = BaseValue(options, uniforms, SampleLinear(coarsest, u, v), a);
    });
}

double CombineValue(const sContrastCombineOptions& o, const UniformList& uniforms, double a, double l, double K,
                    double v, double g) {
    const double halo = Uniform(uniforms, "uHaloRemovalStrength", 0, 1.0);
    const double scale = Uniform(uniforms, "uNonCIEContrastStrength", 0, 1.0);
    const double exponent = Uniform(uniforms, "uNonCIEContrastStrength", 1, 1.0);
    const double slope = Uniform(uniforms, "uNonCIEContrastStrength", 2, 1.0);
    const double balance = Uniform(uniforms, "uContrastBasedOnBothBalance", 0, 0.5);
    const auto guide = [&](double value) {
        if (o.basedOn == 1) return 1.0 - value;
        if (o.basedOn == 2) return value * (1.0 - balance) + (1.0 - value) * balance;
        return value;
    };
    const double k0 = std::fabs(l);
    double gain;
    if (o.equation == 0) {
        const double x = o.basedOn == 3 ? l : guide(g);
        gain = K * Uniform(uniforms, "uContrastKStrength", 0, 1.0) * std::exp(-5.0 * x * x);
    } else {
        const double L = o.range.x, H = o.range.y;
        const auto curve = [&](double w) {
            w = std::fabs(w);
            if (o.equation == 1) return w * (2.0 - std::pow(w, exponent));
            if (o.equation == 2) return std::pow(w, exponent);
            return 2.0 * (1.0 / (1.0 + std::pow(exponent, w)) + w * slope - 0.5);
        };
        if (L == 0.0 && H == 1.0) {
            if (o.equation == 1) gain = scale * (1.0 - std::pow(k0, exponent));
            else gain = scale * (curve(k0) / std::max(k0, 0.001) - 1.0);
        } else if (L == 0.0 ? k0 >= H : (k0 <= L || (H != 1.0 && k0 >= H))) {
            gain = 0.0;
        } else if (L == 0.0) {
            gain = scale * (H * curve(l / H) / std::max(k0, 0.001) - 1.0);
        } else {
            const double sign = l > 0.0 ? 1.0 : (l < 0.0 ? -1.0 : 0.0);
            const double shaped = (H - L) * curve((l - sign * L) / (H - L)) + L;
            gain = scale * (shaped / k0 - 1.0);
        }
        if (o.basedOn != 3) {
            const double x = guide(g);
            gain *= std::exp(-5.0 * x * x);
        }
    }
    const double t = SmoothStepTail(std::clamp((v - 0.02) / 0.07, 0.0, 1.0));
    const double damping = o.haloType == 2 ? halo : o.haloType == 1 ? (l >= 0.0 ? halo : 0.0) : (l <= 0.0 ? halo : 0.0);
    gain = 1.0 + gain * (1.0 - damping * t);
    double add = gain * l + a;
    if (o.compression == 0) return add;
    if (o.compression == 1)
        return o.side == 0 ? std::max(add, 0.0) : o.side == 1 ? std::min(add, 1.0) : std::clamp(add, 0.0, 1.0);
    const bool drago = o.compression >= 4, interval = o.compression == 3 || o.compression == 5;
    const double m0 = drago ? 3.0 * o.strength + 1.0 : (3.0 * o.strength + 1.0) / std::log(2.0);
    const double limitMin = 0.5 - (0.2 + 0.25 * o.interval), limitMax = 1.0 - limitMin;
    double base = l + a;
    const auto bright = [&] {
        if (interval) {
            if (add <= limitMax) return;
            base = std::max(base, limitMax);
        }
        if (drago) {
            const double w = (add - base) * m0 / (m0 - base);
            add = std::log2(w + 1.0) / std::log2(m0 + 1.0) * (1.0 - base) + base;
        } else {
            add = (1.0 - std::exp2(-m0 * (add - base))) * (1.0 - base) + base;
        }
    };
    const auto dark = [&] {
        if (interval) {
            if (add >= limitMin) return;
            base = std::min(base, limitMin);
        }
        if (drago) {
            const double w = (add - base) * m0 / (1.0 - m0 - base);
            add = -std::log2(w + 1.0) / std::log2(m0 + 1.0) * base + base;
        } else {
            add = base * std::exp2(-m0 * (base - add));
        }
    };
    if (o.side == 0 && l < 0.0) dark();
    else if (o.side >= 1 && l > 0.0) bright();
    else if (o.side == 2) dark();
    return add;
}

Plane CombineLevel(const Plane& coarser, const Plane& band, const Plane& deviation, const Plane* guide, double K,
                   const Kernel& kernel, const sContrastCombineOptions& o, const UniformList& uniforms,
                   Storage storage) {
    const auto [sw, sh] = ScratchSize(band.width, coarser.height);
    const Plane up = Keep(BlurPass(coarser, 0, kernel, false, 1.0 / coarser.width, sw, sh), storage);
    return Keep(DrawPass(band.width, band.height, 1,
                         [&](double u, double v, double* out) {
                             const double a = KernelSum(up, 0, kernel, true, 1.0 / coarser.height, u, v);
                             const double g = guide ? SampleLinear(*guide, u, v) : 0.0;
                             out[0] = CombineValue(o, uniforms, a, SampleLinear(band, u, v), K,
                                                   SampleLinear(deviation, u, v), g);
                         }),
                storage);
}

std::vector<double> ToneMappingWeights(int taps, double spacing, float p) {
    const int n = QV::Graphics::ShaderSource::DifferenceOfGaussiansTapCount(taps, 1.0, 1.6, spacing, p);
    const std::vector<double> a = GaussianWeights(n, 1.0, spacing), b = GaussianWeights(n, 1.6, spacing);
    std::vector<double> w(a.size());
    for (size_t i = 0; i < a.size(); ++i) w[i] = (1.0 + p) * a[i] - static_cast<double>(p) * b[i];
    return w;
}

Plane ToneMapping(const Plane& level0, const std::vector<double>& weights, Storage storage) {
    const int h = static_cast<int>(weights.size()) / 2;
    const auto pass = [&](const Plane& source, bool vertical) {
        const double texel = vertical ? 1.0 / source.height : 1.0 / source.width;
        return DrawPass(source.width, source.height, 1, [&](double u, double v, double* out) {
            double sum = 0.0;
            for (int j = -h; j <= h; ++j)
                sum += weights[j + h] *
                       (vertical ? SampleLinear(source, u, v + j * texel) : SampleLinear(source, u + j * texel, v));
            out[0] = sum;
        });
    };
    return Keep(pass(Keep(pass(level0, false), storage), true), storage);
}

// --- Colour ---------------------------------------------------------------------------------

namespace {

Vec Mul(const double m[9], const Vec& v) {
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

const double kRgbToXyz[9] = {0.4124564, 0.3575761, 0.1804375, 0.2126729, 0.7151522,
                             0.0721750, 0.0193339, 0.1191920, 0.9503041};
const double kXyzToRgb[9] = {3.2404542, -1.5371385, -0.4985314, -0.9692660, 1.8760108,
                             0.0415560, 0.0556434,  -0.2040259, 1.0572252};

Vec SignedPow(Vec v, double e) {
    for (double& x : v) x = (x < 0 ? -1.0 : 1.0) * std::pow(std::fabs(x), e);
    return v;
}

}  // namespace

Vec RgbToLab(const Vec& rgb) {
    Vec t = Mul(kRgbToXyz, rgb);
    t[0] /= 0.95047, t[2] /= 1.08883;
    for (double& v : t) v = v >= 0.008856 ? std::cbrt(std::max(v, 0.0)) : 7.787 * v + 16.0 / 116.0;
    return {116.0 * t[1] - 16.0, 500.0 * (t[0] - t[1]), 200.0 * (t[1] - t[2])};
}

Vec LabToRgb(const Vec& lab) {
    Vec t;
    t[1] = (lab[0] + 16.0) / 116.0;
    t[0] = lab[1] / 500.0 + t[1];
    t[2] = t[1] - lab[2] / 200.0;
    for (double& v : t) {
        const double cube = v * v * v;
        v = cube >= 0.008856 ? cube : (v - 16.0 / 116.0) / 7.787;
    }
    t[0] *= 0.95047, t[2] *= 1.08883;
    return Mul(kXyzToRgb, t);
}

Vec RgbToYxy(const Vec& rgb) {
    const Vec xyz = Mul(kRgbToXyz, rgb);
    const double total = xyz[0] + xyz[1] + xyz[2];
    const double inv = total > 0 ? 1.0 / total : 0.0;
    return {xyz[1], xyz[0] * inv, xyz[1] * inv};
}

Vec YxyToRgb(const Vec& yxy) {
    const double k = yxy[2] > 0 ? yxy[0] / yxy[2] : 0.0;
    return Mul(kXyzToRgb, {yxy[1] * k, yxy[0], (1.0 - yxy[1] - yxy[2]) * k});
}

Vec RgbToIpt(const Vec& rgb) {
    const double toLms[9] = {0.313970894, 0.639453351,  0.0465853661, 0.151717007, 0.748192191,
                             0.100020111, 0.0177562535, 0.109465927,  0.872759282};
    const double toIpt[9] = {0.4, 0.4, 0.2, 4.455, -4.851, 0.396, 0.8056, 0.3572, -1.1628};
    return Mul(toIpt, SignedPow(Mul(toLms, rgb), 0.43));
}

Vec IptToRgb(const Vec& ipt) {
    const double toLms[9] = {1.0,         0.097568944, 0.205226466,  1.0,         -0.113876507,
                             0.133217171, 1.0,         0.0326151103, -0.676887274};
    const double toRgb[9] = {5.43175793,   -4.67835379,  0.246218085,  -1.1051991, 2.3112514,
                             -0.205882147, 0.0281108245, -0.194708079, 1.16660488};
    return Mul(toRgb, SignedPow(Mul(toLms, ipt), 2.325581));
}

Vec Clamp01(Vec v) {
    for (double& x : v) x = std::clamp(x, 0.0, 1.0);
    return v;
}

Vec Pouli(const Vec& original, const Vec& tmo, std::optional<double> saturation) {
    const Vec t = RgbToIpt(tmo), o = RgbToIpt(original);
    const double cTmo = std::hypot(t[1], t[2]), cOriginal = std::hypot(o[1], o[2]);
    const double h = cOriginal > 0 ? std::atan2(o[1], o[2]) : 0.0;
    const double cPrime = cTmo * o[0] / std::max(t[0], 1e-6);
    const double cLinear = cOriginal * std::hypot(cPrime, t[0]) / std::max(std::hypot(cOriginal, o[0]), 1e-6);
    const double c = saturation ? (cLinear > 0 ? std::pow(cLinear, *saturation) : 0.0) : cLinear;
    return IptToRgb({t[0], std::sin(h) * c, std::cos(h) * c});
}

Vec CorrectColor(int method, const Vec& mo, double lo, double lt, double s, std::optional<double> saturation) {
    const double ltc = std::clamp(lt, 0.0, 1.0), invLo = 1.0 / std::max(lo, 0.001);
    const double deronK = std::pow(std::max(ltc * invLo, 1e-6), s);
    const auto scaled = [&](double k) { return Vec{mo[0] * k, mo[1] * k, mo[2] * k}; };
    switch (method) {
    case 0: return scaled(deronK);
    case 1: {
        Vec out;
        for (int i = 0; i < 3; ++i) out[i] = std::pow(std::max(mo[i] * invLo, 1e-6), s) * ltc;
        return out;
    }
    case 2: {
        Vec out;
        for (int i = 0; i < 3; ++i) out[i] = ((mo[i] * invLo - 1.0) * s + 1.0) * ltc;
        return out;
    }
    case 3: return Pouli(mo, Clamp01(scaled(ltc * invLo)), saturation);
    case 4: {
        Vec lab = RgbToLab(mo);
        lab[0] = std::clamp(deronK * lab[0], 0.0, 100.0);
        return LabToRgb(lab);
    }
    case 5: {
        Vec yxy = RgbToYxy(mo);
        yxy[0] = std::clamp(lo * deronK, 0.0, 1.0);
        return YxyToRgb(yxy);
    }
    case 6:
    case 7: {
        Vec lab = RgbToLab(mo);
        lab[0] = std::clamp(100.0 * std::pow(std::max(ltc, 1e-6), s), 0.0, 100.0);
        return LabToRgb(lab);
    }
    case 8: {
        const double k0 = ltc * invLo, k1 = k0 - 1.0, k2 = k1 * s + 1.0;
        return scaled(k1 * k2 / std::max(k0, 0.001) + 1.0);
    }
    case 9: {
        const double k0 = ltc * invLo;
        return scaled(std::log2(std::max(k0, 0.001)) / std::max(std::log2(std::max(s, 0.0) + 1.0), 0.001) + 1.0);
    }
    default: return scaled(lt * invLo);
    }
}

Plane ColorCorrection(const Plane& input, const Plane& luminance, const sColorCorrectionOptions& o,
                      const UniformList& uniforms) {
    const int method = std::clamp(ModeIndex(o.method), 0, ModeIndex(eColorCorrectionMethod::None));
    const std::optional<double> saturation =
        o.pouliSaturation ? std::optional<double>(Uniform(uniforms, "uPouliSaturationExponent")) : std::nullopt;
    return DrawPass(input.width, input.height, 4, [&](double u, double v, double* out) {
        const Vec mo{SampleLinear(input, u, v, 0), SampleLinear(input, u, v, 1), SampleLinear(input, u, v, 2)};
        const double lo = SampleLinear(input, u, v, 3), lt = SampleLinear(luminance, u, v);
        double s = Uniform(uniforms, "uColorCorrectionStrength");
        if (o.cie && o.UsesLuminance())
            s = s * std::pow(std::max(lo, 1e-6), Uniform(uniforms, "uColorCorrectionCIE", 0)) +
                Uniform(uniforms, "uColorCorrectionCIE", 1);
        Vec rgb = CorrectColor(method, mo, lo, lt, s, saturation);
        if (o.pouliAfter) rgb = Pouli(mo, Clamp01(rgb), saturation);
        out[0] = rgb[0], out[1] = rgb[1], out[2] = rgb[2], out[3] = 1.0;
    });
}

// --- The chain ----------------------------------------------------------------------------

namespace {

std::vector<std::array<int, 2>> PyramidSizes(int w, int h) {
    std::vector<std::array<int, 2>> sizes;
    const auto append = [&](int lw, int lh) {
        int32_t aw = lw, ah = lh;
        QV::Graphics::AdjustTextureSize(lw, lh, aw, ah);
        sizes.push_back({aw, ah});
    };
    append(w, h);
    while (sizes.back()[0] != 1 || sizes.back()[1] != 1)
        append(std::max(1, (sizes.back()[0] + 1) / 2), std::max(1, (sizes.back()[1] + 1) / 2));
    while (sizes.size() < 7) sizes.push_back({1, 1});
    return sizes;
}

// A picture walked down the pyramid from level `start`: `first` draws it at that level, plain
// copies halve it on down to the second-to-last level (the source itself when none is left).
Plane ReduceDown(const std::vector<std::array<int, 2>>& sizes, const std::function<double(double)>& first,
                 const Plane& source, int start) {
    Plane current = source;
    for (int level = start; level <= static_cast<int>(sizes.size()) - 2; ++level) {
        const Plane previous = current;
        current = DrawPass(sizes[level][0], sizes[level][1], 1, [&](double u, double v, double* out) {
            const double c = SampleLinear(previous, u, v);
            out[0] = level == start ? first(c) : c;
        });
    }
    return current;
}

double Centre(const Plane& plane) { return SampleLinear(plane, 0.5, 0.5); }

}  // namespace

ChainParameters ChainParameters::Of(const AmbrelGraphicsController& engine, int w, int h) {
    ChainParameters p;
    p.levels = ContrastLevelCount(engine);
    if (!engine.levelWidths.empty() && engine.levelWidths[0] == w && engine.levelHeights[0] == h) {
        for (size_t i = 0; i < engine.levelWidths.size(); ++i)
            p.sizes.push_back({engine.levelWidths[i], engine.levelHeights[i]});
    } else {
        p.sizes = PyramidSizes(w, h);
    }
    p.baseLevel = 3 + std::clamp(engine.filterScaleHalvings, 0, 3);
    const sFilterScale& record = engine.shaderSets.filterScales[engine.FilterScaleVariant()];
    p.taps = record.KernelByScale(5);
    p.kernelScale = record.inverseScale;
    p.boxTaps = BoxMeanTapCount(record);
    p.boxShift = kBoxSumsShift;
    p.strengths = engine.ContrastLevelStrengths();
    p.cie = engine.cie;
    p.combine = ContrastCombineOptions(engine.cie, engine.cie.contrastBasedOn, engine.ProgramPrecision(),
                                       engine.maxVaryingVectors);
    p.brightness = BrightnessOptions(engine, engine.ProgramPrecision());
    p.brightnessUniforms = BrightnessUniforms(p.brightness);
    p.toneMappingOn = engine.toneMapping.p > 2.4f;
    const int dimension = engine.toneMapping.dimension;
    p.toneMappingWeights = ToneMappingWeights(record.KernelByRequested(dimension == 9   ? 9
                                                                       : dimension == 7 ? 7
                                                                                        : 5),
                                              record.inverseScale, engine.toneMapping.p);
    p.colorCorrection = ColorCorrectionOptions(engine.colorCorrection, engine.ProgramPrecision());
    p.colorCorrectionUniforms = ColorCorrectionUniforms(engine.colorCorrection, p.colorCorrection);
    p.luminanceStyle = engine.luminanceStyle;
    return p;
}

UniformList ChainParameters::LevelUniforms(int j) const {
    const float s = j < static_cast<int>(strengths.size()) ? strengths[j] : strengths.empty() ? 1.0f : strengths.back();
    UniformList u = ContrastLevelUniforms(cie, s);
    const UniformList both = LocalContrastUniforms(cie);
    u.insert(u.end(), both.begin(), both.end());
    return u;
}

// The input is taken as the engine holds it (8-bit or half-float), never rounded again.
ChainResult EvaluateChain(const Plane& in, const ChainParameters& p) {
    if (p.levels < 2 || static_cast<int>(p.sizes.size()) < std::max(p.levels, p.baseLevel + 1))
        throw std::invalid_argument("the pyramid has fewer levels than the chain uses");
    const auto store = [&](Plane plane) { return Keep(std::move(plane), p.storage); };
    const int L = p.levels;
    const auto size = [&](int k) { return p.sizes[static_cast<size_t>(k)]; };
    const Kernel kernel = LinearKernel(p.taps, p.kernelScale);
    ChainResult r;

    // 1. Gaussian levels.
    r.gaussian.resize(static_cast<size_t>(L));
    for (int k = 1; k <= L - 1; ++k)
        r.gaussian[k] =
            GaussianLevel(k == 1 ? in : r.gaussian[k - 1], k == 1 ? 3 : 0, kernel, size(k)[0], size(k)[1], p.storage);
    const Plane& coarsest = r.gaussian[L - 1];

    // 2. Statistics.
    r.brightnessStatistic = p.brightnessStatistic.value_or(0.0);
    if (!p.brightnessStatistic) {
        const Plane dark = ReduceDown(
            p.sizes, [](double c) { return c <= 1.0 / 3.0 ? 1.0 : 0.0; }, coarsest, L - 1);
        r.brightnessStatistic = store(Plane(1, 1, 1, 0.1050 * Centre(dark) + 0.3777)).at(0, 0);
    }
    r.contrastK = p.contrastK.value_or(0.0);
    if (!p.contrastK && p.combine.equation == 0) {
        const auto copy = [](double c) { return c; };
        const double mean = store(Plane(1, 1, 1, Centre(ReduceDown(p.sizes, copy, coarsest, L)))).at(0, 0);
        const Plane squared = store(DrawPass(size(0)[0], size(0)[1], 1, [&](double u, double v, double* out) {
            const double d = SampleLinear(in, u, v, 3) - mean;
            out[0] = d * d;
        }));
        const double variance = Centre(ReduceDown(p.sizes, copy, squared, 1));
        if (p.luminanceStyle == eLuminanceStyle::CIE)
            r.contrastK = store(Plane(1, 1, 1, -1.6366 * std::sqrt(variance) + 2.5079)).at(0, 0);
    }

    // 3. Box means, 4. bands.
    r.boxSums.resize(static_cast<size_t>(L - 1));
    r.deviation.resize(static_cast<size_t>(L - 1));
    r.bands.resize(static_cast<size_t>(L - 1));
    for (int k = 0; k <= L - 2; ++k) {
        const Plane& finer = k == 0 ? in : r.gaussian[k];
        const int channel = k == 0 ? 3 : 0;
        r.boxSums[k] = store(BoxSums(finer, channel, p.boxTaps, p.boxShift));
        r.deviation[k] = BoxDeviation(r.boxSums[k], p.boxTaps);  // read from the sums, never stored
        r.bands[k] = Band(finer, channel, r.gaussian[k + 1], kernel, p.storage);
    }

    // 5. Base at the coarsest level.
    r.base = store(Base(coarsest, r.brightnessStatistic, p.brightness, p.brightnessUniforms, size(p.baseLevel)[0],
                        size(p.baseLevel)[1]));

    // 6. Reconstruction, coarse to fine.
    r.reconstructed.resize(static_cast<size_t>(L - 1));
    const Plane* guide = p.combine.basedOn == 3 ? nullptr : &coarsest;
    const Plane* source = &r.base;
    for (int i = L - 2, j = 0; i >= 0; --i, ++j) {
        r.reconstructed[i] = CombineLevel(*source, r.bands[i], r.deviation[i], guide, r.contrastK, kernel, p.combine,
                                          p.LevelUniforms(j), p.storage);
        source = &r.reconstructed[i];
    }

    // 7. Tone mapping, 8. colour correction.
    r.luminance =
        p.toneMappingOn ? ToneMapping(r.reconstructed[0], p.toneMappingWeights, p.storage) : r.reconstructed[0];
    r.output = ColorCorrection(in, r.luminance, p.colorCorrection, p.colorCorrectionUniforms);
    return r;
}

Plane WorkingInput(const Plane& rgb, int luminanceMode) {
    Plane out(rgb.width, rgb.height, 4);
    for (int y = 0; y < rgb.height; ++y)
        for (int x = 0; x < rgb.width; ++x) {
            const double r = rgb.at(x, y, 0), g = rgb.at(x, y, 1), b = rgb.at(x, y, 2);
            double l;
            if (luminanceMode == 0) {
                l = 0.299 * r + 0.587 * g + 0.114 * b;
            } else if (luminanceMode == 1) {
                l = 0.2126 * r + 0.7152 * g + 0.0722 * b;
            } else {
                const double yy = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
                l = 1.16 * (yy > 0.008856 ? std::cbrt(yy) : 7.787 * yy + 16.0 / 116.0) - 0.16;
            }
            const double values[4] = {r, g, b, l};
            for (int c = 0; c < 4; ++c) out.at(x, y, c) = RoundTo8Bit(values[c]);
        }
    return out;
}

Difference Compare(const Plane& a, const Plane& b, int channel, int border) {
    if (a.width != b.width || a.height != b.height) throw std::invalid_argument("planes of different sizes");
    Difference d;
    double sum = 0.0;
    int count = 0;
    for (int y = border; y < a.height - border; ++y)
        for (int x = border; x < a.width - border; ++x) {
            const double e = std::fabs(a.at(x, y, channel) - b.at(x, y, channel));
            sum += e;
            ++count;
            if (e > d.max || count == 1)
                d.max = e, d.x = x, d.y = y, d.first = a.at(x, y, channel), d.second = b.at(x, y, channel);
        }
    d.mean = count ? sum / count : 0.0;
    return d;
}

}  // namespace chainref
