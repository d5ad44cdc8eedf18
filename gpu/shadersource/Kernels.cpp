#include "gpu/shadersource/Kernels.h"

#include <cmath>

namespace QV::Math {

namespace {
bool IsOddPositive(int32_t taps) { return taps > 0 && taps % 2 == 1; }
}  // namespace

bool ComputeGaussianWeights(int32_t taps, std::vector<double>& weights, double sigma, double spacing) {
    weights.clear();
    if (!IsOddPositive(taps)) return false;
    // A non-finite spacing (a filter scale of 0 upstream) would turn every weight into NaN.
    if (!std::isfinite(spacing)) return false;
    const int32_t r = taps / 2;
    if (sigma > 0.0) {
        weights.reserve(static_cast<size_t>(taps));
        const double c = (spacing * -0.5 * spacing) / (sigma * sigma);
        for (int32_t i = r; i >= 0; --i) {
            const double x = i;
            weights.push_back(std::exp(x * (c * x)));
        }
        for (int32_t i = r - 1; i >= 0; --i) weights.push_back(weights[static_cast<size_t>(i)]);
        double sum = 0.0;
        for (double w : weights) sum += w;
        const double inverse = 1.0 / sum;
        for (double& w : weights) w *= inverse;
        return true;
    }
    if (sigma == 0.0) {
        weights.assign(static_cast<size_t>(taps), 0.0);
        weights[static_cast<size_t>(r)] = 1.0;
        return true;
    }
    return false;
}

int32_t GaussianTapsKeeping(int32_t taps, double sigma, double spacing, double leftOut) {
    std::vector<double> weights;
    if (!ComputeGaussianWeights(taps, weights, sigma, spacing)) return taps;
    int32_t kept = taps;
    double dropped = 0.0;
    while (kept > 1) {
        dropped += 2.0 * weights[static_cast<size_t>((taps - kept) / 2)];
        if (dropped >= leftOut) break;
        kept -= 2;
    }
    return kept;
}

bool ComputeBoxWeights(int32_t taps, std::vector<double>& weights) {
    if (!IsOddPositive(taps)) return false;
    weights.clear();
    weights.reserve(static_cast<size_t>(taps));
    for (int32_t i = 0; i < taps; ++i) weights.push_back(1.0 / taps);
    return true;
}

bool ComputeLinearSamplingKernel(int32_t taps, std::vector<double>& weights, std::vector<double>& offsets, double sigma,
                                 double spacing) {
    weights.clear();
    offsets.clear();
    std::vector<double> t;
    const bool ok =
        sigma == kBoxKernelSigma ? ComputeBoxWeights(taps, t) : ComputeGaussianWeights(taps, t, sigma, spacing);
    if (!ok) return false;
    const int32_t r = taps / 2;
    double x = r;
    int32_t i = 0;
    if (r % 2 == 1) {
        weights.push_back(t[0]);
        offsets.push_back(x);
        x -= 1.0;
        i = 1;
    }
    for (; i < r; i += 2) {
        const double a = t[static_cast<size_t>(i)];
        const double b = t[static_cast<size_t>(i + 1)];
        const double w = a + b;
        weights.push_back(w);
        // A weightless pair (zero-width Gaussian) still needs a finite offset for the text.
        offsets.push_back(w > 0.0 ? (x * a + (x - 1.0) * b) / w : x - 0.5);
        x -= 2.0;
    }
    weights.push_back(t[static_cast<size_t>(r)]);
    offsets.push_back(0.0);
    for (int64_t k = static_cast<int64_t>(weights.size()) - 2; k >= 0; --k) {
        weights.push_back(weights[static_cast<size_t>(k)]);
        offsets.push_back(offsets[static_cast<size_t>(k)]);
    }
    return true;
}

}  // namespace QV::Math
