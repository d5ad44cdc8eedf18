#pragma once
// Small value types for geometry, colours and transforms. Plain aggregates of floats: copied by
// value, no heap, default constructors leave the components unset. Comparisons are exact (a NaN
// always compares as different). Matrices are stored column-major and built row by row.
#include <cstdint>

namespace QV::Math {

template <typename T>
struct CMatrix4;

template <typename T>
struct CVector2 {
    T x, y;

    CVector2() {}
    CVector2(T x_, T y_) : x(x_), y(y_) {}
    CVector2(const CVector2&) = default;
    CVector2& operator=(const CVector2&) = default;

    CVector2 operator+(const CVector2& o) const { return {x + o.x, y + o.y}; }
    CVector2 operator*(T s) const { return {x * s, y * s}; }
    bool operator!=(const CVector2& o) const { return x != o.x || y != o.y; }
    void Set(T x_, T y_) {
        x = x_;
        y = y_;
    }
};

template <typename T>
inline CVector2<T> operator*(T s, const CVector2<T>& v) {
    return v * s;
}

template <typename T>
struct CVector3 {
    T x, y, z;

    CVector3() {}
    CVector3(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}
    CVector3(const CVector3&) = default;
    CVector3& operator=(const CVector3&) = default;

    CVector3 operator+(const CVector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    CVector3 operator*(T s) const { return {x * s, y * s, z * s}; }
    // The vector as a row (x, y, z, 1) times the matrix, keeping three components and never
    // dividing by w: the translation column takes no part and the upper 3x3 acts transposed.
    CVector3 operator*(const CMatrix4<T>& m) const;
    bool operator!=(const CVector3& o) const { return x != o.x || y != o.y || z != o.z; }
    void Set(T x_, T y_, T z_) {
        x = x_;
        y = y_;
        z = z_;
    }
    // Scales to unit length; a zero (or NaN) vector is left unchanged.
    CVector3& Normalize();
};

template <typename T>
struct CVector4 {
    T x, y, z, w;

    CVector4() {}
    CVector4(T x_, T y_, T z_, T w_) : x(x_), y(y_), z(z_), w(w_) {}
    CVector4(const CVector4&) = default;
    CVector4& operator=(const CVector4&) = default;

    bool operator!=(const CVector4& o) const { return x != o.x || y != o.y || z != o.z || w != o.w; }
    void Set(T x_, T y_, T z_, T w_) {
        x = x_;
        y = y_;
        z = z_;
        w = w_;
    }
};

// Nine values in the order glUniformMatrix3fv receives them (column-major).
template <typename T>
struct CMatrix3 {
    T m[9];

    CMatrix3() {}
    CMatrix3(const CMatrix3&) = default;
    CMatrix3& operator=(const CMatrix3&) = default;
    bool operator!=(const CMatrix3& o) const {
        for (int i = 0; i < 9; ++i)
            if (m[i] != o.m[i]) return true;
        return false;
    }
};

// Column-major: m[4c + r] is row r, column c; m[12..14] is the translation.
template <typename T>
struct CMatrix4 {
    T m[16];

    CMatrix4() {}
    // Arguments given row by row.
    constexpr CMatrix4(T a0, T a1, T a2, T a3, T a4, T a5, T a6, T a7, T a8, T a9, T a10, T a11, T a12, T a13, T a14,
                       T a15)
        : m{a0, a4, a8, a12, a1, a5, a9, a13, a2, a6, a10, a14, a3, a7, a11, a15} {}
    CMatrix4(const CMatrix4&) = default;
    CMatrix4& operator=(const CMatrix4&) = default;

    // Element of row r and column c.
    T operator()(int r, int c) const { return m[4 * c + r]; }

    CMatrix4 operator*(const CMatrix4& b) const {
        CMatrix4 out;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                T s = m[r] * b.m[4 * c];
                for (int k = 1; k < 4; ++k) s += m[4 * k + r] * b.m[4 * c + k];
                out.m[4 * c + r] = s;
            }
        return out;
    }
    bool operator!=(const CMatrix4& o) const {
        for (int i = 0; i < 16; ++i)
            if (m[i] != o.m[i]) return true;
        return false;
    }

    static constexpr CMatrix4 Identity() { return Scale(1, 1, 1); }
    static constexpr CMatrix4 Scale(const CVector3<T>& v) { return Scale(v.x, v.y, v.z); }
    static constexpr CMatrix4 Scale(T x, T y, T z) { return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }
    static constexpr CMatrix4 Translation(T x, T y, T z) { return {1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1}; }
    // Rotation by `angle` radians about `axis` (normalised first), right-handed.
    static CMatrix4 Rotation(T angle, const CVector3<T>& axis);
    static CMatrix4 RotationZ(T angle);
    // Maps x from [left, right], y from [bottom, top] and z from [-near, -far] onto [-1, 1].
    static CMatrix4 Ortho(double left, double right, double bottom, double top, double near, double far);
};

// Odd number of taps a Gaussian of `sigma` needs at the given sample spacing (at least 1).
int32_t GaussianTapCount(double sigma, double spacing);

}  // namespace QV::Math

#include "gpu/MathImpl.h"
