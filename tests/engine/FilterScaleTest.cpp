#include <gtest/gtest.h>

#include "engine/ShaderSets.h"

namespace {

TEST(FilterScale, ReductionOfRequestedScales) {
    struct Case {
        double requested, stored, residual;
        int halvings;
    };
    const Case cases[] = {
        {0.5, 1.0, 1.0, 0},  // below 2/3 counts as 1
        {1.0, 1.0, 1.0, 0},    {4.0 / 3.0, 4.0 / 3.0, 4.0 / 3.0, 0},
        {1.5, 1.5, 0.75, 1},   {2.0, 2.0, 1.0, 1},  // not above 2: only the 4/3 step
        {3.0, 3.0, 0.75, 2},                        // 3 to 1.5 in the loop, then the 4/3 step
        {10.0, 10.0, 1.25, 3}, {32.0 / 3.0, 32.0 / 3.0, 4.0 / 3.0, 3},
    };
    for (const Case& c : cases) {
        const sFilterScaleReduction r = ReduceFilterScale(c.requested);
        EXPECT_DOUBLE_EQ(r.requestedScale, c.stored) << c.requested;
        EXPECT_DOUBLE_EQ(r.scale, c.residual) << c.requested;
        EXPECT_EQ(r.halvings, c.halvings) << c.requested;
        EXPECT_EQ(r.levelCount, c.halvings + 4) << c.requested;
    }
}

TEST(FilterScale, IrreducibleRequestFallsBackWithAConsistentLevelCount) {
    for (double requested :
         {11.0, 100.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        const sFilterScaleReduction r = ReduceFilterScale(requested);
        EXPECT_EQ(r.requestedScale, 0.0) << requested;
        EXPECT_EQ(r.scale, 1.0) << requested;
        EXPECT_EQ(r.halvings, 0) << requested;
        EXPECT_EQ(r.levelCount, 4) << "the pyramid must match the zero halvings";
    }
}

TEST(FilterScale, ScaledKernelSizesAreOddAndNeverSmaller) {
    struct Case {
        int base;
        float scale;
        int expected;
    };
    const Case cases[] = {
        {3, 1.0f, 3},   {3, 1.5f, 5},  {5, 1.5f, 9},  {7, 1.5f, 11}, {9, 1.5f, 15},
        {11, 1.5f, 17}, {9, 1.2f, 11}, {5, 0.75f, 5}, {3, 0.0f, 3},  {11, 2.0f, 23},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaledKernelSize(c.base, c.scale), c.expected) << c.base << " x " << c.scale;
}

TEST(FilterScale, RecordDerivesKernelsStepsAndInverses) {
    sFilterScale record;
    EXPECT_EQ(record.KernelByScale(9), 9);
    record.scale = 0.75;
    record.scaleF = 0.75f;
    record.requestedScale = 1.5;
    record.requestedScaleF = 1.5f;
    record.ComputeDerived();
    const int expected[10] = {3, 5, 5, 9, 7, 11, 9, 15, 11, 17};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(record.kernelSizes[i], expected[i]) << i;
    EXPECT_EQ(record.KernelByScale(5), 5);
    EXPECT_EQ(record.KernelByRequested(5), 9);
    const int steps[4] = {1, 2, 3, 5};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(record.steps[i], steps[i]) << i;
    EXPECT_DOUBLE_EQ(record.inverseScale, 1.0 / 0.75);
    EXPECT_DOUBLE_EQ(record.inverseRequestedScale, 1.0 / 1.5);
}

TEST(FilterScale, FreshProgramSetsAreStaleHighpAndEmpty) {
    CShaderSets sets;
    for (int variant = 0; variant < 2; ++variant) {
        EXPECT_TRUE(sets.stale[variant]);
        EXPECT_EQ(sets.precisions[variant], 2);
        const sFilterScale& r = sets.filterScales[variant];
        const int kernels[10] = {3, 3, 5, 5, 7, 7, 9, 9, 11, 11};
        for (int i = 0; i < 10; ++i) EXPECT_EQ(r.kernelSizes[i], kernels[i]);
        EXPECT_EQ(r.steps[3], 6);
        EXPECT_TRUE(r.tensorFlag);
    }
    for (const CShaderSetsShaderProgram& pair : sets.pairs) EXPECT_TRUE(pair[0] == nullptr && pair[1] == nullptr);
}

}  // namespace
