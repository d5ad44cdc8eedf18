#include "ui/widgets/CompareView.h"

#include <algorithm>
#include <cmath>

#include "platform/quartzcore/CAShapeLayer.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIRotationGestureRecognizer.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/AnimationObserver.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/foundation/UIPanGestureRecognizer+GestureUtility.h"
#include "ui/widgets/ImageContentView.h"

namespace {

constexpr double kTwoPi = 2 * M_PI;
constexpr CGFloat kSliderWidth = 2;
constexpr CGFloat kIndicatorSide = 40;
constexpr double kFadeDuration = 0.4, kTurnDuration = 0.8;
constexpr double kShowTurn = M_PI / 8;

UIColor sliderColor() { return AppAppearance::defaultLightColor().colorWithAlphaComponent(0.4); }

CGAffineTransform rotation(double angle) { return CGAffineTransformMakeRotation(CompareView::adjustedAngle(angle)); }

std::shared_ptr<UIView> plainView(bool clips = false) {
    auto view = std::make_shared<UIView>();
    view->setBackgroundColor(UIColor::clearColor());
    view->setUserInteractionEnabled(false);
    view->setClipsToBounds(clips);
    return view;
}

void addGlow(UIView& view) {
    CALayer& layer = *view.layer();
    layer.setShadowColor(AppAppearance::defaultShadowColor().CGColor());
    layer.setShadowOpacity(0.8f);
    layer.setShadowRadius(3);
    layer.setShadowOffset(CGSizeZero);
    layer.setShouldRasterize(true);
}

// A frame with its transform set aside while it is placed.
void place(UIView& view, CGRect frame, double angle) {
    view.setTransform(CGAffineTransformIdentity);
    view.setFrame(frame);
    view.setTransform(rotation(angle));
}

bool finite(CGPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

// The recognisers' delegate: the three run together.
class CompareView::GestureRoles : public UIGestureRecognizerDelegate {
public:
    bool shouldRecognizeSimultaneously(UIGestureRecognizer&, UIGestureRecognizer&) override { return true; }
};

CompareView::CompareView(CGRect frame) : UIView(frame) { initialize(); }

CompareView::~CompareView() {
    if (panRecognizer_) containerView_->removeGestureRecognizer(panRecognizer_.get());
}

void CompareView::initialize() {
    setBackgroundColor(UIColor::clearColor());
    angleFromImage_ = true;
    constrainToImage_ = false;
    angle_ = adjustedAngle(diagonalAngle());
    roles_ = std::make_shared<GestureRoles>();
    containerView_ = std::make_shared<ContainerView>(bounds());
    containerView_->setMultipleTouchEnabled(true);  // the twist takes two fingers
    addSubview(containerView_);
    sliderView_ = plainView();
    containerView_->addSubview(sliderView_);
    sliderLeftView_ = plainView();
    sliderRightView_ = plainView();
    sliderLeftImageView_ = plainView();
    sliderRightImageView_ = plainView();
    sliderLeftImageView_->setBackgroundColor(sliderColor());
    setShowSliderEdges(true);
    sliderRightImageView_->setBackgroundColor(sliderColor());
    sliderView_->addSubview(sliderLeftView_);
    sliderView_->addSubview(sliderRightView_);
    sliderLeftRightImageMaskView_ = plainView(true);
    containerView_->addSubview(sliderLeftRightImageMaskView_);
    sliderLeftRightImageContainerView_ = plainView();
    sliderLeftRightImageMaskView_->addSubview(sliderLeftRightImageContainerView_);
    sliderLeftRightImageView_ = plainView();
    sliderLeftRightImageContainerView_->addSubview(sliderLeftRightImageView_);
    sliderLeftRightImageView_->addSubview(sliderLeftImageView_);
    sliderLeftRightImageView_->addSubview(sliderRightImageView_);
    addGlow(*sliderView_);
    addGlow(*sliderLeftRightImageView_);
    setGesturesEnabled(true);
    // Laid out once every view exists.
    layoutForBounds();
    setRelativePosition(0.5);
}

// ---- The compare picture ---------------------------------------------------------------------

UIImagePtr CompareView::compareImage() const { return compareImageView_ ? compareImageView_->image() : nullptr; }

void CompareView::setCompareImage(const UIImagePtr& image) {
    setCompareImage(image, UIViewContentMode::ScaleAspectFit);
}

void CompareView::setCompareImage(const UIImagePtr& image, const ImageContentView& fromImageView) {
    setCompareImage(image, fromImageView.contentMode());
    if (compareImageView_) compareImageView_->setZoomScaleWithContentView(fromImageView);
}

void CompareView::setCompareImage(const UIImagePtr& image, UIViewContentMode mode, bool zoomEnabled) {
    if (!image) {
        if (compareImageMaskView_) compareImageMaskView_->removeFromSuperview();
        compareImageView_.reset();
        compareImageMaskView_.reset();
        layoutViews();
        return;
    }
    const CGSize size = bounds().size;
    compareImageMaskView_ = plainView(true);
    compareImageMaskView_->setFrame(
        CGRectMake(-widthOffset_ / 2, -heightOffset_ / 2, size.width + widthOffset_, size.height + heightOffset_));
    compareImageView_ =
        std::make_shared<ImageContentView>(CGRectMake(widthOffset_ / 2, heightOffset_ / 2, size.width, size.height));
    compareImageView_->setZoomEnabled(zoomEnabled);
    compareImageView_->setUserInteractionEnabled(false);
    compareImageView_->setContentMode(mode);
    compareImageView_->setImage(image);
    compareImageMaskView_->addSubview(compareImageView_);
    containerView_->insertSubviewBelow(compareImageMaskView_, sliderView_.get());
    updateWidthAndHeightOffsetsForAngle();
    layoutViews();
}

// ---- Angles ------------------------------------------------------------------------------

double CompareView::adjustedAngle(double angle) {
    if (!std::isfinite(angle)) return 0;
    double a = std::fmod(angle, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a >= kTwoPi ? 0 : a;
}

double CompareView::angleBetweenPoints(CGPoint p1, CGPoint p2) {
    return M_PI / 2 - std::atan2(static_cast<float>(p2.y - p1.y), static_cast<float>(p2.x - p1.x));
}

double CompareView::distanceBetweenPoints(CGPoint p1, CGPoint p2) { return std::hypot(p2.x - p1.x, p2.y - p1.y); }

namespace {

CGSize referenceSize(const CompareView& view) {
    return view.angleFromImage() && view.compareImageView() ? view.imageFrame().size : view.bounds().size;
}

}  // namespace

double CompareView::nativeDiagonalAngle() const {
    const CGSize s = referenceSize(*this);
    return angleBetweenPoints(CGPointZero, CGPointMake(s.width, s.height));
}

double CompareView::diagonalAngle() const {
    const CGSize s = referenceSize(*this);
    return angleBetweenPoints(CGPointMake(20, 20), CGPointMake(s.width - 20, s.height - 20)) - M_PI / 2;
}

std::array<double, CompareView::kAngleStepCount> CompareView::angleSteps() const {
    const double d = diagonalAngle();
    return {-d,       M_PI / 2,     adjustedAngle(d + M_PI), M_PI,
            M_PI - d, 3 * M_PI / 2, adjustedAngle(d),        adjustedAngle(kTwoPi)};
}

double CompareView::firstAngleStep() const { return static_cast<float>(angleSteps()[0]); }
double CompareView::nextAngleStep() const { return static_cast<float>(angleSteps()[nextAngleStepIndex_]); }
double CompareView::previousAngleStep() const { return static_cast<float>(angleSteps()[previousAngleStepIndex_]); }

double CompareView::nextClosestAngleStep() {
    const auto steps = angleSteps();
    std::size_t closest = 0;
    double best = -2;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const double c = std::cos(steps[i] - angle_);
        if (c > best) best = c, closest = i;
    }
    const auto count = static_cast<std::int64_t>(steps.size());
    currentAngleStepIndex_ = static_cast<std::int64_t>(closest);
    if (std::sin(steps[closest] - angle_) >= 0)
        previousAngleStepIndex_ = currentAngleStepIndex_ - 1, nextAngleStepIndex_ = currentAngleStepIndex_;
    else previousAngleStepIndex_ = currentAngleStepIndex_, nextAngleStepIndex_ = currentAngleStepIndex_ + 1;
    if (previousAngleStepIndex_ < 0) previousAngleStepIndex_ = count - 1;
    if (nextAngleStepIndex_ >= count) nextAngleStepIndex_ = 0;
    return steps[closest];
}

void CompareView::setAngle(double angle) {
    angle_ = adjustedAngle(angle);
    updateWidthAndHeightOffsetsForAngle();
    layoutViews();
}

std::shared_ptr<AnimationObserver> CompareView::observeTurn(bool showing) {
    std::weak_ptr<UIView> weak = shared_from_this();
    return AnimationObserver::beginObservingAnimation(
        containerView_->layer(), "transform.rotation.z", [weak, this, showing](const CAValue& value) {
            if (weak.expired()) return;
            layoutViews();
            raiseBlockWithAngle(adjustedAngle(CAValueNumber(value)), showing);
        });
}

void CompareView::setAngle(double angle, bool animated, Completion completion) {
    if (!animated) {
        setAngle(angle);
        if (completion) completion(true);
        return;
    }
    auto observer = observeTurn(true);
    UIView::animateWithDuration(
        kTurnDuration, 0, 0.5, 1.0, UIViewAnimationOptionAllowUserInteraction, [this, angle] { setAngle(angle); },
        [observer, completion](bool finished) {
            observer->finishObservingAnimation();
            if (completion) completion(finished);
        });
}

// ---- Geometry ------------------------------------------------------------------------------

std::optional<std::array<CGPoint, 2>> CompareView::intersectionPointsOfRect(CGRect rect, CGPoint c, double angle) {
    const double minX = CGRectGetMinX(rect), maxX = CGRectGetMaxX(rect), minY = CGRectGetMinY(rect),
                 maxY = CGRectGetMaxY(rect);
    if (!finite(c) || c.x < minX || c.x > maxX || c.y < minY || c.y > maxY) return std::nullopt;
    double dx = std::cos(angle), dy = std::sin(angle);
    if (std::fabs(dx) < 1e-6) dx = 0;
    if (std::fabs(dy) < 1e-6) dy = 0;
    if (dx == 0 && dy == 0) return std::nullopt;
    const double inf = INFINITY;
    // Forward and backward exits through the vertical edges, then the horizontal ones.
    double vf = inf, vb = inf, hf = inf, hb = inf;
    double vfx = 0, vbx = 0, hfy = 0, hby = 0;
    if (dx != 0) {
        const double t1 = (minX - c.x) / dx, t2 = (maxX - c.x) / dx;
        vf = std::max(t1, t2), vb = -std::min(t1, t2);
        vfx = t2 >= t1 ? maxX : minX, vbx = t2 >= t1 ? minX : maxX;
    }
    if (dy != 0) {
        const double t1 = (minY - c.y) / dy, t2 = (maxY - c.y) / dy;
        hf = std::max(t1, t2), hb = -std::min(t1, t2);
        hfy = t2 >= t1 ? maxY : minY, hby = t2 >= t1 ? minY : maxY;
    }
    auto exit = [&](double v, double vx, double h, double hy, double sign) {
        if (v <= h) return CGPointMake(vx, c.y + sign * v * dy);
        return CGPointMake(c.x + sign * h * dx, hy);
    };
    return std::array<CGPoint, 2>{exit(vb, vbx, hb, hby, -1), exit(vf, vfx, hf, hfy, 1)};
}

CGRect CompareView::imageFrame() const {
    const CGRect b = bounds();
    CGSize size = b.size;
    if (compareImageView_ && compareImageView_->contentView()) {
        const auto& content = compareImageView_->contentView();
        size = compareImageView_->convertRectToView(content->frame(), this).size;
    }
    CGRect r = CGRectMake(b.origin.x + (b.size.width - size.width) / 2, b.origin.y + (b.size.height - size.height) / 2,
                          size.width, size.height);
    r.size.width = std::min(r.size.width, b.size.width);
    r.size.height = std::min(r.size.height, b.size.height);
    r.origin.x = std::max<CGFloat>(r.origin.x, 0);
    r.origin.y = std::max<CGFloat>(r.origin.y, 0);
    return r;
}

namespace {

// The chord of the frame through its centre at the angle, with its first end and the frame's
// corner coordinates nearest that end; nothing for an empty frame.
struct Chord {
    CGPoint p0;
    double length, rx, ry;
    bool onVerticalEdge;
};

std::optional<Chord> chordOf(CGRect f, double angle) {
    if (!(f.size.width > 0) || !(f.size.height > 0)) return std::nullopt;
    const auto points =
        CompareView::intersectionPointsOfRect(f, CGPointMake(CGRectGetMidX(f), CGRectGetMidY(f)), angle);
    if (!points) return std::nullopt;
    const CGPoint p0 = (*points)[0];
    Chord chord{p0, CompareView::distanceBetweenPoints(p0, (*points)[1]), 0, 0, false};
    chord.rx = (p0.x - f.origin.x) / f.size.width < 0.5 ? f.origin.x : f.origin.x + f.size.width;
    chord.ry = (p0.y - f.origin.y) / f.size.height < 0.5 ? f.origin.y : f.origin.y + f.size.height;
    chord.onVerticalEdge = p0.x == f.origin.x || p0.x == f.origin.x + f.size.width;
    return chord;
}

}  // namespace

double CompareView::magnitudeOfLineWithInteriorPadding(double a, double p) const {
    const auto chord = chordOf(imageFrame(), angle_);
    if (!chord) return 0;
    if (p <= 0) return chord->length;
    const double s0 = std::sin(firstAngleStep());
    const double sa = std::fabs(std::sin(a)), ca = std::fabs(std::cos(a));
    double q;
    if (chord->onVerticalEdge) q = sa < s0 ? p / ca : (p - 2 * std::fabs(chord->p0.y - chord->ry)) / sa;
    else q = sa > s0 ? p / sa : (p - 2 * std::fabs(chord->p0.x - chord->rx)) / ca;
    const double m = chord->length - q;
    return std::isfinite(m) ? m : 0;
}

double CompareView::magnitudeOfLineWithExteriorPadding(double a, double e) const {
    const auto chord = chordOf(imageFrame(), angle_);
    if (!chord) return 0;
    const double u =
        chord->onVerticalEdge ? (chord->p0.y - chord->ry) * std::sin(a) : (chord->p0.x - chord->rx) * std::cos(a);
    const double m = 2 * std::fabs(u) + 2 * e + chord->length;
    return std::isfinite(m) ? m : 0;
}

void CompareView::updateWidthAndHeightOffsetsForAngle() {
    setClipsToBounds(true);
    const CGSize s = bounds().size;
    widthOffset_ = heightOffset_ = std::hypot(static_cast<float>(s.width), static_cast<float>(s.height));
    magnitude_ = magnitudeOfLineWithInteriorPadding(angle_, padding_);
}

void CompareView::setPadding(double padding) {
    padding_ = padding;
    updateWidthAndHeightOffsetsForAngle();
    layoutViews();
}

// ---- Layout ----------------------------------------------------------------------------------

void CompareView::layoutSubviews() {
    UIView::layoutSubviews();
    const CGSize size = bounds().size;
    if (size.width == lastLaidOutSize_.width && size.height == lastLaidOutSize_.height) return;
    lastLaidOutSize_ = size;
    layoutForBounds();
    setRelativePosition(lastRelativePosition_);
}

void CompareView::layoutForBounds() {
    updateWidthAndHeightOffsetsForAngle();
    const CGRect b = bounds();
    place(*containerView_, b, 0);
    if (compareImageMaskView_)
        place(*compareImageMaskView_,
              CGRectMake(-widthOffset_ / 2, -heightOffset_ / 2, b.size.width + widthOffset_,
                         b.size.height + heightOffset_),
              0);
    if (compareImageView_)
        place(*compareImageView_, CGRectMake(widthOffset_ / 2, heightOffset_ / 2, b.size.width, b.size.height), 0);
}

double CompareView::layoutSliderView(double p) {
    const double m = lastRelativePosition_ >= 0 && lastRelativePosition_ <= 1
                         ? magnitude_
                         : magnitudeOfLineWithExteriorPadding(angle_, currentAngleStepIndex_ == 5 ? -1.5 : -1.0);
    const double w = containerView_->bounds().size.width;
    const double q = std::isfinite(p) ? std::min(std::max(p, (w - m) / 2), (w + m) / 2) : w / 2;
    const CGFloat height = bounds().size.height + heightOffset_;
    const CGRect strip = CGRectMake(q, -heightOffset_ / 2, kSliderWidth, height);
    sliderView_->setFrame(strip);
    sliderLeftRightImageView_->setFrame(strip);
    currentPosition_ = std::isfinite(p) ? p : q;

    const CGPoint c = containerView_->convertPointToView(sliderView_->center(), this);
    const CGRect image = imageFrame();
    const CGPoint k = CGPointMake(kSliderWidth / 2, height / 2);
    const bool inside = c.x >= CGRectGetMinX(image) && c.x <= CGRectGetMaxX(image) && c.y >= CGRectGetMinY(image) &&
                        c.y <= CGRectGetMaxY(image);
    if (inside) {
        const CGFloat r = indicatorView_ ? indicatorView_->bounds().size.width / 2 : 0;
        const CGFloat h = std::hypot(containerView_->bounds().size.width, containerView_->bounds().size.height) / 2;
        sliderLeftView_->setFrame(CGRectMake(0, k.y + r, kSliderWidth, h));
        sliderLeftImageView_->setFrame(CGRectMake(0, k.y + r, kSliderWidth, h));
        sliderRightImageView_->setFrame(CGRectMake(0, k.y - r - h, kSliderWidth, h));
        sliderRightView_->setFrame(CGRectMake(0, k.y - r - h, kSliderWidth, h));
    }
    sliderLeftImageView_->setHidden(!inside);
    sliderRightImageView_->setHidden(!inside);
    if (indicatorView_) indicatorView_->setCenter(k);
    return q;
}

void CompareView::layoutViewsWithPosition(double p) {
    double q = layoutSliderView(p);
    if (handlingPanGesture_ && constrainToImage_ && indicatorView_) {
        const CGRect ring = sliderView_->convertRectToView(indicatorView_->frame(), this);
        const CGRect image = imageFrame();
        const bool within = CGRectGetMinX(ring) >= CGRectGetMinX(image) &&
                            CGRectGetMaxX(ring) <= CGRectGetMaxX(image) &&
                            CGRectGetMinY(ring) >= CGRectGetMinY(image) && CGRectGetMaxY(ring) <= CGRectGetMaxY(image);
        if (!within) q = layoutSliderView(lastPosition_);
    }
    const CGSize size = bounds().size;
    if (compareImageMaskView_)
        compareImageMaskView_->setFrame(
            CGRectMake(-widthOffset_ / 2, -heightOffset_ / 2, q + widthOffset_ / 2, size.height + heightOffset_));
    const CGRect image = imageFrame();
    for (UIView* view : {sliderLeftRightImageMaskView_.get(), sliderLeftRightImageContainerView_.get()}) {
        view->setTransform(CGAffineTransformIdentity);
        view->setFrame(image);
        view->setBounds(image);
    }
    setTurn(angle_);
    raiseBlock();
    lastPosition_ = q;
}

void CompareView::setTurn(double angle) {
    containerView_->setTransform(rotation(angle));
    if (compareImageView_) compareImageView_->setTransform(rotation(-angle));
    sliderLeftRightImageMaskView_->setTransform(rotation(-angle));
    sliderLeftRightImageContainerView_->setTransform(rotation(angle));
}

double CompareView::relativePosition() const {
    const double w = bounds().size.width;
    const double k = w > 0 ? magnitude_ / w : 0;
    if (!(k > 0)) return 0.5;
    return (currentPosition_ / w - (0.5 - k / 2)) / k;
}

void CompareView::setRelativePosition(double relative) {
    lastRelativePosition_ = relative;
    const double w = bounds().size.width;
    const double k = w > 0 ? magnitude_ / w : 0;
    setPosition(((0.5 - k / 2) + k * relative) * w);
}

void CompareView::setRelativePosition(double relative, bool animated, Completion completion) {
    setRelativePosition(relative, animated ? kFadeDuration : 0, std::move(completion));
}

void CompareView::setRelativePosition(double relative, double duration, Completion completion) {
    std::weak_ptr<UIView> weak = shared_from_this();
    UIView::animateWithDuration(
        duration, 0, 0.8, 1.0, UIViewAnimationOptionAllowUserInteraction,
        [this, relative] { setRelativePosition(relative); },
        [weak, this, completion](bool finished) {
            if (weak.expired()) return;
            layoutViews();
            if (completion) completion(finished);
        });
}

void CompareView::raiseBlock() {
    const bool showing = superview() != nullptr && containerView_->alpha() != 0;
    raiseBlockWithAngle(angle_, showing);
}

void CompareView::raiseBlockWithAngle(double angle, bool showing) {
    if (!block_) return;
    const CGPoint centre = containerView_->convertPointToView(sliderView_->center(), this);
    if (finite(centre) && std::isfinite(angle)) block_(showing, angle, centre);
}

// ---- Divider looks ---------------------------------------------------------------------------

void CompareView::setShowSlider(bool show) {
    sliderView_->setHidden(!show);
    sliderLeftRightImageView_->setHidden(!show);
}

void CompareView::setShowSliderEdges(bool show) {
    showSliderEdges_ = show;
    const UIColor faint = show ? sliderColor().colorWithAlphaComponent(0.05) : UIColor::clearColor();
    sliderLeftView_->setBackgroundColor(faint);
    sliderRightView_->setBackgroundColor(faint);
}

void CompareView::setAngleFromImage(bool fromImage) {
    angleFromImage_ = fromImage;
    updateWidthAndHeightOffsetsForAngle();
    layoutViews();
}

void CompareView::setShowIndicator(bool show) {
    if (show == showIndicator()) return;
    if (indicatorView_) indicatorView_->removeFromSuperview();
    indicatorView_.reset();
    chevrons_.clear();
    if (!show) return;
    indicatorView_ = plainView();
    indicatorView_->setFrame(CGRectMake(0, 0, kIndicatorSide, kIndicatorSide));
    CALayer& ring = *indicatorView_->layer();
    ring.setBorderColor(sliderColor().CGColor());
    ring.setBorderWidth(2);
    ring.setCornerRadius(kIndicatorSide / 2);
    sliderView_->addSubview(indicatorView_);
    for (int i = 0; i < 2; ++i) {
        auto chevron = std::make_shared<CAShapeLayer>();
        chevron->setFrame(CGRectMake(15, 17.5, 10, 5));
        auto path = CGPathCreateMutable();
        CGPathMoveToPoint(path, nullptr, 0, 0);
        CGPathAddLineToPoint(path, nullptr, 5, 5);
        CGPathAddLineToPoint(path, nullptr, 10, 0);
        chevron->setPath(path);
        chevron->setLineWidth(2);
        chevron->setStrokeColor(sliderColor().CGColor());
        chevron->setFillColor(std::nullopt);
        ring.addSublayer(chevron);
        chevrons_.push_back(chevron);
    }
    setIndicatorArrowAngle(0);
    layoutViews();
}

void CompareView::setIndicatorArrowAngle(double a) {
    if (chevrons_.size() != 2) return;
    chevrons_[0]->setTransform(CATransform3DTranslate(CATransform3DMakeRotation(a + 3 * M_PI / 2, 0, 0, 1), 7, 0, 0));
    chevrons_[1]->setTransform(CATransform3DTranslate(CATransform3DMakeRotation(a - 3 * M_PI / 2, 0, 0, 1), -7, 0, 0));
}

// ---- Gestures ------------------------------------------------------------------------------

void CompareView::setGesturesEnabled(bool enabled) {
    for (auto* recognizer : {static_cast<UIGestureRecognizer*>(panRecognizer_.get()),
                             static_cast<UIGestureRecognizer*>(rotateRecognizer_.get()),
                             static_cast<UIGestureRecognizer*>(longPressRecognizer_.get())})
        if (recognizer) containerView_->removeGestureRecognizer(recognizer);
    panRecognizer_.reset();
    rotateRecognizer_.reset();
    longPressRecognizer_.reset();
    if (!enabled) return;
    panRecognizer_ = std::make_shared<UIPanGestureRecognizer>();
    panRecognizer_->addTarget(this,
                              [this](UIGestureRecognizer& r) { handlePan(static_cast<UIPanGestureRecognizer&>(r)); });
    rotateRecognizer_ = std::make_shared<UIRotationGestureRecognizer>();
    rotateRecognizer_->addTarget(
        this, [this](UIGestureRecognizer& r) { handleRotate(static_cast<UIRotationGestureRecognizer&>(r)); });
    longPressRecognizer_ = std::make_shared<UILongPressGestureRecognizer>();
    longPressRecognizer_->addTarget(
        this, [this](UIGestureRecognizer& r) { handleLongPress(static_cast<UILongPressGestureRecognizer&>(r)); });
    for (const std::shared_ptr<UIGestureRecognizer>& recognizer :
         {std::static_pointer_cast<UIGestureRecognizer>(panRecognizer_),
          std::static_pointer_cast<UIGestureRecognizer>(rotateRecognizer_),
          std::static_pointer_cast<UIGestureRecognizer>(longPressRecognizer_)}) {
        recognizer->setDelegate(roles_);
        containerView_->addGestureRecognizer(recognizer);
    }
}

void CompareView::handlePan(UIPanGestureRecognizer& pan) {
    const double m = magnitude_;
    const double w = pan.view() ? pan.view()->bounds().size.width : bounds().size.width;
    handlingPanGesture_ = true;
    const double p = GestureUtility::relativeValueAfterXTranslation(
        pan, [this] { return position(); }, pan.view(), (w - m) / 2, (w + m) / 2);
    setPosition(p);
    // Where the user left it is what a change of size keeps.
    lastRelativePosition_ = relativePosition();
    handlingPanGesture_ = false;
}

void CompareView::handleRotate(UIRotationGestureRecognizer& gesture) {
    const double r = gesture.rotation();
    const auto state = gesture.state();
    if (state == UIGestureRecognizerState::Began || state == UIGestureRecognizerState::Possible) {
        if (panRecognizer_) panRecognizer_->setEnabled(false);
        rotationStartAngle_ = static_cast<float>(angle_);
    }
    setAngle(rotationStartAngle_ + r);
    const double closest = nextClosestAngleStep();
    if (state == UIGestureRecognizerState::Ended || state == UIGestureRecognizerState::Cancelled ||
        state == UIGestureRecognizerState::Failed) {
        if (panRecognizer_) panRecognizer_->setEnabled(true);
        if (useVelocityRotation_ && std::fabs(r) < -diagonalAngle())
            setAngle(r < 0 ? previousAngleStep() : nextAngleStep(), true);
        else setAngle(closest, true);
    }
}

void CompareView::handleLongPress(UILongPressGestureRecognizer& press) {
    if (!longPressBlock_) return;
    const auto state = press.state();
    if (state == UIGestureRecognizerState::Began) longPressBlock_(true);
    else if (state == UIGestureRecognizerState::Ended || state == UIGestureRecognizerState::Cancelled ||
             state == UIGestureRecognizerState::Failed)
        longPressBlock_(false);
}

// ---- Show and hide ---------------------------------------------------------------------------

void CompareView::animateCompareView(bool show, Completion completion) {
    if (show) setAngle(firstAngleStep());
    auto observer = observeTurn(show);
    containerView_->setAlpha(show ? 0 : 1);
    UIView::animateWithDuration(
        kFadeDuration, 0, 0.8, 1.0, 0, [this, show] { containerView_->setAlpha(show ? 1 : 0); }, completion);
    const double start = show ? adjustedAngle(angle_ - kShowTurn) : angle_;
    const double end = show ? angle_ : adjustedAngle(angle_ - kShowTurn);
    setTurn(start);
    UIView::animateWithDuration(
        kTurnDuration, 0, 0.5, 1.0, 0, [this, end] { setTurn(end); },
        [observer, completion](bool finished) {
            observer->finishObservingAnimation();
            if (completion) completion(finished);
        });
}
