#include "platform/uikit/UIBarButtonItem.h"

#include <algorithm>

#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIView.h"

namespace {

constexpr CGFloat kGlyphSide = 24;
constexpr CGFloat kItemPadding = 8;
constexpr CGFloat kBarItemHeight = 44;
constexpr CGFloat kTitleFontSize = 17;
// How much of the tint a disabled item keeps.
constexpr CGFloat kDisabledAlpha = 0.35;

const char* systemTitle(UIBarButtonSystemItem item) {
    switch (item) {
    case UIBarButtonSystemItem::Done: return "Done";
    case UIBarButtonSystemItem::Cancel: return "Cancel";
    case UIBarButtonSystemItem::Edit: return "Edit";
    case UIBarButtonSystemItem::Save: return "Save";
    default: return "";
    }
}

// The view of a titled or pictured item: the title or the picture drawn in the item's tint or
// else the inherited one,
// centred; a tap that ends inside sends the item's action.
class BarItemView : public UIView {
public:
    explicit BarItemView(UIBarButtonItem& item) : UIView(CGRectZero), item_(&item) {
        setBackgroundColor(UIColor::clearColor());
        sizeToFit();
    }
    void forget() { item_ = nullptr; }
    void sizeToFit() {
        if (!item_) return;
        CGSize content{kGlyphSide, kGlyphSide};
        if (const UIImagePtr image = picture()) content = image->size();
        else if (!item_->title().empty())
            content = NSStringDrawing::sizeWithAttributes(item_->title(), attributes(UIColor()));
        const CGFloat width = item_->width() > 0 ? item_->width() : std::ceil(content.width) + 2 * kItemPadding;
        setBounds({CGPointZero, {width, kBarItemHeight}});
        setNeedsDisplay();
    }
    void drawRect(CGRect) override {
        if (!item_) return;
        UIColor tint = item_->tintColor().value_or(tintColor());
        if (!item_->isEnabled()) tint = tint.colorWithAlphaComponent(tint.alpha() * kDisabledAlpha);
        const CGRect b = bounds();
        if (const UIImagePtr image = picture()) {
            const CGSize s = image->size();
            const CGRect r{{CGRectGetMidX(b) - s.width / 2, CGRectGetMidY(b) - s.height / 2}, s};
            // A template: the picture's alpha is the shape, filled with the tint.
            const CGContextRef c = UIGraphicsGetCurrentContext();
            CGContextSaveGState(c);
            UIGraphicsBeginImageContextWithOptions(b.size, false, 0);
            image->drawInRect(r);
            CGContextRef mask = UIGraphicsGetCurrentContext();
            CGContextSetBlendMode(mask, kCGBlendModeSourceIn);
            CGContextSetFillColorWithColor(mask, tint.CGColor());
            CGContextFillRect(mask, b);
            const UIImagePtr tinted = UIGraphicsGetImageFromCurrentImageContext();
            UIGraphicsEndImageContext();
            tinted->drawInRect(b);
            CGContextRestoreGState(c);
            return;
        }
        const CGSize s = NSStringDrawing::sizeWithAttributes(item_->title(), attributes(tint));
        NSStringDrawing::drawAtPoint(item_->title(), {CGRectGetMidX(b) - s.width / 2, CGRectGetMidY(b) - s.height / 2},
                                     attributes(tint));
    }
    void tintColorDidChange() override { setNeedsDisplay(); }
    void touchesBegan(const UITouchSet&, const UIEvent*) override {}
    void touchesMoved(const UITouchSet&, const UIEvent*) override {}
    void touchesCancelled(const UITouchSet&, const UIEvent*) override {}
    void touchesEnded(const UITouchSet& touches, const UIEvent*) override {
        if (!item_ || touches.empty()) return;
        if (pointInside(touches.front()->locationInView(this))) item_->sendAction();
    }

private:
    UIImagePtr picture() const {
        if (item_->image()) return item_->image();
        return item_->systemItem() ? UIBarButtonItem::systemGlyph(*item_->systemItem()) : nullptr;
    }
    NSStringAttributes attributes(UIColor color) const {
        const bool bold = item_->style() == UIBarButtonItemStyle::Done;
        return {bold ? UIFont::boldSystemFontOfSize(kTitleFontSize) : UIFont::systemFontOfSize(kTitleFontSize), color};
    }

    UIBarButtonItem* item_;
};

}  // namespace

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem systemItem, Action action) {
    std::shared_ptr<UIBarButtonItem> item(new UIBarButtonItem);
    item->systemItem_ = systemItem;
    item->title_ = systemTitle(systemItem);
    if (systemItem == UIBarButtonSystemItem::Done) item->style_ = UIBarButtonItemStyle::Done;
    item->action_ = std::move(action);
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithImage(UIImagePtr image, UIBarButtonItemStyle style,
                                                                Action action) {
    std::shared_ptr<UIBarButtonItem> item(new UIBarButtonItem);
    item->image_ = std::move(image);
    item->style_ = style;
    item->action_ = std::move(action);
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithTitle(std::string title, UIBarButtonItemStyle style,
                                                                Action action) {
    std::shared_ptr<UIBarButtonItem> item(new UIBarButtonItem);
    item->title_ = std::move(title);
    item->style_ = style;
    item->action_ = std::move(action);
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithCustomView(std::shared_ptr<UIView> view) {
    std::shared_ptr<UIBarButtonItem> item(new UIBarButtonItem);
    item->customView_ = std::move(view);
    return item;
}

UIBarButtonItem::~UIBarButtonItem() {
    if (auto* v = dynamic_cast<BarItemView*>(view_.get())) v->forget();
}

void UIBarButtonItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}
void UIBarButtonItem::setImage(UIImagePtr image) {
    image_ = std::move(image);
    changed();
}
void UIBarButtonItem::setStyle(UIBarButtonItemStyle style) {
    style_ = style;
    changed();
}
void UIBarButtonItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}
void UIBarButtonItem::setTintColor(std::optional<UIColor> color) {
    tintColor_ = std::move(color);
    changed();
}

void UIBarButtonItem::changed() {
    if (auto* v = dynamic_cast<BarItemView*>(view_.get())) {
        v->sizeToFit();
        if (v->superview()) v->superview()->setNeedsLayout();
    }
}

void UIBarButtonItem::sendAction() {
    if (!enabled_ || !action_) return;
    auto keep = shared_from_this();
    action_(*this);
}

const std::shared_ptr<UIView>& UIBarButtonItem::view() {
    if (!view_) view_ = customView_ ? customView_ : std::make_shared<BarItemView>(*this);
    return view_;
}

UIImagePtr UIBarButtonItem::systemGlyph(UIBarButtonSystemItem item) {
    using S = UIBarButtonSystemItem;
    // The pictures of the bundle where there are some.
    if (item == S::Action) return UIImage::imageNamed("barAction");
    if (item == S::Trash) return UIImage::imageNamed("barTrash");
    if (item != S::Add && item != S::Camera && item != S::Stop && item != S::Refresh && item != S::Search &&
        item != S::Compose && item != S::Reply)
        return nullptr;
    const CGFloat s = kGlyphSide;
    UIGraphicsBeginImageContextWithOptions({s, s}, false, 0);
    const CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBStrokeColor(c, 0, 0, 0, 1);
    CGContextSetRGBFillColor(c, 0, 0, 0, 1);
    CGContextSetLineWidth(c, 1.5);
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextSetLineJoin(c, kCGLineJoinRound);
    CGContextBeginPath(c);
    switch (item) {
    case S::Add:
        CGContextMoveToPoint(c, 12, 3), CGContextAddLineToPoint(c, 12, 21);
        CGContextMoveToPoint(c, 3, 12), CGContextAddLineToPoint(c, 21, 12);
        break;
    case S::Stop:
        CGContextMoveToPoint(c, 5, 5), CGContextAddLineToPoint(c, 19, 19);
        CGContextMoveToPoint(c, 19, 5), CGContextAddLineToPoint(c, 5, 19);
        break;
    case S::Search:
        CGContextAddEllipseInRect(c, {{3, 3}, {13, 13}});
        CGContextMoveToPoint(c, 14, 14), CGContextAddLineToPoint(c, 21, 21);
        break;
    case S::Refresh:
        CGContextAddArc(c, 12, 13, 8, -1.2, 4.2, 0);
        CGContextMoveToPoint(c, 14, 2), CGContextAddLineToPoint(c, 16.5, 5.5), CGContextAddLineToPoint(c, 13, 8);
        break;
    case S::Camera:
        CGContextAddRect(c, {{2, 7}, {20, 14}});
        CGContextAddEllipseInRect(c, {{8, 10}, {8, 8}});
        CGContextMoveToPoint(c, 8, 7), CGContextAddLineToPoint(c, 10, 4), CGContextAddLineToPoint(c, 14, 4);
        CGContextAddLineToPoint(c, 16, 7);
        break;
    case S::Compose:
        CGContextAddRect(c, {{3, 6}, {14, 15}});
        CGContextMoveToPoint(c, 10, 14), CGContextAddLineToPoint(c, 21, 3);
        break;
    default:  // Reply: an arrow turning back to the left
        CGContextMoveToPoint(c, 9, 5), CGContextAddLineToPoint(c, 3, 11), CGContextAddLineToPoint(c, 9, 17);
        CGContextMoveToPoint(c, 3, 11), CGContextAddCurveToPoint(c, 14, 11, 21, 13, 21, 21);
        break;
    }
    CGContextStrokePath(c);
    UIImagePtr glyph = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return glyph;
}
