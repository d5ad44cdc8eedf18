#pragma once
// The bar at the top of a navigation controller: a background (style, translucency, bar tint or
// a background picture), a hairline shadow along its bottom edge (a shadow picture replaces it;
// an empty picture removes it), the top item's title in the title attributes (or its title
// view) and its left and right items. Below the top item a back item is shown at the left
// unless the top item has left items or hides it; its tap runs the back action.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIBar.h"
#include "platform/uikit/UIImage.h"

class UIBarButtonItem;
class UINavigationItem;

class UINavigationBar : public UIBar {
public:
    explicit UINavigationBar(CGRect frame = CGRectZero);
    ~UINavigationBar() override;

    const UIImagePtr& backgroundImage() const { return backgroundImage_; }
    void setBackgroundImage(UIImagePtr image);
    const UIImagePtr& shadowImage() const { return shadowImage_; }
    void setShadowImage(UIImagePtr image);
    // Font and colour of the title; unset: bold 17 points, black (white on the black style).
    const std::optional<NSStringAttributes>& titleTextAttributes() const { return titleTextAttributes_; }
    void setTitleTextAttributes(std::optional<NSStringAttributes> attributes);
    NSStringAttributes effectiveTitleAttributes() const;

    // ---- Items ---------------------------------------------------------------------------
    const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return items_; }
    UINavigationItem* topItem() const { return items_.empty() ? nullptr : items_.back().get(); }
    UINavigationItem* backItem() const { return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get(); }
    void setItems(std::vector<std::shared_ptr<UINavigationItem>> items, bool animated);
    void pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated);
    void popNavigationItemAnimated(bool animated);
    void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }
    // The views of what the bar shows now (left to right: back or left items, then the right items).
    std::vector<std::shared_ptr<UIBarButtonItem>> shownItems() const;

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

private:
    void topItemChanged(bool animated);
    void listen(bool on);

    UIImagePtr backgroundImage_, shadowImage_;
    std::optional<NSStringAttributes> titleTextAttributes_;
    std::vector<std::shared_ptr<UINavigationItem>> items_;
    std::shared_ptr<UIBarButtonItem> backButton_;
    std::function<void()> backAction_;
};
