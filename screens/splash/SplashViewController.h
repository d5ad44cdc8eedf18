#pragma once
// The launch splash: a dark gradient with the logo (outer ring, inner part, glow) and the
// application's name, sprung into place over the host view. When it may give way, the
// caller's completion runs (the start-up goes on underneath) and the splash fades out and
// removes itself.
//
// Without waiting, it gives way 0.6 s after it appears; waiting, once the logo has come to
// rest (0.2 s + 2.4 s). The presented controller owns itself through its dismissal block,
// which is cleared when it runs, so it is freed once its view is gone.
//
// The views are built in code (SplashViewController+View.cpp). Main thread only.
#include <functional>
#include <memory>

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

class GradientView;

class SplashViewController : public UIViewController {
public:
    using Completion = std::function<void()>;
    using CompletedBlock = std::function<void(bool finished)>;

    static constexpr NSTimeInterval kSpringDelay = 0.2;
    static constexpr NSTimeInterval kLogoDuration = 2.4;
    static constexpr NSTimeInterval kBackgroundDuration = 9.6;
    static constexpr NSTimeInterval kNoWaitDelay = 0.6;
    static constexpr NSTimeInterval kFadeDuration = 1.0;
    static constexpr CGFloat kLogoRelativeCenterY = 0.56;

    // Shows the splash as the topmost subview of `host`; `completion` (may be empty) runs
    // once, when the splash gives way.
    static void presentSplashIfNeeded(UIView& host, bool waitForCompletion, Completion completion);
    static void presentSplashIfNeeded(UIView& host, Completion completion) {
        presentSplashIfNeeded(host, false, std::move(completion));
    }
    static bool shouldShowSplash() { return true; }
    // The label's height from the bottom, as a share of the view's, by device.
    static CGFloat labelRelativeCenterY();

    SplashViewController() = default;
    ~SplashViewController() override;

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;

    // `completion` (may be empty) runs with YES when the splash may give way, just before
    // `completedBlock`.
    void animateSplashView(bool animated, bool waitForCompletion, CompletedBlock completion);

    const std::shared_ptr<UIImageView>& outsideView() const { return outsideView_; }
    const std::shared_ptr<UIImageView>& insideView() const { return insideView_; }
    const std::shared_ptr<UIImageView>& glowView() const { return glowView_; }
    const std::shared_ptr<UILabel>& label() const { return label_; }
    const std::shared_ptr<GradientView>& backgroundView() const { return backgroundView_; }
    const CompletedBlock& completedBlock() const { return completedBlock_; }
    void setCompletedBlock(CompletedBlock block) { completedBlock_ = std::move(block); }

private:
    // The logo's three pictures and the label, as the screen lays them out (+View.cpp).
    void buildViews();
    // The caller's completion, then the completed block, which is cleared before it runs.
    void giveWay(const CompletedBlock& completion);

    std::shared_ptr<UIImageView> outsideView_;
    std::shared_ptr<UIImageView> insideView_;
    std::shared_ptr<UIImageView> glowView_;
    std::shared_ptr<UILabel> label_;
    std::shared_ptr<GradientView> backgroundView_;
    CompletedBlock completedBlock_;
};
