#include "platform/quartzcore/CATransform3D.h"

namespace {

using Matrix = CGFloat[4][4];

void toArray(const CATransform3D& t, Matrix m) {
    const CGFloat v[16] = {t.m11, t.m12, t.m13, t.m14, t.m21, t.m22, t.m23, t.m24,
                           t.m31, t.m32, t.m33, t.m34, t.m41, t.m42, t.m43, t.m44};
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = v[i];
}

CATransform3D fromArray(const Matrix m) {
    return {m[0][0], m[0][1], m[0][2], m[0][3], m[1][0], m[1][1], m[1][2], m[1][3],
            m[2][0], m[2][1], m[2][2], m[2][3], m[3][0], m[3][1], m[3][2], m[3][3]};
}

}  // namespace

CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b) {
    Matrix x, y, r;
    toArray(a, x);
    toArray(b, y);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            r[i][j] = 0;
            for (int k = 0; k < 4; ++k) r[i][j] += x[i][k] * y[k][j];
        }
    return fromArray(r);
}

CATransform3D CATransform3DMakeTranslation(CGFloat tx, CGFloat ty, CGFloat tz) {
    CATransform3D t;
    t.m41 = tx, t.m42 = ty, t.m43 = tz;
    return t;
}

CATransform3D CATransform3DMakeScale(CGFloat sx, CGFloat sy, CGFloat sz) {
    CATransform3D t;
    t.m11 = sx, t.m22 = sy, t.m33 = sz;
    return t;
}

CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z) {
    CGFloat length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return CATransform3DIdentity;
    x /= length, y /= length, z /= length;
    const CGFloat c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    CATransform3D r;
    r.m11 = t * x * x + c, r.m12 = t * x * y + s * z, r.m13 = t * x * z - s * y;
    r.m21 = t * x * y - s * z, r.m22 = t * y * y + c, r.m23 = t * y * z + s * x;
    r.m31 = t * x * z + s * y, r.m32 = t * y * z - s * x, r.m33 = t * z * z + c;
    return r;
}

CATransform3D CATransform3DTranslate(const CATransform3D& t, CGFloat tx, CGFloat ty, CGFloat tz) {
    return CATransform3DConcat(CATransform3DMakeTranslation(tx, ty, tz), t);
}
CATransform3D CATransform3DScale(const CATransform3D& t, CGFloat sx, CGFloat sy, CGFloat sz) {
    return CATransform3DConcat(CATransform3DMakeScale(sx, sy, sz), t);
}
CATransform3D CATransform3DRotate(const CATransform3D& t, CGFloat angle, CGFloat x, CGFloat y, CGFloat z) {
    return CATransform3DConcat(CATransform3DMakeRotation(angle, x, y, z), t);
}

CATransform3D CATransform3DInvert(const CATransform3D& t) {
    // Gauss-Jordan elimination with partial pivoting.
    Matrix a, inv;
    toArray(t, a);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) inv[i][j] = i == j ? 1 : 0;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        if (std::fabs(a[pivot][col]) < 1e-12) return t;
        for (int j = 0; j < 4; ++j) {
            std::swap(a[col][j], a[pivot][j]);
            std::swap(inv[col][j], inv[pivot][j]);
        }
        const CGFloat d = a[col][col];
        for (int j = 0; j < 4; ++j) a[col][j] /= d, inv[col][j] /= d;
        for (int row = 0; row < 4; ++row) {
            if (row == col) continue;
            const CGFloat f = a[row][col];
            for (int j = 0; j < 4; ++j) a[row][j] -= f * a[col][j], inv[row][j] -= f * inv[col][j];
        }
    }
    return fromArray(inv);
}

CATransform3D CATransform3DMakeAffineTransform(CGAffineTransform t) {
    CATransform3D r;
    r.m11 = t.a, r.m12 = t.b, r.m21 = t.c, r.m22 = t.d, r.m41 = t.tx, r.m42 = t.ty;
    return r;
}

bool CATransform3DIsAffine(const CATransform3D& t) {
    return t.m13 == 0 && t.m14 == 0 && t.m23 == 0 && t.m24 == 0 && t.m31 == 0 && t.m32 == 0 && t.m33 == 1 &&
           t.m34 == 0 && t.m43 == 0 && t.m44 == 1;
}

CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t) {
    return {t.m11, t.m12, t.m21, t.m22, t.m41, t.m42};
}

CGPoint CATransform3DApplyToPoint(const CATransform3D& t, CGPoint p) {
    const CGFloat x = p.x * t.m11 + p.y * t.m21 + t.m41;
    const CGFloat y = p.x * t.m12 + p.y * t.m22 + t.m42;
    const CGFloat w = p.x * t.m14 + p.y * t.m24 + t.m44;
    if (w == 0 || w == 1) return {x, y};
    return {x / w, y / w};
}

CAFlatTransform CATransform3DFlatten(const CATransform3D& t) {
    return {{{t.m11, t.m12, t.m14}, {t.m21, t.m22, t.m24}, {t.m41, t.m42, t.m44}}};
}

CAFlatTransform CAFlatTransformConcat(const CAFlatTransform& a, const CAFlatTransform& b) {
    CAFlatTransform r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

CAFlatTransform CAFlatTransformInvert(const CAFlatTransform& t) {
    const auto& m = t.m;
    const CGFloat c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1], c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2],
                  c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const CGFloat det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    if (det == 0 || !std::isfinite(det)) return t;
    CAFlatTransform r;
    r.m[0][0] = c00 / det;
    r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r.m[1][0] = c01 / det;
    r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r.m[2][0] = c02 / det;
    r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return r;
}

CGPoint CAFlatTransformApplyToPoint(const CAFlatTransform& t, CGPoint p) {
    const auto& m = t.m;
    const CGFloat x = p.x * m[0][0] + p.y * m[1][0] + m[2][0];
    const CGFloat y = p.x * m[0][1] + p.y * m[1][1] + m[2][1];
    const CGFloat w = p.x * m[0][2] + p.y * m[1][2] + m[2][2];
    if (w == 0 || w == 1) return {x, y};
    return {x / w, y / w};
}

bool CAFlatTransformIsAffine(const CAFlatTransform& t) { return t.m[0][2] == 0 && t.m[1][2] == 0 && t.m[2][2] != 0; }

CGAffineTransform CAFlatTransformGetAffine(const CAFlatTransform& t) {
    const auto& m = t.m;
    const CGFloat w = m[2][2] == 0 ? 1 : m[2][2];
    return {m[0][0] / w, m[0][1] / w, m[1][0] / w, m[1][1] / w, m[2][0] / w, m[2][1] / w};
}

CAFlatTransform CAFlatTransformMakeAffine(CGAffineTransform t) {
    return {{{t.a, t.b, 0}, {t.c, t.d, 0}, {t.tx, t.ty, 1}}};
}
