#include "platform/uikit/UITouch.h"

#include "platform/uikit/UIView.h"

namespace {

// From the space of the view's tree root into the view, through the layers as they are drawn
// now (their presentation), as touches are hit-tested: a view moving under the finger gets
// locations where it shows.
CGPoint shownPointInView(CGPoint point, const UIView& view) {
    CAFlatTransform toRoot;
    const CALayer* layer = view.layer().get();
    CALayerProperties shown = layer->presentation();
    for (; layer->superlayer(); layer = layer->superlayer()) {
        const CALayerProperties above = layer->superlayer()->presentation();
        toRoot = CAFlatTransformConcat(toRoot, CATransform3DFlatten(CALayer::placement(shown, &above)));
        shown = above;
    }
    return CAFlatTransformApplyToPoint(CAFlatTransformInvert(toRoot), point);
}

}  // namespace

CGPoint UITouch::locationInView(const UIView* view) const {
    return view ? shownPointInView(windowLocation, *view) : windowLocation;
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
    return view ? shownPointInView(previousWindowLocation, *view) : previousWindowLocation;
}
