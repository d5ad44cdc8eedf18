#pragma once
// One-dimensional convolution kernels for separable filters. Weights are symmetric, ordered
// from the outermost tap of one side through the centre to the other side, and sum to 1.
#include <cstdint>
#include <vector>

namespace QV::Math {

// Gaussian weights of an odd, positive tap count sampled at spacing × x (x in taps). sigma 0
// gives a unit impulse; a negative or NaN sigma, or an even or non-positive tap count, gives
// false and an empty vector.
bool ComputeGaussianWeights(int32_t taps, std::vector<double>& weights, double sigma, double spacing);

// The fewest taps, odd and at most taps, whose Gaussian leaves out less than leftOut of the
// full kernel's weight: the outer pairs that together weigh less go. taps itself when the
// weights cannot be made.
int32_t GaussianTapsKeeping(int32_t taps, double sigma, double spacing, double leftOut);

// taps × 1/taps; false (vector untouched) for an even or non-positive tap count.
bool ComputeBoxWeights(int32_t taps, std::vector<double>& weights);

// The kernel with neighbouring taps merged pairwise into single fetches at fractional offsets
// (one linearly filtered fetch yields the pair's weighted sum). sigma equal to the largest
// double selects box weights. offsets hold distances in taps, positive on both sides.
bool ComputeLinearSamplingKernel(int32_t taps, std::vector<double>& weights, std::vector<double>& offsets, double sigma,
                                 double spacing);

// The value of sigma that asks ComputeLinearSamplingKernel for box weights.
inline constexpr double kBoxKernelSigma = 1.7976931348623157e308;

}  // namespace QV::Math
