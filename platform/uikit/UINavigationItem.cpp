#include "platform/uikit/UINavigationItem.h"

#include "platform/uikit/UIBarButtonItem.h"

void UINavigationItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed(false);
}

void UINavigationItem::setTitleView(std::shared_ptr<UIView> view) {
    titleView_ = std::move(view);
    changed(false);
}

void UINavigationItem::setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated) {
    setLeftBarButtonItems(item ? Items{std::move(item)} : Items{}, animated);
}

void UINavigationItem::setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated) {
    setRightBarButtonItems(item ? Items{std::move(item)} : Items{}, animated);
}

void UINavigationItem::setLeftBarButtonItems(Items items, bool animated) {
    left_ = std::move(items);
    changed(animated);
}

void UINavigationItem::setRightBarButtonItems(Items items, bool animated) {
    right_ = std::move(items);
    changed(animated);
}
