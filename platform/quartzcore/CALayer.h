#pragma once
// Layers: the tree of rectangles the screen is composed of. A layer has geometry (bounds,
// position of its anchor point in the superlayer, a 3-D transform about that point), a look
// (opacity, background, border, corner radius, shadow, contents image) and sublayers.
//
// Model and presentation are kept apart: the setters change the model at once; animations
// added under a key change only what `presentation()` answers, evaluated at the media time
// of the main run loop's clock (so a manual clock drives them in tests). The compositor draws
// the presentation.
//
// Contents: an image set directly, or drawn on demand: `setNeedsDisplay` marks the layer,
// and at the end of the run loop's turn (or on `displayIfNeeded`) `display` asks the delegate
// to set contents itself, or else draws `drawInContext` into a bitmap of the bounds at the
// contents scale (top-left origin, in points). Layout works the same way: `setNeedsLayout`,
// then `layoutSublayers` (which asks the delegate) at the end of the turn or on
// `layoutIfNeeded`, top-down.
//
// Drawing: CACompositor draws a tree's presentation into one picture (CACompositor.cpp);
// `renderInContext` and the hooks it calls live in CALayer+Rendering.cpp.
//
// Layers are owned by shared pointers (make them with `CALayer::layer()` or std::make_shared
// for subclasses); a layer holds its sublayers and its mask, and knows its superlayer without
// owning it. Main thread only.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/coregraphics/CGColor.h"
#include "platform/foundation/NSObject.h"
#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/quartzcore/CABase.h"
#include "platform/quartzcore/CATransform3D.h"
#include "platform/quartzcore/CAValue.h"

class CALayer;
class CAAnimation;

// Who a layer asks to draw or lay out (a view for its own layer). Not owned by the layer.
class CALayerDelegate {
public:
    virtual ~CALayerDelegate() = default;
    // Sets the layer's contents itself; false to let the layer draw with `drawLayer`.
    virtual bool displayLayer(CALayer&) { return false; }
    virtual void drawLayer(CALayer&, const CGContextRef&) {}
    virtual void layoutSublayersOfLayer(CALayer&) {}
};

enum class CAContentsGravity { Resize, ResizeAspect, ResizeAspectFill, Center, Top, Bottom, Left, Right };

// Everything an animation can change, and so everything the presentation answers.
struct CALayerProperties {
    CGRect bounds = CGRectZero;
    CGPoint position = CGPointZero;
    CGFloat zPosition = 0;
    CGPoint anchorPoint{0.5, 0.5};
    CGFloat anchorPointZ = 0;
    CATransform3D transform = CATransform3DIdentity;
    CATransform3D sublayerTransform = CATransform3DIdentity;
    float opacity = 1;
    bool hidden = false;
    bool masksToBounds = false;
    std::optional<CGColor> backgroundColor;
    CGFloat cornerRadius = 0;
    CGFloat borderWidth = 0;
    CGColor borderColor{0, 0, 0, 1};
    std::optional<CGColor> shadowColor = CGColor{0, 0, 0, 1};
    float shadowOpacity = 0;
    CGSize shadowOffset{0, -3};
    CGFloat shadowRadius = 3;
    CGRect contentsRect{{0, 0}, {1, 1}};
    // Properties a layer subclass declares (a gradient's "colors", a custom drawing's
    // parameters), by key: animatable and copied into the presentation like the rest.
    std::map<std::string, CAValue> further;
};

class CALayer : public NSObject, public std::enable_shared_from_this<CALayer> {
public:
    static std::shared_ptr<CALayer> layer() { return std::make_shared<CALayer>(); }
    CALayer();
    virtual ~CALayer();
    CALayer(const CALayer&) = delete;
    CALayer& operator=(const CALayer&) = delete;

    // ---- Geometry (model) ------------------------------------------------------------------
    CGRect bounds() const { return model_.bounds; }
    virtual void setBounds(CGRect bounds);
    CGPoint position() const { return model_.position; }
    virtual void setPosition(CGPoint position);
    CGFloat zPosition() const { return model_.zPosition; }
    void setZPosition(CGFloat z) { model_.zPosition = z; }
    CGPoint anchorPoint() const { return model_.anchorPoint; }
    void setAnchorPoint(CGPoint anchor) { model_.anchorPoint = anchor; }
    CGFloat anchorPointZ() const { return model_.anchorPointZ; }
    void setAnchorPointZ(CGFloat z) { model_.anchorPointZ = z; }
    const CATransform3D& transform() const { return model_.transform; }
    void setTransform(const CATransform3D& t) { model_.transform = t; }
    CGAffineTransform affineTransform() const { return CATransform3DGetAffineTransform(model_.transform); }
    void setAffineTransform(CGAffineTransform t) { model_.transform = CATransform3DMakeAffineTransform(t); }
    const CATransform3D& sublayerTransform() const { return model_.sublayerTransform; }
    void setSublayerTransform(const CATransform3D& t) { model_.sublayerTransform = t; }
    // The bounding box of the transformed bounds in the superlayer. Setting it sets the bounds'
    // size and the position (as if the transform were the identity).
    CGRect frame() const;
    virtual void setFrame(CGRect frame);

    // ---- Look (model) ----------------------------------------------------------------------
    float opacity() const { return model_.opacity; }
    void setOpacity(float opacity) { model_.opacity = opacity; }
    bool isHidden() const { return model_.hidden; }
    void setHidden(bool hidden) { model_.hidden = hidden; }
    bool masksToBounds() const { return model_.masksToBounds; }
    void setMasksToBounds(bool masks) { model_.masksToBounds = masks; }
    const std::optional<CGColor>& backgroundColor() const { return model_.backgroundColor; }
    void setBackgroundColor(std::optional<CGColor> color) { model_.backgroundColor = color; }
    CGFloat cornerRadius() const { return model_.cornerRadius; }
    void setCornerRadius(CGFloat radius) { model_.cornerRadius = radius; }
    CGFloat borderWidth() const { return model_.borderWidth; }
    void setBorderWidth(CGFloat width) { model_.borderWidth = width; }
    CGColor borderColor() const { return model_.borderColor; }
    void setBorderColor(CGColor color) { model_.borderColor = color; }
    const std::optional<CGColor>& shadowColor() const { return model_.shadowColor; }
    void setShadowColor(std::optional<CGColor> color) { model_.shadowColor = color; }
    float shadowOpacity() const { return model_.shadowOpacity; }
    void setShadowOpacity(float opacity) { model_.shadowOpacity = opacity; }
    CGSize shadowOffset() const { return model_.shadowOffset; }
    void setShadowOffset(CGSize offset) { model_.shadowOffset = offset; }
    CGFloat shadowRadius() const { return model_.shadowRadius; }
    void setShadowRadius(CGFloat radius) { model_.shadowRadius = radius; }
    CGRect contentsRect() const { return model_.contentsRect; }
    void setContentsRect(CGRect rect) { model_.contentsRect = rect; }
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // ---- Contents ----------------------------------------------------------------------
    const CGImageRef& contents() const { return contents_; }
    void setContents(CGImageRef image) { contents_ = std::move(image); }
    CGFloat contentsScale() const { return contentsScale_; }
    virtual void setContentsScale(CGFloat scale);
    CAContentsGravity contentsGravity() const { return contentsGravity_; }
    void setContentsGravity(CAContentsGravity gravity) { contentsGravity_ = gravity; }
    // Stored only: every layer is drawn afresh each time the tree is composed.
    bool shouldRasterize() const { return shouldRasterize_; }
    void setShouldRasterize(bool rasterize) { shouldRasterize_ = rasterize; }
    bool needsDisplayOnBoundsChange() const { return needsDisplayOnBoundsChange_; }
    void setNeedsDisplayOnBoundsChange(bool needs) { needsDisplayOnBoundsChange_ = needs; }

    void setNeedsDisplay();
    bool needsDisplay() const { return needsDisplay_; }
    // Displays this layer and the layers below it that need it.
    void displayIfNeeded();
    virtual void display();
    virtual void drawInContext(const CGContextRef& context);
    // A bitmap context for the layer's contents: the bounds at the contents scale, in points
    // with the bounds' origin at the top-left. Null for empty bounds.
    CGContextRef createContentsContext() const;

    // ---- Rendering (CALayer+Rendering.cpp) -----------------------------------------------
    // Draws this layer and its sublayers, as the compositor does, into the context in the
    // layer's own coordinates (bounds) under the context's current transform.
    void renderInContext(const CGContextRef& context);
    // What a layer class paints itself each time it is composed, over its contents and under
    // its sublayers, in the layer's coordinates (y down), from the presentation `p`. The
    // context's transform and clip are set; the base paints nothing.
    virtual void drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const {}

    // ---- Layout ------------------------------------------------------------------------
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Lays out this layer and the layers below it that need it, top-down.
    void layoutIfNeeded();
    virtual void layoutSublayers();

    // ---- Tree --------------------------------------------------------------------------
    CALayer* superlayer() const { return superlayer_; }
    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
    // Adding a layer takes it out of its previous superlayer first.
    void addSublayer(const std::shared_ptr<CALayer>& layer);
    void insertSublayer(const std::shared_ptr<CALayer>& layer, std::size_t index);
    void insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const CALayer* sibling);
    void insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const CALayer* sibling);
    void replaceSublayer(const CALayer* old, const std::shared_ptr<CALayer>& replacement);
    void removeFromSuperlayer();
    const std::shared_ptr<CALayer>& mask() const { return mask_; }
    void setMask(std::shared_ptr<CALayer> mask);
    bool isDescendantOf(const CALayer* ancestor) const;

    // ---- Keyed objects -----------------------------------------------------------------
    // Objects stored on the layer under a name and held for its life; null removes one.
    void setObjectForKey(const std::string& key, std::shared_ptr<NSObject> object) {
        if (object) keyedObjects_[key] = std::move(object);
        else keyedObjects_.erase(key);
    }
    std::shared_ptr<NSObject> objectForKey(const std::string& key) const {
        auto it = keyedObjects_.find(key);
        return it == keyedObjects_.end() ? nullptr : it->second;
    }

    CALayerDelegate* delegate() const { return delegate_; }
    void setDelegate(CALayerDelegate* delegate) { delegate_ = delegate; }

    // ---- Coordinates -------------------------------------------------------------------
    // Maps this layer's coordinates into its superlayer's (row vectors, as CATransform3D).
    CATransform3D transformToSuperlayer() const;
    // The same for any values of a layer and of its superlayer (null for none), whose
    // sublayer transform applies about its anchor point.
    static CATransform3D placement(const CALayerProperties& layer, const CALayerProperties* superlayer);
    // Between two layers of one tree (layers of different trees meet in their roots' space);
    // a null layer stands for that root space.
    CGPoint convertPointToLayer(CGPoint point, const CALayer* layer) const;
    CGPoint convertPointFromLayer(CGPoint point, const CALayer* layer) const;
    CGRect convertRectToLayer(CGRect rect, const CALayer* layer) const;
    CGRect convertRectFromLayer(CGRect rect, const CALayer* layer) const;
    bool containsPoint(CGPoint point) const;  // in the layer's own coordinates
    // The deepest visible layer under the point (given in the superlayer's coordinates).
    CALayer* hitTest(CGPoint point);

    // ---- Model and presentation --------------------------------------------------------
    const CALayerProperties& model() const { return model_; }
    // The model with the animations applied at the current media time.
    CALayerProperties presentation() const { return presentationAt(CACurrentMediaTime()); }
    CALayerProperties presentationAt(CFTimeInterval time) const;
    // A detached layer whose values are the presentation now, with this layer's contents and
    // contents scale and no sublayers; its `modelLayer` is this layer (while this one lives).
    std::shared_ptr<CALayer> presentationLayer() const;
    const CALayer* modelLayer() const { return modelLayer_ ? modelLayer_ : this; }
    // Adds a copy of the animation (see CAAnimation.h for its life on the layer); an empty
    // key gives it a name of its own. An animation already under the key is removed first.
    void addAnimation(const std::shared_ptr<CAAnimation>& animation, const std::string& key);
    std::shared_ptr<CAAnimation> animationForKey(const std::string& key) const;
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();
    std::vector<std::string> animationKeys() const;

    // Key-value access to the properties (model, or the presentation on a presentation
    // layer); key paths as CAValue.h lists them. Setting a key the subclass says needs
    // display marks the layer for display.
    CAValue valueForKeyPath(const std::string& keyPath) const;
    void setValueForKeyPath(const std::string& keyPath, const CAValue& value);
    // Keys of the subclass's own properties whose change means drawing again; while an
    // animation changes one, the layer draws its presentation once every display frame.
    virtual bool needsDisplayForKey(const std::string& key) const { return false; }

protected:
    // A new, empty layer of the same class, for presentation copies. Subclasses that draw
    // their own properties return their own kind.
    virtual std::shared_ptr<CALayer> newPresentationInstance() const { return std::make_shared<CALayer>(); }

private:
    void attach(const std::shared_ptr<CALayer>& layer, std::size_t index);
    void detachChild(const CALayer* layer);
    void markPendingUpward(bool layout, bool display);
    void runMarked(bool CALayer::*pending, bool CALayer::*marked, void (CALayer::*work)(), bool masks);
    CAFlatTransform flatToSuperlayer() const;
    CAFlatTransform transformToRoot() const;
    CAFlatTransform transformToLayer(const CALayer* layer) const;
    CAFlatTransform transformFromLayer(const CALayer* layer) const;

    CALayerProperties model_;
    CGImageRef contents_;
    CGFloat contentsScale_ = 1;
    CAContentsGravity contentsGravity_ = CAContentsGravity::Resize;
    bool opaque_ = false;
    bool needsDisplayOnBoundsChange_ = false;
    bool shouldRasterize_ = false;
    std::string name_;
    CALayer* superlayer_ = nullptr;
    std::vector<std::shared_ptr<CALayer>> sublayers_;
    std::shared_ptr<CALayer> mask_;
    CALayer* maskOwner_ = nullptr;  // the layer this one masks, for drawing it when marked
    CALayerDelegate* delegate_ = nullptr;
    bool needsDisplay_ = false, displayPending_ = false;
    bool needsLayout_ = false, layoutPending_ = false;
    struct AnimationEntry {
        std::string key;
        std::shared_ptr<CAAnimation> animation;
        bool started = false, ended = false;
    };
    // Reports starts and ends that have fallen due; ends redrawing when nothing drawn runs.
    void updateAnimations();
    bool animatesDrawnKeys() const;
    void drawPresentation();
    static void redrawAnimatedLayersEachFrame(CALayer& layer);
    std::vector<AnimationEntry> animations_;
    int anonymousAnimations_ = 0;
    const CALayer* modelLayer_ = nullptr;
    std::map<std::string, std::shared_ptr<NSObject>> keyedObjects_;
};
