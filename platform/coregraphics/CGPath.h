#pragma once
// Paths: sub-paths of lines, Bézier curves and arcs, built once and drawn, filled, clipped
// or hit-tested many times. A transform given while building applies to the added points.
#include <memory>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"

class CGPath {
public:
    enum class Op { Move, Line, Quad, Curve, Arc, Close };
    struct Element {
        Op op = Op::Move;
        CGPoint p[3] = {};                       // end point last; control points first
        CGFloat radius = 0, start = 0, end = 0;  // arcs: p[0] is the centre
        bool clockwise = false;
        CGAffineTransform transform{};  // arcs only
    };
    std::vector<Element> elements;
};
using CGPathRef = std::shared_ptr<const CGPath>;
using CGMutablePathRef = std::shared_ptr<CGPath>;

CGMutablePathRef CGPathCreateMutable();
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path);
CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* m = nullptr);
CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* m = nullptr);
CGPathRef CGPathCreateWithRoundedRect(CGRect rect, CGFloat cornerWidth, CGFloat cornerHeight,
                                      const CGAffineTransform* m = nullptr);

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddQuadCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cpx, CGFloat cpy,
                               CGFloat x, CGFloat y);
void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cp1x, CGFloat cp1y,
                           CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
// Angles in radians; `clockwise` in the path's own (y-up) space, as for the context.
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y, CGFloat radius,
                  CGFloat startAngle, CGFloat endAngle, bool clockwise);
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
void CGPathAddRoundedRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect, CGFloat cornerWidth,
                          CGFloat cornerHeight);
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* m, const CGPathRef& other);
void CGPathCloseSubpath(const CGMutablePathRef& path);

bool CGPathIsEmpty(const CGPathRef& path);
// The smallest rectangle holding every point of the path (curves included).
CGRect CGPathGetBoundingBox(const CGPathRef& path);
bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* m, CGPoint point, bool eoFill);
