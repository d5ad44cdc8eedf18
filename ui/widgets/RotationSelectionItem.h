#pragma once
// One title of the rotation selection dial: a 100 × 30 point view holding its label (the
// application's font at 13 points, centred), placed on the drum at `angle` (0 the front,
// growing to the right). Selected it shows its title in `highlightColor`, else in `color`.
// Items are built in code; their width sets the drum's size (twelve items of 100 points
// stand on a drum of radius 186.6).
#include <memory>
#include <string>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

class RotationSelectionItem : public UIView {
public:
    static constexpr CGFloat kWidth = 100, kHeight = 30, kFontSize = 13;

    explicit RotationSelectionItem(CGRect frame = CGRectMake(0, 0, kWidth, kHeight));
    // The dial's item: the size above, with its label.
    static std::shared_ptr<RotationSelectionItem> item();

    const std::shared_ptr<UILabel>& label() const { return label_; }
    double angle() const { return angle_; }
    void setAngle(double angle) { angle_ = angle; }
    bool selected() const { return selected_; }
    void setSelected(bool selected);
    // A space fills the drum without a title.
    bool isSpace() const { return label_->text().empty(); }
    const UIColor& color() const { return color_; }
    void setColor(UIColor color);
    const UIColor& highlightColor() const { return highlightColor_; }
    // Also lays a glow of the colour on the title.
    void setHighlightColor(UIColor color);

private:
    std::shared_ptr<UILabel> label_;
    double angle_ = 0;
    bool selected_ = false;
    UIColor color_ = UIColor::whiteColor(), highlightColor_ = UIColor::yellowColor();
};
