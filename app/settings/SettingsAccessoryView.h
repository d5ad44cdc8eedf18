#pragma once
// The small marks at the right of a settings row, drawn in the tint colour: a disclosure
// chevron (a row that opens a page) or a check mark (the chosen option).
#include "platform/uikit/UIView.h"

enum class SettingsAccessoryType { DisclosureIndicator = 1, Checkmark = 3 };

class SettingsAccessoryView : public UIView {
public:
    SettingsAccessoryView(CGRect frame, SettingsAccessoryType type);
    SettingsAccessoryType accessoryType() const { return type_; }
    void drawRect(CGRect rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

private:
    SettingsAccessoryType type_;
};
