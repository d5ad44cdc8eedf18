#include "platform/quartzcore/CACompositor.h"

#include <cairo.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/coregraphics/CGContextCairo.h"

namespace {

// The largest side of a rasterised subtree, so that a layer turned nearly edge-on cannot ask
// for an enormous bitmap.
constexpr double kMaxRasterSide = 4096;

struct Target {
    CGContextRef context;
    cairo_t* cr;
    double scale;  // device pixels a point, for rasterising warped subtrees
};

void drawTree(const Target& t, const CALayer& layer, const CALayerProperties* parent,
              const CAFlatTransform& parentToDevice);

cairo_matrix_t cairoMatrix(CGAffineTransform a) { return {a.a, a.b, a.c, a.d, a.tx, a.ty}; }

CAFlatTransform currentTransform(cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    return CAFlatTransformMakeAffine({m.xx, m.yx, m.xy, m.yy, m.x0, m.y0});
}

double determinant(CGAffineTransform a) { return a.a * a.d - a.b * a.c; }

// The clip's extent in device pixels, whole pixels outward.
bool deviceClip(cairo_t* cr, int& x0, int& y0, int& x1, int& y1) {
    double a, b, c, d;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &a, &b, &c, &d);
    cairo_restore(cr);
    x0 = static_cast<int>(std::floor(a)), y0 = static_cast<int>(std::floor(b));
    x1 = static_cast<int>(std::ceil(c)), y1 = static_cast<int>(std::ceil(d));
    return x1 > x0 && y1 > y0;
}

void addRoundedRect(cairo_t* cr, CGRect r, double radius) {
    r = CGRectStandardize(r);
    radius = std::clamp(radius, 0.0, std::min(r.size.width, r.size.height) / 2);
    const double x0 = r.origin.x, y0 = r.origin.y, x1 = CGRectGetMaxX(r), y1 = CGRectGetMaxY(r);
    cairo_new_sub_path(cr);
    if (radius <= 0) {
        cairo_rectangle(cr, x0, y0, r.size.width, r.size.height);
        return;
    }
    constexpr double q = std::numbers::pi / 2;
    cairo_arc(cr, x1 - radius, y0 + radius, radius, -q, 0);
    cairo_arc(cr, x1 - radius, y1 - radius, radius, 0, q);
    cairo_arc(cr, x0 + radius, y1 - radius, radius, q, 2 * q);
    cairo_arc(cr, x0 + radius, y0 + radius, radius, 2 * q, 3 * q);
    cairo_close_path(cr);
}

// Where the contents image goes in the bounds, by gravity, and the part of it (the contents
// rectangle, unit coordinates) that is shown there.
void drawContents(const Target& t, const CALayer& layer, const CALayerProperties& p) {
    const CGImageRef& image = layer.contents();
    if (!image) return;
    const CGRect b = CGRectStandardize(p.bounds);
    const CGRect part = CGRectStandardize(p.contentsRect);
    if (part.size.width <= 0 || part.size.height <= 0 || b.size.width <= 0 || b.size.height <= 0) return;
    const double iw = static_cast<double>(image->width) / layer.contentsScale() * part.size.width;
    const double ih = static_cast<double>(image->height) / layer.contentsScale() * part.size.height;
    double w = b.size.width, h = b.size.height;
    switch (layer.contentsGravity()) {
    case CAContentsGravity::Resize: break;
    case CAContentsGravity::ResizeAspect:
    case CAContentsGravity::ResizeAspectFill: {
        const double sx = b.size.width / iw, sy = b.size.height / ih;
        const double s =
            layer.contentsGravity() == CAContentsGravity::ResizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        w = iw * s, h = ih * s;
        break;
    }
    default: w = iw, h = ih;
    }
    double x = CGRectGetMidX(b) - w / 2, y = CGRectGetMidY(b) - h / 2;
    switch (layer.contentsGravity()) {
    case CAContentsGravity::Top: y = b.origin.y; break;
    case CAContentsGravity::Bottom: y = CGRectGetMaxY(b) - h; break;
    case CAContentsGravity::Left: x = b.origin.x; break;
    case CAContentsGravity::Right: x = CGRectGetMaxX(b) - w; break;
    default: break;
    }
    // The pixels of the shown part (whole pixels outward, so that filtering at its edges does
    // not reach the rest of the image), placed so that the part fills (x, y, w, h).
    const double pw = static_cast<double>(image->width), ph = static_cast<double>(image->height);
    const CGRect partPixels{{part.origin.x * pw, part.origin.y * ph}, {part.size.width * pw, part.size.height * ph}};
    CGImageRef shown = image;
    CGRect cropped{{0, 0}, {pw, ph}};
    if (part != CGRect{{0, 0}, {1, 1}}) {
        cropped = CGRectIntersection(CGRectIntegral(partPixels), cropped);
        shown = CGImageCreateWithImageInRect(image, cropped);
        if (!shown) return;
    }
    const double sx = w / partPixels.size.width, sy = h / partPixels.size.height;
    const CGRect whole{
        {x + (cropped.origin.x - partPixels.origin.x) * sx, y + (cropped.origin.y - partPixels.origin.y) * sy},
        {cropped.size.width * sx, cropped.size.height * sy}};
    // Like the rest of the layer, contents overflow the bounds unless the layer masks them.
    cairo_save(t.cr);
    cairo_new_path(t.cr);
    cairo_rectangle(t.cr, x, y, w, h);
    cairo_clip(t.cr);
    CACompositor::drawImage(t.context, shown, whole);
    cairo_restore(t.cr);
}

// Background, contents, the class's own painting and sublayers (clipped when masking), border.
void drawBody(const Target& t, const CALayer& layer, const CALayerProperties& p, const CAFlatTransform& toDevice) {
    cairo_t* cr = t.cr;
    if (p.backgroundColor && p.backgroundColor->a > 0) {
        const CGColor& c = *p.backgroundColor;
        cairo_new_path(cr);
        addRoundedRect(cr, p.bounds, p.cornerRadius);
        cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
        cairo_fill(cr);
    }
    cairo_save(cr);
    if (p.masksToBounds) {
        cairo_new_path(cr);
        addRoundedRect(cr, p.bounds, p.cornerRadius);
        cairo_clip(cr);
    }
    drawContents(t, layer, p);
    CGContextSaveGState(t.context);
    layer.drawLayerContent(t.context, p);
    CGContextRestoreGState(t.context);
    cairo_new_path(cr);
    std::vector<const CALayer*> order;
    for (const auto& sub : layer.sublayers()) order.push_back(sub.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const CALayer* a, const CALayer* b) { return a->zPosition() < b->zPosition(); });
    for (const CALayer* sub : order) drawTree(t, *sub, &p, toDevice);
    cairo_restore(cr);
    if (p.borderWidth > 0 && p.borderColor.a > 0) {
        const double inset = p.borderWidth / 2;
        cairo_new_path(cr);
        addRoundedRect(cr, CGRectInset(CGRectStandardize(p.bounds), inset, inset),
                       std::max(0.0, p.cornerRadius - inset));
        cairo_set_source_rgba(cr, p.borderColor.r, p.borderColor.g, p.borderColor.b, p.borderColor.a);
        cairo_set_line_width(cr, p.borderWidth);
        cairo_stroke(cr);
    }
}

// The whole layer under an affine device transform already set on the cairo context.
void drawLayer(const Target& t, const CALayer& layer, const CALayerProperties& p, const CAFlatTransform& toDevice) {
    cairo_t* cr = t.cr;
    const bool shadow = p.shadowOpacity > 0 && p.shadowColor && p.shadowColor->a > 0;
    const bool group = p.opacity < 1 || layer.mask();
    if (group) cairo_push_group(cr);
    if (shadow) {
        cairo_push_group(cr);
        drawBody(t, layer, p, toDevice);
        cairo_pattern_t* body = cairo_pop_group(cr);
        const CGAffineTransform a = CAFlatTransformGetAffine(toDevice);
        const CGSize o = p.shadowOffset;
        CGColor tint = *p.shadowColor;
        tint.a *= p.shadowOpacity;
        // The shadow reaches no farther than what the layer and its sublayers cover, moved
        // and spread; the clip keeps the blur to that neighbourhood, not the whole screen.
        CGRect covered = CGRectStandardize(p.bounds);
        for (const auto& sub : layer.sublayers()) covered = CGRectUnion(covered, sub->frame());
        const double reach = 2 * std::max(0.0, p.shadowRadius) + 1;
        covered = CGRectInset(covered, -(std::fabs(o.width) + reach), -(std::fabs(o.height) + reach));
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, covered.origin.x, covered.origin.y, covered.size.width, covered.size.height);
        cairo_clip(cr);
        CGCairoPaintShadow(cr, body, a.a * o.width + a.c * o.height, a.b * o.width + a.d * o.height,
                           p.shadowRadius * std::sqrt(std::fabs(determinant(a))), tint);
        cairo_restore(cr);
        cairo_set_source(cr, body);
        cairo_paint(cr);
        cairo_pattern_destroy(body);
    } else {
        drawBody(t, layer, p, toDevice);
    }
    if (!group) return;
    cairo_pattern_t* content = cairo_pop_group(cr);
    if (layer.mask()) {
        cairo_push_group(cr);
        drawTree(t, *layer.mask(), nullptr, toDevice);
        cairo_pattern_t* mask = cairo_pop_group(cr);
        cairo_push_group(cr);
        cairo_set_source(cr, content);
        cairo_mask(cr, mask);
        cairo_pattern_destroy(content);
        cairo_pattern_destroy(mask);
        content = cairo_pop_group(cr);
    }
    cairo_set_source(cr, content);
    cairo_paint_with_alpha(cr, std::clamp<double>(p.opacity, 0, 1));
    cairo_pattern_destroy(content);
}

// A layer whose transform has perspective: its subtree is rasterised over what it covers at
// the target's scale, then each device pixel inside the warped outline samples that raster
// through the inverse of the 3 x 3.
void drawWarped(const Target& t, const CALayer& layer, const CALayerProperties& p, const CAFlatTransform& toDevice) {
    // The bounds, and the sublayers that reach out of them unless the layer clips them.
    CGRect b = CGRectStandardize(p.bounds);
    if (!p.masksToBounds)
        for (const auto& sub : layer.sublayers()) b = CGRectUnion(b, sub->frame());
    const double s = std::min(t.scale, kMaxRasterSide / std::max({b.size.width, b.size.height, 1.0}));
    const double rw = std::ceil(b.size.width * s), rh = std::ceil(b.size.height * s);
    if (!(rw >= 1 && rh >= 1)) return;
    // Every corner must lie in front of the eye (w > 0) for the outline to be a picture.
    const CGPoint corners[4] = {
        b.origin, {CGRectGetMaxX(b), b.origin.y}, {b.origin.x, CGRectGetMaxY(b)}, {CGRectGetMaxX(b), CGRectGetMaxY(b)}};
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (const CGPoint& c : corners) {
        const auto& m = toDevice.m;
        if (c.x * m[0][2] + c.y * m[1][2] + m[2][2] <= 0) return;
        const CGPoint d = CAFlatTransformApplyToPoint(toDevice, c);
        x0 = std::min(x0, d.x), y0 = std::min(y0, d.y), x1 = std::max(x1, d.x), y1 = std::max(y1, d.y);
    }
    int cx0, cy0, cx1, cy1;
    if (!deviceClip(t.cr, cx0, cy0, cx1, cy1)) return;
    const int X0 = std::max(cx0, static_cast<int>(std::floor(x0))),
              Y0 = std::max(cy0, static_cast<int>(std::floor(y0)));
    const int X1 = std::min(cx1, static_cast<int>(std::ceil(x1))), Y1 = std::min(cy1, static_cast<int>(std::ceil(y1)));
    if (X1 <= X0 || Y1 <= Y0) return;

    CGContextRef raster = CGBitmapContextCreate(nullptr, static_cast<std::size_t>(rw), static_cast<std::size_t>(rh), 8,
                                                0, CGColorSpaceCreateDeviceRGB(),
                                                kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    if (!raster) return;
    const CAFlatTransform toRaster = CAFlatTransformMakeAffine({s, 0, 0, s, -b.origin.x * s, -b.origin.y * s});
    cairo_t* rcr = CGContextCairoBegin(raster);
    cairo_identity_matrix(rcr);
    const cairo_matrix_t m = cairoMatrix(CAFlatTransformGetAffine(toRaster));
    cairo_set_matrix(rcr, &m);
    drawLayer({raster, rcr, s}, layer, p, toRaster);
    CGContextCairoEnd(raster);

    // Pixel (x, y) of the region -> raster pixel; pixman wants it on column vectors.
    CAFlatTransform rasterToRegion = CAFlatTransformConcat(CAFlatTransformInvert(toRaster), toDevice);
    rasterToRegion =
        CAFlatTransformConcat(rasterToRegion, CAFlatTransformMakeAffine({1, 0, 0, 1, -double(X0), -double(Y0)}));
    const CAFlatTransform regionToRaster = CAFlatTransformInvert(rasterToRegion);
    pixman_f_transform f;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) f.m[i][j] = regionToRaster.m[j][i];
    pixman_transform fixed;
    if (!pixman_transform_from_pixman_f_transform(&fixed, &f)) return;

    cairo_surface_t* region = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, X1 - X0, Y1 - Y0);
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, static_cast<int>(rw), static_cast<int>(rh),
                                                   static_cast<std::uint32_t*>(CGBitmapContextGetData(raster)),
                                                   static_cast<int>(CGBitmapContextGetBytesPerRow(raster)));
    cairo_surface_flush(region);
    pixman_image_t* dst = pixman_image_create_bits(
        PIXMAN_a8r8g8b8, X1 - X0, Y1 - Y0, reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(region)),
        cairo_image_surface_get_stride(region));
    pixman_image_set_transform(src, &fixed);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, X1 - X0, Y1 - Y0);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    cairo_surface_mark_dirty(region);
    cairo_save(t.cr);
    cairo_identity_matrix(t.cr);
    cairo_set_source_surface(t.cr, region, X0, Y0);
    cairo_paint(t.cr);
    cairo_restore(t.cr);
    cairo_surface_destroy(region);
}

void drawTree(const Target& t, const CALayer& layer, const CALayerProperties* parent,
              const CAFlatTransform& parentToDevice) {
    const CALayerProperties p = layer.presentation();
    if (p.hidden || p.opacity <= 0) return;
    const CAFlatTransform toDevice =
        CAFlatTransformConcat(CATransform3DFlatten(CALayer::placement(p, parent)), parentToDevice);
    if (!CAFlatTransformIsAffine(toDevice)) {
        drawWarped(t, layer, p, toDevice);
        return;
    }
    const CGAffineTransform a = CAFlatTransformGetAffine(toDevice);
    if (!(std::fabs(determinant(a)) > 1e-12) || !std::isfinite(determinant(a))) return;  // edge-on: nothing shows
    cairo_save(t.cr);
    const cairo_matrix_t m = cairoMatrix(a);
    cairo_set_matrix(t.cr, &m);
    drawLayer(t, layer, p, CAFlatTransformMakeAffine(a));
    cairo_restore(t.cr);
}

}  // namespace

CGImageRef CACompositor::compose(CALayer& root, CGSize size, CGFloat scale) {
    root.layoutIfNeeded();
    root.displayIfNeeded();
    const double w = std::ceil(size.width * scale), h = std::ceil(size.height * scale);
    if (!(w >= 1 && h >= 1)) return nullptr;
    CGContextRef context = CGBitmapContextCreate(nullptr, static_cast<std::size_t>(w), static_cast<std::size_t>(h), 8,
                                                 0, CGColorSpaceCreateDeviceRGB(),
                                                 kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    if (!context) return nullptr;
    cairo_t* cr = CGContextCairoBegin(context);
    cairo_identity_matrix(cr);
    drawTree({context, cr, scale}, root, nullptr, CAFlatTransformMakeAffine({scale, 0, 0, scale, 0, 0}));
    CGContextCairoEnd(context);
    return CGBitmapContextReleaseIntoImage(context);
}

void CACompositor::render(const CALayer& layer, const CGContextRef& context) {
    cairo_t* cr = CGContextCairoBegin(context);
    if (!cr) return;
    const CALayerProperties p = layer.presentation();
    const CAFlatTransform base = currentTransform(cr);
    const double det = determinant(CAFlatTransformGetAffine(base));
    if (!p.hidden && p.opacity > 0 && std::fabs(det) > 1e-12) {
        cairo_save(cr);
        drawLayer({context, cr, std::sqrt(std::fabs(det))}, layer, p, base);
        cairo_restore(cr);
    }
    CGContextCairoEnd(context);
}

void CACompositor::drawImage(const CGContextRef& context, const CGImageRef& image, CGRect rect) {
    rect = CGRectStandardize(rect);
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, 2 * rect.origin.y + rect.size.height);
    CGContextScaleCTM(context, 1, -1);
    CGContextDrawImage(context, rect, image);
    CGContextRestoreGState(context);
}
