#pragma once
// Points, sizes, rectangles and affine transforms in points (doubles), as the drawing and
// view layers use them. A rectangle with negative size is normalised by the functions that
// read its edges.
#include <algorithm>
#include <cmath>

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0, y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
    CGFloat width = 0, height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    friend bool operator==(const CGRect&, const CGRect&) = default;
};

struct CGVector {
    CGFloat dx = 0, dy = 0;
};

// [a b 0; c d 0; tx ty 1], applied to row vectors: x' = a x + c y + tx, y' = b x + d y + ty.
struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};
inline constexpr CGAffineTransform CGAffineTransformIdentity{};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline CGSize CGSizeMake(CGFloat w, CGFloat h) { return {w, h}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return {{x, y}, {w, h}}; }

inline CGRect CGRectStandardize(CGRect r) {
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}
inline CGFloat CGRectGetMinX(CGRect r) { return CGRectStandardize(r).origin.x; }
inline CGFloat CGRectGetMinY(CGRect r) { return CGRectStandardize(r).origin.y; }
inline CGFloat CGRectGetWidth(CGRect r) { return std::fabs(r.size.width); }
inline CGFloat CGRectGetHeight(CGRect r) { return std::fabs(r.size.height); }
inline CGFloat CGRectGetMaxX(CGRect r) { return CGRectGetMinX(r) + CGRectGetWidth(r); }
inline CGFloat CGRectGetMaxY(CGRect r) { return CGRectGetMinY(r) + CGRectGetHeight(r); }
inline CGFloat CGRectGetMidX(CGRect r) { return CGRectGetMinX(r) + CGRectGetWidth(r) / 2; }
inline CGFloat CGRectGetMidY(CGRect r) { return CGRectGetMinY(r) + CGRectGetHeight(r) / 2; }
inline bool CGRectIsEmpty(CGRect r) { return r.size.width == 0 || r.size.height == 0; }
inline bool CGRectContainsPoint(CGRect r, CGPoint p) {
    return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}
inline CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy) {
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}
inline CGRect CGRectInset(CGRect r, CGFloat dx, CGFloat dy) {
    r = CGRectStandardize(r);
    return {{r.origin.x + dx, r.origin.y + dy}, {r.size.width - 2 * dx, r.size.height - 2 * dy}};
}
// The smallest rectangle of whole coordinates holding the rectangle.
inline CGRect CGRectIntegral(CGRect r) {
    r = CGRectStandardize(r);
    const CGFloat x0 = std::floor(r.origin.x), y0 = std::floor(r.origin.y);
    return {{x0, y0}, {std::ceil(r.origin.x + r.size.width) - x0, std::ceil(r.origin.y + r.size.height) - y0}};
}
inline CGRect CGRectIntersection(CGRect a, CGRect b) {
    CGFloat x0 = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
    CGFloat y0 = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
    CGFloat x1 = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
    CGFloat y1 = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
    if (x1 <= x0 || y1 <= y0) return CGRectZero;
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}
inline CGRect CGRectUnion(CGRect a, CGRect b) {
    if (CGRectIsEmpty(a)) return CGRectStandardize(b);
    if (CGRectIsEmpty(b)) return CGRectStandardize(a);
    CGFloat x0 = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
    CGFloat y0 = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
    CGFloat x1 = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
    CGFloat y1 = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

inline CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) { return {1, 0, 0, 1, tx, ty}; }
inline CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return {sx, 0, 0, sy, 0, 0}; }
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle) {
    CGFloat c = std::cos(angle), s = std::sin(angle);
    return {c, s, -s, c, 0, 0};
}
// t1 then t2.
inline CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2) {
    return {t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d,           t1.c * t2.a + t1.d * t2.c,
            t1.c * t2.b + t1.d * t2.d, t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}
inline CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty) {
    return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}
inline CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy) {
    return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
inline CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle) {
    return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}
inline bool CGAffineTransformIsIdentity(CGAffineTransform t) { return t == CGAffineTransformIdentity; }
inline CGAffineTransform CGAffineTransformInvert(CGAffineTransform t) {
    CGFloat det = t.a * t.d - t.b * t.c;
    if (det == 0) return t;  // singular: returned unchanged
    return {
        t.d / det, -t.b / det, -t.c / det, t.a / det, (t.c * t.ty - t.d * t.tx) / det, (t.b * t.tx - t.a * t.ty) / det};
}
inline CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t) {
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}
inline CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t) {
    return {t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}
// The bounding box of the transformed rectangle.
inline CGRect CGRectApplyAffineTransform(CGRect r, CGAffineTransform t) {
    r = CGRectStandardize(r);
    CGPoint p[4] = {CGPointApplyAffineTransform(r.origin, t),
                    CGPointApplyAffineTransform({r.origin.x + r.size.width, r.origin.y}, t),
                    CGPointApplyAffineTransform({r.origin.x, r.origin.y + r.size.height}, t),
                    CGPointApplyAffineTransform({r.origin.x + r.size.width, r.origin.y + r.size.height}, t)};
    CGFloat x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const CGPoint& q : p) {
        x0 = std::min(x0, q.x);
        x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y);
        y1 = std::max(y1, q.y);
    }
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}
