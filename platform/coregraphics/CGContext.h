#pragma once
// Drawing into bitmaps with cairo, in the manner of Core Graphics: a bitmap context over
// caller-given or own memory, a graphics state stack (transform, colours, alpha, line width,
// blend mode, clip), paths, and images.
//
// User space starts as pixels with the origin at the bottom-left and y up, as Core Graphics
// has it; code that wants the top-left origin flips the transform itself (as the view and
// image contexts of UIKit do). Drawing an image puts its first row at the top of the rectangle
// in y-up space.
//
// Pixel layouts of a bitmap context: 8-bit RGB components in 32 bits, with alpha first or
// last, premultiplied, straight or skipped, in either 32-bit byte order. Premultiplied (or
// skipped) alpha first with little-endian order is cairo's own layout and is drawn in place;
// the others are converted around each drawing call, so the bytes always show what was drawn.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/coregraphics/CGGradient.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/coregraphics/CGPath.h"

class CGContext;
using CGContextRef = std::shared_ptr<CGContext>;

enum CGBlendMode : int {
    kCGBlendModeNormal = 0,
    kCGBlendModeMultiply,
    kCGBlendModeScreen,
    kCGBlendModeOverlay,
    kCGBlendModeDarken,
    kCGBlendModeLighten,
    kCGBlendModeColorDodge,
    kCGBlendModeColorBurn,
    kCGBlendModeSoftLight,
    kCGBlendModeHardLight,
    kCGBlendModeDifference,
    kCGBlendModeExclusion,
    kCGBlendModeHue,
    kCGBlendModeSaturation,
    kCGBlendModeColor,
    kCGBlendModeLuminosity,
    kCGBlendModeClear,
    kCGBlendModeCopy,
    kCGBlendModeSourceIn,
    kCGBlendModeSourceOut,
    kCGBlendModeSourceAtop,
    kCGBlendModeDestinationOver,
    kCGBlendModeDestinationIn,
    kCGBlendModeDestinationOut,
    kCGBlendModeDestinationAtop,
    kCGBlendModeXOR,
    kCGBlendModePlusDarker,
    kCGBlendModePlusLighter,
};
enum CGInterpolationQuality : int {
    kCGInterpolationDefault = 0,
    kCGInterpolationNone = 1,
    kCGInterpolationLow = 2,
    kCGInterpolationMedium = 4,
    kCGInterpolationHigh = 3,
};
enum CGLineCap : int { kCGLineCapButt = 0, kCGLineCapRound, kCGLineCapSquare };
enum CGLineJoin : int { kCGLineJoinMiter = 0, kCGLineJoinRound, kCGLineJoinBevel };
enum CGTextDrawingMode : int { kCGTextFill = 0, kCGTextStroke, kCGTextFillStroke, kCGTextInvisible };
enum CGPathDrawingMode : int { kCGPathFill = 0, kCGPathEOFill, kCGPathStroke, kCGPathFillStroke, kCGPathEOFillStroke };

// `data` null: the context owns zeroed memory (`bytesPerRow` 0 picks width x 4). Otherwise
// the caller's memory, which must outlive the context. Null for an unsupported layout, zero
// or excessive sizes, or rows too short.
CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height, std::size_t bitsPerComponent,
                                   std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo);
void* CGBitmapContextGetData(const CGContextRef& c);
std::size_t CGBitmapContextGetWidth(const CGContextRef& c);
std::size_t CGBitmapContextGetHeight(const CGContextRef& c);
std::size_t CGBitmapContextGetBytesPerRow(const CGContextRef& c);
std::size_t CGBitmapContextGetBitsPerPixel(const CGContextRef& c);
CGBitmapInfo CGBitmapContextGetBitmapInfo(const CGContextRef& c);
// A copy of the pixels as an image of the context's layout.
CGImageRef CGBitmapContextCreateImage(const CGContextRef& c);
// Stand-in internal, for a context drawn once and let go (a composed frame): the same image,
// taking the context's own storage instead of copying it where the context is the last
// holder; `c` is null afterwards.
CGImageRef CGBitmapContextReleaseIntoImage(CGContextRef& c);

void CGContextSaveGState(const CGContextRef& c);
void CGContextRestoreGState(const CGContextRef& c);

void CGContextTranslateCTM(const CGContextRef& c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(const CGContextRef& c, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(const CGContextRef& c, CGFloat angle);
void CGContextConcatCTM(const CGContextRef& c, CGAffineTransform t);
// User space to the context's pixels (y up).
CGAffineTransform CGContextGetCTM(const CGContextRef& c);

void CGContextSetRGBFillColor(const CGContextRef& c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetRGBStrokeColor(const CGContextRef& c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetGrayFillColor(const CGContextRef& c, CGFloat gray, CGFloat a);
void CGContextSetFillColorWithColor(const CGContextRef& c, CGColor color);
void CGContextSetStrokeColorWithColor(const CGContextRef& c, CGColor color);
void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha);
void CGContextSetLineWidth(const CGContextRef& c, CGFloat width);
CGFloat CGContextGetLineWidth(const CGContextRef& c);
// How text drawn afterwards is painted: filled, outlined with the line width, stroke colour
// and line join, both, or not at all.
void CGContextSetTextDrawingMode(const CGContextRef& c, CGTextDrawingMode mode);
CGTextDrawingMode CGContextGetTextDrawingMode(const CGContextRef& c);
CGColor CGContextGetStrokeColor(const CGContextRef& c);
void CGContextSetLineCap(const CGContextRef& c, CGLineCap cap);
void CGContextSetLineJoin(const CGContextRef& c, CGLineJoin join);
void CGContextSetBlendMode(const CGContextRef& c, CGBlendMode mode);
void CGContextSetInterpolationQuality(const CGContextRef& c, CGInterpolationQuality quality);
// Edges are smoothed while both switches are on (both are, at first).
void CGContextSetShouldAntialias(const CGContextRef& c, bool antialias);
void CGContextSetAllowsAntialiasing(const CGContextRef& c, bool allows);
// Fills, strokes and images drawn afterwards cast a shadow: their alpha, blurred by a stack
// blur of radius `blur` pixels, tinted with `color` and moved by `offset` in the context's
// base space (y up, whatever the transform). No colour (or a clear one) turns shadows off.
void CGContextSetShadowWithColor(const CGContextRef& c, CGSize offset, CGFloat blur, std::optional<CGColor> color);
// A shadow of black at one third alpha.
void CGContextSetShadow(const CGContextRef& c, CGSize offset, CGFloat blur);

void CGContextFillRect(const CGContextRef& c, CGRect rect);
void CGContextStrokeRect(const CGContextRef& c, CGRect rect);
// Makes the rectangle fully transparent (whatever the blend mode).
void CGContextClearRect(const CGContextRef& c, CGRect rect);
void CGContextFillEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextStrokeEllipseInRect(const CGContextRef& c, CGRect rect);

// The current path (consumed by fill, stroke and clip).
void CGContextBeginPath(const CGContextRef& c);
void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y);
void CGContextAddQuadCurveToPoint(const CGContextRef& c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
void CGContextAddCurveToPoint(const CGContextRef& c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                              CGFloat y);
void CGContextAddArc(const CGContextRef& c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                     bool clockwise);
void CGContextAddRect(const CGContextRef& c, CGRect rect);
void CGContextAddEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextAddPath(const CGContextRef& c, const CGPathRef& path);
void CGContextClosePath(const CGContextRef& c);
void CGContextFillPath(const CGContextRef& c);
void CGContextEOFillPath(const CGContextRef& c);
void CGContextStrokePath(const CGContextRef& c);
void CGContextDrawPath(const CGContextRef& c, CGPathDrawingMode mode);
void CGContextClip(const CGContextRef& c);
void CGContextEOClip(const CGContextRef& c);
void CGContextClipToRect(const CGContextRef& c, CGRect rect);

// The smallest user-space rectangle holding the clip; the zero rectangle when nothing can be drawn.
CGRect CGContextGetClipBoundingBox(const CGContextRef& c);

// Paints the gradient along the axis from `start` to `end` (user space) over the clip,
// extended past either end only as the options say. Start equal to end draws nothing.
void CGContextDrawLinearGradient(const CGContextRef& c, const CGGradientRef& gradient, CGPoint start, CGPoint end,
                                 unsigned options);

void CGContextDrawImage(const CGContextRef& c, CGRect rect, const CGImageRef& image);
