#include "platform/uikit/NSStringDrawing.h"

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
    cairo_t* cr = CGContextCairoBegin(context);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_save(cr);
    const CGColor color = attributes.foregroundColor.CGColor();
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a * CGContextGetAlpha(context));
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    GObjectPtr<PangoLayout> layout(pango_cairo_create_layout(cr));
    UIFontSetUpPangoContext(pango_layout_get_context(layout.get()));
    setUpLayout(layout.get(), text, attributes);
    pango_cairo_update_layout(cr, layout.get());
    cairo_new_path(cr);
    cairo_move_to(cr, point.x - logical.x / double(PANGO_SCALE), point.y - logical.y / double(PANGO_SCALE));
    CGContextCairoDrawWithShadow(context, [&] { pango_cairo_show_layout(cr, layout.get()); });
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
    CGContextCairoEnd(context);
}

}  // namespace NSStringDrawing
