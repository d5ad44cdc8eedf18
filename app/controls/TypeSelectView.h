#pragma once
// The strip of three text buttons above the picker that chooses the kind of editing: "Mode",
// "Adjust" and "Color". A rounded highlight sits behind the chosen button, springs to the next
// one and takes the colour of the current kind's selection (an outline unless `useSolidColor`).
// A change of kind is reported through `block` with the old kind first; choosing the kind
// already chosen does nothing at all.
#include <functional>
#include <memory>
#include <string>

#include "model/Type.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIView.h"

class TypeSelectView : public UIView {
public:
    using Block = std::function<void(int oldType, int newType)>;
    using SelectBlock = std::function<void(int type)>;

    explicit TypeSelectView(CGRect frame = CGRectZero);

    // 0 before the first choice, else a `TypeController::TypeSelection`.
    int type() const { return type_; }
    void setType(int type);

    UIButton& modeButton() const { return *modeButton_; }
    UIButton& adjustButton() const { return *adjustButton_; }
    UIButton& colorButton() const { return *colorButton_; }
    UIButton* buttonWithTag(int type) const;
    UIView& selectView() const { return *selectView_; }

    bool useSolidColor() const { return useSolidColor_; }
    void setUseSolidColor(bool solid) { useSolidColor_ = solid; }
    void setSelectViewColor(const UIColor& color);
    void setSelectViewColor(const UIColor& color, bool animated);

    void setBlock(Block block) { block_ = std::move(block); }
    // Kept for a caller that opens a menu per kind; no control of this view calls it.
    void setSelectBlock(SelectBlock block) { selectBlock_ = std::move(block); }
    const SelectBlock& selectBlock() const { return selectBlock_; }

    void layoutSubviews() override;

    static constexpr double kHighlightDuration = 0.2;

private:
    std::shared_ptr<UIButton> buttonForType(const std::string& title, int tag);
    void typeButtonTouched(UIButton& sender);

    int type_ = 0;
    bool useSolidColor_ = false;
    std::shared_ptr<UIButton> modeButton_, adjustButton_, colorButton_;
    std::shared_ptr<UIView> selectView_;
    Block block_;
    SelectBlock selectBlock_;
};
