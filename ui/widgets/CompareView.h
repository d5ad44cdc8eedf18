#pragma once
// The before/after view. It lies over a processed picture and shows a second picture (the
// unprocessed photo, or the state before an edit) on one side of a straight divider only. The
// divider is dragged across the picture, twisted to angles that snap to the picture's axes and
// diagonals, held down, and faded in and out with a turn. Owners give it the compare picture,
// a padding, flags and two blocks, and drive it through a relative position: 0 and 1 are the
// ends of the divider's travel, 0.5 the middle; beyond [0, 1] the travel reaches past the
// picture's corners, so 1.1 shows the whole compare picture.
//
// Geometry: the container (frame = bounds) turns by `angle` about the centre; the divider is a
// 2-point strip at x = `position` in the container's turned frame; the compare picture is
// clipped to the container's x < position and turned back upright. The travel (`magnitude`) is
// the chord of the image frame through its centre at the angle, shortened by the padding.
// Empty bounds or an empty image frame give no travel and a relative position of 0.5.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "ui/widgets/ContainerView.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class AnimationObserver;
class ImageContentView;
class UILongPressGestureRecognizer;
class UIPanGestureRecognizer;
class UIRotationGestureRecognizer;

class CompareView : public UIView {
public:
    // Every layout and animation frame: whether the compare shows, the angle, and the
    // divider's middle in this view's coordinates.
    using Block = std::function<void(bool showing, double angle, CGPoint centre)>;
    using LongPressBlock = std::function<void(bool began)>;
    using Completion = std::function<void(bool finished)>;
    static constexpr std::size_t kAngleStepCount = 8;

    explicit CompareView(CGRect frame = CGRectZero);
    ~CompareView() override;

    // ---- The compare picture -------------------------------------------------------------
    UIImagePtr compareImage() const;
    // Aspect fit, zoomable.
    void setCompareImage(const UIImagePtr& image);
    void setCompareImage(const UIImagePtr& image, UIViewContentMode mode, bool zoomEnabled = true);
    // The content mode and zoom of the view the picture lies over, so that both line up.
    void setCompareImage(const UIImagePtr& image, const ImageContentView& fromImageView);
    const std::shared_ptr<ImageContentView>& compareImageView() const { return compareImageView_; }
    const std::shared_ptr<UIView>& compareImageMaskView() const { return compareImageMaskView_; }

    // ---- Divider -------------------------------------------------------------------------
    double position() const { return currentPosition_; }
    void setPosition(double position) { layoutViewsWithPosition(position); }
    double relativePosition() const;
    void setRelativePosition(double relative);
    void setRelativePosition(double relative, bool animated, Completion completion = nullptr);
    void setRelativePosition(double relative, double duration, Completion completion);
    double lastPosition() const { return lastPosition_; }

    double angle() const { return angle_; }
    void setAngle(double angle);
    // A spring of 0.8 s; every frame lays out and reports.
    void setAngle(double angle, bool animated, Completion completion = nullptr);
    double padding() const { return padding_; }
    void setPadding(double padding);
    double magnitude() const { return magnitude_; }

    bool showIndicator() const { return indicatorView_ != nullptr; }
    void setShowIndicator(bool show);
    void setShowSlider(bool show);
    bool showSliderEdges() const { return showSliderEdges_; }
    void setShowSliderEdges(bool show);
    bool gesturesEnabled() const { return panRecognizer_ != nullptr; }
    void setGesturesEnabled(bool enabled);
    bool angleFromImage() const { return angleFromImage_; }
    void setAngleFromImage(bool fromImage);
    void setBlock(Block block) { block_ = std::move(block); }
    void setLongPressBlock(LongPressBlock block) { longPressBlock_ = std::move(block); }

    // Shows (fades in while turning by π/8 into place) or hides the divider layer. The
    // completion runs when the fade ends (0.4 s) and again when the turn ends (0.8 s).
    void animateCompareView(bool show, Completion completion);

    // ---- Angles --------------------------------------------------------------------------
    double nativeDiagonalAngle() const;
    double diagonalAngle() const;
    // θ, π/2, π − θ, π, π + θ, 3π/2, 2π − θ, 0 with θ the inset diagonal's angle.
    std::array<double, kAngleStepCount> angleSteps() const;
    double firstAngleStep() const;
    double nextAngleStep() const;
    double previousAngleStep() const;
    // The step nearest the angle; notes it and the steps either side.
    double nextClosestAngleStep();
    std::int64_t currentAngleStepIndex() const { return currentAngleStepIndex_; }

    // ---- Geometry ------------------------------------------------------------------------
    static double adjustedAngle(double angle);
    static double angleBetweenPoints(CGPoint p1, CGPoint p2);
    static double distanceBetweenPoints(CGPoint p1, CGPoint p2);
    // Where the line through the point at the angle leaves the rectangle: backwards first,
    // then forwards; nullopt when the point is outside.
    static std::optional<std::array<CGPoint, 2>> intersectionPointsOfRect(CGRect rect, CGPoint centre, double angle);
    double magnitudeOfLineWithInteriorPadding(double angle, double padding) const;
    double magnitudeOfLineWithExteriorPadding(double angle, double padding) const;
    // The picture's frame in this view (the bounds without a compare picture), within the bounds.
    CGRect imageFrame() const;

    void layoutSubviews() override;
    void layoutViews() { layoutViewsWithPosition(currentPosition_); }

    const std::shared_ptr<ContainerView>& containerView() const { return containerView_; }
    const std::shared_ptr<UIView>& sliderView() const { return sliderView_; }
    const std::shared_ptr<UIView>& indicatorView() const { return indicatorView_; }
    UIPanGestureRecognizer* panRecognizer() const { return panRecognizer_.get(); }

private:
    class GestureRoles;
    void initialize();
    void updateWidthAndHeightOffsetsForAngle();
    void layoutForBounds();
    void layoutViewsWithPosition(double position);
    double layoutSliderView(double position);
    void raiseBlock();
    void raiseBlockWithAngle(double angle, bool showing);
    void setIndicatorArrowAngle(double angle);
    void setTurn(double angle);
    void handlePan(UIPanGestureRecognizer& pan);
    void handleRotate(UIRotationGestureRecognizer& rotation);
    void handleLongPress(UILongPressGestureRecognizer& press);
    std::shared_ptr<AnimationObserver> observeTurn(bool showing);

    std::shared_ptr<ContainerView> containerView_;
    std::shared_ptr<ImageContentView> compareImageView_;
    std::shared_ptr<UIView> compareImageMaskView_;
    std::shared_ptr<UIView> sliderView_, sliderLeftView_, sliderRightView_;
    std::shared_ptr<UIView> sliderLeftRightImageMaskView_, sliderLeftRightImageContainerView_,
        sliderLeftRightImageView_;
    std::shared_ptr<UIView> sliderLeftImageView_, sliderRightImageView_;
    std::shared_ptr<UIView> indicatorView_;
    std::vector<std::shared_ptr<CALayer>> chevrons_;
    std::shared_ptr<GestureRoles> roles_;
    std::shared_ptr<UIPanGestureRecognizer> panRecognizer_;
    std::shared_ptr<UIRotationGestureRecognizer> rotateRecognizer_;
    std::shared_ptr<UILongPressGestureRecognizer> longPressRecognizer_;

    double angle_ = 0, padding_ = 0, widthOffset_ = 0, heightOffset_ = 0, magnitude_ = 0;
    double currentPosition_ = 0, lastPosition_ = 0, lastRelativePosition_ = 0.5, rotationStartAngle_ = 0;
    std::int64_t previousAngleStepIndex_ = 0, currentAngleStepIndex_ = 0, nextAngleStepIndex_ = 0;
    bool showSliderEdges_ = true, angleFromImage_ = true, useVelocityRotation_ = true, constrainToImage_ = false;
    bool handlingPanGesture_ = false;
    CGSize lastLaidOutSize_ = CGSizeZero;
    Block block_;
    LongPressBlock longPressBlock_;
};
