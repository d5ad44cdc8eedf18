#pragma once
// A small rounded panel on a dark blur asking for one of two choices, each a large text
// button. The current choice's title stands sharp in the selected colour (raised to a
// brightness of at least 0.8, so that it reads on the dark panel); the other sits muted
// behind a vibrancy effect. A tap makes its button the current choice and tells `block`,
// also when it already was. The panel's own view is built here (its size is the program's).
#include <functional>
#include <memory>
#include <string>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIVisualEffectView.h"

class ChoiceMenuViewController : public UIViewController {
public:
    using ChoiceBlock = std::function<void(bool first)>;
    static constexpr CGFloat kWidth = 280, kHeight = 200;
    static constexpr CGFloat kCornerRadius = 12, kTitleFontSize = 30, kMinimumBrightness = 0.8;

    ChoiceMenuViewController(std::string firstTitle, std::string secondTitle);

    void loadView() override;
    void viewDidLoad() override;

    const std::optional<UIColor>& selectedColor() const { return selectedColor_; }
    void setSelectedColor(const UIColor& color);
    bool firstChosen() const { return first_; }
    // Restyles: the chosen button sharp in the panel, the other in the vibrancy layer.
    void setFirstChosen(bool first);
    void setChoiceBlock(ChoiceBlock block) { block_ = std::move(block); }
    void chooseFirst();
    void chooseSecond();

    const std::shared_ptr<UIButton>& firstButton() const { return firstButton_; }
    const std::shared_ptr<UIButton>& secondButton() const { return secondButton_; }
    const std::shared_ptr<UIVisualEffectView>& effectView() const { return effectView_; }
    const std::shared_ptr<UIVisualEffectView>& vibrancyView() const { return vibrancyView_; }

private:
    std::string firstTitle_, secondTitle_;
    std::optional<UIColor> selectedColor_;
    bool first_ = false;
    ChoiceBlock block_;
    std::shared_ptr<UIButton> firstButton_, secondButton_;
    std::shared_ptr<UIVisualEffectView> effectView_, vibrancyView_;
};
