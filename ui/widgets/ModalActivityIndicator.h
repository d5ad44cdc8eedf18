#pragma once
// The modal busy state the activity views share: an indicator put in the centre of a view
// while the whole application ignores touches, taken away again with the indicator's
// disappearing animation, after which touches count again and a completion runs.
//
// One current indicator per kind. Each begin holds one ignore step of the application and
// each finish gives it back, so that a begin–finish pair leaves the ignore count as it was:
// a begin while another indicator is current takes that one away and gives its step back; a
// finish with no current indicator gives nothing back and answers NO on the next turn of the
// main queue (callers wait on it).
#include <functional>
#include <memory>

#include "platform/uikit/UIView.h"

class ModalActivityIndicator {
public:
    using Completion = std::function<void(bool finished)>;
    using Factory = std::function<std::shared_ptr<UIView>()>;
    explicit ModalActivityIndicator(Factory factory) : factory_(std::move(factory)) {}

    // Shows a new indicator centred in the view; the completion follows its appearance.
    void begin(const std::shared_ptr<UIView>& view, Completion completion);
    // On the next turn of the main queue (callable from any thread).
    void finish(Completion completion);
    // Begins, and finishes by itself `kShownFor` seconds after the indicator has appeared.
    void animateInView(const std::shared_ptr<UIView>& view);
    UIView* current() const { return current_.lock().get(); }

    // The indicators' coming and going: a spring from (or to) a tenth of the size with a fade.
    static void animateActivityView(const std::shared_ptr<UIView>& view, bool show, Completion completion);

    static constexpr double kShownFor = 2.0;
    static constexpr double kAppearDuration = 0.4;
    static constexpr float kAppearScale = 0.1f;

private:
    Factory factory_;
    std::weak_ptr<UIView> current_;
};
