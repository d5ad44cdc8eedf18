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
// Animations (UIView+Animations.cpp): the block forms record the changes made inside the block
// to alpha, transform, frame, centre, bounds and background colour, and turn each into a layer
// animation from the old value (the presentation with BeginFromCurrentState) to the new one;
// the model changes at once. The completion runs once every animation of the block has
// stopped, with YES when all finished. Zero duration: no animation, the completion (YES) runs
// on the next turn of the main queue; a block that changes nothing completes (YES) after its
// delay and duration. Views being animated ignore touches unless AllowUserInteraction.
// Delegates of these animations hold their view weakly.
//
// Autoresizing: when a view's bounds change size, each subview with flexible parts in its
// `autoresizingMask` shares the change among them in proportion to their sizes.
//
// Drawing: a subclass that overrides `drawRect` draws its content into its layer (at the
// content scale, origin top-left, `UIGraphicsGetCurrentContext` current) when it was marked
// with `setNeedsDisplay`; a view that does not override it never allocates a bitmap.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UITouch.h"

enum class UIViewContentMode {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

using UIViewAnimationOptions = std::uint64_t;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionLayoutSubviews = 1 << 0;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAllowUserInteraction = 1 << 1;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionBeginFromCurrentState = 1 << 2;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionRepeat = 1 << 3;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAutoreverse = 1 << 4;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseInOut = 0 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseIn = 1 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseOut = 2 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveLinear = 3 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionNone = 0 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionFlipFromLeft = 1 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionFlipFromRight = 2 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionCurlUp = 3 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionCurlDown = 4 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionCrossDissolve = 5 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionFlipFromTop = 6 << 20;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionFlipFromBottom = 7 << 20;
inline constexpr UIViewAnimationOptions UIViewKeyframeAnimationOptionCalculationModeLinear = 0 << 10;
inline constexpr UIViewAnimationOptions UIViewKeyframeAnimationOptionCalculationModeDiscrete = 1 << 10;

enum class UIViewAnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

using UIViewAutoresizing = unsigned;
inline constexpr UIViewAutoresizing UIViewAutoresizingNone = 0;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleLeftMargin = 1 << 0;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleWidth = 1 << 1;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleRightMargin = 1 << 2;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleTopMargin = 1 << 3;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleHeight = 1 << 4;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleBottomMargin = 1 << 5;

class UIWindow;
class UIGestureRecognizer;

class UIView : public UIResponder, public CALayerDelegate, public std::enable_shared_from_this<UIView> {
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
    // The layer's 3-D transform, set so that animation blocks animate it as they do `transform`.
    void setLayerTransform(const CATransform3D& transform);
    CGFloat contentScaleFactor() const { return layer_->contentsScale(); }
    virtual void setContentScaleFactor(CGFloat scale);

    // ---- Look ----------------------------------------------------------------------------
    CGFloat alpha() const { return layer_->opacity(); }
    void setAlpha(CGFloat alpha);
    bool isHidden() const { return layer_->isHidden(); }
    void setHidden(bool hidden) { layer_->setHidden(hidden); }
    // A view whose composed alpha masks this view, in this view's coordinates (clear parts
    // hide it). The view holds its mask view, which belongs to no tree of its own.
    const std::shared_ptr<UIView>& maskView() const { return maskView_; }
    void setMaskView(std::shared_ptr<UIView> mask);
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    bool isOpaque() const { return layer_->isOpaque(); }
    void setOpaque(bool opaque) { layer_->setOpaque(opaque); }
    const std::optional<UIColor>& backgroundColor() const { return backgroundColor_; }
    // Runs the background-colour hook (below) first, then sets the colour.
    virtual void setBackgroundColor(std::optional<UIColor> color);
    UIViewContentMode contentMode() const { return contentMode_; }
    void setContentMode(UIViewContentMode mode);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    UIViewAutoresizing autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(UIViewAutoresizing mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool resizes) { autoresizesSubviews_ = resizes; }

    // The tint: the view's own, else its superview's, else the default blue. A change reaches
    // `tintColorDidChange` of the view and of every view below it that inherits the tint,
    // also when the view moves under another superview.
    UIColor tintColor() const;
    virtual void setTintColor(std::optional<UIColor> color);
    virtual void tintColorDidChange() {}
    static UIColor defaultTintColor();

    // Process-wide hooks through which the application changes every view: one runs before
    // each view's background colour is set, the other after each view's `layoutSubviews`.
    using BackgroundColorHook = std::function<void(UIView&, const std::optional<UIColor>&)>;
    using LayoutHook = std::function<void(UIView&)>;
    static BackgroundColorHook& backgroundColorHook();
    static LayoutHook& layoutHook();

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
    // The deepest view under the point (in this view's coordinates, as it is drawn now: the
    // presentation's geometry) that takes touches. Passed over, with everything below them:
    // hidden views, views of alpha 0.01 or less, views with interaction off, and views in an
    // animation that does not allow user interaction.
    virtual UIView* hitTest(CGPoint point);

    // ---- Touches -------------------------------------------------------------------------
    // The next responder: the superview (a controller's root view answers its controller).
    UIResponder* nextResponder() const override { return superview_; }
    // Off by default: while one touch is down on the view, further touches that begin on it
    // are dropped.
    bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
    // Off by default: while a touch is down on an exclusive view no other view takes a new
    // touch, and an exclusive view takes none while other views hold touches.
    bool isExclusiveTouch() const { return exclusiveTouch_; }
    void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }
    // What the mouse wheel asks of the view under the pointer (amounts in points); false
    // passes it on to the superview. Scrolling views answer it.
    virtual bool scrollWheel(CGPoint location, CGSize delta) { return false; }

    // The window at the root of the view's tree, or null.
    UIWindow* window() const;

    // ---- Gesture recognisers (UIView+Gestures.cpp) ----------------------------------------
    // The view holds its recognisers; one recogniser belongs to one view at a time.
    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const UIGestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }

    // ---- Hooks of the tree ---------------------------------------------------------------
    virtual void willMoveToSuperview(UIView* newSuperview) {}
    virtual void didMoveToSuperview() {}
    // Sent to a view and every view below it when their window changes.
    virtual void willMoveToWindow(UIWindow* newWindow) {}
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(UIView* subview) {}
    virtual void willRemoveSubview(UIView* subview) {}

    // ---- Delayed work --------------------------------------------------------------------
    // Runs the block with this view after the delay on the main run loop, unless the view is
    // gone by then (the request holds it weakly) or the request was cancelled.
    void performAfterDelay(const std::string& key, NSTimeInterval delay, std::function<void(UIView&)> block);
    void cancelPreviousPerformRequests();
    void cancelPreviousPerformRequests(const std::string& key);

    // ---- Animations (UIView+Animations.cpp) ----------------------------------------------
    using Animations = std::function<void()>;
    using Completion = std::function<void(bool finished)>;
    static void animateWithDuration(NSTimeInterval duration, Animations animations, Completion completion = nullptr);
    static void animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, UIViewAnimationOptions options,
                                    Animations animations, Completion completion);
    // A spring: damping ratio (1 settles without overshoot, lower values overshoot) and initial
    // velocity in whole changes per second.
    static void animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, CGFloat dampingRatio,
                                    CGFloat velocity, UIViewAnimationOptions options, Animations animations,
                                    Completion completion);
    // Key frames: inside the block, each `addKeyframeWithRelativeStartTime` animates what its
    // own block changes over its share of the duration; values hold between key frames.
    static void animateKeyframesWithDuration(NSTimeInterval duration, NSTimeInterval delay,
                                             UIViewAnimationOptions options, Animations animations,
                                             Completion completion);
    static void addKeyframeWithRelativeStartTime(double startTime, double relativeDuration, Animations animations);
    // Changes the view at once and covers the change with a transition from a snapshot of its
    // old look: cross-dissolve (also for the curls), flips as a squash to a line and back.
    static void transitionWithView(const std::shared_ptr<UIView>& view, NSTimeInterval duration,
                                   UIViewAnimationOptions options, Animations animations, Completion completion);
    // The older form: the changes between the two calls animate with the settings made
    // between them (0.2 s, ease-in-out by default); the stop block stands for the delegate.
    static void beginAnimations(const std::string& animationID = {});
    static void commitAnimations();
    static void setAnimationDuration(NSTimeInterval duration);
    static void setAnimationDelay(NSTimeInterval delay);
    static void setAnimationCurve(UIViewAnimationCurve curve);
    static void setAnimationRepeatCount(float count);
    static void setAnimationRepeatAutoreverses(bool autoreverses);
    static void setAnimationBeginsFromCurrentState(bool fromCurrentState);
    static void setAnimationDidStopBlock(Completion block);
    static void performWithoutAnimation(const Animations& animations);
    static bool areAnimationsEnabled();
    static void setAnimationsEnabled(bool enabled);

    // CALayerDelegate
    bool displayLayer(CALayer& layer) override;
    void layoutSublayersOfLayer(CALayer& layer) override;

protected:
    UIView(CGRect frame, LayerClass layerClass);

private:
    friend struct UIViewAnimationContext;
    void insertAt(const std::shared_ptr<UIView>& view, std::size_t index);
    void detach(UIView* view);
    // Notes the value of an animatable key path before a change, for an open animation block.
    void willChangeAnimatable(const char* keyPath);
    void boundsSizeChanged(CGSize oldSize);
    void resizeWithOldSuperviewSize(CGSize oldSize);
    void moveToWindow(UIWindow* oldWindow, UIWindow* newWindow, bool did);
    void tintChangedBelow();

    std::shared_ptr<CALayer> layer_;
    UIView* superview_ = nullptr;
    std::vector<std::shared_ptr<UIView>> subviews_;
    std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers_;
    std::shared_ptr<UIView> maskView_;
    std::optional<UIColor> backgroundColor_;
    std::optional<UIColor> tintColor_;
    UIViewContentMode contentMode_ = UIViewContentMode::ScaleToFill;
    int tag_ = 0;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool exclusiveTouch_ = false;
    UIViewAutoresizing autoresizingMask_ = UIViewAutoresizingNone;
    bool autoresizesSubviews_ = true;
    int touchBlockingAnimations_ = 0;
    enum class Draws { Unknown, Yes, No } draws_ = Draws::Unknown;
    bool baseDrawRectCalled_ = false;
};
