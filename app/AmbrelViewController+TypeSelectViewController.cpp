// The editing controls: the list selector, the picker, the strength ring and slider, bound to
// the editing model. The current list (`type`) changes with the selector; its blocks bring
// every selection and value change back here, and the screen follows: ring, slider, the
// selector's highlight and, for a mode, the application's tint.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/AmbrelViewController.h"
#include "app/controls/CollectionView.h"
#include "app/ExpandCollapseView.h"
#include "app/controls/TypeSelectView.h"
#include "model/DeviceUtility.h"
#include "model/GraphicsTypeController.h"
#include "model/Type.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "screens/help/HelpEditView.h"
#include "screens/help/HelpViewController.h"
#include "screens/modeinfo/ModeInfoViewController.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/foundation/DispatchUtility.h"
#include "ui/foundation/NSObject+DebounceUtility.h"
#include "ui/foundation/UIAlertView+BlockUtility.h"
#include "ui/widgets/CompareButtonView.h"
#include "ui/widgets/SettingsButtonView.h"

namespace {

constexpr double kTypeViewDuration = 0.4;
constexpr double kCollectionViewDuration = 0.6;
constexpr double kFlipDuration = 0.4;
constexpr double kResetRotationDuration = 0.4;
constexpr double kHintDuration = 2.0;
constexpr const char* kModeInfoHintKey = "modeInfoHint";
constexpr double kResetSpringDuration = 0.4;
constexpr double kShrinkDuration = 0.2, kShrinkScale = 0.5;
constexpr CGFloat kPickerHeight = 60, kPickerLift = 4;
constexpr CGFloat kPadSelectorWidening = 88;
constexpr double kAdjustmentColorBlend = 0.2;
constexpr int kAnalogousSlices = 70;

// Whether the selected mode's category has an information screen not seen yet (a mode list
// without categories has none).
bool modeInfoDue() {
    const CollectionObject* category = TypeController::sharedInstance().modeType().selectedCategory();
    return category && ModeInfoViewController::shouldShowModeInfoForCategory(*category);
}

}  // namespace

// ---- Screen build --------------------------------------------------------------------------

void AmbrelViewController::makeTypeSelectViews() {
    UIView& main = *view();
    const CGSize size = main.bounds().size;
    const CGFloat toolbar = AppConstants::defaultToolbarHeight();
    typeSelectView_ = std::make_shared<TypeSelectView>(CGRectMake(0, 0, size.width * 0.6, 40));
    bottomView_->addSubview(typeSelectView_);
    collectionView_ = CollectionView::create(
        CGRectMake(0, size.height - toolbar - kPickerHeight - kPickerLift, size.width, kPickerHeight));
    // Over the lower part of the slider (whose arc runs along its top), so that the picker takes
    // its own taps and drags.
    main.insertSubviewAbove(collectionView_, slideView_.get());
}

void AmbrelViewController::initializeTypeViews() {
    // The lists drive the engine of the picture's view: handed over before they are built,
    // which applies the default selections; the state right after is the default one.
    GraphicsTypeController::setEngine(graphicsView_->graphicsView().get());
    TypeController::sharedInstance();
    StateController::sharedInstance();
    // The help explains the chevron with the screen's own, turned to its other state.
    HelpEditView::setChevronMaker([](CGRect frame) -> std::shared_ptr<UIView> {
        auto chevron = std::make_shared<ExpandCollapseView>(frame);
        chevron->toggleExpanded();
        return chevron;
    });

    // 8. The picker.
    collectionView_->setAlpha(0);
    collectionView_->setWillSelectBlock(
        [this](CollectionView&, CollectionObject& object) { typeSelectionObjectWillSelect(object); });
    collectionView_->setHeaderWillSelectBlock([this](CollectionView&) { typeSelectionCategoryWillSelect(); });
    collectionView_->setHeaderSelectedBlock([this](CollectionView&) { typeSelectionCategorySelected(); });

    // 9. The list selector.
    typeSelectView_->setAlpha(0);
    typeSelectView_->setBlock([this](int lastType, int type) { typeSelectionChanged(type, lastType); });
    typeSelectView_->setSelectBlock([this](int type) {
        if (type == TypeController::TypeSelectionColor) animateColorMenuView();
        else if (type == TypeController::TypeSelectionMode) animateModeMenuView();
    });
    typeSelectView_->setType(TypeController::TypeSelectionMode);
    if (DeviceUtility::isIPad())
        typeSelectView_->setFrame(CGRectInset(typeSelectView_->frame(), -kPadSelectorWidening, 0));
}

void AmbrelViewController::layoutTypeViews() {
    PositioningUtility::positionViewAtRelativeXY(*typeSelectView_, 0.38, 0.4, *bottomView_);
}

// ---- A. Kind switch ------------------------------------------------------------------------

void AmbrelViewController::typeSelectionChanged(int newType, int lastType) {
    if (type_) type_->setContentOffset(collectionView_->contentOffset());
    const bool forward = newType > lastType;
    Type* type = TypeController::sharedInstance().typeForTypeSelection(newType);
    if (!type) return;
    type_ = type;
    type->selectedObjectSelected = [this](bool userInteraction) { typeSelectionObjectSelected(userInteraction); };
    type->selectedObjectChangedBlock = [this](bool userInteraction) { typeSelectionObjectChanged(userInteraction); };
    type->selectedObjectUpdatedBlock = [this] { typeSelectionObjectUpdated(); };
    type->valueChangedBlock = [this] { typeSelectionValueChanged(); };
    type->valueWillBeginChangeBlock = [this] { typeSelectionValueWillBeginChange(); };
    type->valueWillFinishChangeBlock = [this] { typeSelectionValueWillFinishChange(); };
    animateTypeViewForTypeChanged(forward);
}

void AmbrelViewController::detachTypeSelection() {
    TypeController* lists = TypeController::existingInstance();
    if (!lists) return;
    for (Type* type : {&lists->colorType(), &lists->modeType(), &lists->adjustType()}) {
        type->selectedObjectSelected = nullptr;
        type->selectedObjectChangedBlock = nullptr;
        type->selectedObjectUpdatedBlock = nullptr;
        type->valueChangedBlock = nullptr;
        type->valueWillBeginChangeBlock = nullptr;
        type->valueWillFinishChangeBlock = nullptr;
    }
}

void AmbrelViewController::animateTypeViewForTypeChanged(bool forward) {
    animateCollectionViewObjectsWithBlock([this] {
        if (!type_) return;
        const CGPoint offset = type_->contentOffset();
        collectionView_->setObjects(type_->objects(), type_->selectedObject());
        if (offset.x != 0 || offset.y != 0) collectionView_->setContentOffset(offset, false);
        collectionView_->layoutIfNeeded();
    });
    animateTypeViewForSelectedObjectChanged(forward, true);
    animateCircularProgressView();
}

// ---- B. Selections -------------------------------------------------------------------------

void AmbrelViewController::typeSelectionObjectSelected(bool userInteraction) {
    if (!userInteraction || !type_) return;
    if (type_->selectedObject() && type_->selectedObject() == TypeController::customColorObject().get()) {
        animateColorView(true);
    } else {
        animateCircularProgressView();
    }
    if (infoButtonView_ && navigationItem().titleView() == infoButtonView_) {
        if (CollectionObject* category = TypeController::sharedInstance().modeType().selectedCategory())
            infoButtonView_->setImage(category->image());
    }
}

void AmbrelViewController::typeSelectionObjectChanged(bool userInteraction) {
    typeSelectionObjectUpdated();
    if (!userInteraction && type_) collectionView_->setSelectedObject(type_->selectedObject());
}

void AmbrelViewController::typeSelectionObjectUpdated() { animateTypeViewForSelectedObjectChanged(true, false); }

void AmbrelViewController::selectModeTypeSelection() {
    if (typeSelectView_ && typeSelectView_->type() != TypeController::TypeSelectionMode)
        typeSelectView_->setType(TypeController::TypeSelectionMode);
}

void AmbrelViewController::resetTypeSelectionCategories() {
    TypeController& lists = TypeController::sharedInstance();
    lists.collapseAllCategories();
    if (collectionView_ && type_) collectionView_->setSelectedObject(type_->selectedObject());
    lists.resetContentOffsets();
}

// ---- C. Value ------------------------------------------------------------------------------

void AmbrelViewController::typeSelectionValueChanged() {
    if (!type_) return;
    circularProgressView_->setProgress(type_->value());
    slideView_->setValue(type_->value());
}

void AmbrelViewController::typeSelectionValueWillBeginChange() {}

void AmbrelViewController::typeSelectionValueWillFinishChange() {}

void AmbrelViewController::typeSelectionValueResetToDefault() {
    if (!type_) return;
    UIView::animateWithDuration(
        kResetSpringDuration, 0, 0.6, 2.0, 0,
        [this] {
            type_->valueWillBeginChange();
            type_->setValue(type_->defaultValue());
            type_->valueWillFinishChange();
        },
        nullptr);
}

// ---- E. Redisplay --------------------------------------------------------------------------

void AmbrelViewController::animateTypeViewForSelectedObjectChanged(bool forward, bool animated) {
    if (!type_) return;
    TypeController& lists = TypeController::sharedInstance();
    const UIColor color =
        type_->color() ? UIColor::colorWithCGColor(*type_->color()) : AppAppearance::defaultTintColor();
    const UIColor highlight =
        type_ == &lists.colorType() ? ColorAnalysisUtility::colorWithMinimumBrightness(color, 0.7) : color;
    typeSelectView_->setSelectViewColor(highlight, animated);

    const float value = type_->value();
    const std::string name = type_->selectedObject() ? type_->selectedObject()->name().value_or("") : "";
    UIView::transitionWithView(
        circularProgressView_, animated ? kFlipDuration : 0,
        forward ? UIViewAnimationOptionTransitionFlipFromLeft : UIViewAnimationOptionTransitionFlipFromRight,
        [this, color, value, name] {
            circularProgressView_->setProgressColor(color);
            circularProgressView_->setProgress(value);
            circularProgressView_->setDisplayText(name);
        },
        nullptr);
    slideView_->setValue(value);

    if (type_ != &lists.modeType()) return;
    AppAppearance::setTintColor(color);
    const UIColor tint = AppAppearance::tintColor();
    cameraButtonView_->setButtonColor(tint);
    albumEditDoneButtonView_->setTintColor(tint);
    albumEditShareButtonView_->setTintColor(tint);
    rotationSelectionView_->setHighlightColor(tint);
    if (!albumEditing_ && expandCollapseView_->expanded())
        AppAppearance::setBackgroundWithColor(*view(), AppAppearance::defaultTypeBackgroundColor(), true);
    recolorAdjustments(tint);
}

void AmbrelViewController::recolorAdjustments(const UIColor& tint) {
    // Crop takes its colour (the tint itself, blended like the others) on both sides; it is in
    // the list only on the album side, where `setAlbumEditing` puts it.
    Type::Items items = TypeController::sharedInstance().adjustType().objects();
    const auto crop = TypeController::cropAdjustmentObject();
    if (crop && (items.empty() || items.back() != crop)) items.push_back(crop);
    const auto colors = adjustmentColors(tint, items.size());
    for (std::size_t i = 0; i < items.size(); ++i) items[i]->setColor(colors[i].CGColor());
}

std::vector<UIColor> AmbrelViewController::adjustmentColors(const UIColor& tint, std::size_t count) {
    auto colors = ColorUtility::analogousColors(tint, int(count), kAnalogousSlices);
    std::reverse(colors.begin(), colors.end());
    std::vector<UIColor> blended;
    for (const UIColor& c : colors)
        blended.push_back(
            ColorUtility::blendWithColor(c, AppAppearance::defaultSecondaryColor(), kAdjustmentColorBlend));
    return blended;
}

// ---- F. Reset and Crop -----------------------------------------------------------------------

void AmbrelViewController::typeSelectionObjectWillSelect(CollectionObject& object) {
    if (&object == TypeController::resetAdjustmentObject().get()) {
        auto alert = UIAlertView::alertView(NSLocalizedString("Reset Adjustments"),
                                            NSLocalizedString("Do you want to reset all adjustments?"), nullptr,
                                            NSLocalizedString("Cancel"), {NSLocalizedString("OK")});
        BlockUtility::setBlock(*alert, [this](UIAlertView&, int index) {
            if (index == 1) resetAdjustments();
        });
        alert->show();
    } else if (&object == TypeController::cropAdjustmentObject().get()) {
        // Cropping needs a photo of the album: the camera has nothing to crop.
        if (albumEditing_ && graphicsView_ && graphicsView_->unprocessedImage()) animateCropView(true);
    }
}

void AmbrelViewController::resetAdjustments() {
    if (!type_) return;
    for (const auto& object : type_->objects()) {
        if (object->category()) continue;
        if (object.get() == type_->selectedObject()) type_->setValue(object->defaultValue());
        else object->setValue(object->defaultValue());
    }
    if (CollectionViewCell* cell = collectionView_->cellForObject(TypeController::resetAdjustmentObject().get())) {
        auto turn = CABasicAnimation::animationWithKeyPath("transform.rotation");
        turn->fromValue = 0.0;
        turn->toValue = -2 * std::numbers::pi;
        turn->duration = kResetRotationDuration;
        cell->layer()->addAnimation(turn, "rotationAnimation");
    }
    circularProgressView_->setDisplayText(NSLocalizedString("Reset"));
    animateCircularProgressView();
}

// ---- G. Category headers and the mode-information hint --------------------------------------

void AmbrelViewController::typeSelectionCategoryWillSelect() {
    if (!DeviceUtility::hasAXGPU()) GraphicsTypeController::beginDelayUpdates();
}

void AmbrelViewController::typeSelectionCategorySelected() {
    if (!DeviceUtility::hasAXGPU()) GraphicsTypeController::finishDelayUpdates(true);
    animateModeInfoButton(modeInfoDue());
}

void AmbrelViewController::animateModeInfoButton(bool highlight) {
    if (!infoButtonView_) return;
    infoButtonView_->button().layer()->removeAllAnimations();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.cancelPreviousPerformRequests(this, kModeInfoHintKey);
    if (!highlight) return;
    std::weak_ptr<InfoButtonView> weak = infoButtonView_;
    loop.performAfterDelay(this, kModeInfoHintKey, kModeInfoHintDelay, [weak] {
        auto info = weak.lock();
        if (!info) return;
        UIButton* pulse = &info->button();
        UIView::animateKeyframesWithDuration(
            kHintDuration, 0, UIViewAnimationOptionRepeat | UIViewAnimationOptionAllowUserInteraction,
            [pulse] {
                UIView::addKeyframeWithRelativeStartTime(
                    0, 0.5, [pulse] { pulse->setBackgroundColor(UIColor::colorWithWhite(1, 0.3)); });
                UIView::addKeyframeWithRelativeStartTime(
                    0.5, 0.5, [pulse] { pulse->setBackgroundColor(UIColor::colorWithWhite(1, 0.075)); });
            },
            nullptr);
    });
}

// ---- H. Showing and hiding the controls ------------------------------------------------------

void AmbrelViewController::animateTypeView(bool show) {
    if (show) {
        animateNavigationItemForTypeView();
        setTypeViewOrientation(AppConstants::orientation(), false);
    }
    if (!albumEditing_)
        AppAppearance::setBackgroundWithColor(
            *view(), show ? AppAppearance::defaultTypeBackgroundColor() : AppAppearance::defaultCameraBackgroundColor(),
            true);
    const CGFloat selectorHeight = typeSelectView_->bounds().size.height;
    AnimationUtility::animateView(
        typeSelectView_, AnimationUtility::fadeAndTransform(CGAffineTransformMakeTranslation(0, 2 * selectorHeight),
                                                            show, kTypeViewDuration));
    AnimationUtility::animateView(
        circularProgressView_,
        AnimationUtility::fadeAndTransform(CGAffineTransformMakeScale(0.1, 0.1), show, kTypeViewDuration));
    if (show && type_) {
        circularProgressView_->setDisplayText(type_->selectedObject() ? type_->selectedObject()->name().value_or("")
                                                                      : "");
        // The value may have changed while the controls were away (a restored edit, the
        // engine's first picture): they come back showing the current one.
        circularProgressView_->setProgress(type_->value());
        slideView_->setValue(type_->value());
        animateCircularProgressView();
    }
    slideView_->animateSlideView(show);
    const CGFloat d = show ? -1 : 1;
    AnimationUtility::animateView(
        collectionView_,
        AnimationUtility::fadeAndTransform(CGAffineTransformMakeTranslation(d * view()->bounds().size.width, 0), show,
                                           kCollectionViewDuration));
    presentEditingHelp([this] { animateModeInfoButton(modeInfoDue()); });
}

// The editing help over the picture, until the user has dismissed it once; the completion runs
// when it goes, or at once after that.
void AmbrelViewController::presentEditingHelp(std::function<void()> completion) {
    HelpViewController::presentHelpType(kHelpTypeEdit, graphicsView_, [completion](bool) {
        if (completion) completion();
    });
}

// ---- I. The ring -----------------------------------------------------------------------------

void AmbrelViewController::animateCircularProgressView() { animateCircularProgressView(kRingDisplayDuration); }

void AmbrelViewController::animateCircularProgressView(double seconds) {
    if (!expandCollapseView_->expanded()) return;
    std::weak_ptr<CircularProgressView> weak = circularProgressView_;
    DebounceUtility::executeBlockOnlyOnce(
        [weak] {
            if (auto ring = weak.lock()) UIView::animateWithDuration(kRingFadeDuration, [ring] { ring->setAlpha(1); });
        },
        [weak] {
            if (auto ring = weak.lock()) UIView::animateWithDuration(kRingFadeDuration, [ring] { ring->setAlpha(0); });
        },
        seconds);
}

// ---- J. Shrink and grow ------------------------------------------------------------------------

void AmbrelViewController::animateCollectionViewObjectsWithBlock(std::function<void()> block) {
    auto shownViews = [this] {
        std::vector<std::shared_ptr<UIView>> views;
        for (const auto& cell : collectionView_->visibleCells()) views.push_back(cell);
        for (const auto& header : collectionView_->visibleHeaderViews()) views.push_back(header);
        return views;
    };
    const auto views = shownViews();
    if (views.empty()) {
        block();
        return;
    }
    auto finished = std::make_shared<std::size_t>(0);
    const std::size_t total = views.size();
    for (const auto& v : views) {
        UIView::animateWithDuration(
            kShrinkDuration, 0, 1.0, 1.0, 0,
            [v] {
                v->setTransform(CGAffineTransformMakeScale(kShrinkScale, kShrinkScale));
                v->setAlpha(0);
            },
            [this, finished, total, block, shownViews](bool) {
                if (++*finished != total) return;
                block();
                for (const auto& grown : shownViews()) {
                    grown->setTransform(CGAffineTransformMakeScale(kShrinkScale, kShrinkScale));
                    grown->setAlpha(0);
                    UIView::animateWithDuration(
                        kShrinkDuration, 0, 1.0, 1.0, 0,
                        [grown] {
                            grown->setTransform(CGAffineTransformIdentity);
                            grown->setAlpha(1);
                        },
                        nullptr);
                }
            });
    }
}

// ---- K. Navigation items ------------------------------------------------------------------------

void AmbrelViewController::animateNavigationItemForTypeView() {
    auto settings = std::make_shared<SettingsButtonView>(CGRectMake(0, 0, 44, 44));
    settings->setBlock([this](bool expanded) { animateSettingsView(expanded); });
    auto compare = std::make_shared<CompareButtonView>(CGRectMake(0, 0, 44, 44));
    compare->setBlock([this](bool comparing) { animateCompareView(comparing); });
    auto info = std::make_shared<InfoButtonView>();
    if (CollectionObject* category = TypeController::sharedInstance().modeType().selectedCategory())
        info->setImage(category->image());
    info->setBlock([this](bool) { animateModeInfoView(); });
    infoButtonView_ = info;
    auto left = UIBarButtonItem::itemWithCustomView(settings);
    auto right = UIBarButtonItem::itemWithCustomView(compare);
    UINavigationItem& item = navigationItem();
    if (expandCollapseView_->expanding()) {
        AnimationUtility::animateNavigationBarTransition(*this, [&item, info, left, right] {
            item.setTitleView(info);
            item.setLeftBarButtonItem(left, false);
            item.setRightBarButtonItem(right, false);
        });
    } else {
        item.setTitleView(info);
        item.setLeftBarButtonItem(left, true);
        item.setRightBarButtonItem(right, true);
    }
}

// ---- L. Turning with the device -----------------------------------------------------------------

void AmbrelViewController::setTypeViewOrientation(int orientation, bool animated) {
    if (!expandCollapseView_->expanded()) return;
    const int used = albumEditing_ ? 1 : orientation;
    collectionView_->setOrientation(used, animated);
    slideView_->setOrientation(used, animated);
    circularProgressView_->setOrientation(used, animated);
}
