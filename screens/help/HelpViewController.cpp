#include "screens/help/HelpViewController.h"

#include <utility>

#include "model/AmbrelAppSettings.h"
#include "platform/uikit/UIApplication.h"
#include "screens/help/HelpEditView.h"
#include "ui/animation/ViewUtility.h"
#include "ui/widgets/TransitionUtility.h"

HelpViewController& HelpViewController::sharedInstance() {
    static const std::shared_ptr<HelpViewController> shared = std::make_shared<HelpViewController>();
    return *shared;
}

void HelpViewController::presentHelpType(HelpType type, const std::shared_ptr<UIView>& view, Completion completion) {
    sharedInstance().presentHelpType(type, kHelpTypeNone, view, std::move(completion));
}

void HelpViewController::presentHelpTypes(const std::vector<HelpType>& types, const std::shared_ptr<UIView>& view) {
    sharedInstance().presentTypes(types, view);
}

bool HelpViewController::helpTypeHasShown(HelpType type) { return sharedInstance().hasShown(type); }

void HelpViewController::loadView() {
    auto container = std::make_shared<UIView>(CGRectZero);
    container->layer()->setCornerRadius(kCornerRadius);
    container->setClipsToBounds(true);
    setView(container);
}

bool HelpViewController::hasShown(HelpType type) const {
    return type == kHelpTypeEdit && AmbrelAppSettings::sharedInstance().helpShownEdit();
}

void HelpViewController::setHelpTypeHasShown(HelpType type) {
    if (type != kHelpTypeEdit) return;
    AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
    settings.setHelpShownEdit(true);
    settings.saveSettings();
}

std::shared_ptr<HelpView> HelpViewController::helpViewForType(HelpType type) const {
    if (type != kHelpTypeEdit) return nullptr;
    auto panel = std::make_shared<HelpEditView>();
    panel->view();
    return panel;
}

void HelpViewController::presentTypes(const std::vector<HelpType>& types, const std::shared_ptr<UIView>& view) {
    if (types.empty()) return;
    const HelpType next = types.size() >= 2 ? types[1] : kHelpTypeNone;
    const std::weak_ptr<UIView> weakView = view;
    presentHelpType(types.front(), next, view,
                    [this, next, rest = std::vector<HelpType>(types.begin() + 1, types.end()), weakView](bool) {
                        if (next == kHelpTypeNone) return;
                        if (const auto view = weakView.lock()) presentTypes(rest, view);
                    });
}

void HelpViewController::presentHelpType(HelpType type, HelpType nextHelpType, const std::shared_ptr<UIView>& view,
                                         Completion completion) {
    if (state_ != State::Idle) {
        if (completion) waiting_.push_back(std::move(completion));
        return;
    }
    std::shared_ptr<HelpView> panel = hasShown(type) || !view ? nullptr : helpViewForType(type);
    if (!panel) {
        // Nothing to show: a backdrop kept for this help must not stay dimming the screen.
        if (std::exchange(backdropKept_, false)) ViewUtility::dismissFullScreenView();
        if (completion) completion(true);
        return;
    }
    state_ = State::Presenting;
    backdropKept_ = false;
    completionBlock_ = std::move(completion);
    presentingView_ = view;
    helpView_ = std::move(panel);
    helpType_ = type;
    nextHelpType_ = nextHelpType;
    ViewUtility::presentFullScreenView(
        true, [this](const std::shared_ptr<UIView>& backdrop) { showInBackdrop(backdrop); },
        [this] { dismissHelpView(); });
    if (state_ == State::Presenting && !ViewUtility::fullScreenView()) {
        // No screen to show it on (no window with a root controller): as if it were not due.
        state_ = State::Idle;
        helpView_ = nullptr;
        presentingView_.reset();
        if (const Completion done = std::exchange(completionBlock_, nullptr)) done(true);
    }
}

void HelpViewController::showInBackdrop(const std::shared_ptr<UIView>& backdrop) {
    const std::shared_ptr<UIView> presenting = presentingView_.lock();
    const std::shared_ptr<UIView>& panelView = helpView_->view();
    const std::shared_ptr<UIView>& container = view();
    CGPoint centre = backdrop->bounds().size.width > 0
                         ? CGPointMake(CGRectGetMidX(backdrop->bounds()), CGRectGetMidY(backdrop->bounds()))
                         : CGPointZero;
    if (presenting && presenting->superview())
        centre = presenting->superview()->convertPointToView(presenting->center(), backdrop.get());
    container->setTransform(CGAffineTransformIdentity);
    container->setFrame(CGRect{CGPointZero, panelView->bounds().size});
    panelView->setBackgroundColor(UIColor::clearColor());
    panelView->setFrame(container->bounds());
    panelView->setNeedsLayout();
    container->addSubview(panelView);
    container->setBackgroundColor(helpView_->defaultBackgroundColor());
    helpView_->viewDidAppear(true);
    container->setCenter(centre);
    backdrop->addSubview(container);
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    AnimationUtility::animateView(container, helpView_->defaultPresentAnimation(), [this](bool) {
        UIApplication::sharedApplication().endIgnoringInteractionEvents();
        state_ = State::Shown;
    });
}

void HelpViewController::dismissHelpView() {
    if (state_ != State::Shown) return;
    state_ = State::Dismissing;
    const bool last = nextHelpType_ == kHelpTypeNone;
    if (last)
        if (const std::shared_ptr<UIView> presenting = presentingView_.lock())
            TransitionUtility::fadeFromLastTransitionForView(presenting, kTransitionFadeDuration, 0, true, nullptr);
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    AnimationUtility::animateView(view(), helpView_->defaultDismissAnimation(), [this, last](bool finished) {
        UIApplication::sharedApplication().endIgnoringInteractionEvents();
        finishDismissal(finished, last);
    });
}

void HelpViewController::finishDismissal(bool finished, bool last) {
    view()->removeFromSuperview();
    if (last) ViewUtility::dismissFullScreenView();
    helpView_->view()->removeFromSuperview();
    helpView_ = nullptr;
    presentingView_.reset();
    setHelpTypeHasShown(helpType_);
    state_ = State::Idle;
    backdropKept_ = !last;
    const Completion completion = std::exchange(completionBlock_, nullptr);
    std::vector<Completion> waiting = std::exchange(waiting_, {});
    if (completion) completion(finished);
    for (const Completion& other : waiting) other(true);
}
