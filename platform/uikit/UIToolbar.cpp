#include "platform/uikit/UIToolbar.h"

#include "platform/uikit/UIBarButtonItem.h"

void UIToolbar::setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool animated) {
    items_ = std::move(items);
    relayout(animated);
}

void UIToolbar::layoutSubviews() {
    const CGRect b = bounds();
    CGFloat fixed = 0;
    int flexible = 0;
    for (const auto& item : items_) {
        if (item->systemItem() == UIBarButtonSystemItem::FlexibleSpace) ++flexible;
        else if (item->systemItem() == UIBarButtonSystemItem::FixedSpace) fixed += item->width();
        else fixed += item->view()->bounds().size.width;
    }
    const CGFloat share = flexible ? std::max<CGFloat>(0, b.size.width - 2 * kEdgeMargin - fixed) / flexible : 0;
    CGFloat x = kEdgeMargin;
    std::vector<std::pair<std::shared_ptr<UIView>, CGPoint>> views;
    for (const auto& item : items_) {
        if (item->systemItem() == UIBarButtonSystemItem::FlexibleSpace) {
            x += share;
        } else if (item->systemItem() == UIBarButtonSystemItem::FixedSpace) {
            x += item->width();
        } else {
            const auto& v = item->view();
            const CGFloat w = v->bounds().size.width;
            views.emplace_back(v, CGPoint{x + w / 2, CGRectGetMidY(b)});
            x += w;
        }
    }
    showViews(views);
}

void UIToolbar::drawRect(CGRect) {
    drawBackground();
    drawHairline(true);
}
