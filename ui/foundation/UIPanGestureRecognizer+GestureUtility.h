#pragma once
// Values driven by horizontal pans: the controlled value just before the pan is taken as the
// start (asked of the block while the recogniser is possible or has just begun, and kept with
// the recogniser in single precision until the next pan starts), and the horizontal travel
// since then is added to it, as a fraction of a width or in points.
//
// The clamps compare in a fixed order (not above the lower bound gives the lower bound, then
// above the upper bound gives the upper bound), so a NaN comes out as the lower bound and a
// lower bound above the upper one gives the upper one.
#include <functional>

#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIView.h"

namespace GestureUtility {

using StartValueBlock = std::function<double()>;

// start + translation x / width, clamped to 0…1. The view defaults to the recogniser's and
// the width to the view's bounds width.
double relativeNormalizedValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& start,
                                                const UIView* view = nullptr);
double relativeNormalizedValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& start,
                                                const UIView* view, double width);
double relativeNormalizedValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& start,
                                                double width);
// start + translation x, clamped to min…max (0 … the view's bounds width by default).
double relativeValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& start,
                                      const UIView* view = nullptr);
double relativeValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& start, const UIView* view,
                                      double min, double max);
// The touch's x in the view, divided by its bounds width when normalised; not clamped.
double absoluteNormalizedValueAfterXTranslation(const UIPanGestureRecognizer& pan, const UIView* view = nullptr);
double absoluteValueAfterXTranslation(const UIPanGestureRecognizer& pan, const UIView* view = nullptr);

// The start value kept with the recogniser (0 before its first pan).
double startValue(const UIPanGestureRecognizer& pan);

}  // namespace GestureUtility
