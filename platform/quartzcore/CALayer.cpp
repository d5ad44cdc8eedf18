#include "platform/quartzcore/CALayer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CAAnimation.h"
#include "platform/quartzcore/CADisplayLink.h"
#include "platform/quartzcore/CATransaction.h"

namespace {

void reportStop(const std::shared_ptr<CAAnimation>& animation, bool finished) {
    if (const auto delegate = animation->delegate()) delegate->animationDidStop(*animation, finished);
}

// A stop that is not the animation's own end reaches its delegate in the next pass, not in
// the middle of the call that removed it.
void postStop(std::shared_ptr<CAAnimation> animation) {
    if (!animation->delegate()) return;
    NSRunLoop::mainRunLoop().performBlock([animation = std::move(animation)] { reportStop(animation, false); });
}

CGRect boundingBox(const CAFlatTransform& t, CGRect r) {
    r = CGRectStandardize(r);
    const CGPoint corners[4] = {
        r.origin, {CGRectGetMaxX(r), r.origin.y}, {r.origin.x, CGRectGetMaxY(r)}, {CGRectGetMaxX(r), CGRectGetMaxY(r)}};
    CGPoint p = CAFlatTransformApplyToPoint(t, corners[0]);
    double x0 = p.x, x1 = p.x, y0 = p.y, y1 = p.y;
    for (const CGPoint& c : corners) {
        p = CAFlatTransformApplyToPoint(t, c);
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

CGPoint anchorInBounds(const CALayerProperties& p) {
    return {p.bounds.origin.x + p.anchorPoint.x * p.bounds.size.width,
            p.bounds.origin.y + p.anchorPoint.y * p.bounds.size.height};
}

}  // namespace

// About the anchor point, then to the position; then the superlayer's sublayer transform
// about its own anchor point.
CATransform3D CALayer::placement(const CALayerProperties& p, const CALayerProperties* superlayer) {
    const CGPoint a = anchorInBounds(p);
    CATransform3D t = CATransform3DMakeTranslation(-a.x, -a.y, -p.anchorPointZ);
    t = CATransform3DConcat(t, p.transform);
    t = CATransform3DConcat(t, CATransform3DMakeTranslation(p.position.x, p.position.y, p.zPosition));
    if (superlayer && !CATransform3DIsIdentity(superlayer->sublayerTransform)) {
        const CGPoint s = anchorInBounds(*superlayer);
        t = CATransform3DConcat(t, CATransform3DMakeTranslation(-s.x, -s.y, 0));
        t = CATransform3DConcat(t, superlayer->sublayerTransform);
        t = CATransform3DConcat(t, CATransform3DMakeTranslation(s.x, s.y, 0));
    }
    return t;
}

CALayer::CALayer() = default;

CALayer::~CALayer() {
    for (AnimationEntry& entry : animations_)
        if (!entry.ended) postStop(std::move(entry.animation));
    for (const auto& sub : sublayers_) sub->superlayer_ = nullptr;
    if (mask_) mask_->maskOwner_ = nullptr;
}

void CALayer::setBounds(CGRect bounds) {
    const bool resized = bounds.size != model_.bounds.size;
    model_.bounds = bounds;
    if (!resized) return;
    setNeedsLayout();
    if (needsDisplayOnBoundsChange_) setNeedsDisplay();
}

void CALayer::setPosition(CGPoint position) { model_.position = position; }

CGRect CALayer::frame() const { return boundingBox(CATransform3DFlatten(placement(model_, nullptr)), model_.bounds); }

void CALayer::setFrame(CGRect frame) {
    frame = CGRectStandardize(frame);
    setPosition({frame.origin.x + model_.anchorPoint.x * frame.size.width,
                 frame.origin.y + model_.anchorPoint.y * frame.size.height});
    setBounds({model_.bounds.origin, frame.size});
}

void CALayer::setContentsScale(CGFloat scale) {
    if (scale > 0) contentsScale_ = scale;
}

// ---- Display and layout --------------------------------------------------------------------

void CALayer::markPendingUpward(bool layout, bool display) {
    for (CALayer* l = this; l; l = l->superlayer_ ? l->superlayer_ : l->maskOwner_) {
        if (layout) l->layoutPending_ = true;
        if (display) l->displayPending_ = true;
    }
    CATransaction::scheduleFlush(*this);
}

void CALayer::setNeedsDisplay() {
    needsDisplay_ = true;
    markPendingUpward(false, true);
}

void CALayer::displayIfNeeded() {
    runMarked(&CALayer::displayPending_, &CALayer::needsDisplay_, &CALayer::display, true);
}

// Runs `work` on this layer when it is marked, then on the marked layers below it, top-down.
void CALayer::runMarked(bool CALayer::*pending, bool CALayer::*marked, void (CALayer::*work)(), bool masks) {
    if (!(this->*pending) && !(this->*marked)) return;
    this->*pending = false;
    if (this->*marked) {
        this->*marked = false;
        (this->*work)();
    }
    auto children = sublayers_;  // the work may change the tree
    for (const auto& sub : children) sub->runMarked(pending, marked, work, masks);
    if (masks && mask_) mask_->runMarked(pending, marked, work, masks);
}

void CALayer::display() {
    if (delegate_ && delegate_->displayLayer(*this)) return;
    CGContextRef context = createContentsContext();
    if (!context) {
        contents_ = nullptr;
        return;
    }
    drawInContext(context);
    contents_ = CGBitmapContextCreateImage(context);
}

CGContextRef CALayer::createContentsContext() const {
    const CGRect b = CGRectStandardize(model_.bounds);
    const double w = std::ceil(b.size.width * contentsScale_), h = std::ceil(b.size.height * contentsScale_);
    if (!(w >= 1 && h >= 1)) return nullptr;
    CGContextRef context = CGBitmapContextCreate(nullptr, static_cast<std::size_t>(w), static_cast<std::size_t>(h), 8,
                                                 0, CGColorSpaceCreateDeviceRGB(),
                                                 kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    if (!context) return nullptr;
    CGContextTranslateCTM(context, 0, h);
    CGContextScaleCTM(context, contentsScale_, -contentsScale_);
    CGContextTranslateCTM(context, -b.origin.x, -b.origin.y);
    return context;
}

void CALayer::drawInContext(const CGContextRef& context) {
    if (delegate_) delegate_->drawLayer(*this, context);
}

void CALayer::setNeedsLayout() {
    needsLayout_ = true;
    markPendingUpward(true, false);
}

void CALayer::layoutIfNeeded() {
    runMarked(&CALayer::layoutPending_, &CALayer::needsLayout_, &CALayer::layoutSublayers, false);
}

void CALayer::layoutSublayers() {
    if (delegate_) delegate_->layoutSublayersOfLayer(*this);
}

// ---- Tree ----------------------------------------------------------------------------------

void CALayer::attach(const std::shared_ptr<CALayer>& layer, std::size_t index) {
    if (!layer || layer.get() == this || isDescendantOf(layer.get())) return;  // no cycles
    std::shared_ptr<CALayer> keep = layer;
    if (layer->superlayer_) {
        if (layer->superlayer_ == this) {
            auto it = std::find(sublayers_.begin(), sublayers_.end(), layer);
            if (static_cast<std::size_t>(it - sublayers_.begin()) < index) --index;
        }
        layer->superlayer_->detachChild(layer.get());
    }
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->superlayer_ = this;
    if (keep->layoutPending_ || keep->needsLayout_ || keep->displayPending_ || keep->needsDisplay_)
        markPendingUpward(keep->layoutPending_ || keep->needsLayout_, keep->displayPending_ || keep->needsDisplay_);
}

void CALayer::detachChild(const CALayer* layer) {
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(), [&](const auto& l) { return l.get() == layer; });
    if (it == sublayers_.end()) return;
    (*it)->superlayer_ = nullptr;
    sublayers_.erase(it);
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer) { attach(layer, sublayers_.size()); }

void CALayer::insertSublayer(const std::shared_ptr<CALayer>& layer, std::size_t index) { attach(layer, index); }

void CALayer::insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const CALayer* sibling) {
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(), [&](const auto& l) { return l.get() == sibling; });
    attach(layer, it == sublayers_.end() ? 0 : static_cast<std::size_t>(it - sublayers_.begin()));
}

void CALayer::insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const CALayer* sibling) {
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(), [&](const auto& l) { return l.get() == sibling; });
    attach(layer, it == sublayers_.end() ? sublayers_.size() : static_cast<std::size_t>(it - sublayers_.begin()) + 1);
}

void CALayer::replaceSublayer(const CALayer* old, const std::shared_ptr<CALayer>& replacement) {
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(), [&](const auto& l) { return l.get() == old; });
    if (it == sublayers_.end() || !replacement || replacement.get() == old) return;
    std::size_t index = static_cast<std::size_t>(it - sublayers_.begin());
    detachChild(old);
    attach(replacement, index);
}

void CALayer::removeFromSuperlayer() {
    if (!superlayer_) return;
    auto self = shared_from_this();  // the superlayer may hold the last reference
    superlayer_->detachChild(this);
}

void CALayer::setMask(std::shared_ptr<CALayer> mask) {
    if (mask_) mask_->maskOwner_ = nullptr;
    if (mask) {
        mask->removeFromSuperlayer();
        if (mask->maskOwner_) mask->maskOwner_->mask_ = nullptr;
        mask->maskOwner_ = this;
    }
    mask_ = std::move(mask);
    if (mask_ && (mask_->displayPending_ || mask_->needsDisplay_)) markPendingUpward(false, true);
}

bool CALayer::isDescendantOf(const CALayer* ancestor) const {
    for (const CALayer* l = this; l; l = l->superlayer_)
        if (l == ancestor) return true;
    return false;
}

// ---- Coordinates ---------------------------------------------------------------------------

CATransform3D CALayer::transformToSuperlayer() const {
    return placement(model_, superlayer_ ? &superlayer_->model_ : nullptr);
}

CAFlatTransform CALayer::flatToSuperlayer() const { return CATransform3DFlatten(transformToSuperlayer()); }

CAFlatTransform CALayer::transformToRoot() const {
    CAFlatTransform t;
    for (const CALayer* l = this; l->superlayer_; l = l->superlayer_)
        t = CAFlatTransformConcat(t, l->flatToSuperlayer());
    return t;
}

// From this layer's coordinates into layer's (the root's for null), and back.
CAFlatTransform CALayer::transformToLayer(const CALayer* layer) const {
    CAFlatTransform t = transformToRoot();
    if (layer) t = CAFlatTransformConcat(t, CAFlatTransformInvert(layer->transformToRoot()));
    return t;
}

CAFlatTransform CALayer::transformFromLayer(const CALayer* layer) const {
    CAFlatTransform t = layer ? layer->transformToRoot() : CAFlatTransform{};
    return CAFlatTransformConcat(t, CAFlatTransformInvert(transformToRoot()));
}

CGPoint CALayer::convertPointToLayer(CGPoint point, const CALayer* layer) const {
    return CAFlatTransformApplyToPoint(transformToLayer(layer), point);
}

CGPoint CALayer::convertPointFromLayer(CGPoint point, const CALayer* layer) const {
    return CAFlatTransformApplyToPoint(transformFromLayer(layer), point);
}

CGRect CALayer::convertRectToLayer(CGRect rect, const CALayer* layer) const {
    return boundingBox(transformToLayer(layer), rect);
}

CGRect CALayer::convertRectFromLayer(CGRect rect, const CALayer* layer) const {
    return boundingBox(transformFromLayer(layer), rect);
}

bool CALayer::containsPoint(CGPoint point) const { return CGRectContainsPoint(model_.bounds, point); }

CALayer* CALayer::hitTest(CGPoint point) {
    if (model_.hidden || model_.opacity <= 0) return nullptr;
    const CGPoint local = CAFlatTransformApplyToPoint(CAFlatTransformInvert(flatToSuperlayer()), point);
    if (model_.masksToBounds && !containsPoint(local)) return nullptr;
    for (auto it = sublayers_.rbegin(); it != sublayers_.rend(); ++it)
        if (CALayer* hit = (*it)->hitTest(local)) return hit;
    return containsPoint(local) ? this : nullptr;
}

// ---- Animations ----------------------------------------------------------------------------

namespace {

// Layers whose animations change properties they draw: redrawn on every display frame.
struct DrawnAnimations {
    std::vector<std::weak_ptr<CALayer>> layers;
    std::shared_ptr<CADisplayLink> link;
};

// Never destroyed: a link still running at exit must not outlive the run loop it is on.
DrawnAnimations& drawnAnimations() {
    static DrawnAnimations& drawn = *new DrawnAnimations;
    return drawn;
}

}  // namespace

CALayerProperties CALayer::presentationAt(CFTimeInterval time) const {
    CALayerProperties p = model_;
    for (const AnimationEntry& entry : animations_) entry.animation->applyToPresentation(p, time);
    return p;
}

std::shared_ptr<CALayer> CALayer::presentationLayer() const {
    auto copy = newPresentationInstance();
    copy->model_ = presentation();
    copy->contents_ = contents_;
    copy->contentsScale_ = contentsScale_;
    copy->contentsGravity_ = contentsGravity_;
    copy->opaque_ = opaque_;
    copy->name_ = name_;
    copy->modelLayer_ = modelLayer();
    return copy;
}

void CALayer::addAnimation(const std::shared_ptr<CAAnimation>& animation, const std::string& key) {
    if (!animation) return;
    std::shared_ptr<CAAnimation> copy = animation->copy();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const CFTimeInterval now = loop.now();
    if (copy->beginTime == 0) copy->beginTime = now;
    const CFTimeInterval end = copy->endTime();
    if (std::isfinite(end)) CATransaction::noteAnimationEnd(end);
    std::string name = key.empty() ? "\x01anonymous-" + std::to_string(++anonymousAnimations_) : key;
    removeAnimationForKey(name);
    const bool drawn = copy->changesKey([this](const std::string& k) { return needsDisplayForKey(k); });
    animations_.push_back({std::move(name), copy});

    // Passes at the start and at the end, so both are reported on time on any clock.
    auto update = [weak = weak_from_this()] {
        if (auto layer = weak.lock()) layer->updateAnimations();
    };
    if (copy->beginTime > now) loop.performAtDate(copy->beginTime, update);
    else loop.performBlock(update);
    if (std::isfinite(end)) loop.performAtDate(end, update);
    if (drawn) redrawAnimatedLayersEachFrame(*this);
}

void CALayer::updateAnimations() {
    const CFTimeInterval now = CACurrentMediaTime();
    std::vector<std::shared_ptr<CAAnimation>> started, stopped;
    for (AnimationEntry& entry : animations_) {
        if (!entry.started && now >= entry.animation->beginTime) {
            entry.started = true;
            started.push_back(entry.animation);
        }
        if (!entry.ended && now >= entry.animation->endTime()) {
            entry.ended = true;
            stopped.push_back(entry.animation);
        }
    }
    std::erase_if(animations_, [](const AnimationEntry& e) { return e.ended && e.animation->removedOnCompletion; });
    for (const auto& animation : started)
        if (const auto delegate = animation->delegate()) delegate->animationDidStart(*animation);
    for (const auto& animation : stopped) reportStop(animation, true);
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const std::string& key) const {
    for (const AnimationEntry& entry : animations_)
        if (entry.key == key) return entry.animation;
    return nullptr;
}

void CALayer::removeAnimationForKey(const std::string& key) {
    auto it =
        std::find_if(animations_.begin(), animations_.end(), [&](const AnimationEntry& e) { return e.key == key; });
    if (it == animations_.end()) return;
    AnimationEntry entry = std::move(*it);
    animations_.erase(it);
    if (!entry.ended) postStop(std::move(entry.animation));
}

void CALayer::removeAllAnimations() {
    auto entries = std::move(animations_);
    animations_.clear();
    for (AnimationEntry& entry : entries)
        if (!entry.ended) postStop(std::move(entry.animation));
}

std::vector<std::string> CALayer::animationKeys() const {
    std::vector<std::string> keys;
    for (const AnimationEntry& entry : animations_) keys.push_back(entry.key);
    return keys;
}

CAValue CALayer::valueForKeyPath(const std::string& keyPath) const {
    return CALayerPropertiesValueForKeyPath(model_, keyPath);
}

void CALayer::setValueForKeyPath(const std::string& keyPath, const CAValue& value) {
    CALayerPropertiesSetValueForKeyPath(model_, keyPath, value);
    if (needsDisplayForKey(keyPath.substr(0, keyPath.find('.')))) setNeedsDisplay();
}

// ---- Drawing animated properties -----------------------------------------------------------

bool CALayer::animatesDrawnKeys() const {
    const CFTimeInterval now = CACurrentMediaTime();
    for (const AnimationEntry& entry : animations_)
        if (now < entry.animation->endTime() &&
            entry.animation->changesKey([this](const std::string& k) { return needsDisplayForKey(k); }))
            return true;
    return false;
}

// The presentation draws itself (the presentation instance is of this layer's class), and
// what it drew becomes this layer's contents for the frame.
void CALayer::drawPresentation() {
    auto copy = presentationLayer();
    copy->display();
    contents_ = copy->contents_;
}

void CALayer::redrawAnimatedLayersEachFrame(CALayer& layer) {
    DrawnAnimations& drawn = drawnAnimations();
    const auto weak = layer.weak_from_this();
    const bool known = std::any_of(drawn.layers.begin(), drawn.layers.end(),
                                   [&](const auto& w) { return !w.owner_before(weak) && !weak.owner_before(w); });
    if (!known) drawn.layers.push_back(weak);
    if (drawn.link) return;
    drawn.link = CADisplayLink::displayLinkWithTarget([](CADisplayLink&) {
        DrawnAnimations& all = drawnAnimations();
        auto layers = all.layers;
        std::erase_if(all.layers, [](const std::weak_ptr<CALayer>& w) {
            auto l = w.lock();
            return !l || !l->animatesDrawnKeys();
        });
        for (const auto& weakLayer : layers)
            if (auto l = weakLayer.lock()) {
                if (l->animatesDrawnKeys()) l->drawPresentation();
                else l->setNeedsDisplay();  // the last frame shows the model again
            }
        if (all.layers.empty()) {
            auto link = std::move(all.link);
            all.link = nullptr;
            link->invalidate();
        }
    });
    drawn.link->addToRunLoop(NSRunLoop::mainRunLoop(), NSRunLoopCommonModes);
}
