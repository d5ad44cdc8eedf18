#pragma once
// One full-screen backdrop over the whole application (the key window's root controller's
// view), for panels shown above everything: a button whose tap runs the caller's dismiss
// action. The caller gets the backdrop in the completion and adds its content to it.
//
// While a backdrop is shown, another Present hands it to its completion and changes nothing.
// During an animated dismissal the fading backdrop is on its way out: a Present then finishes
// that dismissal at once (the backdrop and its action go) and builds a new backdrop with its
// own colour and action; the fade's end removes only the backdrop it was fading.
#include <functional>
#include <memory>

#include "platform/uikit/UIColor.h"

class UIView;
class UIViewController;

class ViewUtility {
public:
    using Completion = std::function<void(const std::shared_ptr<UIView>& backdrop)>;
    using DismissAction = std::function<void()>;

    static void presentFullScreenView(Completion completion, DismissAction dismissAction);
    // With black at alpha 0.4.
    static void presentFullScreenView(bool animated, Completion completion, DismissAction dismissAction);
    static void presentFullScreenView(bool animated, const UIColor& backgroundColor, Completion completion,
                                      DismissAction dismissAction);
    // Runs the dismiss action, if there is one; the action is expected to dismiss.
    static void dismissFullScreenViewWithDismissAction();
    static void dismissFullScreenView();
    static void dismissFullScreenViewAnimated(bool animated);

    // The backdrop while one is shown (also while it fades out), else null.
    static std::shared_ptr<UIView> fullScreenView();

    // For screens that own themselves: fades the controller's view out over `duration` (a
    // gentle spring) and removes it, holding the controller until then.
    static void fadeOutAndRemoveViewOfController(const std::shared_ptr<UIViewController>& controller, double duration);
};
