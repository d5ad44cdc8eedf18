#pragma once
// The mode menu: which tones the current mode's contrast is based on, "Shadows" or
// "Highlights".
#include "app/settings/ChoiceMenuViewController.h"

class ModeMenuViewController : public ChoiceMenuViewController {
public:
    ModeMenuViewController() : ChoiceMenuViewController("Shadows", "Highlights") {}

    const std::shared_ptr<UIButton>& shadowsButton() const { return firstButton(); }
    const std::shared_ptr<UIButton>& highlightsButton() const { return secondButton(); }
    bool shadows() const { return firstChosen(); }
    void setShadows(bool shadows) { setFirstChosen(shadows); }
    // Told YES for Shadows, NO for Highlights.
    void setBlock(ChoiceBlock block) { setChoiceBlock(std::move(block)); }
    void shadowsButtonTouched() { chooseFirst(); }
    void highlightsButtonTouched() { chooseSecond(); }
};
