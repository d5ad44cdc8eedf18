#pragma once
// 4 x 4 transforms of layers, applied to row vectors [x y z 1]: p' = p M, so translation is
// in the fourth row and `CATransform3DConcat(a, b)` applies a, then b.
#include <cmath>

#include "platform/coregraphics/CGGeometry.h"

struct CATransform3D {
    CGFloat m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    CGFloat m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    CGFloat m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    CGFloat m41 = 0, m42 = 0, m43 = 0, m44 = 1;
    friend bool operator==(const CATransform3D&, const CATransform3D&) = default;
};

inline constexpr CATransform3D CATransform3DIdentity{};

inline bool CATransform3DIsIdentity(const CATransform3D& t) { return t == CATransform3DIdentity; }
inline bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b) { return a == b; }

// a, then b.
CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b);
CATransform3D CATransform3DMakeTranslation(CGFloat tx, CGFloat ty, CGFloat tz);
CATransform3D CATransform3DMakeScale(CGFloat sx, CGFloat sy, CGFloat sz);
// About the axis (x, y, z); a zero axis gives the identity.
CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z);
// The operation first, then t.
CATransform3D CATransform3DTranslate(const CATransform3D& t, CGFloat tx, CGFloat ty, CGFloat tz);
CATransform3D CATransform3DScale(const CATransform3D& t, CGFloat sx, CGFloat sy, CGFloat sz);
CATransform3D CATransform3DRotate(const CATransform3D& t, CGFloat angle, CGFloat x, CGFloat y, CGFloat z);
// A singular transform is returned unchanged.
CATransform3D CATransform3DInvert(const CATransform3D& t);

CATransform3D CATransform3DMakeAffineTransform(CGAffineTransform t);
bool CATransform3DIsAffine(const CATransform3D& t);
// The 2-D part (meaningful when the transform is affine).
CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t);

// The point (x, y, 0) through t, projected back to z = 0 (divided by w).
CGPoint CATransform3DApplyToPoint(const CATransform3D& t, CGPoint p);

// A layer transform flattened onto the plane z = 0: what it does to the points (x, y, 0, 1)
// of a layer, as a 3 x 3 matrix on row vectors [x y w]. Layers are composed one flattened
// transform after another (a layer is a flat picture to its superlayer), so drawing, hit
// testing and point conversion all use these, and a point maps back through the inverse of
// the 3 x 3 (the 4 x 4 inverse would miss layers turned about the y axis).
struct CAFlatTransform {
    CGFloat m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

CAFlatTransform CATransform3DFlatten(const CATransform3D& t);
// a, then b.
CAFlatTransform CAFlatTransformConcat(const CAFlatTransform& a, const CAFlatTransform& b);
// A singular transform is returned unchanged.
CAFlatTransform CAFlatTransformInvert(const CAFlatTransform& t);
// Divided by w; a point sent to infinity (w = 0) comes back undivided.
CGPoint CAFlatTransformApplyToPoint(const CAFlatTransform& t, CGPoint p);
// True when the projective column is (0, 0, w): the transform is an affine one.
bool CAFlatTransformIsAffine(const CAFlatTransform& t);
// The affine part divided by w (meaningful when the transform is affine).
CGAffineTransform CAFlatTransformGetAffine(const CAFlatTransform& t);
CAFlatTransform CAFlatTransformMakeAffine(CGAffineTransform t);
