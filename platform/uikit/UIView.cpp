#include "platform/uikit/UIView.h"

#include <algorithm>

#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

UIView::UIView(CGRect frame) : UIView(frame, layerClass()) {}

UIView::UIView(CGRect frame, LayerClass makeLayer) : layer_(makeLayer ? makeLayer() : nullptr) {
    if (!layer_) layer_ = CALayer::layer();
    layer_->setDelegate(this);
    layer_->setContentsScale(UIScreen::mainScreen().scale());
    layer_->setFrame(frame);
}

UIView::~UIView() {
    layer_->setDelegate(nullptr);
    for (const auto& view : subviews_) view->superview_ = nullptr;
}

// ---- Geometry and look ---------------------------------------------------------------------

void UIView::setFrame(CGRect frame) {
    willChangeAnimatable("position");
    willChangeAnimatable("bounds");
    const CGSize old = bounds().size;
    layer_->setFrame(frame);
    boundsSizeChanged(old);
}

void UIView::setBounds(CGRect bounds) {
    willChangeAnimatable("bounds");
    const CGSize old = this->bounds().size;
    layer_->setBounds(bounds);
    boundsSizeChanged(old);
}

void UIView::setCenter(CGPoint center) {
    willChangeAnimatable("position");
    layer_->setPosition(center);
}

void UIView::setTransform(CGAffineTransform transform) {
    willChangeAnimatable("transform");
    layer_->setAffineTransform(transform);
}

void UIView::setLayerTransform(const CATransform3D& transform) {
    willChangeAnimatable("transform");
    layer_->setTransform(transform);
}

void UIView::setContentScaleFactor(CGFloat scale) {
    if (!(scale > 0) || scale == layer_->contentsScale()) return;
    layer_->setContentsScale(scale);
    if (draws_ == Draws::Yes) setNeedsDisplay();
}

void UIView::setMaskView(std::shared_ptr<UIView> mask) {
    if (mask == maskView_) return;
    if (mask) mask->removeFromSuperview();
    maskView_ = std::move(mask);
    layer_->setMask(maskView_ ? maskView_->layer() : nullptr);
}

void UIView::setAlpha(CGFloat alpha) {
    willChangeAnimatable("opacity");
    layer_->setOpacity(static_cast<float>(alpha));
}

UIView::BackgroundColorHook& UIView::backgroundColorHook() {
    static BackgroundColorHook hook;
    return hook;
}

UIView::LayoutHook& UIView::layoutHook() {
    static LayoutHook hook;
    return hook;
}

void UIView::setBackgroundColor(std::optional<UIColor> color) {
    if (const BackgroundColorHook& hook = backgroundColorHook()) hook(*this, color);
    willChangeAnimatable("backgroundColor");
    backgroundColor_ = color;
    layer_->setBackgroundColor(color ? std::optional<CGColor>(color->CGColor()) : std::nullopt);
}

UIColor UIView::defaultTintColor() { return UIColor::colorWithRed(0, 122.0 / 255, 1, 1); }

UIColor UIView::tintColor() const {
    for (const UIView* v = this; v; v = v->superview_)
        if (v->tintColor_) return *v->tintColor_;
    return defaultTintColor();
}

void UIView::setTintColor(std::optional<UIColor> color) {
    tintColor_ = std::move(color);
    tintChangedBelow();
}

void UIView::tintChangedBelow() {
    tintColorDidChange();
    for (const auto& view : std::vector(subviews_))
        if (!view->tintColor_) view->tintChangedBelow();
}

void UIView::setContentMode(UIViewContentMode mode) {
    contentMode_ = mode;
    CAContentsGravity gravity = CAContentsGravity::Resize;
    switch (mode) {
    case UIViewContentMode::ScaleAspectFit: gravity = CAContentsGravity::ResizeAspect; break;
    case UIViewContentMode::ScaleAspectFill: gravity = CAContentsGravity::ResizeAspectFill; break;
    case UIViewContentMode::Center: gravity = CAContentsGravity::Center; break;
    case UIViewContentMode::Top: gravity = CAContentsGravity::Top; break;
    case UIViewContentMode::Bottom: gravity = CAContentsGravity::Bottom; break;
    case UIViewContentMode::Left: gravity = CAContentsGravity::Left; break;
    case UIViewContentMode::Right: gravity = CAContentsGravity::Right; break;
    default: break;
    }
    layer_->setContentsGravity(gravity);
    layer_->setNeedsDisplayOnBoundsChange(mode == UIViewContentMode::Redraw);
}

// ---- Autoresizing --------------------------------------------------------------------------

void UIView::boundsSizeChanged(CGSize oldSize) {
    if (!autoresizesSubviews_ || bounds().size == oldSize) return;
    for (const auto& view : std::vector(subviews_)) view->resizeWithOldSuperviewSize(oldSize);
}

namespace {

// Shares a change of the superview's length among the flexible parts of one axis (leading
// margin, length, trailing margin) in proportion to their sizes, evenly when they are all 0.
void shareChange(CGFloat& origin, CGFloat& length, CGFloat oldTotal, CGFloat newTotal, bool flexLead, bool flexLength,
                 bool flexTrail) {
    const CGFloat delta = newTotal - oldTotal;
    if (delta == 0 || !(flexLead || flexLength || flexTrail)) return;
    const CGFloat parts[3] = {origin, length, oldTotal - origin - length};
    const bool flexible[3] = {flexLead, flexLength, flexTrail};
    CGFloat sum = 0;
    int count = 0;
    for (int i = 0; i < 3; ++i)
        if (flexible[i]) sum += std::max<CGFloat>(parts[i], 0), ++count;
    auto share = [&](int i) {
        if (!flexible[i]) return CGFloat(0);
        return sum > 0 ? delta * std::max<CGFloat>(parts[i], 0) / sum : delta / count;
    };
    origin += share(0);
    length = std::max<CGFloat>(length + share(1), 0);
}

}  // namespace

void UIView::resizeWithOldSuperviewSize(CGSize oldSize) {
    if (autoresizingMask_ == UIViewAutoresizingNone || !superview_) return;
    const CGSize newSize = superview_->bounds().size;
    CGRect f = frame();
    const UIViewAutoresizing m = autoresizingMask_;
    shareChange(f.origin.x, f.size.width, oldSize.width, newSize.width, m & UIViewAutoresizingFlexibleLeftMargin,
                m & UIViewAutoresizingFlexibleWidth, m & UIViewAutoresizingFlexibleRightMargin);
    shareChange(f.origin.y, f.size.height, oldSize.height, newSize.height, m & UIViewAutoresizingFlexibleTopMargin,
                m & UIViewAutoresizingFlexibleHeight, m & UIViewAutoresizingFlexibleBottomMargin);
    setFrame(f);
}

// ---- Tree ----------------------------------------------------------------------------------

UIWindow* UIView::window() const {
    const UIView* root = this;
    while (root->superview_) root = root->superview_;
    return dynamic_cast<UIWindow*>(const_cast<UIView*>(root));
}

void UIView::moveToWindow(UIWindow* oldWindow, UIWindow* newWindow, bool did) {
    if (oldWindow == newWindow) return;
    if (did) didMoveToWindow();
    else willMoveToWindow(newWindow);
    for (const auto& view : std::vector(subviews_)) view->moveToWindow(oldWindow, newWindow, did);
}

void UIView::insertAt(const std::shared_ptr<UIView>& view, std::size_t index) {
    if (!view || view.get() == this || isDescendantOfView(view.get())) return;
    std::shared_ptr<UIView> keep = view;  // the old superview may hold the last reference
    const bool moving = keep->superview_ != this;
    if (!moving) {
        auto it = std::find(subviews_.begin(), subviews_.end(), keep);
        if (static_cast<std::size_t>(it - subviews_.begin()) < index) --index;
        subviews_.erase(it);
    }
    UIWindow* const oldWindow = keep->window();
    UIWindow* const newWindow = window();
    if (moving) {
        keep->willMoveToSuperview(this);
        keep->moveToWindow(oldWindow, newWindow, false);
        if (keep->superview_) keep->superview_->detach(keep.get());
    }
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    // The layer goes below the layer of the view that now follows it, or on top.
    if (index + 1 < subviews_.size()) layer_->insertSublayerBelow(keep->layer_, subviews_[index + 1]->layer_.get());
    else layer_->addSublayer(keep->layer_);
    keep->superview_ = this;
    if (moving) {
        keep->didMoveToSuperview();
        keep->moveToWindow(oldWindow, newWindow, true);
        if (!keep->tintColor_) keep->tintChangedBelow();
        didAddSubview(keep.get());
    }
    setNeedsLayout();
    keep->setNeedsLayout();
}

void UIView::detach(UIView* view) {
    willRemoveSubview(view);
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == view; });
    if (it == subviews_.end()) return;
    std::shared_ptr<UIView> keep = *it;
    subviews_.erase(it);
    keep->superview_ = nullptr;
    keep->layer_->removeFromSuperlayer();
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) { insertAt(view, subviews_.size()); }
void UIView::insertSubview(const std::shared_ptr<UIView>& view, std::size_t index) { insertAt(view, index); }

void UIView::insertSubviewBelow(const std::shared_ptr<UIView>& view, const UIView* sibling) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == sibling; });
    insertAt(view, it == subviews_.end() ? subviews_.size() : static_cast<std::size_t>(it - subviews_.begin()));
}

void UIView::insertSubviewAbove(const std::shared_ptr<UIView>& view, const UIView* sibling) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == sibling; });
    insertAt(view, it == subviews_.end() ? subviews_.size() : static_cast<std::size_t>(it - subviews_.begin()) + 1);
}

void UIView::bringSubviewToFront(const UIView* view) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == view; });
    if (it != subviews_.end()) insertAt(std::shared_ptr<UIView>(*it), subviews_.size());
}

void UIView::sendSubviewToBack(const UIView* view) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == view; });
    if (it != subviews_.end()) insertAt(std::shared_ptr<UIView>(*it), 0);
}

void UIView::removeFromSuperview() {
    if (!superview_) return;
    auto self = shared_from_this();
    UIWindow* const oldWindow = window();
    willMoveToSuperview(nullptr);
    moveToWindow(oldWindow, nullptr, false);
    superview_->detach(this);
    didMoveToSuperview();
    moveToWindow(oldWindow, nullptr, true);
}

bool UIView::isDescendantOfView(const UIView* view) const {
    for (const UIView* v = this; v; v = v->superview_)
        if (v == view) return true;
    return false;
}

UIView* UIView::viewWithTag(int tag) {
    if (tag_ == tag) return this;
    for (const auto& view : subviews_)
        if (UIView* found = view->viewWithTag(tag)) return found;
    return nullptr;
}

// ---- Layout and drawing --------------------------------------------------------------------

void UIView::drawRect(CGRect) { baseDrawRectCalled_ = true; }

bool UIView::displayLayer(CALayer& layer) {
    if (&layer != layer_.get() || draws_ == Draws::No) return true;
    CGContextRef context = layer.createContentsContext();
    if (!context) {
        if (draws_ == Draws::Yes) layer.setContents(nullptr);
        return true;
    }
    baseDrawRectCalled_ = false;
    UIGraphicsPushContext(context);
    drawRect(bounds());
    UIGraphicsPopContext();
    if (baseDrawRectCalled_) {
        draws_ = Draws::No;  // nothing of its own to draw: keep whatever contents the layer has
        return true;
    }
    draws_ = Draws::Yes;
    layer.setContents(CGBitmapContextCreateImage(context));
    return true;
}

void UIView::layoutSublayersOfLayer(CALayer& layer) {
    if (&layer != layer_.get()) return;
    layoutSubviews();
    if (const LayoutHook& hook = layoutHook()) hook(*this);
}

// ---- Coordinates and hit-testing -----------------------------------------------------------

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const {
    return layer_->convertPointToLayer(point, view ? view->layer_.get() : nullptr);
}
CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const {
    return layer_->convertPointFromLayer(point, view ? view->layer_.get() : nullptr);
}
CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const {
    return layer_->convertRectToLayer(rect, view ? view->layer_.get() : nullptr);
}
CGRect UIView::convertRectFromView(CGRect rect, const UIView* view) const {
    return layer_->convertRectFromLayer(rect, view ? view->layer_.get() : nullptr);
}

bool UIView::pointInside(CGPoint point) const { return CGRectContainsPoint(bounds(), point); }

UIView* UIView::hitTest(CGPoint point) {
    if (isHidden() || !userInteractionEnabled_ || touchBlockingAnimations_ > 0 || alpha() <= 0.01 ||
        !pointInside(point))
        return nullptr;
    // Subviews are hit where they are drawn: through their presentation's placement.
    const CALayerProperties shown = layer_->presentation();
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        const CAFlatTransform toHere = CATransform3DFlatten(CALayer::placement((*it)->layer_->presentation(), &shown));
        if (UIView* hit = (*it)->hitTest(CAFlatTransformApplyToPoint(CAFlatTransformInvert(toHere), point))) return hit;
    }
    return this;
}

// ---- Delayed work --------------------------------------------------------------------------

void UIView::performAfterDelay(const std::string& key, NSTimeInterval delay, std::function<void(UIView&)> block) {
    if (!block) return;
    NSRunLoop::mainRunLoop().performAfterDelay(this, key, delay, [weak = weak_from_this(), block = std::move(block)] {
        if (auto view = weak.lock()) block(*view);
    });
}

void UIView::cancelPreviousPerformRequests() { NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this); }

void UIView::cancelPreviousPerformRequests(const std::string& key) {
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, key);
}
