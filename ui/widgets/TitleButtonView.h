#pragma once
// A text button for bars: an 88 x 44 button with the title in the application's font and the
// secondary colour. A new tint also becomes the title colour. A tap runs the block at once,
// as the press animation starts.
#include <string>

#include "ui/widgets/ButtonView.h"

class TitleButtonView : public ButtonView {
public:
    explicit TitleButtonView(CGRect frame = CGRectMake(0, 0, 60, 44));
    // A 60 x 44 view, the wider button overhanging it on both sides.
    explicit TitleButtonView(const std::string& title);

    std::string title() const { return button().titleForState(UIControlStateNormal).value_or(""); }
    void setTitle(const std::string& title);
    CGFloat titleSize() const { return titleSize_; }
    void setTitleSize(CGFloat size);
    void setTitleColor(const UIColor& color);
    void setTintColor(std::optional<UIColor> color) override;
    const std::function<void()>& block() const { return block_; }
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    CGFloat titleSize_ = 14;
    std::function<void()> block_;
};
