#include "platform/uikit/UIAlertPresentation.h"

#include <algorithm>
#include <deque>

#include "platform/uikit/UIInputDriver.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace {

constexpr CGFloat kAlertWidth = 270, kPanelWidth = 300, kSheetMargin = 8;
constexpr CGFloat kAlertButtonHeight = 44, kSheetButtonHeight = 57;
constexpr CGFloat kTextInset = 16, kTextTop = 20, kTextGap = 4, kTextBottom = 20;
constexpr CGFloat kCornerRadius = 13;
constexpr CGFloat kFieldGap = 8;
constexpr double kDimAlpha = 0.4;

UIColor panelColor() { return UIColor::colorWithWhite(0.97, 1); }
UIColor separatorColor() { return UIColor::colorWithWhite(0.8, 1); }

struct Queue {
    std::shared_ptr<UIAlertPresentation> shown;
    std::weak_ptr<UIView> overlay;
    int keyHandler = -1;
    std::deque<std::shared_ptr<UIAlertPresentation>> waiting;
    std::optional<UIColor> tint;
};

Queue& queue() {
    static Queue* q = new Queue;  // outlives the views of static destruction
    // A shown alert whose window went away with it is gone, unanswered.
    if (q->shown && q->overlay.expired()) {
        UIInputDriver::removeKeyHandler(q->keyHandler);
        q->keyHandler = -1;
        q->shown = nullptr;
    }
    return *q;
}

// Where everything goes, in the window's points.
struct AlertLayout {
    std::vector<CGRect> panels;  // the rounded panels
    CGRect titleFrame = CGRectZero, messageFrame = CGRectZero;
    std::vector<CGRect> buttonFrames;  // by button index; null when not shown
    std::vector<CGRect> fieldFrames;   // by field
};

// The overlay: the dimmed screen with the panels, labels and buttons over it; it takes every
// touch that lands on it.
class AlertOverlayView : public UIView {
public:
    AlertOverlayView(CGRect frame, UIAlertPresentation& presentation, AlertLayout layout)
        : UIView(frame), presentation_(&presentation), layout_(std::move(layout)) {
        setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        setBackgroundColor(presentation.isPanel() ? UIColor::clearColor() : UIColor::colorWithWhite(0, kDimAlpha));
        for (const CGRect& r : layout_.panels) {
            auto panel = std::make_shared<UIView>(r);
            panel->setBackgroundColor(panelColor());
            panel->layer()->setCornerRadius(kCornerRadius);
            panel->setClipsToBounds(true);
            addSubview(panel);
        }
        addText(presentation.title, layout_.titleFrame, UIFont::boldSystemFontOfSize(17), UIColor::blackColor());
        addText(presentation.message, layout_.messageFrame, UIFont::systemFontOfSize(13), UIColor::blackColor());
        for (std::size_t i = 0; i < presentation.fields.size() && i < layout_.fieldFrames.size(); ++i) {
            presentation.fields[i]->setFrame(layout_.fieldFrames[i]);
            addSubview(presentation.fields[i]);
        }
        const UIColor tint = UIAlertPresentation::tintColor();
        for (std::size_t i = 0; i < presentation.buttons.size(); ++i) {
            const CGRect r = layout_.buttonFrames[i];
            if (CGRectIsEmpty(r)) continue;
            auto separator = std::make_shared<UIView>(CGRectMake(r.origin.x, r.origin.y, r.size.width, 0.5));
            separator->setBackgroundColor(separatorColor());
            addSubview(separator);
            const UIAlertButton& b = presentation.buttons[i];
            const bool bold =
                b.kind == UIAlertButtonKind::Cancel && presentation.style == UIAlertPresentation::Style::Alert;
            addText(b.title, r, bold ? UIFont::boldSystemFontOfSize(17) : UIFont::systemFontOfSize(17),
                    b.kind == UIAlertButtonKind::Destructive ? UIColor::colorWithRed(1, 0.23, 0.19, 1) : tint);
        }
    }
    void forget() { presentation_ = nullptr; }

    void touchesBegan(const UITouchSet&, const UIEvent*) override {}
    void touchesMoved(const UITouchSet&, const UIEvent*) override {}
    void touchesCancelled(const UITouchSet&, const UIEvent*) override {}
    void touchesEnded(const UITouchSet& touches, const UIEvent*) override {
        if (!presentation_ || touches.empty()) return;
        const CGPoint p = touches.front()->locationInView(nullptr);
        for (std::size_t i = 0; i < layout_.buttonFrames.size(); ++i)
            if (CGRectContainsPoint(layout_.buttonFrames[i], p)) {
                presentation_->dismissWithIndex(static_cast<int>(i));
                return;
            }
        const bool inside = std::any_of(layout_.panels.begin(), layout_.panels.end(),
                                        [&](const CGRect& r) { return CGRectContainsPoint(r, p); });
        if (!inside && presentation_->isPanel()) presentation_->dismissWithIndex(presentation_->cancelIndex());
    }
    const AlertLayout& layout() const { return layout_; }

private:
    void addText(const std::string& text, CGRect frame, UIFont font, UIColor color) {
        if (text.empty() || CGRectIsEmpty(frame)) return;
        auto label = std::make_shared<UILabel>(frame);
        label->setFont(font);
        label->setTextColor(color);
        label->setTextAlignment(NSTextAlignment::Center);
        label->setNumberOfLines(0);
        label->setText(text);
        label->setUserInteractionEnabled(false);
        addSubview(label);
    }

    UIAlertPresentation* presentation_;
    AlertLayout layout_;
};

CGFloat textHeight(const std::string& text, UIFont font, CGFloat width) {
    if (text.empty()) return 0;
    UILabel label;
    label.setFont(font);
    label.setNumberOfLines(0);
    label.setText(text);
    return std::ceil(label.sizeThatFits({width, 10000}).height);
}

// The title and message from the top of a panel at (x, y) of width w; the new y.
CGFloat placeTexts(const UIAlertPresentation& p, AlertLayout& l, CGFloat x, CGFloat y, CGFloat w) {
    if (p.title.empty() && p.message.empty()) return y;
    y += kTextTop;
    const CGFloat tw = w - 2 * kTextInset;
    const CGFloat th = textHeight(p.title, UIFont::boldSystemFontOfSize(17), tw);
    l.titleFrame = CGRectMake(x + kTextInset, y, tw, th);
    y += th;
    if (th > 0 && !p.message.empty()) y += kTextGap;
    const CGFloat mh = textHeight(p.message, UIFont::systemFontOfSize(13), tw);
    l.messageFrame = CGRectMake(x + kTextInset, y, tw, mh);
    return y + mh + kTextBottom;
}

AlertLayout layoutFor(const UIAlertPresentation& p, CGRect screen) {
    AlertLayout l;
    l.buttonFrames.assign(p.buttons.size(), CGRectZero);
    const int cancel = p.cancelIndex();
    std::vector<int> order;  // the buttons top to bottom (or left to right), the cancel button last
    for (int i = 0; i < static_cast<int>(p.buttons.size()); ++i)
        if (i != cancel) order.push_back(i);
    const bool sideBySide = p.style == UIAlertPresentation::Style::Alert && p.buttons.size() == 2;
    if (cancel >= 0) {
        if (sideBySide) order.insert(order.begin(), cancel);
        else if (!p.isPanel()) order.push_back(cancel);
    }
    if (p.style == UIAlertPresentation::Style::Alert || p.isPanel()) {
        const CGFloat w = p.isPanel() ? kPanelWidth : kAlertWidth;
        const CGFloat bh = p.isPanel() ? kSheetButtonHeight : kAlertButtonHeight;
        CGFloat textEnd = placeTexts(p, l, 0, 0, w);
        if (!p.isPanel())
            for (const std::shared_ptr<UIView>& field : p.fields) {
                const CGFloat fh = field->bounds().size.height;
                l.fieldFrames.push_back(CGRectMake(kTextInset, textEnd, w - 2 * kTextInset, fh));
                textEnd += fh + kFieldGap;
            }
        if (!l.fieldFrames.empty()) textEnd += kTextBottom - kFieldGap;
        const CGFloat h = textEnd + (sideBySide ? bh : bh * static_cast<CGFloat>(order.size()));
        CGPoint origin{CGRectGetMidX(screen) - w / 2, CGRectGetMidY(screen) - h / 2};
        if (p.isPanel()) {
            CGRect anchor = p.anchorRect;
            if (auto view = p.anchorView.lock()) anchor = view->convertRectToView(anchor, nullptr);
            origin.x = std::clamp(CGRectGetMidX(anchor) - w / 2, 0.0, screen.size.width - w);
            origin.y = CGRectGetMaxY(anchor) + h <= CGRectGetMaxY(screen) ? CGRectGetMaxY(anchor)
                                                                          : std::max(0.0, CGRectGetMinY(anchor) - h);
        }
        l.panels.push_back({origin, {w, h}});
        l.titleFrame = CGRectOffset(l.titleFrame, origin.x, origin.y);
        l.messageFrame = CGRectOffset(l.messageFrame, origin.x, origin.y);
        for (CGRect& field : l.fieldFrames) field = CGRectOffset(field, origin.x, origin.y);
        for (std::size_t k = 0; k < order.size(); ++k) {
            l.buttonFrames[order[k]] = sideBySide ? CGRectMake(origin.x + w / 2 * k, origin.y + textEnd, w / 2, bh)
                                                  : CGRectMake(origin.x, origin.y + textEnd + bh * k, w, bh);
        }
        return l;
    }
    // The phone's sheet: the cancel button alone at the bottom, the rest in a panel above it.
    const CGFloat w = screen.size.width - 2 * kSheetMargin, x = kSheetMargin;
    CGFloat bottom = CGRectGetMaxY(screen) - kSheetMargin;
    if (cancel >= 0) {
        const CGRect r = CGRectMake(x, bottom - kSheetButtonHeight, w, kSheetButtonHeight);
        l.panels.push_back(r);
        l.buttonFrames[cancel] = r;
        bottom = r.origin.y - kSheetMargin;
        order.pop_back();
    }
    AlertLayout texts;
    const CGFloat textEnd = placeTexts(p, texts, 0, 0, w);
    const CGFloat h = textEnd + kSheetButtonHeight * static_cast<CGFloat>(order.size());
    if (h > 0) {
        const CGFloat y = bottom - h;
        l.panels.push_back(CGRectMake(x, y, w, h));
        l.titleFrame = CGRectOffset(texts.titleFrame, x, y);
        l.messageFrame = CGRectOffset(texts.messageFrame, x, y);
        for (std::size_t k = 0; k < order.size(); ++k)
            l.buttonFrames[order[k]] = CGRectMake(x, y + textEnd + kSheetButtonHeight * k, w, kSheetButtonHeight);
    }
    return l;
}

void showNext() {
    Queue& q = queue();
    if (q.shown || q.waiting.empty()) return;
    UIWindow* window = UIWindow::keyWindow();
    if (!window) return;  // shown once there is a window to show it in
    auto next = q.waiting.front();
    q.waiting.pop_front();
    auto overlay = std::make_shared<AlertOverlayView>(window->bounds(), *next, layoutFor(*next, window->bounds()));
    window->addSubview(overlay);
    q.overlay = overlay;
    q.shown = std::move(next);
    q.keyHandler = UIInputDriver::addKeyHandler([](const UIKeyPress& key) {
        UIAlertPresentation* shown = UIAlertPresentation::shown();
        if (!shown || key.code != UIKeyCode::Escape || key.control || shown->cancelIndex() < 0) return false;
        shown->dismissWithIndex(shown->cancelIndex());
        return true;
    });
}

}  // namespace

int UIAlertPresentation::cancelIndex() const {
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].kind == UIAlertButtonKind::Cancel) return static_cast<int>(i);
    return -1;
}

bool UIAlertPresentation::isPanel() const {
    return style == Style::Sheet && UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
}

void UIAlertPresentation::show(const std::shared_ptr<UIAlertPresentation>& presentation) {
    Queue& q = queue();
    if (!presentation || presentation == q.shown ||
        std::find(q.waiting.begin(), q.waiting.end(), presentation) != q.waiting.end())
        return;
    q.waiting.push_back(presentation);
    showNext();
}

void UIAlertPresentation::showFailure(const std::string& title, const std::string& message) {
    auto alert = std::make_shared<UIAlertPresentation>();
    alert->title = title;
    alert->message = message;
    alert->buttons.push_back({"OK", UIAlertButtonKind::Cancel});
    show(alert);
}

UIAlertPresentation* UIAlertPresentation::shown() { return queue().shown.get(); }

bool UIAlertPresentation::isSystemAlertView(const UIView* view) {
    Queue& q = queue();
    auto overlay = q.overlay.lock();
    if (!q.shown || !q.shown->system || !overlay) return false;
    for (const UIView* v = view; v; v = v->superview())
        if (v == overlay.get()) return true;
    return false;
}
std::size_t UIAlertPresentation::waitingCount() { return queue().waiting.size(); }

void UIAlertPresentation::dismissWithIndex(int index) {
    if (index < -1 || index >= static_cast<int>(buttons.size())) return;
    Queue& q = queue();
    auto self = shared_from_this();
    if (q.shown == self) {
        if (auto overlay = q.overlay.lock()) {
            static_cast<AlertOverlayView&>(*overlay).forget();
            overlay->removeFromSuperview();
        }
        UIInputDriver::removeKeyHandler(q.keyHandler);
        q.keyHandler = -1;
        q.shown = nullptr;
    } else {
        auto it = std::find(q.waiting.begin(), q.waiting.end(), self);
        if (it == q.waiting.end()) return;
        q.waiting.erase(it);
    }
    if (auto answered = std::move(answer)) answered(index);
    showNext();
}

CGRect UIAlertPresentation::buttonFrame(int index) const {
    auto overlay = queue().overlay.lock();
    if (!isShown() || !overlay || index < 0 || index >= static_cast<int>(buttons.size())) return CGRectZero;
    return static_cast<AlertOverlayView&>(*overlay).layout().buttonFrames[index];
}

int UIAlertPresentation::indexOfButton(const std::string& title) const {
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].title == title) return static_cast<int>(i);
    return -1;
}

UIColor UIAlertPresentation::tintColor() { return queue().tint.value_or(UIView::defaultTintColor()); }
void UIAlertPresentation::setTintColor(std::optional<UIColor> color) { queue().tint = std::move(color); }
