#include "platform/uikit/NSStringDrawing.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/coregraphics/CGContextCairo.h"
#include "platform/uikit/UIFontPango.h"
#include "platform/uikit/UIGraphics.h"

namespace {

void setUpLayout(PangoLayout* layout, const std::string& text, const NSStringAttributes& attributes) {
    PangoFontDescriptionPtr description = UIFontCreatePangoDescription(attributes.font);
    pango_layout_set_font_description(layout, description.get());
    pango_layout_set_text(layout, text.data(), int(text.size()));
}

// The line box in pango units, measured in points without hinting.
PangoRectangle logicalExtents(const std::string& text, const NSStringAttributes& attributes) {
    GObjectPtr<PangoContext> context = UIFontCreateMeasuringContext();
    GObjectPtr<PangoLayout> layout(pango_layout_new(context.get()));
    setUpLayout(layout.get(), text, attributes);
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return logical;
}

// Runs text drawing with cairo over the context: the source is the foreground colour at the
// context's alpha, and the context's current path survives.
void withTextLayout(const CGContextRef& context, const NSStringAttributes& attributes,
                    const std::function<void(cairo_t*, PangoLayout*)>& draw) {
    cairo_t* cr = CGContextCairoBegin(context);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_save(cr);
    const CGColor color = attributes.foregroundColor.CGColor();
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a * CGContextGetAlpha(context));
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    GObjectPtr<PangoLayout> layout(pango_cairo_create_layout(cr));
    UIFontSetUpPangoContext(pango_layout_get_context(layout.get()));
    cairo_new_path(cr);
    draw(cr, layout.get());
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
    CGContextCairoEnd(context);
}

}  // namespace

namespace NSStringDrawing {

CGSize sizeWithAttributes(const std::string& text, const NSStringAttributes& attributes) {
    if (text.empty()) return CGSizeZero;
    const PangoRectangle logical = logicalExtents(text, attributes);
    return {CGFloat(logical.width) / PANGO_SCALE, CGFloat(logical.height) / PANGO_SCALE};
}

void drawAtPoint(const std::string& text, CGPoint point, const NSStringAttributes& attributes) {
    drawAtPointInContext(UIGraphicsGetCurrentContext(), text, point, attributes);
}

void drawAtPointInContext(const CGContextRef& context, const std::string& text, CGPoint point,
                          const NSStringAttributes& attributes) {
    if (!context || text.empty()) return;
    // Placed by the measured box, so the drawn text fills what `sizeWithAttributes` answered.
    const PangoRectangle logical = logicalExtents(text, attributes);
    withTextLayout(context, attributes, [&](cairo_t* cr, PangoLayout* layout) {
        setUpLayout(layout, text, attributes);
        pango_cairo_update_layout(cr, layout);
        cairo_move_to(cr, point.x - logical.x / double(PANGO_SCALE), point.y - logical.y / double(PANGO_SCALE));
        CGContextCairoDrawWithShadow(context, [&] { pango_cairo_show_layout(cr, layout); });
    });
}

}  // namespace NSStringDrawing

namespace {

// A layout of the lines for a width (none when not above 0) and a number of lines; answers
// the height in pango units of the lines kept.
int setUpLines(PangoLayout* layout, const std::string& text, CGFloat width, const NSStringAttributes& attributes,
               int numberOfLines) {
    setUpLayout(layout, text, attributes);
    const NSParagraphStyle& paragraph = attributes.paragraphStyle;
    pango_layout_set_spacing(layout, int(paragraph.lineSpacing * PANGO_SCALE));
    switch (paragraph.alignment) {
    case NSTextAlignment::Center: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
    case NSTextAlignment::Right: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
    case NSTextAlignment::Justified: pango_layout_set_justify(layout, true); break;
    default: pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT); break;
    }
    if (width > 0) {
        pango_layout_set_width(layout, int(width * PANGO_SCALE));
        pango_layout_set_wrap(layout, paragraph.lineBreakMode == NSLineBreakMode::ByCharWrapping
                                          ? PANGO_WRAP_CHAR
                                          : PANGO_WRAP_WORD_CHAR);
    }
    PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
    switch (paragraph.lineBreakMode) {
    case NSLineBreakMode::ByTruncatingHead: ellipsize = PANGO_ELLIPSIZE_START; break;
    case NSLineBreakMode::ByTruncatingMiddle: ellipsize = PANGO_ELLIPSIZE_MIDDLE; break;
    case NSLineBreakMode::ByTruncatingTail: ellipsize = PANGO_ELLIPSIZE_END; break;
    default: break;
    }
    if (width > 0 && numberOfLines > 0 && ellipsize != PANGO_ELLIPSIZE_NONE) {
        pango_layout_set_ellipsize(layout, ellipsize);
        pango_layout_set_height(layout, -numberOfLines);
    }
    // Lines beyond the limit (wrapping or clipping modes) are measured out.
    const int count = pango_layout_get_line_count(layout);
    if (numberOfLines <= 0 || count <= numberOfLines) {
        PangoRectangle logical{};
        pango_layout_get_extents(layout, nullptr, &logical);
        return logical.height;
    }
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int bottom = 0;
    for (int line = 0; line < numberOfLines; ++line) {
        int y0 = 0, y1 = 0;
        pango_layout_iter_get_line_yrange(iter, &y0, &y1);
        bottom = y1;
        if (!pango_layout_iter_next_line(iter)) break;
    }
    pango_layout_iter_free(iter);
    return bottom;
}

}  // namespace

namespace NSStringDrawing {

CGSize boundingSizeWithSize(const std::string& text, CGSize size, const NSStringAttributes& attributes,
                            int numberOfLines) {
    if (text.empty()) return CGSizeZero;
    GObjectPtr<PangoContext> context = UIFontCreateMeasuringContext();
    GObjectPtr<PangoLayout> layout(pango_layout_new(context.get()));
    const int height = setUpLines(layout.get(), text, size.width, attributes, numberOfLines);
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    CGFloat width = std::ceil(CGFloat(logical.width) / PANGO_SCALE);
    if (size.width > 0) width = std::min(width, std::ceil(size.width));
    return {width, std::ceil(CGFloat(height) / PANGO_SCALE)};
}

void drawInRect(const std::string& text, CGRect rect, const NSStringAttributes& attributes, int numberOfLines) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    const CGTextDrawingMode mode = CGContextGetTextDrawingMode(context);
    if (!context || text.empty() || mode == kCGTextInvisible) return;
    withTextLayout(context, attributes, [&](cairo_t* cr, PangoLayout* layout) {
        const int height = setUpLines(layout, text, rect.size.width, attributes, numberOfLines);
        pango_cairo_update_layout(cr, layout);
        cairo_rectangle(cr, rect.origin.x - rect.size.width, rect.origin.y, rect.size.width * 3,
                        std::min<double>(rect.size.height, double(height) / PANGO_SCALE));
        cairo_clip(cr);
        cairo_new_path(cr);
        CGContextCairoDrawWithShadow(context, [&] {
            cairo_move_to(cr, rect.origin.x, rect.origin.y);
            if (mode == kCGTextFill || mode == kCGTextFillStroke) pango_cairo_show_layout(cr, layout);
            if (mode == kCGTextStroke || mode == kCGTextFillStroke) {
                cairo_move_to(cr, rect.origin.x, rect.origin.y);
                pango_cairo_layout_path(cr, layout);
                cairo_set_line_width(cr, CGContextGetLineWidth(context));
                cairo_stroke(cr);
            }
        });
    });
}

}  // namespace NSStringDrawing
