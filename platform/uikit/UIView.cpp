#include "platform/uikit/UIView.h"

#include <algorithm>

#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreen.h"

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

void UIView::setFrame(CGRect frame) { layer_->setFrame(frame); }
void UIView::setBounds(CGRect bounds) { layer_->setBounds(bounds); }
void UIView::setCenter(CGPoint center) { layer_->setPosition(center); }
void UIView::setTransform(CGAffineTransform transform) { layer_->setAffineTransform(transform); }

void UIView::setContentScaleFactor(CGFloat scale) {
    if (!(scale > 0) || scale == layer_->contentsScale()) return;
    layer_->setContentsScale(scale);
    if (draws_ == Draws::Yes) setNeedsDisplay();
}

void UIView::setAlpha(CGFloat alpha) { layer_->setOpacity(static_cast<float>(alpha)); }

void UIView::setBackgroundColor(std::optional<UIColor> color) {
    backgroundColor_ = color;
    layer_->setBackgroundColor(color ? std::optional<CGColor>(color->CGColor()) : std::nullopt);
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

// ---- Tree ----------------------------------------------------------------------------------

void UIView::insertAt(const std::shared_ptr<UIView>& view, std::size_t index) {
    if (!view || view.get() == this || isDescendantOfView(view.get())) return;
    std::shared_ptr<UIView> keep = view;  // the old superview may hold the last reference
    const bool moving = keep->superview_ != this;
    if (!moving) {
        auto it = std::find(subviews_.begin(), subviews_.end(), keep);
        if (static_cast<std::size_t>(it - subviews_.begin()) < index) --index;
        subviews_.erase(it);
    } else {
        keep->willMoveToSuperview(this);
        if (keep->superview_) keep->superview_->detach(keep.get());
    }
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    // The layer goes below the layer of the view that now follows it, or on top.
    if (index + 1 < subviews_.size())
        layer_->insertSublayerBelow(keep->layer_, subviews_[index + 1]->layer_.get());
    else
        layer_->addSublayer(keep->layer_);
    keep->superview_ = this;
    if (moving) {
        keep->didMoveToSuperview();
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
    willMoveToSuperview(nullptr);
    superview_->detach(this);
    didMoveToSuperview();
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
    if (&layer == layer_.get()) layoutSubviews();
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
    if (isHidden() || !userInteractionEnabled_ || alpha() < 0.01 || !pointInside(point)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
        if (UIView* hit = (*it)->hitTest((*it)->convertPointFromView(point, this))) return hit;
    return this;
}

// ---- Touches -------------------------------------------------------------------------------

void UIView::touchesBegan(const UITouchSet& touches, const UIEvent* event) {
    if (superview_) superview_->touchesBegan(touches, event);
}
void UIView::touchesMoved(const UITouchSet& touches, const UIEvent* event) {
    if (superview_) superview_->touchesMoved(touches, event);
}
void UIView::touchesEnded(const UITouchSet& touches, const UIEvent* event) {
    if (superview_) superview_->touchesEnded(touches, event);
}
void UIView::touchesCancelled(const UITouchSet& touches, const UIEvent* event) {
    if (superview_) superview_->touchesCancelled(touches, event);
}
