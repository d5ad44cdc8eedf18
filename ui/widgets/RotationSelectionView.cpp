#include "ui/widgets/RotationSelectionView.h"

#include <cmath>
#include <numbers>

#include "platform/foundation/Dispatch.h"
#include "platform/quartzcore/CABasicAnimation.h"

namespace {

constexpr double kPi = std::numbers::pi;

// The layer's transform animated linearly from where it shows now.
void animateTransform(CALayer& layer, const CATransform3D& to, double duration) {
    if (duration > 0) {
        auto animation = CABasicAnimation::animationWithKeyPath("transform");
        animation->fromValue = layer.presentation().transform;
        animation->toValue = to;
        animation->duration = duration;
        layer.addAnimation(animation, "transform");
    }
    layer.setTransform(to);
}

// Runs on the main queue later, while the view lives.
void later(const std::shared_ptr<RotationSelectionView*>& self, std::function<void(RotationSelectionView&)> work) {
    dispatch_async(dispatch_get_main_queue(), [self, work = std::move(work)] {
        if (*self) work(**self);
    });
}

}  // namespace

RotationSelectionView::RotationSelectionView(CGRect frame) : UIView(frame) { initialize(); }

void RotationSelectionView::initialize() {
    color_ = UIColor::whiteColor();
    highlightColor_ = UIColor::yellowColor();
    setMultipleTouchEnabled(false);
    setUserInteractionEnabled(true);
    setAutoresizesSubviews(true);
    layer()->setPosition({frame().size.width / 2, frame().size.height / 2});
    setClipsToBounds(true);
    leftSwipe_ = std::make_shared<UISwipeGestureRecognizer>();
    leftSwipe_->setDirection(UISwipeGestureRecognizerDirectionLeft);
    rightSwipe_ = std::make_shared<UISwipeGestureRecognizer>();
    rightSwipe_->setDirection(UISwipeGestureRecognizerDirectionRight);
    for (const auto& swipe : {leftSwipe_, rightSwipe_}) {
        swipe->addTarget(this,
                         [this](UIGestureRecognizer& g) { swipeGesture(static_cast<UISwipeGestureRecognizer&>(g)); });
        addGestureRecognizer(swipe);
    }
    tap_ = std::make_shared<UITapGestureRecognizer>();
    tap_->addTarget(this, [this](UIGestureRecognizer& g) { tapGesture(static_cast<UITapGestureRecognizer&>(g)); });
    addGestureRecognizer(tap_);
}

// ---- Items ---------------------------------------------------------------------------------

void RotationSelectionView::addItemsWithTitles(const std::vector<std::string>& titles, int spaces) {
    for (const std::string& title : titles) addItemWithTitle(title);
    addItemSpace(spaces);
    initializeItems();
}

void RotationSelectionView::place(RotationSelectionItem& item, bool indicatorOffset) {
    const CGRect f = frame();
    item.layer()->setPosition({f.size.width / 2, f.size.height / 2 + (indicatorOffset ? kIndicatorOffset : 0)});
}

std::shared_ptr<RotationSelectionItem> RotationSelectionView::addItemWithTitle(const std::string& title) {
    auto item = RotationSelectionItem::item();
    item->label()->setText(title);
    item->setColor(color_);
    item->setHighlightColor(highlightColor_);
    item->setBackgroundColor(backgroundColor());
    item->setSelected(false);
    item->label()->layer()->setShouldRasterize(true);
    later(self_, [item](RotationSelectionView& view) {
        view.insertSubview(item, view.items_.size());
        view.place(*item, view.showIndicator_);
        view.items_.push_back(item);
        if (!item->isSpace()) ++view.itemCount_;
        view.refreshItemPositions(true);
    });
    return item;
}

void RotationSelectionView::addItemSpace(int count) {
    for (int i = 0; i < count; ++i) addItemWithTitle("");
}

void RotationSelectionView::addItem(const std::shared_ptr<RotationSelectionItem>& item) {
    later(self_, [item](RotationSelectionView& view) {
        view.insertSubview(item, view.items_.size());
        view.place(*item, false);
        view.items_.push_back(item);
        view.refreshItemPositions(true);
    });
}

void RotationSelectionView::removeItem(const std::shared_ptr<RotationSelectionItem>& item) {
    later(self_, [item](RotationSelectionView& view) {
        item->removeFromSuperview();
        std::erase(view.items_, item);
        if (view.selectedItem_ == item.get()) view.selectedItem_ = nullptr;
        view.refreshItemPositions(true);
    });
}

void RotationSelectionView::initializeItems() {
    later(self_, [](RotationSelectionView& view) {
        if (view.defaultSelection_ >= 0 && view.defaultSelection_ < static_cast<int>(view.items_.size()))
            view.setSelectedItem(view.items_[view.defaultSelection_].get(), false);
        view.initializeGradient();
        if (!view.showIndicator_) return;
        auto dot = CALayer::layer();
        dot->setFrame({{view.bounds().size.width / 2 - kIndicatorSide / 2, 4}, {kIndicatorSide, kIndicatorSide}});
        dot->setCornerRadius(kIndicatorSide / 2);
        dot->setBackgroundColor(view.highlightColor_.CGColor());
        dot->setAnchorPoint({0.5, 0.5});
        dot->setAnchorPointZ(-100 - view.radius_);
        dot->setTransform(view.tilt());
        view.layer()->addSublayer(dot);
    });
}

// ---- The drum ------------------------------------------------------------------------------

CATransform3D RotationSelectionView::tilt() const { return CATransform3DMakeRotation(selectionViewAngle_, 1, 0, 0); }

double RotationSelectionView::tiltedAlpha(double angle) const {
    return angle > kPi / 2 && angle < 3 * kPi / 2 ? backItemAlpha_ : 1;
}

void RotationSelectionView::refreshItemPositions(bool animated) {
    if (items_.empty()) return;
    const double n = static_cast<double>(items_.size());
    const double w = items_.front()->frame().size.width / 2;
    radius_ = w / std::tan(kPi / n);
    angleBetweenItems_ = 2 * kPi / n;
    for (std::size_t k = 0; k < items_.size(); ++k) {
        RotationSelectionItem& item = *items_[k];
        const double theta = static_cast<double>(k) * angleBetweenItems_;
        item.setAngle(theta);
        item.layer()->setAnchorPoint({0.5, 0.5});
        item.layer()->setAnchorPointZ(-radius_);
        animateTransform(*item.layer(), CATransform3DConcat(CATransform3DMakeRotation(theta, 0, 1, 0), tilt()),
                         animated ? kStepDuration : 0);
        item.setAlpha(tiltedAlpha(theta));
    }
}

void RotationSelectionView::moveRotationSelection(double d, bool animated) {
    if (d == 0 || items_.empty()) return;
    const double duration = animated ? std::fabs(d / angleBetweenItems_) * kStepDuration : 0;
    for (const auto& shared : items_) {
        RotationSelectionItem* item = shared.get();
        item->setAngle(item->angle() + d);
        animateTransform(*item->layer(),
                         CATransform3DConcat(CATransform3DMakeRotation(d, 0, 1, 0), item->layer()->transform()),
                         duration);
        const double alpha = tiltedAlpha(item->angle());
        std::weak_ptr<RotationSelectionItem> weak = shared;
        UIView::animateWithDuration(
            duration, 0, UIViewAnimationOptionCurveLinear | UIViewAnimationOptionBeginFromCurrentState,
            [item, alpha] { item->setAlpha(alpha); },
            [weak](bool) {
                auto it = weak.lock();
                if (!it) return;
                double a = it->angle();
                while (a > 2 * kPi) a -= 2 * kPi;
                while (a < 0) a += 2 * kPi;
                it->setAngle(a);
            });
    }
}

std::size_t RotationSelectionView::indexOf(const RotationSelectionItem* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item) return i;
    return items_.size();
}

void RotationSelectionView::setSelectedItem(RotationSelectionItem* item, bool animated) {
    if (!item || item == selectedItem_) return;
    if (selectedItem_) selectedItem_->setSelected(false);
    selectedItem_ = item;
    item->setSelected(true);
    if (animated && block_) block_(indexOf(item));
    if (item->angle() >= kPi) item->setAngle(item->angle() - 2 * kPi);
    moveRotationSelection(-item->angle(), animated);
}

RotationSelectionItem* RotationSelectionView::getClosestItem() const {
    RotationSelectionItem* closest = nullptr;
    float best = static_cast<float>(kPi);
    for (const auto& item : items_) {
        if (item->isSpace() || (snapToClosestUnselectedItem_ && item.get() == selectedItem_)) continue;
        const float a = static_cast<float>(item->angle());
        const float distance = std::min(a, static_cast<float>(2 * kPi) - a);
        if (distance < best) {
            best = distance;
            closest = item.get();
        }
    }
    return closest;
}

void RotationSelectionView::setSelectedItemWithAngleDirection(double d) {
    // Without a titled item there is no first or last title to stop at.
    if (itemCount_ <= 0 || !selectedItem_) return;
    const std::size_t selected = indexOf(selectedItem_);
    if ((d > 0 && selected == 0) || (d < 0 && selected + 1 == static_cast<std::size_t>(itemCount_))) return;
    const double nudge = static_cast<float>(d * 0.1f);
    moveRotationSelection(nudge, true);
    RotationSelectionItem* closest = getClosestItem();
    if (!closest) {
        // Nothing to land on: the nudge turns back and the selection stays, untold.
        moveRotationSelection(-nudge, true);
        return;
    }
    setSelectedItem(closest);
}

void RotationSelectionView::setLeftSelectedItem() { setSelectedItemWithAngleDirection(-angleBetweenItems_); }
void RotationSelectionView::setRightSelectedItem() { setSelectedItemWithAngleDirection(angleBetweenItems_); }

void RotationSelectionView::swipeGesture(UISwipeGestureRecognizer& swipe) {
    if (swipe.direction() & UISwipeGestureRecognizerDirectionLeft) setLeftSelectedItem();
    else if (swipe.direction() & UISwipeGestureRecognizerDirectionRight) setRightSelectedItem();
}

void RotationSelectionView::tapGesture(UITapGestureRecognizer& tap) {
    const CGPoint p = tap.locationInView(this);
    const CALayer* hit = nullptr;
    for (int i = 0; i < itemCount_ && i < static_cast<int>(items_.size()) && !hit; ++i)
        hit = items_[i]->layer()->hitTest(p);
    RotationSelectionItem* item = findItemOnscreen(hit);
    if (item && !item->isSpace()) setSelectedItem(item);
}

RotationSelectionItem* RotationSelectionView::findItemOnscreen(const CALayer* layer) const {
    if (!layer) return nullptr;
    RotationSelectionItem* found = nullptr;
    for (const auto& item : items_)
        for (const auto& subview : item->subviews()) {
            if (subview->layer().get() == layer) found = item.get();
            for (const auto& inner : subview->subviews())
                if (inner->layer().get() == layer) found = item.get();
        }
    return found;
}

// ---- Look and layout -----------------------------------------------------------------------

void RotationSelectionView::initializeGradient() {
    for (auto* weak : {&leftGradient_, &rightGradient_}) {
        if (auto layer = weak->lock()) layer->removeFromSuperlayer();
        weak->reset();
    }
    const std::optional<UIColor> background = backgroundColor();
    if (!showGradientAtEdges_ || !background || background->CGColor().a == 0) return;
    const std::vector<CGColor> colors{background->colorWithAlphaComponent(1).CGColor(),
                                      background->colorWithAlphaComponent(0).CGColor()};
    const CGFloat h = bounds().size.height, w = bounds().size.width;
    auto fade = [&](CGRect frame, CGPoint start, CGPoint end) {
        auto layer = CAGradientLayer::layer();
        layer->setFrame(frame);
        layer->setColors(colors);
        layer->setStartPoint(start);
        layer->setEndPoint(end);
        layer->setAnchorPoint({0.5, 0.5});
        layer->setAnchorPointZ(-radius_);
        layer->setTransform(tilt());
        this->layer()->addSublayer(layer);
        return layer;
    };
    leftGradient_ = fade({{0, 0}, {kFadeWidth, h}}, {0, 0.5}, {1, 0.5});
    rightGradient_ = fade({{w - kFadeWidth, 0}, {kFadeWidth, h}}, {1, 0.5}, {0, 0.5});
}

void RotationSelectionView::setBackgroundColor(std::optional<UIColor> color) {
    UIView::setBackgroundColor(color);
    for (const auto& item : items_) item->setBackgroundColor(color);
    initializeGradient();
}

void RotationSelectionView::setHighlightColor(UIColor color) {
    highlightColor_ = std::move(color);
    for (const auto& item : items_) item->setHighlightColor(highlightColor_);
}

void RotationSelectionView::layoutSubviews() {
    UIView::layoutSubviews();
    refreshItems();
}

void RotationSelectionView::refreshItems() {
    for (const auto& item : items_) place(*item, false);
}
