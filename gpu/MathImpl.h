#pragma once
// Out-of-line template members of gpu/Math.h; include gpu/Math.h instead.
#include <cmath>

namespace QV::Math {

template <typename T>
CVector3<T> CVector3<T>::operator*(const CMatrix4<T>& mat) const {
    CVector3 out;
    T* o[3] = {&out.x, &out.y, &out.z};
    for (int i = 0; i < 3; ++i) *o[i] = ((x * mat(0, i) + y * mat(1, i)) + z * mat(2, i)) + mat(3, i);
    return out;
}

template <typename T>
CVector3<T>& CVector3<T>::Normalize() {
    T q = (x * x + y * y) + z * z;
    if (q > 0) {
        T k = T(1) / std::sqrt(q);
        x *= k;
        y *= k;
        z *= k;
    }
    return *this;
}

template <typename T>
CMatrix4<T> CMatrix4<T>::Rotation(T angle, const CVector3<T>& axis) {
    T s = static_cast<T>(std::sin(static_cast<double>(angle)));
    T c = static_cast<T>(std::cos(static_cast<double>(angle)));
    T t = 1 - c;
    CVector3<T> a = axis;
    a.Normalize();
    T x = a.x, y = a.y, z = a.z;
    T xx = t * (x * x), xy = t * (x * y), xz = t * (x * z);
    T yy = t * (y * y), yz = t * (y * z), zz = t * (z * z);
    T sx = s * x, sy = s * y, sz = s * z;
    return {c + xx, xy - sz, xz + sy, 0, xy + sz, c + yy, yz - sx, 0, xz - sy, yz + sx, c + zz, 0, 0, 0, 0, 1};
}

template <typename T>
CMatrix4<T> CMatrix4<T>::RotationZ(T angle) {
    T s = static_cast<T>(std::sin(static_cast<double>(angle)));
    T c = static_cast<T>(std::cos(static_cast<double>(angle)));
    return {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

template <typename T>
CMatrix4<T> CMatrix4<T>::Ortho(double l, double r, double b, double t, double n, double f) {
    double a = 1.0 / (r - l), bb = 1.0 / (t - b), d = 1.0 / (f - n);
    return {static_cast<T>(a + a),
            0,
            0,
            static_cast<T>(-((l + r) * a)),
            0,
            static_cast<T>(bb + bb),
            0,
            static_cast<T>(-((b + t) * bb)),
            0,
            0,
            static_cast<T>(-d - d),
            static_cast<T>((n + f) * -d),
            0,
            0,
            0,
            1};
}

}  // namespace QV::Math
