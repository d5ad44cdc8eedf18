#pragma once
// The one-time chooser of how camera photos are saved: as a copy that keeps its edit (save
// method 2) or exported as a plain picture (3). Two choices with a check mark on the chosen
// one, a note that Settings can change it, and Continue. Each choice is written to the
// settings at once; Continue records that the chooser was seen and ends the screen once,
// however often it is tapped.
//
// The presented controller owns itself through its dismissal block, cleared when it runs,
// so it is freed once it has faded out. The views are built in code
// (SaveSettingsViewController+View.cpp). Main thread only.
#include <functional>
#include <memory>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

class AmbrelActivityView;

class SaveSettingsViewController : public UIViewController {
public:
    using Block = std::function<void()>;

    static constexpr NSTimeInterval kChoiceDuration = 0.4;
    static constexpr NSTimeInterval kContinueDuration = 0.4;
    static constexpr NSTimeInterval kCompletionDelay = 0.1;
    static constexpr NSTimeInterval kFadeDuration = 0.4;
    // Where the screen goes among the container's subviews.
    static constexpr std::size_t kContainerIndex = 2;

    static bool shouldShowSaveSettings();
    // Shows the chooser in `container` when it has not been seen; otherwise `completion`
    // (may be empty) runs at once. After Continue the completion runs, then the screen fades.
    static void presentSaveSettingsIfNeeded(UIView& container, Block completion);

    SaveSettingsViewController() = default;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;

    void saveButtonTouched();
    void exportButtonTouched();
    void continueButtonTouched();

    const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    const std::shared_ptr<UIView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<UIView>& checkAccessory() const { return checkAccessory_; }
    const std::shared_ptr<AmbrelActivityView>& activityView() const { return activityView_; }
    const std::shared_ptr<UILabel>& saveTitleLabel() const { return saveTitleLabel_; }
    const std::shared_ptr<UILabel>& saveDescriptionLabel() const { return saveDescriptionLabel_; }
    const std::shared_ptr<UIButton>& saveButton() const { return saveButton_; }
    const std::shared_ptr<UILabel>& exportTitleLabel() const { return exportTitleLabel_; }
    const std::shared_ptr<UILabel>& exportDescriptionLabel() const { return exportDescriptionLabel_; }
    const std::shared_ptr<UIButton>& exportButton() const { return exportButton_; }
    const std::shared_ptr<UILabel>& settingsLabel() const { return settingsLabel_; }
    const std::shared_ptr<UIImageView>& settingsImage() const { return settingsImage_; }
    const std::shared_ptr<UIButton>& continueButton() const { return continueButton_; }
    const Block& completedBlock() const { return completedBlock_; }
    void setCompletedBlock(Block block) { completedBlock_ = std::move(block); }

private:
    // The views as the screen lays them out, with the button actions (+View.cpp).
    void buildViews();
    // The check mark and the two choices' look for the chosen one.
    void showChoice(bool exportChosen, bool animated, CGFloat damping);

    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UIView> backgroundView_;
    std::shared_ptr<UIView> checkAccessory_;
    std::shared_ptr<AmbrelActivityView> activityView_;
    std::shared_ptr<UILabel> saveTitleLabel_;
    std::shared_ptr<UILabel> saveDescriptionLabel_;
    std::shared_ptr<UIButton> saveButton_;
    std::shared_ptr<UILabel> exportTitleLabel_;
    std::shared_ptr<UILabel> exportDescriptionLabel_;
    std::shared_ptr<UIButton> exportButton_;
    std::shared_ptr<UILabel> settingsLabel_;
    std::shared_ptr<UIImageView> settingsImage_;
    std::shared_ptr<UIButton> continueButton_;
    Block completedBlock_;
    bool continued_ = false;
};
