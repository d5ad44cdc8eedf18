#include "ui/widgets/TextDisplayView.h"

#include "model/DeviceUtility.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/BoldLabel.h"

TextDisplayView::TextDisplayView(CGRect frame) : UIView(frame) { initialize(); }

void TextDisplayView::initialize() {
    setOpaque(false);
    setBackgroundColor(UIColor::clearColor());
    textSpacing_ = 12.0;
    groupView_ = std::make_shared<UIView>(bounds());
    groupView_->setBackgroundColor(UIColor::clearColor());
    addSubview(groupView_);
    headerLabel_ = newLabel();
    groupView_->addSubview(headerLabel_);
    setUseVisualEffect(true);
}

std::shared_ptr<UILabel> TextDisplayView::newLabel() const {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, bounds().size.width, 100.0));
    label->setTextColor(AppAppearance::defaultLightColor());
    label->setTextAlignment(NSTextAlignment::Center);
    return label;
}

std::shared_ptr<TextDisplayView> TextDisplayView::textDisplayViewWithHeaderOfSize(CGFloat size) {
    auto view = std::make_shared<TextDisplayView>();
    view->headerLabel_->setFont(AppAppearance::defaultFontOfSize(size));
    return view;
}

std::shared_ptr<TextDisplayView> TextDisplayView::textDisplayViewWithHeaderOfSize(CGFloat headerSize,
                                                                                  CGFloat detailSize) {
    auto view = textDisplayViewWithHeaderOfSize(headerSize);
    view->setShowsDetailText(true);
    view->detailLabel_->setFont(AppAppearance::defaultFontOfSize(detailSize));
    return view;
}

void TextDisplayView::setHeaderText(const std::string& text) {
    headerText_ = text;
    headerLabel_->setText(text);
    sizeLabelToFit(*headerLabel_);
}

void TextDisplayView::setDetailText(const std::string& text) {
    if (!detailLabel_) return;
    detailText_ = text;
    detailLabel_->setText(text);
    sizeLabelToFit(*detailLabel_);
}

void TextDisplayView::setHeaderColor(const UIColor& color) { headerLabel_->setTextColor(color); }

void TextDisplayView::setDetailColor(const UIColor& color) {
    if (detailLabel_) detailLabel_->setTextColor(color);
}

void TextDisplayView::setUseVisualEffect(bool use) {
    if (use == useVisualEffect_) return;
    useVisualEffect_ = use;
    if (use) {
        auto blur = std::make_shared<UIVisualEffectView>(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::ExtraLight));
        blur->setFrame(CGRectMake(0, 0, bounds().size.width, bounds().size.height));
        blur->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        insertSubview(blur, 0);
        // Only the text's coverage counts: the group becomes the blur's mask.
        groupView_->removeFromSuperview();
        blur->layer()->setMask(groupView_->layer());
        visualEffectView_ = blur;
    } else {
        if (auto blur = visualEffectView_.lock()) {
            blur->layer()->setMask(nullptr);
            blur->removeFromSuperview();
        }
        addSubview(groupView_);
        visualEffectView_.reset();
    }
}

void TextDisplayView::setShowsDetailText(bool shows) {
    if (shows == showsDetailText()) return;
    if (shows) {
        detailLabel_ = newLabel();
        groupView_->addSubview(detailLabel_);
    } else {
        detailLabel_->removeFromSuperview();
        detailLabel_ = nullptr;
        detailText_.clear();
    }
}

void TextDisplayView::setHeaderIsMultiline(bool multiline) {
    if (multiline == headerIsMultiline_) return;
    headerIsMultiline_ = multiline;
    headerLabel_->setNumberOfLines(multiline ? 0 : 1);
    sizeLabelToFit(*headerLabel_);
}

void TextDisplayView::setUseBoldHeader(bool bold) {
    useBoldHeader_ = bold;
    if (!bold) return;
    auto label = std::make_shared<BoldLabel>(headerLabel_->frame());
    label->setTextColor(AppAppearance::defaultLightColor());
    label->setTextAlignment(NSTextAlignment::Center);
    label->setFont(headerLabel_->font());
    label->setStrokeWidth(0.5);
    if (UIView* parent = headerLabel_->superview()) parent->addSubview(label);
    headerLabel_->removeFromSuperview();
    headerLabel_ = label;
    headerText_.clear();
}

void TextDisplayView::sizeLabelToFit(UILabel& label) {
    // The text's own height (line breaks count, no wrapping), with 10 points all round.
    const std::string& text = label.text();
    NSStringAttributes attributes{label.font(), label.textColor(), {}};
    CGFloat height = 0;
    std::size_t start = 0;
    do {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        height += NSStringDrawing::sizeWithAttributes(line.empty() ? " " : line, attributes).height;
        start = end == std::string::npos ? std::string::npos : end + 1;
    } while (start != std::string::npos);
    if (text.empty()) height = 0;
    label.setFrame(CGRectMake(0, 0, bounds().size.width + 20, height + 20));
    layoutLabels();
}

void TextDisplayView::layoutLabels() {
    CGSize group = headerLabel_->bounds().size;
    if (detailLabel_) {
        const CGSize detail = detailLabel_->bounds().size;
        group = {std::max(group.width, detail.width), group.height + textSpacing_ + detail.height};
    }
    // By bounds and centre, so that a turned group stays turned about its centre.
    const CGRect placed = rectWithSizeCenteredInRect(bounds(), rectWithSize(group));
    groupView_->setBounds(rectWithSize(group));
    groupView_->setCenter(rectCenter(placed));
    if (detailLabel_) {
        const CGRect inside = groupView_->bounds();
        headerLabel_->setFrame(rectWithSizeTopCenteredInRect(inside, headerLabel_->bounds()));
        detailLabel_->setFrame(rectWithSizeBottomCenteredInRect(inside, detailLabel_->bounds()));
    }
}

void TextDisplayView::setOrientation(int orientation, bool animated) {
    if (UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad) return;
    UIView* group = groupView_.get();
    const double angle = AppConstants::angleForOrientation(orientation);
    UIView::animateWithDuration(animated ? 0.2 : 0,
                                [group, angle] { group->setTransform(CGAffineTransformMakeRotation(angle)); });
}
