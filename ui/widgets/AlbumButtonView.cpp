#include "ui/widgets/AlbumButtonView.h"

#include "ui/animation/AnimationUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/images/UIImage+ImageUtility.h"

AlbumButtonView::AlbumButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 42, 42)) { setImage(nullptr); }

// The picture fills the button, cut to its rounded corners.
void AlbumButtonView::showFilled(UIButton& button, UIImagePtr image) {
    button.imageView()->setContentMode(UIViewContentMode::ScaleAspectFill);
    button.setContentHorizontalAlignment(UIControlContentHorizontalAlignment::Fill);
    button.setContentVerticalAlignment(UIControlContentVerticalAlignment::Fill);
    button.imageView()->layer()->setCornerRadius(8.0);
    button.imageView()->setClipsToBounds(true);
    button.setImage(std::move(image), UIControlStateNormal);
}

void AlbumButtonView::setImage(UIImagePtr image, bool animated) {
    if (!image) {
        const UIColor black =
            ColorUtility::blendWithColor(AppAppearance::defaultBackgroundColor(), UIColor::blackColor(), 1.0);
        image = ImageUtility::imageWithColor(black, button().bounds().size);
    }
    if (!animated) {
        showFilled(button(), std::move(image));
        return;
    }
    // A second button with the new picture grows over the old one, then hands it over.
    auto cover = std::make_shared<UIButton>(button().bounds());
    showFilled(*cover, image);
    button().addSubview(cover);
    std::weak_ptr<UIView> weakSelf = weak_from_this();
    AnimationUtility::animateView(cover, AnimationUtility::reveal(true, CGPoint{0, 0}, CGPoint{1, 1}),
                                  [weakSelf, cover, image](bool) {
                                      if (auto self = std::static_pointer_cast<AlbumButtonView>(weakSelf.lock()))
                                          showFilled(self->button(), image);
                                      cover->removeFromSuperview();
                                  });
}

void AlbumButtonView::buttonTouched() {
    std::weak_ptr<UIView> weakSelf = weak_from_this();
    animatePress([weakSelf](bool) {
        if (auto self = std::static_pointer_cast<AlbumButtonView>(weakSelf.lock()))
            if (self->block_) self->block_();
    });
}
