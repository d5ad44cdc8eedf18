#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gpu/Math.h"
#include "gpu/ShaderConstants.h"

using QV::Math::CMatrix4;
using QV::Math::CVector3;
using QV::Math::CVector4;
using M4 = CMatrix4<float>;

namespace {
void ExpectMatrixNear(const M4& a, const M4& b, float tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}
}  // namespace

TEST(MathTest, MatrixIsBuiltRowByRowAndStoredColumnMajor) {
    M4 a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const float expected[16] = {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(a.m[i], expected[i]);
    EXPECT_FALSE(M4::Identity() * a != a);
    EXPECT_FALSE(a * M4::Identity() != a);
}

TEST(MathTest, ProductComposesTransformsRightToLeft) {
    // Scale then translate: the point (1, 1, 0) goes to (2, 3, 0) then (12, 3, 0).
    M4 m = M4::Translation(10, 0, 0) * M4::Scale(2, 3, 1);
    float x = m(0, 0) * 1 + m(0, 1) * 1 + m(0, 3);
    float y = m(1, 0) * 1 + m(1, 1) * 1 + m(1, 3);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(m.m[12], 10);  // the translation sits in m[12..14]
}

TEST(MathTest, OrthoOfTheUnitSquareIsTheSharedClipMatrix) {
    EXPECT_FALSE(M4::Ortho(0, 1, 0, 1, -1, 1) != QV::Graphics::ShaderSource::UnitSquareToClipMatrix);
    EXPECT_FALSE(QV::Graphics::ShaderSource::IdentityMatrix != M4::Identity());
    EXPECT_EQ(QV::Graphics::ShaderSource::PrecisionNames[1], "mediump");
}

TEST(MathTest, RotationsTurnByTheRightHandRuleAndNormaliseTheAxis) {
    const float half = static_cast<float>(M_PI / 2);
    M4 z = M4::RotationZ(half);
    EXPECT_NEAR(z(0, 0), 0, 1e-7);
    EXPECT_EQ(z(0, 1), -1);
    EXPECT_EQ(z(1, 0), 1);
    ExpectMatrixNear(M4::Rotation(half, CVector3<float>(0, 0, 2)), z, 1e-6f);

    // About the zero axis only the cosine is left on the diagonal.
    M4 zero = M4::Rotation(0.5f, CVector3<float>(0, 0, 0));
    float c = static_cast<float>(std::cos(0.5));
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(zero(r, col), r != col ? 0.0f : (r == 3 ? 1.0f : c));
}

TEST(MathTest, RowVectorProductIgnoresTheTranslationColumn) {
    CVector3<float> p = CVector3<float>(1, 0, 0) * M4::Translation(5, 6, 7);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.z, 0);
    // The upper 3x3 acts transposed: (1, 0, 0) picks the first row.
    CVector3<float> q = CVector3<float>(1, 0, 0) * M4(1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1);
    EXPECT_EQ(q.x, 1);
    EXPECT_EQ(q.y, 2);
    EXPECT_EQ(q.z, 3);
}

TEST(MathTest, NormalizeAndComparisons) {
    CVector3<float> v(3, 0, 4);
    v.Normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    CVector3<float> zero(0, 0, 0);
    zero.Normalize();
    EXPECT_EQ(zero.x, 0);

    float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(CVector4<float>(nan, 0, 0, 0) != CVector4<float>(nan, 0, 0, 0));
    EXPECT_FALSE(CVector4<float>(1, 2, 3, 4) != CVector4<float>(1, 2, 3, 4));
}

TEST(MathTest, GaussianTapCountIsOddAndAtLeastOne) {
    struct Case {
        double sigma, spacing;
        int32_t taps;
    };
    for (Case c : {Case{1, 1, 5}, Case{1.5, 1, 9}, Case{1, 2, 3}, Case{0.1, 1, 1}, Case{0, 1, 1}, Case{2, 0.5, 23}})
        EXPECT_EQ(QV::Math::GaussianTapCount(c.sigma, c.spacing), c.taps) << c.sigma << ", " << c.spacing;
}
