#pragma once
// The flash mode button: the picture of the mode (0 off, 1 on, 2 auto) in the tint. A touch
// steps off → auto → on → off (any other mode stays), runs the block, then cross-dissolves to
// the new picture over 0.4 s.
#include <cstdint>

#include "platform/uikit/UIImage.h"
#include "ui/widgets/ButtonView.h"

class FlashButtonView : public ButtonView {
public:
    static constexpr double kTransitionDuration = 0.4;

    explicit FlashButtonView(CGRect frame = CGRectMake(0, 0, 44, 44));

    std::int64_t flashMode() const { return flashMode_; }
    // Shows the mode's picture at once.
    void setFlashMode(std::int64_t mode);
    // The template picture of the current mode; null for an unknown mode.
    UIImagePtr imageForFlashMode() const;
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    void updateButtonForCurrentFlashMode();

    std::int64_t flashMode_ = 0;
    std::function<void()> block_;
};
