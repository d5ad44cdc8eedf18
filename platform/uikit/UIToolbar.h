#pragma once
// A bar of items along the bottom of a screen: fixed-width items and spaces keep their widths,
// flexible spaces share what is left equally.
#include <memory>
#include <vector>

#include "platform/uikit/UIBar.h"

class UIBarButtonItem;

class UIToolbar : public UIBar {
public:
    explicit UIToolbar(CGRect frame = CGRectZero) : UIBar(frame) {}

    const std::vector<std::shared_ptr<UIBarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool animated = false);

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

private:
    std::vector<std::shared_ptr<UIBarButtonItem>> items_;
};
