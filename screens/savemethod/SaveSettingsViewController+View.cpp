// The chooser's views: the title, the panel of the two choices (each a bordered button over
// its title and description), the note with its picture, and Continue; the button actions.
#include "platform/foundation/NSLocalizedString.h"
#include "screens/savemethod/SaveSettingsViewController.h"

namespace {

constexpr CGFloat kWidth = 300;
constexpr CGFloat kChoiceHeight = 76;
constexpr CGFloat kChoiceGap = 12;
constexpr CGFloat kTextInset = 14;

std::shared_ptr<UILabel> textLabel(const char* key, CGRect frame, int lines = 1) {
    auto label = std::make_shared<UILabel>(frame);
    label->setText(NSLocalizedString(key));
    label->setNumberOfLines(lines);
    label->setTextColor(UIColor::whiteColor());
    return label;
}

}  // namespace

void SaveSettingsViewController::buildViews() {
    UIView& root = *view();
    const auto self = this;
    titleLabel_ = textLabel("How should camera photos be saved?", CGRectMake(0, 128, kWidth, 50), 2);
    titleLabel_->setTextAlignment(NSTextAlignment::Center);

    contentView_ = std::make_shared<UIView>(CGRectMake(0, 190, kWidth, 2 * kChoiceHeight + kChoiceGap));
    const auto choice = [&](CGFloat y, const char* title, const char* description, std::shared_ptr<UIButton>& button,
                            std::shared_ptr<UILabel>& titleLabel, std::shared_ptr<UILabel>& descriptionLabel) {
        button = UIButton::buttonWithType(UIButtonType::Custom);
        button->setFrame(CGRectMake(0, y, kWidth, kChoiceHeight));
        titleLabel = textLabel(title, CGRectMake(kTextInset, y + 10, kWidth - 2 * kTextInset - 44, 24));
        descriptionLabel = textLabel(description, CGRectMake(kTextInset, y + 34, kWidth - 2 * kTextInset - 44, 36), 2);
        // The labels lie under the button's touches: the whole box is the button.
        titleLabel->setUserInteractionEnabled(false);
        descriptionLabel->setUserInteractionEnabled(false);
        contentView_->addSubview(titleLabel);
        contentView_->addSubview(descriptionLabel);
        contentView_->addSubview(button);
    };
    choice(0, "Save as Copy", "Keeps the edit with the photo, so you can change or revert it later", saveButton_,
           saveTitleLabel_, saveDescriptionLabel_);
    choice(kChoiceHeight + kChoiceGap, "Export", "Saves a plain image without the edit", exportButton_,
           exportTitleLabel_, exportDescriptionLabel_);
    saveButton_->addTarget(
        this, [self](UIControl&, const UIEvent*) { self->saveButtonTouched(); }, UIControlEventTouchUpInside);
    exportButton_->addTarget(
        this, [self](UIControl&, const UIEvent*) { self->exportButtonTouched(); }, UIControlEventTouchUpInside);

    settingsImage_ = std::make_shared<UIImageView>(UIImage::imageNamed("settings"));
    settingsImage_->setFrame(CGRectMake(40, 386, 24, 24));
    settingsLabel_ = textLabel("You can change this in Settings", CGRectMake(72, 386, 220, 24));

    continueButton_ = UIButton::buttonWithType(UIButtonType::Custom);
    continueButton_->setFrame(CGRectMake(0, 440, 200, 48));
    continueButton_->setTitle(NSLocalizedString("Continue"), UIControlStateNormal);
    continueButton_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    continueButton_->addTarget(
        this, [self](UIControl&, const UIEvent*) { self->continueButtonTouched(); }, UIControlEventTouchUpInside);

    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{
             titleLabel_, contentView_, settingsImage_, settingsLabel_, continueButton_})
        root.addSubview(v);
}
