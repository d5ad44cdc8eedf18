#pragma once
// The one way layers become pixels, for the window, screenshots and tests alike: a tree's
// presentation drawn with cairo into one picture at the screen's scale.
//
// Each layer draws, in order: its shadow (its own alpha blurred, offset and tinted), its
// background, its contents image (placed by the contents gravity and contents rectangle),
// what its class paints itself (`drawLayerContent`), its sublayers (by z position, then
// order), and its border on top. `masksToBounds` clips contents and sublayers to the bounds
// rounded by the corner radius; opacity applies to the layer and its sublayers as one group;
// a mask layer's rendered alpha (drawn in the layer's coordinates) cuts the group.
//
// Transforms are flattened to 3 x 3 (see CAFlatTransform): while the projective column stays
// zero, a layer is drawn under cairo's affine matrix; otherwise its subtree is rasterised over
// its bounds and sublayers and warped into place with pixman's projective transform.
#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/quartzcore/CALayer.h"

class CACompositor {
public:
    // Lays out and displays what is pending under `root`, then composes the tree into a
    // picture of `size` points at `scale` pixels a point, over transparent black; the root
    // stands in the picture by its own position and transform. Premultiplied alpha first in
    // little-endian words (cairo's own layout). Null for an empty picture.
    static CGImageRef compose(CALayer& root, CGSize size, CGFloat scale);
    // Draws `layer` and its sublayers into the context under its current transform, in the
    // layer's own coordinates (its position and transform are not applied).
    static void render(const CALayer& layer, const CGContextRef& context);
    // Draws an image over a rectangle of a y-down space, first row at the top, as contents are.
    static void drawImage(const CGContextRef& context, const CGImageRef& image, CGRect rect);
};
