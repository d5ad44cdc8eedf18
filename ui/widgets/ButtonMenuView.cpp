#include "ui/widgets/ButtonMenuView.h"

#include "platform/foundation/NSObject.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/foundation/UIControl+BlockUtility.h"

namespace {

constexpr CGSize kStandardSize{44, 44};
constexpr CGFloat kDividerWidth = 1.0;

// The key of the bounds of a bar's last layout.
const void* lastLayoutKey() {
    static const char key = 0;
    return &key;
}

void attach(UIControl& control, ButtonMenuView::Action action, UIControlEvents events) {
    if (action) BlockUtility::setBlock(control, std::move(action), events);
}

}  // namespace

ButtonMenuView::ButtonMenuView(CGRect frame) : UIView(frame) { setBackgroundColor(UIColor::clearColor()); }

void ButtonMenuView::append(const std::shared_ptr<UIView>& view) {
    buttonViews_.push_back(view);
    addSubview(view);
}

void ButtonMenuView::addButtonWithImage(UIImagePtr image, CGSize imageSize, std::optional<UIColor> tintColor,
                                        Action action) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setBackgroundColor(UIColor::clearColor());
    attach(*button, std::move(action), UIControlEventTouchUpInside);
    if (tintColor && image) {
        image = image->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate);
        button->setTintColor(*tintColor);
    }
    button->setImage(std::move(image), UIControlStateNormal);
    button->setBounds({CGPointZero, imageSize});
    append(button);
}

void ButtonMenuView::addButtonWithImage(UIImagePtr image, std::optional<UIColor> tintColor, Action action) {
    addButtonWithImage(std::move(image), kStandardSize, std::move(tintColor), std::move(action));
}

void ButtonMenuView::addButtonWithImage(UIImagePtr image, Action action) {
    addButtonWithImage(std::move(image), std::nullopt, std::move(action));
}

std::shared_ptr<UIView> ButtonMenuView::addButtonWithView(std::shared_ptr<UIView> view, Action action) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setBackgroundColor(UIColor::clearColor());
    button->setFrame(view->bounds());
    view->addSubview(button);
    attach(*button, std::move(action), UIControlEventTouchUpInside);
    append(view);
    return view;
}

std::shared_ptr<UIButton> ButtonMenuView::addButtonWithString(const std::string& title,
                                                              std::optional<UIColor> tintColor) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setBackgroundColor(UIColor::clearColor());
    if (tintColor) button->setTitleColor(*tintColor, UIControlStateNormal);
    button->titleLabel()->setFont(AppAppearance::defaultFont());
    button->setTitle(title, UIControlStateNormal);
    button->sizeToFit();
    append(button);
    return button;
}

void ButtonMenuView::addButtonWithString(const std::string& title, std::optional<UIColor> tintColor, Action action) {
    attach(*addButtonWithString(title, std::move(tintColor)), std::move(action), UIControlEventTouchUpInside);
}

void ButtonMenuView::addButtonWithString(const std::string& title, Action action) {
    addButtonWithString(title, std::nullopt, std::move(action));
}

void ButtonMenuView::addButtonWithString(const std::string& title, std::optional<UIColor> tintColor, Action holdAction,
                                         Action releaseAction) {
    auto button = addButtonWithString(title, std::move(tintColor));
    attach(*button, std::move(holdAction), UIControlEventTouchDown);
    attach(*button, std::move(releaseAction),
           UIControlEventTouchUpInside | UIControlEventTouchUpOutside | UIControlEventTouchCancel);
}

void ButtonMenuView::clearButtons() {
    for (const auto& v : buttonViews_) v->removeFromSuperview();
    for (const auto& v : dividerViews_) v->removeFromSuperview();
    buttonViews_.clear();
    dividerViews_.clear();
}

void ButtonMenuView::layoutViews() {
    const std::size_t n = buttonViews_.size();
    if (n == 0) return;
    const double step = 1.0 / static_cast<double>(n);
    for (std::size_t k = 0; k < n; ++k)
        PositioningUtility::positionViewAtRelativeCenterX(*buttonViews_[k], step * (static_cast<double>(k) + 0.5),
                                                          *this);
    if (!showDivider_) return;
    for (const auto& v : dividerViews_) v->removeFromSuperview();
    dividerViews_.clear();
    for (std::size_t k = 1; k < n; ++k) {
        auto divider = std::make_shared<UIView>(CGRectMake(0, 0, kDividerWidth, bounds().size.height));
        divider->setBackgroundColor(AppAppearance::defaultSecondaryColor());
        dividerViews_.push_back(divider);
        addSubview(divider);
        PositioningUtility::positionViewAtRelativeCenterX(*divider, step * static_cast<double>(k), *this);
    }
}

void ButtonMenuView::layoutSubviews() {
    UIView::layoutSubviews();
    const auto last = associatedObjectAs<CGRect>(lastLayoutKey());
    const CGSize lastSize = last ? last->size : CGSizeZero;
    if (bounds().size == lastSize) return;
    setAssociatedObject(lastLayoutKey(), std::make_shared<CGRect>(bounds()));
    layoutViews();
}
