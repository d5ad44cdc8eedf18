// The custom-colour state and the format dial's swipes on the picture. The colour editor lies
// over the picture with the confirm/dismiss row below; every slider move recolours the custom
// colour at once, dismissing puts back the colour the state began with.
#include "app/AmbrelViewController.h"
#include "app/settings/ColorView.h"
#include "model/CollectionObject.h"
#include "model/DeviceUtility.h"
#include "model/Type.h"
#include "platform/uikit/UINavigationItem.h"

void AmbrelViewController::animateColorView(bool show) {
    // The original colour is kept exactly while the state is shown (not while it leaves).
    if (show == originalColorViewColor_.has_value()) return;
    if (show) animateNavigationItemForColorView();
    animateTypeView(!show);
    animateExpandCollapseView(!show);
    if (DeviceUtility::isIPad()) animateCameraViewButton(!show);
    std::weak_ptr<UIViewController> weak = weak_from_this();
    if (show) {
        animateConfirmDismissView(true, [this, weak](bool dismissed) {
            if (weak.expired()) return;
            if (dismissed && type_ && originalColorViewColor_) {
                const CGColor original = originalColorViewColor_->CGColor();
                type_->performSelectedObjectUpdates([original](CollectionObject* object) {
                    if (object) object->setColor(original);
                });
            }
            animateColorView(false);
            animateConfirmDismissView(false);
        });
        auto editor = std::make_shared<ColorView>(AppConstants::defaultAlbumViewFrame());
        editor->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        const CollectionObject* selected = type_ ? type_->selectedObject() : nullptr;
        if (selected && selected->color()) editor->setColor(UIColor::colorWithCGColor(*selected->color()));
        originalColorViewColor_ = editor->color();
        view()->addSubview(editor);
        colorView_ = editor;
        editor->animateColorView(true, nullptr);
        editor->setColorChanged([this, weak](const UIColor& color) {
            if (weak.expired() || !type_) return;
            const CGColor chosen = color.CGColor();
            type_->performSelectedObjectUpdates([chosen](CollectionObject* object) {
                if (object) object->setColor(chosen);
            });
        });
        return;
    }
    originalColorViewColor_ = std::nullopt;
    auto editor = colorView_;
    if (!editor) return;
    editor->animateColorView(false, [this, weak, editor](bool) {
        editor->removeFromSuperview();
        // An editor opened again meanwhile is another one, and stays.
        if (!weak.expired() && colorView_ == editor) colorView_ = nullptr;
    });
}

void AmbrelViewController::animateNavigationItemForColorView() {
    UINavigationItem& item = navigationItem();
    item.setLeftBarButtonItem(nullptr, true);
    item.setRightBarButtonItem(nullptr, true);
    item.setTitleView(nullptr);
}

void AmbrelViewController::enableRotationSelectionGestures(bool enabled) {
    for (auto* recognizer : {&leftSwipeRecognizer_, &rightSwipeRecognizer_}) {
        if (*recognizer && graphicsView_) graphicsView_->removeGestureRecognizer(recognizer->get());
        recognizer->reset();
    }
    if (!enabled || !graphicsView_) return;
    for (auto [recognizer, direction] : {std::pair{&leftSwipeRecognizer_, UISwipeGestureRecognizerDirectionLeft},
                                         std::pair{&rightSwipeRecognizer_, UISwipeGestureRecognizerDirectionRight}}) {
        auto swipe = std::make_shared<UISwipeGestureRecognizer>();
        swipe->setDirection(direction);
        swipe->setDelegate(swipeDelegate_);
        swipe->addTarget(this,
                         [this](UIGestureRecognizer& r) { swipeGesture(static_cast<UISwipeGestureRecognizer&>(r)); });
        graphicsView_->addGestureRecognizer(swipe);
        *recognizer = swipe;
    }
}

void AmbrelViewController::swipeGesture(UISwipeGestureRecognizer& recognizer) {
    if (recognizer.state() != UIGestureRecognizerStateRecognized) return;
    // A phone held sideways leaves the dial alone; a pad turns it in any orientation.
    const int orientation = AppConstants::orientation();
    if (!DeviceUtility::isIPad() && (orientation == 3 || orientation == 4)) return;
    if (&recognizer == leftSwipeRecognizer_.get() && recognizer.direction() == UISwipeGestureRecognizerDirectionLeft)
        rotationSelectionView_->setLeftSelectedItem();
    else if (&recognizer == rightSwipeRecognizer_.get() &&
             recognizer.direction() == UISwipeGestureRecognizerDirectionRight)
        rotationSelectionView_->setRightSelectedItem();
}
