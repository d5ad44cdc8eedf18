#pragma once
// The mode information screen, as far as the main screen needs it now: a plain panel naming
// the mode category, with a close button that runs `block`; and the record, kept in the
// settings, of which categories' screens have been seen.
#include <functional>
#include <memory>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

class CollectionObject;

class ModeInfoViewController : public UIViewController {
public:
    // YES while the category's screen has not been seen; NO for a name without a flag.
    static bool shouldShowModeInfoForCategory(const CollectionObject& category);
    // Marks the category's screen as seen (a name without a flag changes nothing) and saves
    // the settings.
    static void setModeInfoForCategoryShown(const CollectionObject& category);

    void loadView() override;
    // Shows the category (held, not owned: the mode list keeps it).
    void setCategory(const CollectionObject* category);
    const CollectionObject* category() const { return category_; }
    void stopAnimating() { shouldStopAnimating_ = true; }
    bool shouldStopAnimating() const { return shouldStopAnimating_; }
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

    const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<UIButton>& closeButton() const { return closeButton_; }

private:
    const CollectionObject* category_ = nullptr;
    bool shouldStopAnimating_ = false;
    std::function<void()> block_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UIButton> closeButton_;
};
