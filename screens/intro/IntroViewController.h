#pragma once
// The first-run introduction: three pages, each a title line, a before/after pair of photos
// that a wipe compares, a bottom line and a next button, under the logo over an animated
// gradient. The first page starts by itself when the opening ends; a tap anywhere moves on.
// After the third page everything slides away, `introductionShown` is saved, the caller's
// completion runs and the screen fades out and removes itself.
//
// Taps: one per page, taken from the moment the page's next button starts to fade in until
// its slide-out begins; any other tap is ignored. Only the full-screen button takes taps.
//
// The presented controller owns itself through its completed block, which is cleared when it
// runs, so it is freed once its view is gone. A missing picture leaves its view empty and the
// screen runs on. The views are built in code (IntroViewController+View.cpp). Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

class AmbrelActivityView;
class CompareView;
class GradientView;

class IntroViewController : public UIViewController {
public:
    using Completion = std::function<void()>;
    using FinishedBlock = std::function<void(bool finished)>;

    static constexpr NSTimeInterval kOpeningFade = 0.2;
    static constexpr NSTimeInterval kLogoMove = 0.6;
    static constexpr NSTimeInterval kEndDelay = 0.6;
    static constexpr NSTimeInterval kFadeDuration = 1.0;
    static constexpr NSTimeInterval kNextButtonDelay = 1.75;
    static constexpr std::size_t kInsertionIndex = 2;
    static constexpr CGFloat kPadLandscapeScale = 0.6;

    static bool shouldShowIntroduction();
    // Shows the introduction over `view` if it has not been shown; `completion` (may be empty)
    // runs when it has ended, or before this returns when it is not needed.
    static void presentIntroductionIfNeeded(UIView& view, Completion completion);

    ~IntroViewController() override;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillLayoutSubviews() override;

    void animateIntroView(bool in, FinishedBlock completion);
    void beginTransition();
    void beginFirstTransition();
    void beginSecondTransition();
    void beginThirdTransition();
    void beginFourthTransition();
    void beginTextTransition(bool in, FinishedBlock completion) { beginTextTransition(in, 0.1, std::move(completion)); }
    void beginTextTransition(bool in, NSTimeInterval delay, FinishedBlock completion);
    void beginCompareTransitionWithImage(const UIImagePtr& image, FinishedBlock completion) {
        beginCompareTransitionWithImage(image, 0, std::move(completion));
    }
    void beginCompareTransitionWithImage(const UIImagePtr& image, NSTimeInterval delay, FinishedBlock completion);
    void layoutImageViews();
    void fullViewButtonTouched();
    void nextButtonTouched();

    const std::shared_ptr<UIView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<CompareView>& compareView() const { return compareView_; }
    const std::shared_ptr<UIButton>& nextButton() const { return nextButton_; }
    const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<UILabel>& bottomLabel() const { return bottomLabel_; }
    const std::shared_ptr<AmbrelActivityView>& activityView() const { return activityView_; }
    const std::shared_ptr<UIButton>& fullViewButton() const { return fullViewButton_; }
    std::uint64_t transition() const { return transition_; }
    bool activityViewTransitioned() const { return activityViewTransitioned_; }
    bool takesTaps() const { return takesTaps_; }
    const std::string& nextCompareImage() const { return nextCompareImage_; }
    void setCompletedBlock(Completion block) { completedBlock_ = std::move(block); }

private:
    // The six views as the screen lays them out for its device (+View.cpp).
    void buildViews();
    // Page 2 or 3 after the current page has started to slide out.
    void setUpPage(const char* colour, const char* title, const char* bottom, const char* before, const char* after);
    std::weak_ptr<IntroViewController> weakSelf();

    std::shared_ptr<UIView> backgroundView_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<CompareView> compareView_;
    std::shared_ptr<UIButton> nextButton_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UILabel> bottomLabel_;
    Completion completedBlock_;
    std::uint64_t transition_ = 0;
    std::shared_ptr<AmbrelActivityView> activityView_;
    std::weak_ptr<GradientView> backgroundGradientView_;
    std::string nextCompareImage_;
    bool activityViewTransitioned_ = false;
    bool takesTaps_ = false;
    std::uint64_t textTransitions_ = 0;
    std::shared_ptr<UIButton> fullViewButton_;
};
