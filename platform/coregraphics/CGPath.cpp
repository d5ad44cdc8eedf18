#include "platform/coregraphics/CGPath.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/coregraphics/CGContextCairo.h"

namespace {

CGPoint apply(const CGAffineTransform* m, CGFloat x, CGFloat y) {
    return m ? CGPointApplyAffineTransform({x, y}, *m) : CGPoint{x, y};
}

void add(const CGMutablePathRef& path, CGPath::Op op, std::initializer_list<CGPoint> points) {
    if (!path) return;
    CGPath::Element e;
    e.op = op;
    int i = 0;
    for (CGPoint p : points) e.p[i++] = p;
    path->elements.push_back(e);
}

// An arc of the unit circle placed by `local` (then by `m`).
void addUnitArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGAffineTransform local, CGFloat start,
                CGFloat end, bool clockwise) {
    CGPath::Element e;
    e.op = CGPath::Op::Arc;
    e.radius = 1;
    e.start = start;
    e.end = end;
    e.clockwise = clockwise;
    e.transform = m ? CGAffineTransformConcat(local, *m) : local;
    path->elements.push_back(e);
}

cairo_matrix_t toCairo(CGAffineTransform t) { return {t.a, t.b, t.c, t.d, t.tx, t.ty}; }

// A cairo context for measuring paths, on a 1 x 1 surface.
struct Scratch {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    ~Scratch() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

}  // namespace

void CGPathAppendToCairo(cairo_t* cr, const CGPath& path) {
    for (const CGPath::Element& e : path.elements) {
        switch (e.op) {
        case CGPath::Op::Move: cairo_move_to(cr, e.p[0].x, e.p[0].y); break;
        case CGPath::Op::Line: cairo_line_to(cr, e.p[0].x, e.p[0].y); break;
        case CGPath::Op::Quad: {
            double x0, y0;
            if (!cairo_has_current_point(cr)) cairo_move_to(cr, e.p[0].x, e.p[0].y);
            cairo_get_current_point(cr, &x0, &y0);
            const CGPoint c = e.p[0], p = e.p[1];
            cairo_curve_to(cr, x0 + 2.0 / 3 * (c.x - x0), y0 + 2.0 / 3 * (c.y - y0), p.x + 2.0 / 3 * (c.x - p.x),
                           p.y + 2.0 / 3 * (c.y - p.y), p.x, p.y);
            break;
        }
        case CGPath::Op::Curve: cairo_curve_to(cr, e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y); break;
        case CGPath::Op::Arc: {
            cairo_matrix_t m = toCairo(e.transform), saved;
            cairo_matrix_t inverse = m;
            if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS || e.radius <= 0) break;
            cairo_get_matrix(cr, &saved);
            cairo_transform(cr, &m);
            // Angles grow counter-clockwise in the y-up space; cairo's arc goes towards growing angles.
            if (e.clockwise) cairo_arc_negative(cr, e.p[0].x, e.p[0].y, e.radius, e.start, e.end);
            else cairo_arc(cr, e.p[0].x, e.p[0].y, e.radius, e.start, e.end);
            cairo_set_matrix(cr, &saved);
            break;
        }
        case CGPath::Op::Close: cairo_close_path(cr); break;
        }
    }
}

CGMutablePathRef CGPathCreateMutable() { return std::make_shared<CGPath>(); }
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path) {
    return path ? std::make_shared<CGPath>(*path) : CGPathCreateMutable();
}
CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* m) {
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, m, rect);
    return path;
}
CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* m) {
    auto path = CGPathCreateMutable();
    CGPathAddEllipseInRect(path, m, rect);
    return path;
}
CGPathRef CGPathCreateWithRoundedRect(CGRect rect, CGFloat cornerWidth, CGFloat cornerHeight,
                                      const CGAffineTransform* m) {
    auto path = CGPathCreateMutable();
    CGPathAddRoundedRect(path, m, rect, cornerWidth, cornerHeight);
    return path;
}

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y) {
    add(path, CGPath::Op::Move, {apply(m, x, y)});
}
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y) {
    add(path, CGPath::Op::Line, {apply(m, x, y)});
}
void CGPathAddQuadCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cpx, CGFloat cpy,
                               CGFloat x, CGFloat y) {
    add(path, CGPath::Op::Quad, {apply(m, cpx, cpy), apply(m, x, y)});
}
void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cp1x, CGFloat cp1y,
                           CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y) {
    add(path, CGPath::Op::Curve, {apply(m, cp1x, cp1y), apply(m, cp2x, cp2y), apply(m, x, y)});
}
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y, CGFloat radius,
                  CGFloat startAngle, CGFloat endAngle, bool clockwise) {
    if (!path || !(radius > 0)) return;
    addUnitArc(
        path, m,
        CGAffineTransformConcat(CGAffineTransformMakeScale(radius, radius), CGAffineTransformMakeTranslation(x, y)),
        startAngle, endAngle, clockwise);
}
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect r) {
    r = CGRectStandardize(r);
    CGPathMoveToPoint(path, m, r.origin.x, r.origin.y);
    CGPathAddLineToPoint(path, m, CGRectGetMaxX(r), r.origin.y);
    CGPathAddLineToPoint(path, m, CGRectGetMaxX(r), CGRectGetMaxY(r));
    CGPathAddLineToPoint(path, m, r.origin.x, CGRectGetMaxY(r));
    CGPathCloseSubpath(path);
}
void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect r) {
    r = CGRectStandardize(r);
    if (!path || r.size.width <= 0 || r.size.height <= 0) return;
    CGPathMoveToPoint(path, m, CGRectGetMaxX(r), CGRectGetMidY(r));
    addUnitArc(path, m,
               CGAffineTransformConcat(CGAffineTransformMakeScale(r.size.width / 2, r.size.height / 2),
                                       CGAffineTransformMakeTranslation(CGRectGetMidX(r), CGRectGetMidY(r))),
               0, 2 * std::numbers::pi, false);
    CGPathCloseSubpath(path);
}
void CGPathAddRoundedRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect r, CGFloat cw, CGFloat ch) {
    r = CGRectStandardize(r);
    cw = std::clamp(cw, 0.0, r.size.width / 2);
    ch = std::clamp(ch, 0.0, r.size.height / 2);
    if (!path) return;
    if (cw <= 0 || ch <= 0) {
        CGPathAddRect(path, m, r);
        return;
    }
    const double x0 = r.origin.x, y0 = r.origin.y, x1 = CGRectGetMaxX(r), y1 = CGRectGetMaxY(r);
    const double pi = std::numbers::pi;
    auto corner = [&](double cx, double cy, double from) {
        addUnitArc(
            path, m,
            CGAffineTransformConcat(CGAffineTransformMakeScale(cw, ch), CGAffineTransformMakeTranslation(cx, cy)), from,
            from + pi / 2, false);
    };
    CGPathMoveToPoint(path, m, x1, y0 + ch);
    corner(x1 - cw, y1 - ch, 0);
    corner(x0 + cw, y1 - ch, pi / 2);
    corner(x0 + cw, y0 + ch, pi);
    corner(x1 - cw, y0 + ch, 3 * pi / 2);
    CGPathCloseSubpath(path);
}
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* m, const CGPathRef& other) {
    if (!path || !other) return;
    for (CGPath::Element e : other->elements) {
        if (m) {
            if (e.op == CGPath::Op::Arc) e.transform = CGAffineTransformConcat(e.transform, *m);
            else
                for (CGPoint& p : e.p) p = CGPointApplyAffineTransform(p, *m);
        }
        path->elements.push_back(e);
    }
}
void CGPathCloseSubpath(const CGMutablePathRef& path) { add(path, CGPath::Op::Close, {}); }

bool CGPathIsEmpty(const CGPathRef& path) { return !path || path->elements.empty(); }

CGRect CGPathGetBoundingBox(const CGPathRef& path) {
    if (CGPathIsEmpty(path)) return CGRectZero;
    Scratch s;
    CGPathAppendToCairo(s.cr, *path);
    double x0, y0, x1, y1;
    cairo_path_extents(s.cr, &x0, &y0, &x1, &y1);
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* m, CGPoint point, bool eoFill) {
    if (CGPathIsEmpty(path)) return false;
    Scratch s;
    if (m) {
        cairo_matrix_t cm = toCairo(*m), inverse = cm;
        if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS) return false;
        cairo_set_matrix(s.cr, &cm);
    }
    CGPathAppendToCairo(s.cr, *path);
    cairo_identity_matrix(s.cr);
    cairo_set_fill_rule(s.cr, eoFill ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    return cairo_in_fill(s.cr, point.x, point.y);
}
