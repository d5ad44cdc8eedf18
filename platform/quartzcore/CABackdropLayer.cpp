#include "platform/quartzcore/CABackdropLayer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/coregraphics/CGContextCairo.h"
#include "platform/coregraphics/CGStackBlur.h"

void CABackdropLayer::setBlurRadius(CGFloat radius) {
    blurRadius_ = std::max<CGFloat>(0, radius);
    setNeedsDisplay();
}

void CABackdropLayer::setTintColor(std::optional<CGColor> color) {
    tintColor_ = color;
    setNeedsDisplay();
}

void CABackdropLayer::drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const {
    const CGRect b = CGRectStandardize(p.bounds);
    if (CGRectIsEmpty(b)) return;
    cairo_t* cr = CGContextCairoBegin(context);
    if (!cr) return;
    cairo_surface_t* screen = cairo_get_target(cr);
    if (cairo_surface_get_type(screen) == CAIRO_SURFACE_TYPE_IMAGE) {
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        const double scale = std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
        const int reach = static_cast<int>(std::ceil(blurRadius_ * scale));
        // The device pixels under the bounds, grown by the blur's reach, within the screen.
        double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
        for (CGPoint c : {b.origin, CGPoint{CGRectGetMaxX(b), b.origin.y}, CGPoint{b.origin.x, CGRectGetMaxY(b)},
                          CGPoint{CGRectGetMaxX(b), CGRectGetMaxY(b)}}) {
            double x = c.x, y = c.y;
            cairo_user_to_device(cr, &x, &y);
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
        double ox = 0, oy = 0;
        cairo_surface_get_device_offset(screen, &ox, &oy);
        const int sw = cairo_image_surface_get_width(screen), sh = cairo_image_surface_get_height(screen);
        const int X0 = std::max(0, static_cast<int>(std::floor(x0 + ox)) - reach);
        const int Y0 = std::max(0, static_cast<int>(std::floor(y0 + oy)) - reach);
        const int X1 = std::min(sw, static_cast<int>(std::ceil(x1 + ox)) + reach);
        const int Y1 = std::min(sh, static_cast<int>(std::ceil(y1 + oy)) + reach);
        if (X1 > X0 && Y1 > Y0) {
            cairo_surface_t* region = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, X1 - X0, Y1 - Y0);
            cairo_t* rc = cairo_create(region);
            cairo_surface_flush(screen);
            cairo_set_source_surface(rc, screen, -X0 + ox, -Y0 + oy);
            cairo_set_operator(rc, CAIRO_OPERATOR_SOURCE);
            cairo_paint(rc);
            // Inside a subtree composed on its own (an ancestor fading), what that subtree drew
            // so far lies on its group, not yet on the screen.
            cairo_surface_t* group = cairo_get_group_target(cr);
            if (group && group != screen) {
                cairo_surface_flush(group);
                cairo_set_source_surface(rc, group, -X0 + ox, -Y0 + oy);
                cairo_set_operator(rc, CAIRO_OPERATOR_OVER);
                cairo_paint(rc);
            }
            cairo_destroy(rc);
            cairo_surface_flush(region);
            CGStackBlur(cairo_image_surface_get_data(region), static_cast<std::size_t>(X1 - X0),
                        static_cast<std::size_t>(Y1 - Y0),
                        static_cast<std::size_t>(cairo_image_surface_get_stride(region)), reach, true);
            cairo_surface_mark_dirty(region);
            cairo_save(cr);
            cairo_new_path(cr);
            cairo_rectangle(cr, b.origin.x, b.origin.y, b.size.width, b.size.height);
            cairo_clip(cr);
            cairo_identity_matrix(cr);
            cairo_set_source_surface(cr, region, X0 - ox, Y0 - oy);
            cairo_paint(cr);
            cairo_restore(cr);
            cairo_surface_destroy(region);
        }
    }
    if (tintColor_ && tintColor_->a > 0) {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, b.origin.x, b.origin.y, b.size.width, b.size.height);
        cairo_set_source_rgba(cr, tintColor_->r, tintColor_->g, tintColor_->b, tintColor_->a);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_new_path(cr);
    CGContextCairoEnd(context);
}
