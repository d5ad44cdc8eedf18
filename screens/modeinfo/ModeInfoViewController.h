#pragma once
// The mode information screen: one mode category (the group of the selected mode) in a
// circular badge, its title, description and usage hint, and a before/after pair of photos
// that a wipe compares over and over, captioned "Original" and then the category's name. The
// close button runs `block`. Each category remembers in the settings whether its screen has
// been seen.
//
// One turn of the wipe: the caption "Original" in and out, the wipe across, the category's
// caption in and out (1.2 s each), then the compare view fades (0.6 s): 6.6 s, the first
// starting 0.4 s after `setCategory`. `stopAnimating` lets the running turn finish and starts
// no other. The loop holds the controller weakly, so it may be released mid-turn.
//
// The views are built in code (ModeInfoViewController+View.cpp). Main thread only.
#include <functional>
#include <memory>
#include <string>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

class CollectionObject;
class CompareView;

class ModeInfoViewController : public UIViewController {
public:
    static constexpr NSTimeInterval kStepDuration = 1.2;
    static constexpr NSTimeInterval kFirstTurnDelay = 0.4;
    static constexpr CGFloat kCornerRadius = 12;

    // YES while the category's screen has not been seen; NO for a name without a flag.
    static bool shouldShowModeInfoForCategory(const CollectionObject& category);
    // Marks the category's screen as seen (a name without a flag changes nothing) and saves
    // the settings.
    static void setModeInfoForCategoryShown(const CollectionObject& category);

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;

    // Fills the screen and starts the wipe loop; once, after the view is loaded. The category
    // is held, not owned: the mode list keeps it.
    void setCategory(const CollectionObject* category);
    const CollectionObject* category() const { return category_; }
    void stopAnimating() { shouldStopAnimating_ = true; }
    bool shouldStopAnimating() const { return shouldStopAnimating_; }
    void setBlock(std::function<void()> block) { block_ = std::move(block); }
    void dismissButtonTouched();

    // The category's content colour half-way toward the light colour.
    UIColor contentColor() const;
    static std::string imageNameForCategory(const CollectionObject& category);
    static std::string descriptionForCategory(const CollectionObject& category);
    static std::string usageForCategory(const CollectionObject& category);

    void setupCompareViewTransition();
    void beginCompareViewTransition();

    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    const std::shared_ptr<UIImageView>& modeView() const { return modeView_; }
    const std::shared_ptr<UIView>& modeBackgroundView() const { return modeBackgroundView_; }
    const std::shared_ptr<UILabel>& modeTitle() const { return modeTitle_; }
    const std::shared_ptr<CompareView>& compareView() const { return compareView_; }
    const std::shared_ptr<UIImageView>& compareViewOriginal() const { return compareViewOriginal_; }
    const std::shared_ptr<UILabel>& compareDescription() const { return compareDescription_; }
    const std::shared_ptr<UILabel>& modeDescription() const { return modeDescription_; }
    const std::shared_ptr<UILabel>& modeUsage() const { return modeUsage_; }
    const std::shared_ptr<UIButton>& dismissView() const { return dismissView_; }

private:
    // The screen's views as laid out for its device (+View.cpp).
    void buildViews();
    std::weak_ptr<ModeInfoViewController> weakSelf();

    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UIImageView> modeView_;
    std::shared_ptr<UIView> modeBackgroundView_;
    std::shared_ptr<UILabel> modeTitle_;
    std::shared_ptr<CompareView> compareView_;
    std::shared_ptr<UIImageView> compareViewOriginal_;
    std::shared_ptr<UILabel> compareDescription_;
    std::shared_ptr<UILabel> modeDescription_;
    std::shared_ptr<UILabel> modeUsage_;
    std::shared_ptr<UIButton> dismissView_;
    std::function<void()> block_;
    const CollectionObject* category_ = nullptr;
    bool shouldStopAnimating_ = false;
};
