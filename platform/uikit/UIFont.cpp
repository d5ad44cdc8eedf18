#include "platform/uikit/UIFont.h"

#include <algorithm>

#include "platform/uikit/UIFontPango.h"

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
    {"HelveticaNeue-Bold", "Helvetica Neue,Liberation Sans,DejaVu Sans,sans-serif", PANGO_WEIGHT_BOLD},
};

constexpr const char* kSystemFontName = "HelveticaNeue";
constexpr const char* kBoldSystemFontName = "HelveticaNeue-Bold";

PangoWeight weightOfStyle(const std::string& style) {
    if (style.find("Bold") != std::string::npos) return PANGO_WEIGHT_BOLD;
    if (style.find("Medium") != std::string::npos) return PANGO_WEIGHT_MEDIUM;
    if (style.find("Light") != std::string::npos) return PANGO_WEIGHT_LIGHT;
    return PANGO_WEIGHT_NORMAL;
}

}  // namespace

UIFont UIFont::fontWithName(const std::string& fontName, CGFloat pointSize) {
    return UIFont(fontName, std::max<CGFloat>(pointSize, 0));
}

UIFont UIFont::systemFontOfSize(CGFloat pointSize) { return fontWithName(kSystemFontName, pointSize); }
UIFont UIFont::boldSystemFontOfSize(CGFloat pointSize) { return fontWithName(kBoldSystemFontName, pointSize); }

PangoFontDescriptionPtr UIFontCreatePangoDescription(const UIFont& font) {
    const std::string& fontName = font.fontName();
    PangoFontDescriptionPtr description(pango_font_description_new());
    std::string families = "sans-serif";
    PangoWeight weight = PANGO_WEIGHT_NORMAL;
    const auto mapping = std::find_if(std::begin(kFontMappings), std::end(kFontMappings),
                                      [&](const FontMapping& m) { return fontName == m.fontName; });
    if (mapping != std::end(kFontMappings)) {
        families = mapping->families;
        weight = mapping->weight;
    } else if (!fontName.empty()) {
        const auto dash = fontName.find('-');
        families = fontName.substr(0, dash) + ",DejaVu Sans,sans-serif";
        if (dash != std::string::npos) weight = weightOfStyle(fontName.substr(dash + 1));
    }
    pango_font_description_set_family(description.get(), families.c_str());
    pango_font_description_set_weight(description.get(), weight);
    pango_font_description_set_absolute_size(description.get(), font.pointSize() * PANGO_SCALE);
    return description;
}

void UIFontSetUpPangoContext(PangoContext* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
}

GObjectPtr<PangoContext> UIFontCreateMeasuringContext() {
    GObjectPtr<PangoContext> context(pango_font_map_create_context(pango_cairo_font_map_get_default()));
    UIFontSetUpPangoContext(context.get());
    return context;
}

std::string UIFont::installedFaceDescription() const {
    PangoFontDescriptionPtr requested = UIFontCreatePangoDescription(*this);
    GObjectPtr<PangoContext> context = UIFontCreateMeasuringContext();
    GObjectPtr<PangoFont> font(
        pango_font_map_load_font(pango_cairo_font_map_get_default(), context.get(), requested.get()));
    if (!font) return {};
    PangoFontDescriptionPtr described(pango_font_describe(font.get()));
    char* text = pango_font_description_to_string(described.get());
    std::string result = text ? text : "";
    g_free(text);
    return result;
}
