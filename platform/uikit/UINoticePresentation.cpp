#include "platform/uikit/UINoticePresentation.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIWindow.h"

namespace {

constexpr CGFloat kPaddingX = 16, kPaddingY = 10, kCornerRadius = 10, kFontSize = 15;

struct Notice {
    std::weak_ptr<UIView> box;
    std::string text;
    // Tells a notice's own fade from that of one shown before it.
    unsigned generation = 0;
};

Notice& notice() {
    static Notice* n = new Notice;  // outlives the views of static destruction
    return *n;
}

void takeAway(const std::shared_ptr<UIView>& box) {
    if (box) box->removeFromSuperview();
}

}  // namespace

void UINoticePresentation::show(const std::string& text) {
    Notice& n = notice();
    takeAway(n.box.lock());
    n.box.reset();
    n.text.clear();
    UIWindow* window = UIWindow::keyWindow();
    if (!window || text.empty()) return;

    const CGRect screen = window->bounds();
    const CGFloat textWidth = std::min(kMaximumWidth, screen.size.width - 40) - 2 * kPaddingX;
    auto label = std::make_shared<UILabel>();
    label->setFont(UIFont::systemFontOfSize(kFontSize));
    label->setTextColor(UIColor::whiteColor());
    label->setTextAlignment(NSTextAlignment::Center);
    label->setNumberOfLines(0);
    label->setText(text);
    label->setUserInteractionEnabled(false);
    const CGSize fits = label->sizeThatFits({textWidth, 10000});
    const CGSize size{std::ceil(std::min(fits.width, textWidth)), std::ceil(fits.height)};
    label->setFrame(CGRectMake(kPaddingX, kPaddingY, size.width, size.height));

    const CGSize boxSize{size.width + 2 * kPaddingX, size.height + 2 * kPaddingY};
    auto box = std::make_shared<UIView>(CGRectMake(CGRectGetMidX(screen) - boxSize.width / 2,
                                                   screen.size.height * kBottom - boxSize.height, boxSize.width,
                                                   boxSize.height));
    box->setBackgroundColor(UIColor::colorWithWhite(0.12, 0.9));
    // A light edge sets it apart from dark screens as well.
    box->layer()->setBorderWidth(0.5);
    box->layer()->setBorderColor(UIColor::colorWithWhite(1, 0.35).CGColor());
    box->layer()->setCornerRadius(kCornerRadius);
    box->setUserInteractionEnabled(false);
    box->addSubview(label);
    window->addSubview(box);

    n.box = box;
    n.text = text;
    const unsigned generation = ++n.generation;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(kShownFor * NSEC_PER_SEC)),
                   dispatch_get_main_queue(), [generation] {
                       Notice& shown = notice();
                       auto box = shown.box.lock();
                       if (shown.generation != generation || !box) return;
                       UIView::animateWithDuration(
                           kFadeDuration, [box] { box->setAlpha(0); },
                           [generation](bool) {
                               Notice& faded = notice();
                               if (faded.generation != generation) return;
                               takeAway(faded.box.lock());
                               faded.box.reset();
                               faded.text.clear();
                           });
                   });
}

std::string UINoticePresentation::shownText() { return notice().box.expired() ? std::string() : notice().text; }

UIView* UINoticePresentation::shownView() { return notice().box.lock().get(); }

std::string UINoticePresentation::displayPath(const std::filesystem::path& path) {
    const std::filesystem::path normal = path.lexically_normal();
    const char* home = std::getenv("HOME");
    if (!home || !*home) return normal.string();
    const auto relative = normal.lexically_relative(std::filesystem::path(home).lexically_normal());
    if (relative.empty() || *relative.begin() == "..") return normal.string();
    return relative == "." ? "~" : "~/" + relative.string();
}
