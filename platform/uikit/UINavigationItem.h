#pragma once
// What a navigation bar shows for one controller: a title (or a title view) and the items at
// the left and right. The bar showing the item hears of each change; an animated change of
// the items cross-fades the bar's content.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NSObject.h"

class UIBarButtonItem;
class UIView;

class UINavigationItem : public NSObject, public std::enable_shared_from_this<UINavigationItem> {
public:
    using Items = std::vector<std::shared_ptr<UIBarButtonItem>>;

    explicit UINavigationItem(std::string title = {}) : title_(std::move(title)) {}

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::shared_ptr<UIView>& titleView() const { return titleView_; }
    void setTitleView(std::shared_ptr<UIView> view);
    const Items& leftBarButtonItems() const { return left_; }
    const Items& rightBarButtonItems() const { return right_; }
    std::shared_ptr<UIBarButtonItem> leftBarButtonItem() const { return left_.empty() ? nullptr : left_.front(); }
    std::shared_ptr<UIBarButtonItem> rightBarButtonItem() const { return right_.empty() ? nullptr : right_.front(); }
    void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false);
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false);
    void setLeftBarButtonItems(Items items, bool animated = false);
    void setRightBarButtonItems(Items items, bool animated = false);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides) { hidesBackButton_ = hides; }

    // Stand-in internals: the bar that shows the item listens here (one at a time).
    void setChangeHandler(std::function<void(bool animated)> handler) { changed_ = std::move(handler); }

private:
    void changed(bool animated) {
        if (changed_) changed_(animated);
    }
    std::string title_;
    std::shared_ptr<UIView> titleView_;
    Items left_, right_;
    bool hidesBackButton_ = false;
    std::function<void(bool)> changed_;
};
