#pragma once
// The settings page: a scrolling list of section headers, switches and option lists, each
// row bound to one setting through a get and a set block. A tap on an option list slides in
// an option page (another SettingsView) listing the choices with a check mark on the current
// one and its description below; the page's owner sees every change through `changedBlock`.
//
// The page is built by its `layout` block, once, when the block is set; `basicLayout` builds
// the program's own page over the shared AmbrelAppSettings. Rows are plain views placed one
// below the other in the scroll view (`addSettingsView…` keeps the running `layoutOffset`).
//
// While an option page is shown or sliding, taps on the option rows below it are ignored, so
// the navigation items kept for the return are never replaced by the page's own back button.
//
// A stored option value that no option has shows an empty value and no check mark; nothing
// is written until the user picks one. The view finds its controller (for the navigation
// items of an option page) through the responder chain.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/settings/SettingsAccessoryView.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIVisualEffectView.h"

class SettingsView : public UIView {
public:
    using Block = std::function<void()>;
    using BoolGetBlock = std::function<bool()>;
    using BoolSetBlock = std::function<void(bool)>;
    using IntGetBlock = std::function<int()>;
    using IntSetBlock = std::function<void(int)>;
    using TappableBlock = std::function<void(UIButton&)>;
    using Completion = std::function<void(bool finished)>;

    static constexpr NSTimeInterval kFadeDuration = 0.6;
    static constexpr NSTimeInterval kPageDuration = 0.6;
    static constexpr NSTimeInterval kPageFadeDuration = 0.24;
    static constexpr CGFloat kRowSpacing = 18;

    explicit SettingsView(CGRect frame = CGRectZero);

    // ---- The page ------------------------------------------------------------------------
    const Block& changedBlock() const { return changedBlock_; }
    void setChangedBlock(Block block) { changedBlock_ = std::move(block); }
    bool useBlurBackground() const { return !effectView_->isHidden(); }
    void setUseBlurBackground(bool use) { effectView_->setHidden(!use); }
    // Building the page at once.
    void setLayout(Block layout);
    // The program's page: Photos (geotagging, default mode), Camera (save original, grid),
    // Saving (album and camera save methods, format).
    Block basicLayout();
    void layoutSettings();
    void layoutSubviews() override;
    UIViewController* viewController() const;
    // Fades the page in (alpha 0 to 1) or out over 0.6 s.
    void animateSettingsView(bool show, Completion completion);

    const std::shared_ptr<UIVisualEffectView>& effectView() const { return effectView_; }
    const std::shared_ptr<UIScrollView>& scrollView() const { return scrollView_; }
    UIView& contentView() { return *this; }
    CGFloat layoutOffset() const { return layoutOffset_; }
    // The option page while it is shown or sliding, else null.
    const std::shared_ptr<SettingsView>& optionPage() const { return optionPage_; }

    // ---- Rows ----------------------------------------------------------------------------
    void addHeader(const std::string& title);
    void addSwitch(const std::string& title, BoolGetBlock get, BoolSetBlock set) {
        addSwitch(title, std::nullopt, std::move(get), std::move(set));
    }
    void addSwitch(const std::string& title, const std::optional<std::string>& description, BoolGetBlock get,
                   BoolSetBlock set);
    // A row showing the current option's title that opens the option page.
    void addCheckbox(const std::string& title, const std::optional<std::string>& description,
                     std::vector<std::string> options, std::vector<std::string> optionDescriptions,
                     std::vector<int> optionValues, IntGetBlock get, IntSetBlock set);
    // The option page's rows.
    void addCheckboxRows(const std::string& title, const std::optional<std::string>& description,
                         const std::vector<std::string>& options, const std::vector<std::string>& optionDescriptions,
                         const std::vector<int>& optionValues, const IntGetBlock& get, const IntSetBlock& set);
    void animateCheckbox(const std::string& title, const std::optional<std::string>& description,
                         std::vector<std::string> options, std::vector<std::string> optionDescriptions,
                         std::vector<int> optionValues, IntGetBlock get, IntSetBlock set, Block back);
    std::shared_ptr<UILabel> addDescription(const std::string& text);
    void addSeparator();
    // A row view with the title and an optional description, not yet placed.
    std::shared_ptr<UIView> addLabel(const std::string& title, const std::optional<std::string>& description);
    // A 44-point button showing the accessory, not yet placed.
    std::shared_ptr<UIButton> addAccessory(SettingsAccessoryType type);

    // ---- Placement -----------------------------------------------------------------------
    void addSettingsView(const std::shared_ptr<UIView>& view) {
        addSettingsView(view, 4, 4, UIViewAutoresizingFlexibleWidth, nullptr);
    }
    void addSettingsView(const std::shared_ptr<UIView>& view, CGFloat spacing) {
        addSettingsView(view, spacing, spacing, UIViewAutoresizingFlexibleWidth, nullptr);
    }
    void addSettingsView(const std::shared_ptr<UIView>& view, CGFloat spacing, TappableBlock tappable) {
        addSettingsView(view, spacing, spacing, UIViewAutoresizingFlexibleWidth, std::move(tappable));
    }
    void addSettingsView(const std::shared_ptr<UIView>& view, CGFloat before, CGFloat after) {
        addSettingsView(view, before, after, UIViewAutoresizingFlexibleWidth, nullptr);
    }
    void addSettingsView(const std::shared_ptr<UIView>& view, CGFloat before, CGFloat after, TappableBlock tappable) {
        addSettingsView(view, before, after, UIViewAutoresizingFlexibleWidth, std::move(tappable));
    }
    void addSettingsView(const std::shared_ptr<UIView>& view, CGFloat before, CGFloat after, UIViewAutoresizing mask) {
        addSettingsView(view, before, after, mask, nullptr);
    }
    void addSettingsView(const std::shared_ptr<UIView>& view, CGFloat before, CGFloat after, UIViewAutoresizing mask,
                         TappableBlock tappable);

    // ---- Option page state ---------------------------------------------------------------
    const std::shared_ptr<SettingsAccessoryView>& checkmark() const { return checkmark_; }
    const std::shared_ptr<UILabel>& descriptionLabel() const { return descriptionLabel_; }

private:
    void initialize();
    // The accessory button placed at the row's right edge, centred vertically.
    std::shared_ptr<UIButton> placeAccessory(UIView& row, SettingsAccessoryType type);
    void returnFromOptionPage();

    Block changedBlock_;
    Block layout_;
    std::shared_ptr<UIVisualEffectView> effectView_;
    std::shared_ptr<UIScrollView> scrollView_;
    CGFloat layoutOffset_ = 0;

    // This page's open option page and what it took from the navigation item.
    std::shared_ptr<SettingsView> optionPage_;
    std::shared_ptr<UIView> keptTitleView_;
    std::shared_ptr<UIBarButtonItem> keptLeftItem_;
    Block optionPageBack_;
    bool returning_ = false;

    // On an option page: the chosen row's mark and the description below the list.
    std::shared_ptr<SettingsAccessoryView> checkmark_;
    std::shared_ptr<UILabel> descriptionLabel_;
};
