// The confirm-and-dismiss row of the bottom bar.
#include "app/AmbrelViewController.h"
#include "ui/widgets/ConfirmDismissView.h"

void AmbrelViewController::animateConfirmDismissView(bool show, std::function<void(bool dismissed)> block) {
    animateButtonMenuView(
        [this, block] {
            auto row = std::make_shared<ConfirmDismissView>(bottomView_->bounds());
            row->setBlock(block);
            return std::static_pointer_cast<ButtonMenuView>(row);
        },
        show);
}
