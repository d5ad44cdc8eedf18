// The compare state: the unprocessed (or cropped) photo on the near side of a divider laid over
// the processed picture, "Reset" / "Compare" / "Done" in the bar and "Show Original" below. On
// the live camera the divider drives the engine's own split.
#include "app/AmbrelViewController.h"
#include "ui/widgets/CompareView.h"
#include "model/DeviceUtility.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/TitleButtonView.h"

namespace {

constexpr CGFloat kCompareOutset = 0.01;
constexpr double kComparePadding = 40;
constexpr double kResetFadeDuration = 0.2;
// Past the far edge: the whole picture shows the compare image.
constexpr double kShowOriginalPosition = 1.1;
constexpr double kRestingPosition = 0.5;

}  // namespace

void AmbrelViewController::animateCompareView(bool show) {
    enablePreviewing(!show);
    if (show) animateNavigationItemForCompareView();
    animateTypeView(!show);
    animateExpandCollapseView(!show);
    if (DeviceUtility::isIPad()) animateCameraViewButton(!show);
    animateButtonMenuView(
        [this] {
            auto menu = std::make_shared<ButtonMenuView>(bottomView_->bounds());
            animateCompareButtonMenuView(*menu);
            return menu;
        },
        show);

    if (!show) {
        std::shared_ptr<CompareView> leaving = compareView_;
        if (!leaving) return;
        std::weak_ptr<UIViewController> weak = weak_from_this();
        // The completion comes twice (fade, then turn): the view goes once, and a compare view
        // shown again meanwhile stays.
        leaving->animateCompareView(false, [this, weak, leaving](bool) {
            if (weak.expired()) return;
            if (leaving->superview()) leaving->removeFromSuperview();
            if (compareView_ == leaving) compareView_ = nullptr;
        });
        return;
    }

    graphicsView_->resetZoomScaleAndContentOffset(false, [this](bool) {
        const CGRect frame = CGRectInset(graphicsView_->frame(), -kCompareOutset, -kCompareOutset);
        auto compare = std::make_shared<CompareView>(frame);
        compare->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        compare->setShowIndicator(true);
        compare->setPadding(kComparePadding);
        const UIImagePtr image =
            graphicsView_->croppedImage() ? graphicsView_->croppedImage() : graphicsView_->unprocessedImage();
        compare->setCompareImage(image, *graphicsView_);
        auto appeared = std::make_shared<bool>(false);
        std::weak_ptr<CompareView> weakCompare = compare;
        compare->setBlock([this, appeared, weakCompare](bool showing, double angle, CGPoint centre) {
            graphicsView_->animateForCompare(showing, angle, centre);
            auto view = weakCompare.lock();
            if (!*appeared || !view) return;
            if (angle == view->firstAngleStep() && view->relativePosition() == kRestingPosition) return;
            if (showingOriginal_ || resetting_) return;
            auto item = navigationItem().leftBarButtonItem();
            if (auto reset = item ? std::dynamic_pointer_cast<TitleButtonView>(item->customView()) : nullptr) {
                auto button = std::static_pointer_cast<UIView>(reset->button().shared_from_this());
                UIView::animateWithDuration(kResetFadeDuration, [button] { button->setAlpha(1); });
            }
        });
        compare->setLongPressBlock([](bool) {});
        view()->insertSubviewBelow(compare, bottomView_.get());
        compareView_ = compare;
        compare->animateCompareView(true, [appeared](bool) { *appeared = true; });
    });
}

void AmbrelViewController::animateNavigationItemForCompareView() {
    auto done = std::make_shared<TitleButtonView>("Done");
    done->setBlock([this] { animateCompareView(false); });
    auto reset = std::make_shared<TitleButtonView>("Reset");
    reset->button().setTitleColor(AppAppearance::tintColor(), UIControlStateNormal);
    reset->button().setAlpha(0);
    std::weak_ptr<TitleButtonView> weakReset = reset;
    reset->setBlock([this, weakReset] {
        if (!compareView_) return;
        resetting_ = true;
        compareView_->setAngle(compareView_->firstAngleStep(), true, [this](bool) { resetting_ = false; });
        compareView_->setRelativePosition(kRestingPosition, true);
        if (auto button = weakReset.lock()) {
            auto shown = std::static_pointer_cast<UIView>(button->button().shared_from_this());
            UIView::animateWithDuration(kResetFadeDuration, [shown] { shown->setAlpha(0); });
        }
    });
    leftItemView_ = reset;
    rightItemView_ = done;
    UINavigationItem& item = navigationItem();
    item.setLeftBarButtonItem(UIBarButtonItem::itemWithCustomView(reset), true);
    item.setRightBarButtonItem(UIBarButtonItem::itemWithCustomView(done), true);
    item.setTitleView(AppAppearance::titleViewWithString("Compare"));
}

void AmbrelViewController::animateCompareButtonMenuView(ButtonMenuView& menu) {
    menu.addButtonWithString(
        "Show Original", AppAppearance::tintColor(), [this](NSObject&) { animateShowOriginal(); },
        [this](NSObject&) { animateShowOriginalFinished(); });
}

void AmbrelViewController::animateShowOriginal() {
    if (!compareView_) return;
    showingOriginal_ = true;
    showingOriginalPosition_ = compareView_->relativePosition();
    compareView_->setRelativePosition(kShowOriginalPosition, true);
}

void AmbrelViewController::animateShowOriginalFinished() {
    if (!compareView_) {
        showingOriginal_ = false;
        return;
    }
    compareView_->setRelativePosition(showingOriginalPosition_, true, [this](bool) { showingOriginal_ = false; });
}
