#pragma once
// Views: rectangles in a tree, each backed by a layer whose tree mirrors the view tree. The
// view's geometry is its layer's: `center` is the layer's position, `bounds` its bounds,
// `transform` its (affine) transform about the centre, and `frame` is derived from the three
// (the bounding box of the transformed bounds in the superview).
//
// The layer comes from `layerClass`: a subclass that needs another kind of layer hides the
// static `layerClass()` and passes it to the protected constructor:
//
//     class GLView : public UIView {
//     public:
//         static LayerClass layerClass() { return [] { return std::shared_ptr<CALayer>(std::make_shared<CAEAGLLayer>()); }; }
//         explicit GLView(CGRect frame) : UIView(frame, layerClass()) {}
//     };
//
// Views are owned by shared pointers (make them with std::make_shared); a view holds its
// subviews and knows its superview without owning it. Main thread only.
//
// Layout: `setNeedsLayout` (also implied by a change of the bounds' size and by adding a
// subview) asks for `layoutSubviews` at the end of the run loop's turn, or at once through
// `layoutIfNeeded`; parents are laid out before their subviews.
// Drawing: a subclass that overrides `drawRect` draws its content into its layer (at the
// content scale, origin top-left, `UIGraphicsGetCurrentContext` current) when it was marked
// with `setNeedsDisplay`; a view that does not override it never allocates a bitmap.
#include <memory>
#include <optional>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UITouch.h"

enum class UIViewContentMode {
    ScaleToFill = 0, ScaleAspectFit = 1, ScaleAspectFill = 2, Redraw = 3, Center = 4, Top = 5, Bottom = 6,
    Left = 7, Right = 8, TopLeft = 9, TopRight = 10, BottomLeft = 11, BottomRight = 12,
};

class UIView : public NSObject, public CALayerDelegate, public std::enable_shared_from_this<UIView> {
public:
    using LayerClass = std::shared_ptr<CALayer> (*)();
    static LayerClass layerClass() { return &CALayer::layer; }

    explicit UIView(CGRect frame = CGRectZero);
    ~UIView() override;
    UIView(const UIView&) = delete;
    UIView& operator=(const UIView&) = delete;

    const std::shared_ptr<CALayer>& layer() const { return layer_; }

    // ---- Geometry ------------------------------------------------------------------------
    CGRect frame() const { return layer_->frame(); }
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return layer_->bounds(); }
    virtual void setBounds(CGRect bounds);
    CGPoint center() const { return layer_->position(); }
    virtual void setCenter(CGPoint center);
    CGAffineTransform transform() const { return layer_->affineTransform(); }
    virtual void setTransform(CGAffineTransform transform);
    CGFloat contentScaleFactor() const { return layer_->contentsScale(); }
    virtual void setContentScaleFactor(CGFloat scale);

    // ---- Look ----------------------------------------------------------------------------
    CGFloat alpha() const { return layer_->opacity(); }
    void setAlpha(CGFloat alpha);
    bool isHidden() const { return layer_->isHidden(); }
    void setHidden(bool hidden) { layer_->setHidden(hidden); }
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    bool isOpaque() const { return layer_->isOpaque(); }
    void setOpaque(bool opaque) { layer_->setOpaque(opaque); }
    const std::optional<UIColor>& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<UIColor> color);
    UIViewContentMode contentMode() const { return contentMode_; }
    void setContentMode(UIViewContentMode mode);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }

    // ---- Tree ----------------------------------------------------------------------------
    UIView* superview() const { return superview_; }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
    // Adding a view takes it out of its previous superview first; a view cannot be added to
    // itself or below itself.
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubview(const std::shared_ptr<UIView>& view, std::size_t index);
    void insertSubviewBelow(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void insertSubviewAbove(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void bringSubviewToFront(const UIView* view);
    void sendSubviewToBack(const UIView* view);
    void removeFromSuperview();
    bool isDescendantOfView(const UIView* view) const;
    // This view or the first below it (depth first) with the tag.
    UIView* viewWithTag(int tag);

    // ---- Layout and drawing --------------------------------------------------------------
    void setNeedsLayout() { layer_->setNeedsLayout(); }
    void layoutIfNeeded() { layer_->layoutIfNeeded(); }
    virtual void layoutSubviews() {}
    void setNeedsDisplay() { layer_->setNeedsDisplay(); }
    virtual void drawRect(CGRect rect);

    // ---- Coordinates and hit-testing -----------------------------------------------------
    // A null view stands for the space of the tree's root (the window).
    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(CGRect rect, const UIView* view) const;
    CGRect convertRectFromView(CGRect rect, const UIView* view) const;
    virtual bool pointInside(CGPoint point) const;
    // The deepest visible, interactive view under the point (in this view's coordinates).
    virtual UIView* hitTest(CGPoint point);

    // ---- Touches -------------------------------------------------------------------------
    // What the view does with touches delivered to it; by default they go on to the
    // superview (the next responder), as a view that does not handle them passes them on.
    virtual void touchesBegan(const UITouchSet& touches, const UIEvent* event);
    virtual void touchesMoved(const UITouchSet& touches, const UIEvent* event);
    virtual void touchesEnded(const UITouchSet& touches, const UIEvent* event);
    virtual void touchesCancelled(const UITouchSet& touches, const UIEvent* event);

    // ---- Hooks of the tree ---------------------------------------------------------------
    virtual void willMoveToSuperview(UIView* newSuperview) {}
    virtual void didMoveToSuperview() {}
    virtual void didAddSubview(UIView* subview) {}
    virtual void willRemoveSubview(UIView* subview) {}

    // CALayerDelegate
    bool displayLayer(CALayer& layer) override;
    void layoutSublayersOfLayer(CALayer& layer) override;

protected:
    UIView(CGRect frame, LayerClass layerClass);

private:
    void insertAt(const std::shared_ptr<UIView>& view, std::size_t index);
    void detach(UIView* view);

    std::shared_ptr<CALayer> layer_;
    UIView* superview_ = nullptr;
    std::vector<std::shared_ptr<UIView>> subviews_;
    std::optional<UIColor> backgroundColor_;
    UIViewContentMode contentMode_ = UIViewContentMode::ScaleToFill;
    int tag_ = 0;
    bool userInteractionEnabled_ = true;
    enum class Draws { Unknown, Yes, No } draws_ = Draws::Unknown;
    bool baseDrawRectCalled_ = false;
};
