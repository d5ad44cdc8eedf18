#pragma once
// The pair of picture buttons "dismiss" (at a quarter of the width) and "confirm" (at three
// quarters), tinted in the secondary colour, with one block: YES for dismiss, NO for confirm.
#include <functional>

#include "ui/widgets/ButtonMenuView.h"

class ConfirmDismissView : public ButtonMenuView {
public:
    explicit ConfirmDismissView(CGRect frame = CGRectZero);

    const std::function<void(bool dismissed)>& block() const { return block_; }
    void setBlock(std::function<void(bool dismissed)> block) { block_ = std::move(block); }

private:
    std::function<void(bool)> block_;
};
