#include "platform/coregraphics/CGContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "platform/coregraphics/CGContextCairo.h"
#include "platform/coregraphics/CGGradient.h"
#include "platform/coregraphics/CGPixels.h"
#include "platform/coregraphics/CGStackBlur.h"

class CGContext {
public:
    struct State {
        CGColor fill{0, 0, 0, 1};
        CGColor stroke{0, 0, 0, 1};
        double alpha = 1;
        double lineWidth = 1;
        CGTextDrawingMode textMode = kCGTextFill;
        CGBlendMode blend = kCGBlendModeNormal;
        CGInterpolationQuality interpolation = kCGInterpolationDefault;
        bool degenerate = false;  // the transform collapsed space: nothing is drawn
        bool allowsAntialias = true, shouldAntialias = true;
        CGSize shadowOffset{0, 0};
        CGFloat shadowBlur = 0;
        std::optional<CGColor> shadow;  // none: shapes cast no shadow
    };

    ~CGContext() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }

    // Around every call that changes pixels: a converted layout is read into cairo's
    // surface first and written back after, so the bytes always show what was drawn.
    void begin() {
        if (native || depth++ > 0) return;
        cairo_surface_flush(surface);
        cgpixels::toCairo(layout, data, bytesPerRow, cairo_image_surface_get_data(surface),
                          static_cast<std::size_t>(cairo_image_surface_get_stride(surface)), width, height);
        cairo_surface_mark_dirty(surface);
    }
    void end() {
        if (native) {
            cairo_surface_flush(surface);
            return;
        }
        if (--depth > 0) return;
        cairo_surface_flush(surface);
        cgpixels::fromCairo(cairo_image_surface_get_data(surface),
                            static_cast<std::size_t>(cairo_image_surface_get_stride(surface)), layout, data,
                            bytesPerRow, width, height);
    }

    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::uint8_t* data = nullptr;
    std::vector<std::uint8_t> ownData;
    std::size_t width = 0, height = 0, bytesPerRow = 0;
    CGBitmapInfo bitmapInfo = 0;
    cgpixels::Layout layout;
    bool native = false;
    int depth = 0;
    State state;
    std::vector<State> saved;
};

namespace {

constexpr std::size_t kMaxSide = 32767;  // cairo's limit

class Drawing {
public:
    explicit Drawing(CGContext& c) : c_(c) { c_.begin(); }
    ~Drawing() { c_.end(); }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

private:
    CGContext& c_;
};

cairo_operator_t operatorOf(CGBlendMode mode) {
    switch (mode) {
    case kCGBlendModeMultiply: return CAIRO_OPERATOR_MULTIPLY;
    case kCGBlendModeScreen: return CAIRO_OPERATOR_SCREEN;
    case kCGBlendModeOverlay: return CAIRO_OPERATOR_OVERLAY;
    case kCGBlendModeDarken: return CAIRO_OPERATOR_DARKEN;
    case kCGBlendModeLighten: return CAIRO_OPERATOR_LIGHTEN;
    case kCGBlendModeColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    case kCGBlendModeColorBurn: return CAIRO_OPERATOR_COLOR_BURN;
    case kCGBlendModeSoftLight: return CAIRO_OPERATOR_SOFT_LIGHT;
    case kCGBlendModeHardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case kCGBlendModeDifference: return CAIRO_OPERATOR_DIFFERENCE;
    case kCGBlendModeExclusion: return CAIRO_OPERATOR_EXCLUSION;
    case kCGBlendModeHue: return CAIRO_OPERATOR_HSL_HUE;
    case kCGBlendModeSaturation: return CAIRO_OPERATOR_HSL_SATURATION;
    case kCGBlendModeColor: return CAIRO_OPERATOR_HSL_COLOR;
    case kCGBlendModeLuminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case kCGBlendModeClear: return CAIRO_OPERATOR_CLEAR;
    case kCGBlendModeCopy: return CAIRO_OPERATOR_SOURCE;
    case kCGBlendModeSourceIn: return CAIRO_OPERATOR_IN;
    case kCGBlendModeSourceOut: return CAIRO_OPERATOR_OUT;
    case kCGBlendModeSourceAtop: return CAIRO_OPERATOR_ATOP;
    case kCGBlendModeDestinationOver: return CAIRO_OPERATOR_DEST_OVER;
    case kCGBlendModeDestinationIn: return CAIRO_OPERATOR_DEST_IN;
    case kCGBlendModeDestinationOut: return CAIRO_OPERATOR_DEST_OUT;
    case kCGBlendModeDestinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
    case kCGBlendModeXOR: return CAIRO_OPERATOR_XOR;
    case kCGBlendModePlusLighter: return CAIRO_OPERATOR_ADD;
    default: return CAIRO_OPERATOR_OVER;
    }
}

cairo_filter_t filterOf(CGInterpolationQuality q) {
    switch (q) {
    case kCGInterpolationNone: return CAIRO_FILTER_NEAREST;
    case kCGInterpolationLow: return CAIRO_FILTER_FAST;
    case kCGInterpolationHigh: return CAIRO_FILTER_BEST;
    default: return CAIRO_FILTER_GOOD;
    }
}

// Runs a drawing operation, casting the state's shadow under what it draws: the operation
// draws into a group first, whose alpha is blurred, tinted and offset, then the group itself
// is painted over the shadow.
template <typename Draw>
void withShadow(CGContext& c, Draw draw) {
    if (!c.state.shadow || c.state.shadow->a <= 0) {
        draw();
        return;
    }
    cairo_t* cr = c.cr;
    cairo_push_group(cr);
    draw();
    cairo_pattern_t* shape = cairo_pop_group(cr);
    // Shadow offsets live in the base space (y up), whatever the transform.
    CGCairoPaintShadow(cr, shape, c.state.shadowOffset.width, -c.state.shadowOffset.height, c.state.shadowBlur,
                       *c.state.shadow);
    cairo_save(cr);
    cairo_set_source(cr, shape);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(shape);
}

void setSource(CGContext& c, CGColor color) {
    cairo_set_source_rgba(c.cr, color.r, color.g, color.b, color.a * c.state.alpha);
    cairo_set_operator(c.cr, operatorOf(c.state.blend));
}

void fill(CGContext& c, bool evenOdd) {
    if (c.state.degenerate) {
        cairo_new_path(c.cr);
        return;
    }
    Drawing d(c);
    setSource(c, c.state.fill);
    cairo_set_fill_rule(c.cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    withShadow(c, [&] { cairo_fill(c.cr); });
    cairo_set_fill_rule(c.cr, CAIRO_FILL_RULE_WINDING);
}

void stroke(CGContext& c) {
    if (c.state.degenerate) {
        cairo_new_path(c.cr);
        return;
    }
    Drawing d(c);
    setSource(c, c.state.stroke);
    cairo_set_line_width(c.cr, c.state.lineWidth);
    withShadow(c, [&] { cairo_stroke(c.cr); });
}

void addRect(cairo_t* cr, CGRect r) {
    r = CGRectStandardize(r);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void addEllipse(cairo_t* cr, CGRect r) {
    r = CGRectStandardize(r);
    if (r.size.width <= 0 || r.size.height <= 0) return;
    cairo_matrix_t saved;
    cairo_get_matrix(cr, &saved);
    cairo_new_sub_path(cr);
    cairo_translate(cr, CGRectGetMidX(r), CGRectGetMidY(r));
    cairo_scale(cr, r.size.width / 2, r.size.height / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_close_path(cr);
    cairo_set_matrix(cr, &saved);
}

// Applies a change of the transform unless it would make space collapse, which cairo cannot
// represent; then nothing more is drawn until the state is restored.
void transform(CGContext& c, const cairo_matrix_t& m) {
    cairo_matrix_t current, next;
    cairo_get_matrix(c.cr, &current);
    cairo_matrix_multiply(&next, &m, &current);
    cairo_matrix_t inverse = next;
    if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS) {
        c.state.degenerate = true;
        return;
    }
    cairo_set_matrix(c.cr, &next);
}

}  // namespace

CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height, std::size_t bitsPerComponent,
                                   std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo) {
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || bitsPerComponent != 8) return nullptr;
    if (CGColorSpaceGetModel(space) != CGColorSpaceModel::RGB) return nullptr;
    auto layout = cgpixels::describe(CGColorSpaceModel::RGB, 8, 32, bitmapInfo);
    if (!layout || layout->alpha == cgpixels::Layout::Alpha::None) return nullptr;
    if (bytesPerRow == 0 && !data) bytesPerRow = width * 4;
    if (bytesPerRow < width * 4) return nullptr;

    auto c = std::make_shared<CGContext>();
    c->width = width;
    c->height = height;
    c->bytesPerRow = bytesPerRow;
    c->bitmapInfo = bitmapInfo;
    c->layout = *layout;
    if (data) {
        c->data = static_cast<std::uint8_t*>(data);
    } else {
        c->ownData.assign(bytesPerRow * height, 0);
        c->data = c->ownData.data();
    }
    const auto alpha = static_cast<CGImageAlphaInfo>(bitmapInfo & kCGBitmapAlphaInfoMask);
    c->native = layout->reverse32 && bytesPerRow % 4 == 0 &&
                (alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaNoneSkipFirst);
    if (c->native) {
        c->surface = cairo_image_surface_create_for_data(
            c->data, alpha == kCGImageAlphaNoneSkipFirst ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
            static_cast<int>(width), static_cast<int>(height), static_cast<int>(bytesPerRow));
    } else {
        c->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
    }
    if (cairo_surface_status(c->surface) != CAIRO_STATUS_SUCCESS) return nullptr;
    c->cr = cairo_create(c->surface);
    if (cairo_status(c->cr) != CAIRO_STATUS_SUCCESS) return nullptr;
    // Core Graphics' user space: origin bottom-left, y up.
    cairo_translate(c->cr, 0, static_cast<double>(height));
    cairo_scale(c->cr, 1, -1);
    return c;
}

void* CGBitmapContextGetData(const CGContextRef& c) { return c ? c->data : nullptr; }
std::size_t CGBitmapContextGetWidth(const CGContextRef& c) { return c ? c->width : 0; }
std::size_t CGBitmapContextGetHeight(const CGContextRef& c) { return c ? c->height : 0; }
std::size_t CGBitmapContextGetBytesPerRow(const CGContextRef& c) { return c ? c->bytesPerRow : 0; }
std::size_t CGBitmapContextGetBitsPerPixel(const CGContextRef& c) { return c ? 32 : 0; }
CGBitmapInfo CGBitmapContextGetBitmapInfo(const CGContextRef& c) { return c ? c->bitmapInfo : 0; }

CGImageRef CGBitmapContextCreateImage(const CGContextRef& c) {
    if (!c) return nullptr;
    cairo_surface_flush(c->surface);
    std::vector<std::uint8_t> bytes(c->data, c->data + c->bytesPerRow * c->height);
    return CGImageCreate(c->width, c->height, 8, 32, c->bytesPerRow, CGColorSpaceCreateDeviceRGB(), c->bitmapInfo,
                         std::move(bytes));
}

CGImageRef CGBitmapContextReleaseIntoImage(CGContextRef& c) {
    if (!c || c.use_count() > 1 || !c->native || c->ownData.empty()) {
        CGImageRef image = CGBitmapContextCreateImage(c);
        c.reset();
        return image;
    }
    cairo_surface_flush(c->surface);
    // Cairo lets go of the storage before it moves.
    cairo_destroy(c->cr);
    c->cr = nullptr;
    cairo_surface_destroy(c->surface);
    c->surface = nullptr;
    CGImageRef image = CGImageCreate(c->width, c->height, 8, 32, c->bytesPerRow, CGColorSpaceCreateDeviceRGB(),
                                     c->bitmapInfo, std::move(c->ownData));
    c.reset();
    return image;
}

void CGContextSaveGState(const CGContextRef& c) {
    if (!c) return;
    c->saved.push_back(c->state);
    cairo_save(c->cr);
}

void CGContextRestoreGState(const CGContextRef& c) {
    if (!c || c->saved.empty()) return;  // unbalanced restores are ignored
    c->state = c->saved.back();
    c->saved.pop_back();
    // The current path is not part of the saved state: it survives the restore where it lies
    // on the page, so it is carried across in device space.
    cairo_t* cr = c->cr;
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_set_matrix(cr, &matrix);
    cairo_restore(cr);
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_set_matrix(cr, &matrix);
    cairo_path_destroy(path);
}

void CGContextTranslateCTM(const CGContextRef& c, CGFloat tx, CGFloat ty) {
    if (c) transform(*c, {1, 0, 0, 1, tx, ty});
}
void CGContextScaleCTM(const CGContextRef& c, CGFloat sx, CGFloat sy) {
    if (c) transform(*c, {sx, 0, 0, sy, 0, 0});
}
void CGContextRotateCTM(const CGContextRef& c, CGFloat angle) {
    if (!c) return;
    cairo_matrix_t m;
    cairo_matrix_init_rotate(&m, angle);
    transform(*c, m);
}
void CGContextConcatCTM(const CGContextRef& c, CGAffineTransform t) {
    if (c) transform(*c, {t.a, t.b, t.c, t.d, t.tx, t.ty});
}
CGAffineTransform CGContextGetCTM(const CGContextRef& c) {
    if (!c) return CGAffineTransformIdentity;
    cairo_matrix_t m;
    cairo_get_matrix(c->cr, &m);
    // Undo the flip to cairo's y-down pixels.
    return {m.xx, -m.yx, m.xy, -m.yy, m.x0, static_cast<double>(c->height) - m.y0};
}

void CGContextSetRGBFillColor(const CGContextRef& c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    if (c) c->state.fill = {r, g, b, a};
}
void CGContextSetRGBStrokeColor(const CGContextRef& c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    if (c) c->state.stroke = {r, g, b, a};
}
void CGContextSetGrayFillColor(const CGContextRef& c, CGFloat gray, CGFloat a) {
    if (c) c->state.fill = {gray, gray, gray, a};
}
void CGContextSetFillColorWithColor(const CGContextRef& c, CGColor color) {
    if (c) c->state.fill = color;
}
void CGContextSetStrokeColorWithColor(const CGContextRef& c, CGColor color) {
    if (c) c->state.stroke = color;
}
void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha) {
    if (c) c->state.alpha = std::clamp(alpha, 0.0, 1.0);
}
void CGContextSetLineWidth(const CGContextRef& c, CGFloat width) {
    if (c && width >= 0) c->state.lineWidth = width;
}
CGFloat CGContextGetLineWidth(const CGContextRef& c) { return c ? c->state.lineWidth : 1; }
void CGContextSetTextDrawingMode(const CGContextRef& c, CGTextDrawingMode mode) {
    if (c) c->state.textMode = mode;
}
CGTextDrawingMode CGContextGetTextDrawingMode(const CGContextRef& c) { return c ? c->state.textMode : kCGTextFill; }
CGColor CGContextGetStrokeColor(const CGContextRef& c) { return c ? c->state.stroke : CGColor{0, 0, 0, 1}; }
void CGContextSetLineCap(const CGContextRef& c, CGLineCap cap) {
    if (c)
        cairo_set_line_cap(c->cr, cap == kCGLineCapRound    ? CAIRO_LINE_CAP_ROUND
                                  : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                            : CAIRO_LINE_CAP_BUTT);
}
void CGContextSetLineJoin(const CGContextRef& c, CGLineJoin join) {
    if (c)
        cairo_set_line_join(c->cr, join == kCGLineJoinRound   ? CAIRO_LINE_JOIN_ROUND
                                   : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                              : CAIRO_LINE_JOIN_MITER);
}
void CGContextSetBlendMode(const CGContextRef& c, CGBlendMode mode) {
    if (c) c->state.blend = mode;
}
void CGContextSetInterpolationQuality(const CGContextRef& c, CGInterpolationQuality quality) {
    if (c) c->state.interpolation = quality;
}
namespace {
void applyAntialias(CGContext& c) {
    const bool on = c.state.allowsAntialias && c.state.shouldAntialias;
    cairo_set_antialias(c.cr, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}
}  // namespace
void CGContextSetShouldAntialias(const CGContextRef& c, bool antialias) {
    if (!c) return;
    c->state.shouldAntialias = antialias;
    applyAntialias(*c);
}
void CGContextSetAllowsAntialiasing(const CGContextRef& c, bool allows) {
    if (!c) return;
    c->state.allowsAntialias = allows;
    applyAntialias(*c);
}
void CGContextSetShadowWithColor(const CGContextRef& c, CGSize offset, CGFloat blur, std::optional<CGColor> color) {
    if (!c) return;
    c->state.shadowOffset = offset;
    c->state.shadowBlur = std::max(0.0, blur);
    c->state.shadow = color;
}
void CGContextSetShadow(const CGContextRef& c, CGSize offset, CGFloat blur) {
    CGContextSetShadowWithColor(c, offset, blur, CGColor{0, 0, 0, 1.0 / 3});
}

void CGContextFillRect(const CGContextRef& c, CGRect rect) {
    if (!c) return;
    cairo_new_path(c->cr);
    addRect(c->cr, rect);
    fill(*c, false);
}
void CGContextStrokeRect(const CGContextRef& c, CGRect rect) {
    if (!c) return;
    cairo_new_path(c->cr);
    addRect(c->cr, rect);
    stroke(*c);
}
void CGContextClearRect(const CGContextRef& c, CGRect rect) {
    if (!c || c->state.degenerate) return;
    Drawing d(*c);
    cairo_save(c->cr);
    cairo_new_path(c->cr);
    addRect(c->cr, rect);
    cairo_set_operator(c->cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(c->cr);
    cairo_restore(c->cr);
}
void CGContextFillEllipseInRect(const CGContextRef& c, CGRect rect) {
    if (!c) return;
    cairo_new_path(c->cr);
    addEllipse(c->cr, rect);
    fill(*c, false);
}
void CGContextStrokeEllipseInRect(const CGContextRef& c, CGRect rect) {
    if (!c) return;
    cairo_new_path(c->cr);
    addEllipse(c->cr, rect);
    stroke(*c);
}

void CGContextBeginPath(const CGContextRef& c) {
    if (c) cairo_new_path(c->cr);
}
void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y) {
    if (c) cairo_move_to(c->cr, x, y);
}
void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y) {
    if (c) cairo_line_to(c->cr, x, y);
}
void CGContextAddQuadCurveToPoint(const CGContextRef& c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y) {
    if (!c) return;
    CGPath path;
    CGPath::Element quad;
    quad.op = CGPath::Op::Quad;
    quad.p[0] = {cpx, cpy};
    quad.p[1] = {x, y};
    path.elements.push_back(quad);
    CGPathAppendToCairo(c->cr, path);
}
void CGContextAddCurveToPoint(const CGContextRef& c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                              CGFloat y) {
    if (c) cairo_curve_to(c->cr, cp1x, cp1y, cp2x, cp2y, x, y);
}
void CGContextAddArc(const CGContextRef& c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                     bool clockwise) {
    if (!c || !(radius > 0)) return;
    if (clockwise) cairo_arc_negative(c->cr, x, y, radius, startAngle, endAngle);
    else cairo_arc(c->cr, x, y, radius, startAngle, endAngle);
}
void CGContextAddRect(const CGContextRef& c, CGRect rect) {
    if (c) addRect(c->cr, rect);
}
void CGContextAddEllipseInRect(const CGContextRef& c, CGRect rect) {
    if (c) addEllipse(c->cr, rect);
}
void CGContextAddPath(const CGContextRef& c, const CGPathRef& path) {
    if (c && path) CGPathAppendToCairo(c->cr, *path);
}
void CGContextClosePath(const CGContextRef& c) {
    if (c) cairo_close_path(c->cr);
}
void CGContextFillPath(const CGContextRef& c) {
    if (c) fill(*c, false);
}
void CGContextEOFillPath(const CGContextRef& c) {
    if (c) fill(*c, true);
}
void CGContextStrokePath(const CGContextRef& c) {
    if (c) stroke(*c);
}
void CGContextDrawPath(const CGContextRef& c, CGPathDrawingMode mode) {
    if (!c) return;
    if (mode == kCGPathStroke) {
        stroke(*c);
        return;
    }
    cairo_path_t* path = cairo_copy_path(c->cr);
    fill(*c, mode == kCGPathEOFill || mode == kCGPathEOFillStroke);
    if (mode == kCGPathFillStroke || mode == kCGPathEOFillStroke) {
        cairo_append_path(c->cr, path);
        stroke(*c);
    }
    cairo_path_destroy(path);
}
void CGContextClip(const CGContextRef& c) {
    if (c) cairo_clip(c->cr);
}
void CGContextEOClip(const CGContextRef& c) {
    if (!c) return;
    cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(c->cr);
    cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
}
void CGContextClipToRect(const CGContextRef& c, CGRect rect) {
    if (!c) return;
    cairo_path_t* path = cairo_copy_path(c->cr);
    cairo_new_path(c->cr);
    addRect(c->cr, rect);
    cairo_clip(c->cr);
    cairo_append_path(c->cr, path);
    cairo_path_destroy(path);
}

CGRect CGContextGetClipBoundingBox(const CGContextRef& c) {
    if (!c) return CGRectZero;
    double x0, y0, x1, y1;
    cairo_clip_extents(c->cr, &x0, &y0, &x1, &y1);
    if (!(x1 > x0 && y1 > y0)) return CGRectZero;
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

void CGContextDrawLinearGradient(const CGContextRef& c, const CGGradientRef& gradient, CGPoint start, CGPoint end,
                                 unsigned options) {
    if (!c || !gradient || gradient->colors.empty() || c->state.degenerate || start == end) return;
    cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    // Padding repeats the end stops; within the axis the end colours hold up to the first and
    // from the last location; a transparent stop at the very end keeps a side bare.
    const CGColor& first = gradient->colors.front();
    const CGColor& last = gradient->colors.back();
    if (!(options & kCGGradientDrawsBeforeStartLocation)) cairo_pattern_add_color_stop_rgba(pattern, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(pattern, 0, first.r, first.g, first.b, first.a);
    for (std::size_t i = 0; i < gradient->colors.size(); ++i) {
        const CGColor& k = gradient->colors[i];
        cairo_pattern_add_color_stop_rgba(pattern, gradient->locations[i], k.r, k.g, k.b, k.a);
    }
    cairo_pattern_add_color_stop_rgba(pattern, 1, last.r, last.g, last.b, last.a);
    if (!(options & kCGGradientDrawsAfterEndLocation)) cairo_pattern_add_color_stop_rgba(pattern, 1, 0, 0, 0, 0);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    Drawing d(*c);
    cairo_t* cr = c->cr;
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_save(cr);
    cairo_set_source(cr, pattern);
    cairo_set_operator(cr, operatorOf(c->state.blend));
    cairo_paint_with_alpha(cr, c->state.alpha);
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
    cairo_pattern_destroy(pattern);
}

void CGContextDrawImage(const CGContextRef& c, CGRect rect, const CGImageRef& image) {
    if (!c || !image || c->state.degenerate) return;
    rect = CGRectStandardize(rect);
    if (rect.size.width <= 0 || rect.size.height <= 0) return;
    auto* surface = static_cast<cairo_surface_t*>(image->cairoSurface());
    if (!surface) return;
    Drawing d(*c);
    cairo_t* cr = c->cr;
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_save(cr);
    // The image's first row goes to the top (largest y) of the rectangle.
    cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
    cairo_scale(cr, rect.size.width / static_cast<double>(image->width),
                -rect.size.height / static_cast<double>(image->height));
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), filterOf(c->state.interpolation));
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, operatorOf(c->state.blend));
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, static_cast<double>(image->width), static_cast<double>(image->height));
    cairo_clip(cr);
    withShadow(*c, [&] { cairo_paint_with_alpha(cr, c->state.alpha); });
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
}

cairo_t* CGContextCairoBegin(const CGContextRef& c) {
    if (!c) return nullptr;
    c->begin();
    return c->cr;
}
void CGContextCairoEnd(const CGContextRef& c) {
    if (c) c->end();
}
void CGContextCairoDrawWithShadow(const CGContextRef& c, const std::function<void()>& draw) {
    if (c) withShadow(*c, draw);
}
double CGContextGetAlpha(const CGContextRef& c) { return c ? c->state.alpha : 1; }

void CGCairoPaintShadow(cairo_t* cr, cairo_pattern_t* shape, double dx, double dy, double radius, CGColor color) {
    const int r = static_cast<int>(std::lround(std::max(0.0, radius)));
    // The clip in device pixels, grown by the reach of the blur and the offset: what is drawn
    // just outside it can still cast a shadow inside.
    double a, b, c, d;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &a, &b, &c, &d);
    cairo_restore(cr);
    const int x0 = static_cast<int>(std::floor(a - std::fabs(dx))) - r,
              y0 = static_cast<int>(std::floor(b - std::fabs(dy))) - r;
    const int w = static_cast<int>(std::ceil(c + std::fabs(dx))) + r - x0,
              h = static_cast<int>(std::ceil(d + std::fabs(dy))) + r - y0;
    if (w <= 0 || h <= 0 || w > static_cast<int>(kMaxSide) || h > static_cast<int>(kMaxSide)) return;
    // Only the coverage matters: an alpha plane.
    cairo_surface_t* alpha = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* scratch = cairo_create(alpha);
    cairo_translate(scratch, -x0, -y0);
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_transform(scratch, &matrix);
    cairo_set_source(scratch, shape);
    cairo_paint(scratch);
    cairo_destroy(scratch);
    cairo_surface_flush(alpha);
    const int stride = cairo_image_surface_get_stride(alpha);
    std::uint8_t* bytes = cairo_image_surface_get_data(alpha);
    // Only the box around what was drawn, grown by the radius, needs blurring.
    int bx0 = w, by0 = h, bx1 = -1, by1 = -1;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = bytes + y * stride;
        const auto first = std::find_if(row, row + w, [](std::uint8_t v) { return v != 0; });
        if (first == row + w) continue;
        const auto last = std::find_if(std::make_reverse_iterator(row + w), std::make_reverse_iterator(row),
                                       [](std::uint8_t v) { return v != 0; });
        bx0 = std::min(bx0, static_cast<int>(first - row));
        bx1 = std::max(bx1, static_cast<int>(last.base() - row) - 1);
        by0 = std::min(by0, y), by1 = std::max(by1, y);
    }
    if (bx1 >= 0) {
        bx0 = std::max(0, bx0 - r), by0 = std::max(0, by0 - r), bx1 = std::min(w - 1, bx1 + r),
        by1 = std::min(h - 1, by1 + r);
        CGStackBlurPlane(bytes + by0 * stride + bx0, static_cast<std::size_t>(bx1 - bx0 + 1),
                         static_cast<std::size_t>(by1 - by0 + 1), static_cast<std::size_t>(stride), r);
        cairo_surface_mark_dirty(alpha);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
        cairo_mask_surface(cr, alpha, x0 + dx, y0 + dy);
        cairo_restore(cr);
    }
    cairo_surface_destroy(alpha);
}
