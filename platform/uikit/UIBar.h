#pragma once
// What navigation bars and toolbars share: a style, translucency and a bar tint, the
// background they paint from the three with a hairline along one edge (one home for the bars'
// default colours), and the item views they show.
#include <memory>
#include <optional>
#include <vector>

#include "platform/uikit/UIView.h"

enum class UIBarStyle { Default = 0, Black = 1 };

// The standard height of navigation bars and toolbars on the phone, in points.
inline constexpr double UIBarStandardHeight = 44;

class UIBar : public UIView {
public:
    UIBarStyle barStyle() const { return barStyle_; }
    void setBarStyle(UIBarStyle style);
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent);
    const std::optional<UIColor>& barTintColor() const { return barTintColor_; }
    void setBarTintColor(std::optional<UIColor> color);

    // The bar tint when set (kept slightly see-through when translucent), else the style's grey.
    UIColor barBackgroundColor() const;

protected:
    // Between the outermost items and the bar's edges.
    static constexpr CGFloat kEdgeMargin = 8;

    explicit UIBar(CGRect frame);
    // Fills the bounds with the background colour.
    void drawBackground() const;
    // A hairline of one device pixel along the top or the bottom edge.
    void drawHairline(bool atTop) const;
    // Shows exactly these views, each centred at its point; views are added and removed only
    // when the set changes (adding asks for layout again).
    void showViews(const std::vector<std::pair<std::shared_ptr<UIView>, CGPoint>>& views);
    // Lays out again, cross-fading the change when asked and shown.
    void relayout(bool animated);

private:
    UIBarStyle barStyle_ = UIBarStyle::Default;
    bool translucent_ = true;
    std::optional<UIColor> barTintColor_;
    std::vector<std::shared_ptr<UIView>> shownViews_;
};
