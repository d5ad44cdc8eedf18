#pragma once
// The before/after toggle: the "compare" picture as a template on a 44-point button. A tap
// flips `comparing` and tells the block the new value at once; the press animation runs.
#include "ui/widgets/ButtonView.h"

class CompareButtonView : public ButtonView {
public:
    explicit CompareButtonView(CGRect frame = CGRectMake(0, 0, 44, 44));

    bool isComparing() const { return comparing_; }
    // Stores only.
    void setComparing(bool comparing) { comparing_ = comparing; }
    void setBlock(std::function<void(bool comparing)> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    bool comparing_ = false;
    std::function<void(bool)> block_;
};
