// Text pictures are set here with pango over the Core Graphics stand-in's cairo context,
// until the interface layer has a text-drawing piece of its own to move them to.
#include "model/TextDrawing.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "platform/coregraphics/CGContextCairo.h"
#include "platform/uikit/UIScreen.h"

namespace {

// Platform font names the program asks for, and the faces that stand in for them here.
struct FontMapping {
    const char* fontName;
    const char* families;  // fontconfig tries them in order
    PangoWeight weight;
};
constexpr FontMapping kFontMappings[] = {
    {"STHeitiTC-Medium", "Noto Sans CJK TC,Heiti TC,DejaVu Sans,sans-serif", PANGO_WEIGHT_MEDIUM},
    {"STHeitiTC-Light", "Noto Sans CJK TC,Heiti TC,DejaVu Sans,sans-serif", PANGO_WEIGHT_LIGHT},
    {"HelveticaNeue", "Helvetica Neue,Liberation Sans,DejaVu Sans,sans-serif", PANGO_WEIGHT_NORMAL},
};

struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
using FontDescription = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

PangoWeight weightOfStyle(const std::string& style) {
    if (style.find("Bold") != std::string::npos) return PANGO_WEIGHT_BOLD;
    if (style.find("Medium") != std::string::npos) return PANGO_WEIGHT_MEDIUM;
    if (style.find("Light") != std::string::npos) return PANGO_WEIGHT_LIGHT;
    return PANGO_WEIGHT_NORMAL;
}

// A platform name ("Family-Style") as a pango description at an absolute size in points.
FontDescription fontDescription(const std::string& fontName, CGFloat size) {
    FontDescription description(pango_font_description_new());
    std::string families = "sans-serif";
    PangoWeight weight = PANGO_WEIGHT_NORMAL;
    bool known = false;
    for (const FontMapping& mapping : kFontMappings) {
        if (fontName == mapping.fontName) {
            families = mapping.families;
            weight = mapping.weight;
            known = true;
        }
    }
    if (!known && !fontName.empty()) {
        const auto dash = fontName.find('-');
        families = fontName.substr(0, dash) + ",DejaVu Sans,sans-serif";
        if (dash != std::string::npos) weight = weightOfStyle(fontName.substr(dash + 1));
    }
    pango_font_description_set_family(description.get(), families.c_str());
    pango_font_description_set_weight(description.get(), weight);
    pango_font_description_set_absolute_size(description.get(), std::max<CGFloat>(size, 0) * PANGO_SCALE);
    return description;
}

// A context that measures in points with unhinted metrics, so that a text measures the same
// whatever scale it is later drawn at.
GObjectPtr<PangoContext> measuringContext() {
    GObjectPtr<PangoContext> context(pango_font_map_create_context(pango_cairo_font_map_get_default()));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context.get(), options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context.get(), FALSE);
    return context;
}

void setUpLayout(PangoLayout* layout, const std::string& text, const TextAttributes& attributes) {
    FontDescription description = fontDescription(attributes.fontName, attributes.fontSize);
    pango_layout_set_font_description(layout, description.get());
    pango_layout_set_text(layout, text.data(), int(text.size()));
}

PangoRectangle logicalExtents(const std::string& text, const TextAttributes& attributes) {
    GObjectPtr<PangoContext> context = measuringContext();
    GObjectPtr<PangoLayout> layout(pango_layout_new(context.get()));
    setUpLayout(layout.get(), text, attributes);
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return logical;
}

}  // namespace

namespace TextDrawing {

CGSize sizeWithAttributes(const std::string& text, const TextAttributes& attributes) {
    if (text.empty()) return CGSizeZero;
    const PangoRectangle logical = logicalExtents(text, attributes);
    return {CGFloat(logical.width) / PANGO_SCALE, CGFloat(logical.height) / PANGO_SCALE};
}

UIImagePtr imageWithText(const std::string& text, const TextAttributes& attributes, CGFloat scale) {
    if (text.empty()) return nullptr;
    if (!(scale > 0)) scale = UIScreen::mainScreen().scale();
    if (!(scale > 0)) scale = 1;
    const PangoRectangle logical = logicalExtents(text, attributes);
    const std::size_t width = std::size_t(std::ceil(logical.width / double(PANGO_SCALE) * scale));
    const std::size_t height = std::size_t(std::ceil(logical.height / double(PANGO_SCALE) * scale));
    if (width == 0 || height == 0) return nullptr;
    CGContextRef context = CGBitmapContextCreate(nullptr, width, height, 8, 0, CGColorSpaceCreateDeviceRGB(),
                                                 kCGImageAlphaPremultipliedLast);
    if (!context) return nullptr;
    cairo_t* cr = CGContextCairoBegin(context);
    cairo_save(cr);
    cairo_identity_matrix(cr);  // pixels, y down
    cairo_scale(cr, scale, scale);
    const CGColor& color = attributes.foregroundColor;
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
    GObjectPtr<PangoLayout> layout(pango_cairo_create_layout(cr));
    // The same unhinted metrics as the measurement, so the text fills the measured box.
    PangoContext* pangoContext = pango_layout_get_context(layout.get());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pangoContext, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(pangoContext, FALSE);
    setUpLayout(layout.get(), text, attributes);
    pango_cairo_update_layout(cr, layout.get());
    cairo_move_to(cr, -logical.x / double(PANGO_SCALE), -logical.y / double(PANGO_SCALE));
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
    CGContextCairoEnd(context);
    return UIImage::imageWithCGImage(CGBitmapContextCreateImage(context), scale);
}

std::string fontDescriptionForFontName(const std::string& fontName, CGFloat size) {
    FontDescription requested = fontDescription(fontName, size);
    GObjectPtr<PangoContext> context = measuringContext();
    GObjectPtr<PangoFont> font(pango_font_map_load_font(pango_cairo_font_map_get_default(), context.get(),
                                                     requested.get()));
    if (!font) return {};
    FontDescription described(pango_font_describe(font.get()));
    char* text = pango_font_description_to_string(described.get());
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

}  // namespace TextDrawing

// --- PickerAppearance ------------------------------------------------------------------

namespace PickerAppearance {

CGColor colorWithHexString(const std::string& hex) {
    std::size_t start = !hex.empty() && hex[0] == '#' ? 1 : 0;
    unsigned long value = 0;
    for (std::size_t i = start; i < hex.size(); ++i) {
        const char c = hex[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                          : -1;
        if (digit < 0) break;  // the number ends at the first other character
        value = (value << 4 | unsigned(digit)) & 0xFFFFFFFFul;
    }
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0, 1};
}

CGColor defaultLightColor() { return colorWithHexString("fefef2"); }
CGColor defaultTintColor() { return colorWithHexString("2671a7"); }

CGColor grayscaleColor(const CGColor& color) {
    const CGFloat luminance = 0.2126 * color.r + 0.7152 * color.g + 0.0722 * color.b;
    return CGColorCreateGenericGray(luminance, color.a);
}

TextAttributes titleAttributes() { return {kDefaultFontName, 18, defaultLightColor()}; }

}  // namespace PickerAppearance
