#pragma once
// The presenter of the one-time help panels. It shows one panel at a time, centred on the view
// it explains, over the full-screen backdrop; the first tap on the backdrop slides the panel
// away, records the help as seen and runs the caller's completion. With a next help the
// backdrop stays for it.
//
// States: idle → presenting (touches off) → shown (waits for the backdrop tap) → dismissing
// (touches off) → idle. A help already seen, or a type without a panel, completes at once
// with YES and shows nothing; if that happens to the next help of a sequence, the kept
// backdrop goes. The backdrop's tap acts only while a panel is shown. A request while a panel
// is up shows nothing; its completion runs (with YES) once that panel has gone.
//
// Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/uikit/UIViewController.h"

class HelpView;

using HelpType = std::int32_t;
constexpr HelpType kHelpTypeEdit = 0;
// As the next type: no further help follows.
constexpr HelpType kHelpTypeNone = 1;

class HelpViewController : public UIViewController {
public:
    using Completion = std::function<void(bool finished)>;
    static constexpr CGFloat kCornerRadius = 8;
    static constexpr NSTimeInterval kTransitionFadeDuration = 0.2;

    // Made on first use, kept for the life of the process.
    static HelpViewController& sharedInstance();
    static void presentHelpType(HelpType type, const std::shared_ptr<UIView>& view, Completion completion = nullptr);
    static void presentHelpTypes(const std::vector<HelpType>& types, const std::shared_ptr<UIView>& view);
    static bool helpTypeHasShown(HelpType type);

    void loadView() override;

    bool hasShown(HelpType type) const;
    void setHelpTypeHasShown(HelpType type);
    // A new panel with its view loaded; null for a type without one.
    std::shared_ptr<HelpView> helpViewForType(HelpType type) const;
    void presentHelpType(HelpType type, HelpType nextHelpType, const std::shared_ptr<UIView>& view,
                         Completion completion);
    void presentTypes(const std::vector<HelpType>& types, const std::shared_ptr<UIView>& view);
    void dismissHelpView();

    HelpType helpType() const { return helpType_; }
    HelpType nextHelpType() const { return nextHelpType_; }
    const std::shared_ptr<HelpView>& helpView() const { return helpView_; }
    std::shared_ptr<UIView> presentingView() const { return presentingView_.lock(); }
    bool isIdle() const { return state_ == State::Idle; }
    bool isShown() const { return state_ == State::Shown; }

private:
    enum class State { Idle, Presenting, Shown, Dismissing };
    void showInBackdrop(const std::shared_ptr<UIView>& backdrop);
    // After the dismiss animation: the panel goes, the flag is saved, the completions run.
    void finishDismissal(bool finished, bool last);

    State state_ = State::Idle;
    // The backdrop was kept for a next help that has not yet come.
    bool backdropKept_ = false;
    HelpType helpType_ = kHelpTypeNone;
    HelpType nextHelpType_ = kHelpTypeNone;
    std::shared_ptr<HelpView> helpView_;
    std::weak_ptr<UIView> presentingView_;
    Completion completionBlock_;
    std::vector<Completion> waiting_;
};
