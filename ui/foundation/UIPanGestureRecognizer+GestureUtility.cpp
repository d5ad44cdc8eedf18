#include "ui/foundation/UIPanGestureRecognizer+GestureUtility.h"

#include <map>
#include <memory>

namespace {

// The start values, one per living recogniser: recognisers carry no slot of their own, so
// they are kept beside them and forgotten once their recogniser is gone.
struct StartValue {
    std::weak_ptr<const UIGestureRecognizer> owner;
    float value = 0;
};

std::map<const UIGestureRecognizer*, StartValue>& startValues() {
    static std::map<const UIGestureRecognizer*, StartValue> values;
    return values;
}

void forgetGone() {
    std::erase_if(startValues(), [](const auto& entry) { return entry.second.owner.expired(); });
}

// Takes the start from the block at the start of a pan, then answers the kept one.
double start(UIPanGestureRecognizer& pan, const GestureUtility::StartValueBlock& block) {
    const UIGestureRecognizerState state = pan.state();
    if (state == UIGestureRecognizerState::Began || state == UIGestureRecognizerState::Possible) {
        forgetGone();
        startValues()[&pan] = {pan.weak_from_this(), static_cast<float>(block ? block() : 0.0)};
    }
    return GestureUtility::startValue(pan);
}

const UIView* orOwn(const UIView* view, const UIPanGestureRecognizer& pan) { return view ? view : pan.view(); }

double boundsWidth(const UIView* view) { return view ? view->bounds().size.width : 0; }

}  // namespace

namespace GestureUtility {

double startValue(const UIPanGestureRecognizer& pan) {
    forgetGone();
    auto it = startValues().find(&pan);
    return it == startValues().end() ? 0.0 : static_cast<double>(it->second.value);
}

double relativeNormalizedValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& block,
                                                const UIView* view) {
    view = orOwn(view, pan);
    return relativeNormalizedValueAfterXTranslation(pan, block, view, boundsWidth(view));
}

double relativeNormalizedValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& block,
                                                double width) {
    return relativeNormalizedValueAfterXTranslation(pan, block, pan.view(), width);
}

double relativeNormalizedValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& block,
                                                const UIView* view, double width) {
    const double dx = pan.translationInView(orOwn(view, pan)).x;
    double v = dx / width + start(pan, block);
    if (!(v > 0)) v = 0;
    if (v > 1) v = 1;
    return v;
}

double relativeValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& block, const UIView* view) {
    view = orOwn(view, pan);
    return relativeValueAfterXTranslation(pan, block, view, 0, boundsWidth(view));
}

double relativeValueAfterXTranslation(UIPanGestureRecognizer& pan, const StartValueBlock& block, const UIView* view,
                                      double min, double max) {
    const double dx = pan.translationInView(orOwn(view, pan)).x;
    double v = dx + start(pan, block);
    if (!(v > min)) v = min;
    if (v > max) v = max;
    return v;
}

double absoluteNormalizedValueAfterXTranslation(const UIPanGestureRecognizer& pan, const UIView* view) {
    view = orOwn(view, pan);
    return absoluteValueAfterXTranslation(pan, view) / boundsWidth(view);
}

double absoluteValueAfterXTranslation(const UIPanGestureRecognizer& pan, const UIView* view) {
    return pan.locationInView(orOwn(view, pan)).x;
}

}  // namespace GestureUtility
