#pragma once
// Buttons: a control showing a picture and a title side by side, each chosen for the current
// state (highlighted, disabled or selected, falling back to the normal state's), laid out in
// the content rectangle (the bounds less the content insets) by the content alignment, each
// moved in by its own insets. The picture is shown by `imageView` (a template picture takes
// the button's tint), the title by `titleLabel` (set its font there). A system button's title
// is drawn in the tint unless a title colour is set; a custom button's title is white.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIGeometry.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

enum class UIButtonType { Custom = 0, System = 1 };

class UIButton : public UIControl {
public:
    explicit UIButton(CGRect frame = CGRectZero, UIButtonType type = UIButtonType::Custom);
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return type_; }

    void setTitle(std::optional<std::string> title, UIControlState state);
    void setTitleColor(std::optional<UIColor> color, UIControlState state);
    void setImage(UIImagePtr image, UIControlState state);
    // What the state shows: its own value, else the normal state's.
    std::optional<std::string> titleForState(UIControlState state) const;
    std::optional<UIColor> titleColorForState(UIControlState state) const;
    UIImagePtr imageForState(UIControlState state) const;
    std::optional<std::string> currentTitle() const { return titleForState(state()); }
    UIImagePtr currentImage() const { return imageForState(state()); }

    UILabel* titleLabel() const { return titleLabel_.get(); }
    UIImageView* imageView() const { return imageView_.get(); }

    UIEdgeInsets contentEdgeInsets() const { return contentInsets_; }
    void setContentEdgeInsets(UIEdgeInsets insets);
    UIEdgeInsets imageEdgeInsets() const { return imageInsets_; }
    void setImageEdgeInsets(UIEdgeInsets insets);
    UIEdgeInsets titleEdgeInsets() const { return titleInsets_; }
    void setTitleEdgeInsets(UIEdgeInsets insets);

    // The picture's and the title's sizes side by side, plus the content insets.
    CGSize sizeThatFits(CGSize size) const;
    void sizeToFit();

    void layoutSubviews() override;
    void tintColorDidChange() override;

protected:
    void stateDidChange() override;

private:
    void updateContent();
    CGRect place(CGSize size, CGRect area) const;

    UIButtonType type_;
    std::map<UIControlState, std::string> titles_;
    std::map<UIControlState, UIColor> titleColors_;
    std::map<UIControlState, UIImagePtr> images_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UIImageView> imageView_;
    UIEdgeInsets contentInsets_, imageInsets_, titleInsets_;
};
