#include "platform/uikit/UIActionSheet.h"

#include <utility>

#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIView.h"

std::shared_ptr<UIActionSheet> UIActionSheet::actionSheet(std::string title,
                                                          std::shared_ptr<UIActionSheetDelegate> delegate,
                                                          std::optional<std::string> cancelButtonTitle,
                                                          std::optional<std::string> destructiveButtonTitle,
                                                          std::vector<std::string> otherButtonTitles) {
    std::shared_ptr<UIActionSheet> sheet(new UIActionSheet);
    sheet->title_ = std::move(title);
    sheet->delegate_ = delegate;
    if (destructiveButtonTitle) {
        sheet->destructiveIndex_ = 0;
        sheet->titles_.push_back(std::move(*destructiveButtonTitle));
    }
    for (auto& t : otherButtonTitles) sheet->titles_.push_back(std::move(t));
    if (cancelButtonTitle) {
        sheet->cancelIndex_ = sheet->numberOfButtons();
        sheet->titles_.push_back(std::move(*cancelButtonTitle));
    }
    return sheet;
}

std::string UIActionSheet::buttonTitleAtIndex(int index) const {
    return index >= 0 && index < numberOfButtons() ? titles_[index] : std::string();
}

void UIActionSheet::showInView(const std::shared_ptr<UIView>& view) {
    showFromRect(view ? view->bounds() : CGRectZero, view, true);
}

void UIActionSheet::showFromRect(CGRect rect, const std::shared_ptr<UIView>& view, bool) {
    if (presentation_) return;
    anchorView_ = view;
    anchorRect_ = rect;
    presentation_ = std::make_shared<UIAlertPresentation>();
    presentation_->title = title_;
    presentation_->style = UIAlertPresentation::Style::Sheet;
    presentation_->anchorView = view;
    presentation_->anchorRect = rect;
    for (int i = 0; i < numberOfButtons(); ++i)
        presentation_->buttons.push_back({titles_[i], i == cancelIndex_        ? UIAlertButtonKind::Cancel
                                                      : i == destructiveIndex_ ? UIAlertButtonKind::Destructive
                                                                               : UIAlertButtonKind::Default});
    presentation_->answer = [self = shared_from_this()](int index) {
        self->presentation_ = nullptr;
        const bool clicked = !std::exchange(self->dismissing_, false);
        if (auto d = self->delegate(); d && clicked) d->actionSheetClickedButtonAtIndex(*self, index);
        if (auto d = self->delegate()) d->actionSheetWillDismissWithButtonIndex(*self, index);
        if (auto d = self->delegate()) d->actionSheetDidDismissWithButtonIndex(*self, index);
    };
    UIAlertPresentation::show(presentation_);
}

bool UIActionSheet::isVisible() const { return presentation_ && presentation_->isShown(); }

void UIActionSheet::dismissWithClickedButtonIndex(int index, bool) {
    auto p = presentation_;
    if (!p) return;
    dismissing_ = true;  // not a tap: the delegate hears only of the dismissal
    p->dismissWithIndex(index);
    dismissing_ = false;
}
