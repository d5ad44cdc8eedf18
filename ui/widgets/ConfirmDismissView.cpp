#include "ui/widgets/ConfirmDismissView.h"

#include "ui/appearance/AppAppearance.h"

ConfirmDismissView::ConfirmDismissView(CGRect frame) : ButtonMenuView(frame) {
    const UIColor tint = AppAppearance::defaultSecondaryColor();
    addButtonWithImage(UIImage::imageNamed("dismiss"), tint, [this](NSObject&) {
        if (block_) block_(true);
    });
    addButtonWithImage(UIImage::imageNamed("confirm"), tint, [this](NSObject&) {
        if (block_) block_(false);
    });
}
