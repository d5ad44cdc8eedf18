#pragma once
// A circular on/off toggle: a light ring holding a light disc that grows in when the switch
// turns on and shrinks away when it turns off. A tap anywhere on it flips it (0.2 s) and tells
// `changedBlock` the new state; setting the state in code never tells the block.
#include <functional>
#include <memory>

#include "platform/uikit/UIButton.h"

class SwitchView : public UIView {
public:
    explicit SwitchView(CGRect frame = CGRectZero);

    bool isOn() const { return on_; }
    void setOn(bool on) { setOn(on, false); }
    void setOn(bool on, bool animated);
    const std::shared_ptr<UIView>& onView() const { return onView_; }
    using ChangedBlock = std::function<void(bool on)>;
    void setChangedBlock(ChangedBlock block) { changedBlock_ = std::move(block); }

    // The tap area's action.
    void switchTouched();

    static constexpr double kDuration = 0.2;

private:
    void initialize();

    bool on_ = false;
    std::shared_ptr<UIView> onView_;
    ChangedBlock changedBlock_;
};
