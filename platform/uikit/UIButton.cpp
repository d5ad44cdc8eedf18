#include "platform/uikit/UIButton.h"

#include <algorithm>

namespace {

template <class Map>
const typename Map::mapped_type* forState(const Map& map, UIControlState state) {
    if (auto it = map.find(state); it != map.end()) return &it->second;
    // A combined state falls back to its highlighted, disabled or selected part, then normal.
    for (UIControlState part : {UIControlStateHighlighted, UIControlStateDisabled, UIControlStateSelected})
        if (state & part)
            if (auto it = map.find(part); it != map.end()) return &it->second;
    if (auto it = map.find(UIControlStateNormal); it != map.end()) return &it->second;
    return nullptr;
}

template <class Map, class Value>
void setForState(Map& map, std::optional<Value> value, UIControlState state) {
    if (value) map[state] = std::move(*value);
    else map.erase(state);
}

}  // namespace

UIButton::UIButton(CGRect frame, UIButtonType type)
    : UIControl(frame),
      type_(type),
      titleLabel_(std::make_shared<UILabel>()),
      imageView_(std::make_shared<UIImageView>()) {
    titleLabel_->setFont(UIFont::systemFontOfSize(type == UIButtonType::System ? 15 : 18));
    titleLabel_->setTextAlignment(NSTextAlignment::Center);
    titleLabel_->setHidden(true);
    imageView_->setHidden(true);
    imageView_->setContentMode(UIViewContentMode::ScaleAspectFit);
    addSubview(imageView_);
    addSubview(titleLabel_);
    updateContent();
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
    return std::make_shared<UIButton>(CGRectZero, type);
}

void UIButton::setTitle(std::optional<std::string> title, UIControlState state) {
    setForState(titles_, std::move(title), state);
    updateContent();
}

void UIButton::setTitleColor(std::optional<UIColor> color, UIControlState state) {
    setForState(titleColors_, std::move(color), state);
    updateContent();
}

void UIButton::setImage(UIImagePtr image, UIControlState state) {
    if (image) images_[state] = std::move(image);
    else images_.erase(state);
    updateContent();
}

std::optional<std::string> UIButton::titleForState(UIControlState state) const {
    const std::string* title = forState(titles_, state);
    return title ? std::optional(*title) : std::nullopt;
}

std::optional<UIColor> UIButton::titleColorForState(UIControlState state) const {
    const UIColor* color = forState(titleColors_, state);
    return color ? std::optional(*color) : std::nullopt;
}

UIImagePtr UIButton::imageForState(UIControlState state) const {
    const UIImagePtr* image = forState(images_, state);
    return image ? *image : nullptr;
}

void UIButton::setContentEdgeInsets(UIEdgeInsets insets) {
    contentInsets_ = insets;
    setNeedsLayout();
}
void UIButton::setImageEdgeInsets(UIEdgeInsets insets) {
    imageInsets_ = insets;
    setNeedsLayout();
}
void UIButton::setTitleEdgeInsets(UIEdgeInsets insets) {
    titleInsets_ = insets;
    setNeedsLayout();
}

void UIButton::stateDidChange() { updateContent(); }

void UIButton::tintColorDidChange() {
    if (type_ == UIButtonType::System) updateContent();
}

void UIButton::updateContent() {
    const UIControlState s = state();
    const std::optional<std::string> title = titleForState(s);
    titleLabel_->setText(title.value_or(""));
    titleLabel_->setHidden(!title || title->empty());
    UIColor color = type_ == UIButtonType::System ? tintColor() : UIColor::whiteColor();
    if (std::optional<UIColor> own = titleColorForState(s)) color = *own;
    else if (type_ == UIButtonType::System && (s & UIControlStateDisabled)) color = UIColor::colorWithWhite(0.5, 0.5);
    titleLabel_->setTextColor(color);
    // A system button dims its content while pressed.
    const CGFloat pressedAlpha = type_ == UIButtonType::System && (s & UIControlStateHighlighted) ? 0.2 : 1;
    titleLabel_->setAlpha(pressedAlpha);
    imageView_->setAlpha(pressedAlpha);
    UIImagePtr image = imageForState(s);
    if (image && type_ == UIButtonType::System && image->renderingMode() == UIImageRenderingMode::Automatic)
        image = image->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate);
    imageView_->setImage(image);
    imageView_->setHidden(!image);
    setNeedsLayout();
}

CGSize UIButton::sizeThatFits(CGSize) const {
    const UIImagePtr image = currentImage();
    const CGSize imageSize = image ? image->size() : CGSizeZero;
    const CGSize titleSize = titleLabel_->isHidden() ? CGSizeZero : titleLabel_->sizeThatFits({0, 0});
    return {imageSize.width + titleSize.width + contentInsets_.left + contentInsets_.right,
            std::max(imageSize.height, titleSize.height) + contentInsets_.top + contentInsets_.bottom};
}

void UIButton::sizeToFit() {
    CGRect f = frame();
    f.size = sizeThatFits(f.size);
    setFrame(f);
}

// A size placed in an area by the content alignment (fill takes the area's length).
CGRect UIButton::place(CGSize size, CGRect area) const {
    CGRect r{{0, 0}, size};
    switch (contentHorizontalAlignment()) {
    case UIControlContentHorizontalAlignment::Left: r.origin.x = area.origin.x; break;
    case UIControlContentHorizontalAlignment::Right: r.origin.x = CGRectGetMaxX(area) - size.width; break;
    case UIControlContentHorizontalAlignment::Fill: r.origin.x = area.origin.x, r.size.width = area.size.width; break;
    default: r.origin.x = area.origin.x + (area.size.width - size.width) / 2; break;
    }
    switch (contentVerticalAlignment()) {
    case UIControlContentVerticalAlignment::Top: r.origin.y = area.origin.y; break;
    case UIControlContentVerticalAlignment::Bottom: r.origin.y = CGRectGetMaxY(area) - size.height; break;
    case UIControlContentVerticalAlignment::Fill: r.origin.y = area.origin.y, r.size.height = area.size.height; break;
    default: r.origin.y = area.origin.y + (area.size.height - size.height) / 2; break;
    }
    return r;
}

void UIButton::layoutSubviews() {
    const CGRect content = UIEdgeInsetsInsetRect(bounds(), contentInsets_);
    const UIImagePtr image = imageView_->isHidden() ? nullptr : imageView_->image();
    const bool hasTitle = !titleLabel_->isHidden();
    CGSize imageSize = image ? image->size() : CGSizeZero;
    CGSize titleSize = hasTitle ? titleLabel_->sizeThatFits({0, 0}) : CGSizeZero;
    // Too big a picture shrinks to the content (keeping its shape); the title takes what is left.
    const CGRect imageArea = UIEdgeInsetsInsetRect(content, imageInsets_);
    if (imageSize.width > imageArea.size.width || imageSize.height > imageArea.size.height) {
        const CGFloat k =
            std::max<CGFloat>(0, std::min(imageArea.size.width / std::max<CGFloat>(imageSize.width, 1),
                                          imageArea.size.height / std::max<CGFloat>(imageSize.height, 1)));
        imageSize = {imageSize.width * k, imageSize.height * k};
    }
    titleSize.width = std::max<CGFloat>(0, std::min(titleSize.width, content.size.width - imageSize.width));
    titleSize.height = std::min(titleSize.height, content.size.height);
    // Side by side: both as one block placed by the alignment, then each moved by its insets.
    const CGRect block =
        place({imageSize.width + titleSize.width, std::max(imageSize.height, titleSize.height)}, content);
    if (image) {
        CGRect r = place(imageSize, UIEdgeInsetsInsetRect(content, imageInsets_));
        if (hasTitle) r.origin.x = block.origin.x + imageInsets_.left - imageInsets_.right;
        imageView_->setFrame(r);
    }
    if (hasTitle) {
        CGRect r = place(titleSize, UIEdgeInsetsInsetRect(content, titleInsets_));
        if (image)
            r.origin.x = block.origin.x + imageSize.width + titleInsets_.left - titleInsets_.right, r.size = titleSize;
        titleLabel_->setFrame(r);
    }
}
