// Gaussian, box and linear-sampling kernels against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gpu/shadersource/Kernels.h"

namespace {

using QV::Math::ComputeBoxWeights;
using QV::Math::ComputeGaussianWeights;
using QV::Math::ComputeLinearSamplingKernel;
using QV::Math::GaussianTapsKeeping;

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-12) << i;
}

TEST(GaussianWeights, KnownKernels) {
    std::vector<double> w;
    ASSERT_TRUE(ComputeGaussianWeights(1, w, 2.5, 1.0));
    ExpectNear(w, {1.0});
    ASSERT_TRUE(ComputeGaussianWeights(3, w, 1.0, 1.0));
    ExpectNear(w, {0.274068619061197, 0.451862761877606, 0.274068619061197});
    ASSERT_TRUE(ComputeGaussianWeights(5, w, 1.0, 1.0));
    ExpectNear(w, {0.0544886845496429, 0.244201342003233, 0.402619946894247, 0.244201342003233, 0.0544886845496429});
    ASSERT_TRUE(ComputeGaussianWeights(3, w, 0.0, 1.0));
    ExpectNear(w, {0.0, 1.0, 0.0});
}

TEST(GaussianWeights, OnlyOuterPairsWeighingLessThanTheShareLeftOutAreDropped) {
    // sigma 1, nine taps: the outer pairs weigh 0.00027, 0.0089, 0.108 and 0.484 of the kernel.
    struct Case {
        int32_t taps;
        double sigma;
        double leftOut;
        int32_t kept;
    };
    for (const Case& c : {Case{9, 1.0, 0.01, 5}, Case{9, 1.0, 0.005, 7}, Case{9, 1.0, 0.0, 9}, Case{9, 1.0, 0.2, 3},
                          Case{5, 2.0, 0.01, 5}, Case{9, 0.0, 0.01, 1}, Case{4, 1.0, 0.01, 4}, Case{9, -1.0, 0.01, 9}})
        EXPECT_EQ(GaussianTapsKeeping(c.taps, c.sigma, 1.0, c.leftOut), c.kept)
            << c.taps << " taps, sigma " << c.sigma << ", " << c.leftOut << " left out";
    // The spacing widens the kernel in taps as the sigma does.
    EXPECT_EQ(GaussianTapsKeeping(9, 2.0, 2.0, 0.01), 5);
}

TEST(GaussianWeights, RefusesBadArguments) {
    std::vector<double> w = {1.0};
    EXPECT_FALSE(ComputeGaussianWeights(3, w, -1.0, 1.0));
    EXPECT_TRUE(w.empty());
    w = {1.0};
    EXPECT_FALSE(ComputeGaussianWeights(4, w, 1.0, 1.0));
    EXPECT_TRUE(w.empty());
    EXPECT_FALSE(ComputeGaussianWeights(0, w, 1.0, 1.0));
    EXPECT_FALSE(ComputeGaussianWeights(-3, w, 1.0, 1.0));
    EXPECT_FALSE(ComputeGaussianWeights(3, w, std::nan(""), 1.0));
}

TEST(BoxWeights, EqualWeightsOrUntouchedOnRefusal) {
    std::vector<double> w = {7.0};
    EXPECT_FALSE(ComputeBoxWeights(2, w));
    ExpectNear(w, {7.0});
    ASSERT_TRUE(ComputeBoxWeights(5, w));
    ExpectNear(w, {0.2, 0.2, 0.2, 0.2, 0.2});
}

TEST(LinearSamplingKernel, MergedPairs) {
    std::vector<double> w;
    std::vector<double> o;
    ASSERT_TRUE(ComputeLinearSamplingKernel(5, w, o, 1.0, 1.0));
    ExpectNear(w, {0.298690026552876, 0.402619946894247, 0.298690026552876});
    ExpectNear(o, {1.18242552380636, 0.0, 1.18242552380636});
    ASSERT_TRUE(ComputeLinearSamplingKernel(3, w, o, 1.0, 1.0));
    ExpectNear(w, {0.274068619061197, 0.451862761877606, 0.274068619061197});
    ExpectNear(o, {1.0, 0.0, 1.0});
    ASSERT_TRUE(ComputeLinearSamplingKernel(9, w, o, 2.0, 1.0));
    ExpectNear(o, {3.29421497216299, 1.40733340004593, 0.0, 1.40733340004593, 3.29421497216299});
    const double box = std::numeric_limits<double>::max();
    ASSERT_TRUE(ComputeLinearSamplingKernel(5, w, o, box, 1.0));
    ExpectNear(w, {0.4, 0.2, 0.4});
    ExpectNear(o, {1.5, 0.0, 1.5});
    ASSERT_TRUE(ComputeLinearSamplingKernel(7, w, o, box, 1.0));
    ExpectNear(w, {1.0 / 7, 2.0 / 7, 1.0 / 7, 2.0 / 7, 1.0 / 7});
    ExpectNear(o, {3.0, 1.5, 0.0, 1.5, 3.0});
    EXPECT_FALSE(ComputeLinearSamplingKernel(4, w, o, 1.0, 1.0));
    EXPECT_TRUE(w.empty());
    EXPECT_TRUE(o.empty());
}

TEST(LinearSamplingKernel, SizesFollowTheMergeRule) {
    std::vector<double> w;
    std::vector<double> o;
    const int expected[][2] = {{1, 1}, {3, 3}, {5, 3}, {7, 5}, {9, 5}, {11, 7}};
    for (const auto& e : expected) {
        ASSERT_TRUE(ComputeLinearSamplingKernel(e[0], w, o, 1.5, 1.0));
        EXPECT_EQ(static_cast<int>(w.size()), e[1]) << e[0];
        double sum = 0.0;
        for (double x : w) sum += x;
        EXPECT_NEAR(sum, 1.0, 1e-12);
    }
}

// A zero-width Gaussian has weightless side pairs; their offsets must still be numbers, since
// they are written into the shader text.
TEST(LinearSamplingKernel, ImpulseKeepsFiniteOffsets) {
    std::vector<double> w;
    std::vector<double> o;
    ASSERT_TRUE(ComputeLinearSamplingKernel(9, w, o, 0.0, 1.0));
    for (double x : o) EXPECT_TRUE(std::isfinite(x));
    EXPECT_DOUBLE_EQ(w[2], 1.0);
}

// An infinite tap spacing (a filter scale of 0 upstream) would make every weight NaN.
TEST(GaussianWeights, RefusesNonFiniteSpacing) {
    std::vector<double> w;
    EXPECT_FALSE(ComputeGaussianWeights(5, w, 1.0, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(ComputeGaussianWeights(5, w, 1.0, std::nan("")));
    EXPECT_TRUE(w.empty());
}

}  // namespace
