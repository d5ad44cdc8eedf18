#include "platform/quartzcore/CALayer.h"

#include <algorithm>
#include <cmath>

#include "platform/quartzcore/CATransaction.h"

namespace {

CGRect boundingBox(const CAFlatTransform& t, CGRect r) {
    r = CGRectStandardize(r);
    const CGPoint corners[4] = {r.origin,
                                {CGRectGetMaxX(r), r.origin.y},
                                {r.origin.x, CGRectGetMaxY(r)},
                                {CGRectGetMaxX(r), CGRectGetMaxY(r)}};
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

void CALayer::displayIfNeeded() { runMarked(&CALayer::displayPending_, &CALayer::needsDisplay_, &CALayer::display, true); }

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

void CALayer::layoutIfNeeded() { runMarked(&CALayer::layoutPending_, &CALayer::needsLayout_, &CALayer::layoutSublayers, false); }

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
    for (const CALayer* l = this; l->superlayer_; l = l->superlayer_) t = CAFlatTransformConcat(t, l->flatToSuperlayer());
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

CALayerProperties CALayer::presentationAt(CFTimeInterval time) const {
    CALayerProperties p = model_;
    for (const auto& [key, animation] : animations_) animation->applyToPresentation(p, time);
    return p;
}

std::shared_ptr<CALayer> CALayer::presentationLayer() const {
    auto copy = std::make_shared<CALayer>();
    copy->model_ = presentation();
    copy->contents_ = contents_;
    copy->contentsScale_ = contentsScale_;
    copy->contentsGravity_ = contentsGravity_;
    copy->opaque_ = opaque_;
    copy->name_ = name_;
    copy->modelLayer_ = modelLayer();
    return copy;
}

void CALayer::addAnimation(std::shared_ptr<CAAnimation> animation, const std::string& key) {
    if (!animation) return;
    if (animation->beginTime == 0) animation->beginTime = CACurrentMediaTime();
    CATransaction::noteAnimationEnd(animation->beginTime + animation->duration);
    std::string name = key.empty() ? "\x01anonymous-" + std::to_string(++anonymousAnimations_) : key;
    removeAnimationForKey(name);
    animations_.emplace_back(std::move(name), std::move(animation));
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const std::string& key) const {
    for (const auto& [k, animation] : animations_)
        if (k == key) return animation;
    return nullptr;
}

void CALayer::removeAnimationForKey(const std::string& key) {
    std::erase_if(animations_, [&](const auto& entry) { return entry.first == key; });
}

void CALayer::removeAllAnimations() { animations_.clear(); }

std::vector<std::string> CALayer::animationKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, animation] : animations_) keys.push_back(key);
    return keys;
}
