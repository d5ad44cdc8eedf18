// The camera view's square crop overlay (its mask, springing between the whole view and the
// centred square), the composition grid over what is visible, and the supplementary views.
#include <algorithm>

#include "engine/view/GraphicsView.h"
#include "model/AmbrelAppSettings.h"
#include "ui/widgets/GridView.h"

namespace {

// The centred square of the shorter side.
CGRect centredSquare(CGRect bounds) {
    const CGFloat side = std::min(bounds.size.width, bounds.size.height);
    return CGRectMake(CGRectGetMidX(bounds) - side / 2, CGRectGetMidY(bounds) - side / 2, side, side);
}

// The visible part: the mask's square, or the whole view without a mask.
CGRect visibleFrame(const UIView& view) {
    const auto& mask = view.maskView();
    return mask && !mask->subviews().empty() ? mask->subviews().front()->frame() : view.bounds();
}

}  // namespace

void GraphicsView::setSquareAspectRatio(bool square, bool animated) {
    squareAspectRatio_ = square;
    const NSTimeInterval duration = animated ? kSquareAnimationDuration : 0;
    const auto spring = [duration](UIView::Animations animations, UIView::Completion completion) {
        UIView::animateWithDuration(duration, 0, kSquareSpringDamping, 1.0, 0, std::move(animations),
                                    std::move(completion));
    };
    const std::weak_ptr<UIView> weakGrid = gridView_;
    if (square) {
        const CGRect b = bounds();
        auto mask = std::make_shared<UIView>(b);
        mask->setBackgroundColor(UIColor::clearColor());
        auto visible = std::make_shared<UIView>(mask->bounds());
        visible->setBackgroundColor(UIColor::blackColor());
        mask->addSubview(visible);
        setMaskView(mask);
        spring(
            [mask, visible, weakGrid] {
                visible->setFrame(centredSquare(mask->bounds()));
                if (auto grid = weakGrid.lock()) grid->setFrame(visible->frame());
            },
            nullptr);
        return;
    }
    const std::shared_ptr<UIView> mask = maskView();
    if (!mask) return;
    const std::shared_ptr<UIView> visible = mask->subviews().empty() ? nullptr : mask->subviews().front();
    const std::weak_ptr<UIView> weakSelf = shared_from_this();
    spring(
        [mask, visible, weakGrid] {
            if (visible) visible->setFrame(mask->bounds());
            if (auto grid = weakGrid.lock()) grid->setFrame(mask->bounds());
        },
        [weakSelf, mask](bool) {
            // Unless the square came back meanwhile with a mask of its own.
            if (auto self = weakSelf.lock(); self && self->maskView() == mask) self->setMaskView(nullptr);
        });
}

void GraphicsView::layoutSquareOverlay() {
    const std::shared_ptr<UIView>& mask = maskView();
    if (!mask || mask->bounds().size == bounds().size) return;
    mask->setFrame(bounds());
    const CGRect visible = squareAspectRatio_ ? centredSquare(bounds()) : bounds();
    if (!mask->subviews().empty()) mask->subviews().front()->setFrame(visible);
    if (gridView_) gridView_->setFrame(visible);
}

void GraphicsView::setSquareAspectRatioHidden(bool hidden) {
    if (!hidden && restoreSquareAspectRatio_) {
        setSquareAspectRatio(true, false);
        restoreSquareAspectRatio_ = false;
    } else if (hidden && squareAspectRatio_) {
        restoreSquareAspectRatio_ = true;
        setSquareAspectRatio(false, false);
    }
    if (camera()) camera()->setSquareAspectRatioHidden(hidden);
}

void GraphicsView::showGridView(bool show) {
    if (show && AmbrelAppSettings::sharedInstance().showGrid()) {
        if (gridView_) return;
        auto grid = std::make_shared<GridView>(visibleFrame(*this));
        grid->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        grid->setAlpha(kGridAlpha);
        gridView_ = grid;
        addSubview(grid);
        return;
    }
    if (gridView_) gridView_->removeFromSuperview();
    gridView_ = nullptr;
}

void GraphicsView::showSupplementaryViews(bool show) {
    if (camera()) camera()->showSupplementaryViews(show);
    showGridView(show);
}
