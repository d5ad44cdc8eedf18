// A program that draws a line of text through cairo and pango, frees what it made, and then
// leaks on purpose the one thing its argument names: the leak checker, run with the project's
// suppressions, must report that leak (and, with no argument, nothing: the libraries' own
// one-time allocations stay suppressed).
// Usage: planted_leak [surface|layout|string]
#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <string_view>

namespace {

// Each leak is made in a function of its own, so that no pointer to it is left on the stack.
[[gnu::noinline]] void leakSurface() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 32, 32);
    std::printf("made surface %d\n", cairo_surface_status(surface));
}

[[gnu::noinline]] void leakLayout(cairo_t* cr) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_layout_set_text(layout, "kept", -1);
    std::printf("made layout of %d line(s)\n", pango_layout_get_line_count(layout));
}

[[gnu::noinline]] void leakString() { std::printf("made %s\n", g_strdup("a string")); }

// Text drawn and measured the way the toolkit does: the font map, the type system and the
// font caches are set up on first use and kept for the process's life.
void drawText(cairo_t* cr) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 12");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, "Leaks through cairo, pango and glib", -1);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view what = argc > 1 ? argv[1] : "";
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 320, 40);
    cairo_t* cr = cairo_create(surface);
    drawText(cr);
    if (what == "surface") {
        leakSurface();
    } else if (what == "layout") {
        leakLayout(cr);
    } else if (what == "string") {
        leakString();
    } else if (!what.empty()) {
        std::fprintf(stderr, "unknown leak: %s\n", argv[1]);
        return 2;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return 0;
}
