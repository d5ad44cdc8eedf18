#pragma once
// The colour menu: whether the chosen colour look applies as a tint ("Tint") or in
// "Monochrome". With a message set (no look chosen), the message stands muted in place of
// both choices; clearing it brings them back.
#include <optional>
#include <string>

#include "app/settings/ChoiceMenuViewController.h"

class ColorMenuViewController : public ChoiceMenuViewController {
public:
    static constexpr CGFloat kMessageLineSpacing = 10;

    ColorMenuViewController() : ChoiceMenuViewController("Tint", "Monochrome") {}

    const std::shared_ptr<UIButton>& tintButton() const { return firstButton(); }
    const std::shared_ptr<UIButton>& monochromeButton() const { return secondButton(); }
    bool tint() const { return firstChosen(); }
    void setTint(bool tint) { setFirstChosen(tint); }
    // Told YES for Tint, NO for Monochrome.
    void setBlock(ChoiceBlock block) { setChoiceBlock(std::move(block)); }
    void tintButtonTouched() { chooseFirst(); }
    void monochromeButtonTouched() { chooseSecond(); }

    const std::optional<std::string>& customString() const { return customString_; }
    void setCustomString(std::optional<std::string> text);
    const std::shared_ptr<UIButton>& customButton() const { return customButton_; }

private:
    std::optional<std::string> customString_;
    std::shared_ptr<UIButton> customButton_;
};
