#include "ui/widgets/TitleButtonView.h"

#include "ui/appearance/AppAppearance.h"

TitleButtonView::TitleButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 88, 44)) {
    button().titleLabel()->setFont(AppAppearance::defaultFont());
    setTitleColor(AppAppearance::defaultSecondaryColor());
}

TitleButtonView::TitleButtonView(const std::string& title) : TitleButtonView(CGRectMake(0, 0, 60, 44)) {
    setTitle(title);
}

void TitleButtonView::setTitle(const std::string& title) { button().setTitle(title, UIControlStateNormal); }

void TitleButtonView::setTitleSize(CGFloat size) {
    titleSize_ = size;
    button().titleLabel()->setFont(AppAppearance::defaultFontOfSize(size));
    button().setNeedsLayout();
}

void TitleButtonView::setTitleColor(const UIColor& color) { button().setTitleColor(color, UIControlStateNormal); }

void TitleButtonView::setTintColor(std::optional<UIColor> color) {
    ButtonView::setTintColor(color);
    setTitleColor(tintColor());
}

void TitleButtonView::buttonTouched() {
    animatePress();
    if (block_) block_();
}
