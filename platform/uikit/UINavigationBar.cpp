#include "platform/uikit/UINavigationBar.h"

#include <algorithm>

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"

namespace {

constexpr CGFloat kTitleFontSize = 17;

}  // namespace

UINavigationBar::UINavigationBar(CGRect frame) : UIBar(frame) {
    backButton_ = UIBarButtonItem::itemWithTitle("Back", UIBarButtonItemStyle::Plain, [this](UIBarButtonItem&) {
        if (backAction_) backAction_();
    });
}

UINavigationBar::~UINavigationBar() {
    listen(false);
    backButton_->setAction(nullptr);
}

void UINavigationBar::setBackgroundImage(UIImagePtr image) {
    backgroundImage_ = std::move(image);
    setNeedsDisplay();
}
void UINavigationBar::setShadowImage(UIImagePtr image) {
    shadowImage_ = std::move(image);
    setNeedsDisplay();
}
void UINavigationBar::setTitleTextAttributes(std::optional<NSStringAttributes> attributes) {
    titleTextAttributes_ = std::move(attributes);
    setNeedsDisplay();
}

NSStringAttributes UINavigationBar::effectiveTitleAttributes() const {
    if (titleTextAttributes_) return *titleTextAttributes_;
    return {UIFont::boldSystemFontOfSize(kTitleFontSize),
            barStyle() == UIBarStyle::Black ? UIColor::whiteColor() : UIColor::blackColor()};
}

void UINavigationBar::listen(bool on) {
    if (items_.empty()) return;
    items_.back()->setChangeHandler(on ? std::function<void(bool)>([this](bool animated) { topItemChanged(animated); })
                                       : nullptr);
}

void UINavigationBar::setItems(std::vector<std::shared_ptr<UINavigationItem>> items, bool animated) {
    listen(false);
    items_ = std::move(items);
    listen(true);
    topItemChanged(animated);
}

void UINavigationBar::pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated) {
    if (!item) return;
    auto items = items_;
    items.push_back(std::move(item));
    setItems(std::move(items), animated);
}

void UINavigationBar::popNavigationItemAnimated(bool animated) {
    if (items_.empty()) return;
    auto items = items_;
    items.pop_back();
    setItems(std::move(items), animated);
}

void UINavigationBar::topItemChanged(bool animated) { relayout(animated); }

std::vector<std::shared_ptr<UIBarButtonItem>> UINavigationBar::shownItems() const {
    std::vector<std::shared_ptr<UIBarButtonItem>> shown;
    const UINavigationItem* top = topItem();
    if (!top) return shown;
    shown = top->leftBarButtonItems();
    if (shown.empty() && backItem() && !top->hidesBackButton()) shown.push_back(backButton_);
    for (const auto& item : top->rightBarButtonItems()) shown.push_back(item);
    return shown;
}

void UINavigationBar::layoutSubviews() {
    std::vector<std::pair<std::shared_ptr<UIView>, CGPoint>> views;
    const UINavigationItem* top = topItem();
    if (top) {
        const CGRect b = bounds();
        const auto place = [&](UIBarButtonItem& item, CGFloat& x, bool fromRight) {
            const auto& v = item.view();
            const CGFloat w = v->bounds().size.width;
            if (fromRight) x -= w;
            views.emplace_back(v, CGPoint{x + w / 2, CGRectGetMidY(b)});
            if (!fromRight) x += w;
        };
        CGFloat left = kEdgeMargin, right = b.size.width - kEdgeMargin;
        const auto shown = shownItems();
        const std::size_t rightCount = top->rightBarButtonItems().size();
        for (std::size_t i = 0; i < shown.size() - rightCount; ++i) place(*shown[i], left, false);
        for (const auto& item : top->rightBarButtonItems()) place(*item, right, true);
        if (const auto& titleView = top->titleView())
            views.emplace_back(titleView, CGPoint{CGRectGetMidX(b), CGRectGetMidY(b)});
    }
    showViews(views);
}

void UINavigationBar::drawRect(CGRect) {
    const CGRect b = bounds();
    if (backgroundImage_) backgroundImage_->drawInRect(b);
    else drawBackground();
    // The hairline, unless a shadow picture says otherwise.
    if (!shadowImage_) {
        drawHairline(false);
    } else if (shadowImage_->size().height > 0) {
        const CGFloat h = shadowImage_->size().height;
        shadowImage_->drawInRect({{0, b.size.height - h}, {b.size.width, h}});
    }
    const UINavigationItem* top = topItem();
    if (!top || top->titleView() || top->title().empty()) return;
    const NSStringAttributes attributes = effectiveTitleAttributes();
    const CGSize s = NSStringDrawing::sizeWithAttributes(top->title(), attributes);
    NSStringDrawing::drawAtPoint(top->title(), {CGRectGetMidX(b) - s.width / 2, CGRectGetMidY(b) - s.height / 2},
                                 attributes);
}
