#pragma once
// For the other stand-ins only (text, compositing): the cairo context behind a CG context, to
// draw with cairo or pango directly between `CGContextCairoBegin` and `CGContextCairoEnd`
// (which keep the bytes of a converted layout in step). The cairo matrix is the context's
// transform composed with the flip to cairo's y-down pixels.
#include <cairo.h>

#include <functional>

#include "platform/coregraphics/CGContext.h"

cairo_t* CGContextCairoBegin(const CGContextRef& c);
void CGContextCairoEnd(const CGContextRef& c);
// The context's current global alpha (what `CGContextSetAlpha` set).
double CGContextGetAlpha(const CGContextRef& c);
// Runs drawing done with cairo directly (text, say) so that it casts the context's shadow,
// as fills, strokes and images do. Call between `CGContextCairoBegin` and `CGContextCairoEnd`.
void CGContextCairoDrawWithShadow(const CGContextRef& c, const std::function<void()>& draw);
// Appends the path to cairo's current path under the current cairo matrix.
void CGPathAppendToCairo(cairo_t* cr, const CGPath& path);
// Paints a soft shadow of `shape` (a pattern painted under `cr`'s current transform, as a
// popped group is): its alpha, blurred by a stack blur of `radius` pixels, tinted with
// `color` and moved by (dx, dy) device pixels, within the current clip.
void CGCairoPaintShadow(cairo_t* cr, cairo_pattern_t* shape, double dx, double dy, double radius, CGColor color);
