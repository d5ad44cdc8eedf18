#pragma once
// For the UIKit stand-in's own text code: a font as a pango description, and the settings every
// pango context of string measuring and drawing shares.
#include <pango/pangocairo.h>

#include <memory>

#include "platform/uikit/UIFont.h"

struct PangoFontDescriptionDeleter {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};
using PangoFontDescriptionPtr = std::unique_ptr<PangoFontDescription, PangoFontDescriptionDeleter>;

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// The font's families (in fontconfig's order of preference), weight and absolute size.
PangoFontDescriptionPtr UIFontCreatePangoDescription(const UIFont& font);

// Unhinted metrics and unrounded glyph positions: a text measures the same in points whatever
// scale or transform it is later drawn with, so it fills the box it was measured to.
void UIFontSetUpPangoContext(PangoContext* context);

// A context for measuring, in points.
GObjectPtr<PangoContext> UIFontCreateMeasuringContext();
