#pragma once
// The rounded thumbnail of the latest album picture: a 42-point button filled with the
// picture (corners rounded 8 points), opaque black while there is none. A new picture either
// replaces the old at once or grows over it from its centre and then replaces it. A tap runs
// the press animation and then the block.
#include "ui/widgets/ButtonView.h"

class AlbumButtonView : public ButtonView {
public:
    explicit AlbumButtonView(CGRect frame = CGRectMake(0, 0, 42, 42));

    // The shown picture (the black placeholder when none was given).
    UIImagePtr image() const { return button().imageForState(UIControlStateNormal); }
    void setImage(UIImagePtr image) { setImage(std::move(image), false); }
    void setImage(UIImagePtr image, bool animated);
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    static void showFilled(UIButton& button, UIImagePtr image);
    std::function<void()> block_;
};
