#include "screens/sharing/SquareCropSharingScreen.h"

#include "library/sharing/InstagramActivity.h"
#include "screens/crop/SquareCropViewController.h"

SquareCropSharingScreen::SquareCropSharingScreen() : controller_(SquareCropViewController::fromNib()) {}

void SquareCropSharingScreen::install() {
    InstagramActivity::setSquareCropFactory([] { return std::make_shared<SquareCropSharingScreen>(); });
}

std::shared_ptr<UIViewController> SquareCropSharingScreen::viewController() { return controller_; }
void SquareCropSharingScreen::setConstrainWidth(bool constrain) { controller_->setConstrainWidth(constrain); }
void SquareCropSharingScreen::setConstrainHeight(bool constrain) { controller_->setConstrainHeight(constrain); }
void SquareCropSharingScreen::setShowGrid(bool show) { controller_->setShowGrid(show); }
void SquareCropSharingScreen::setCropToSquare(bool crop) { controller_->setCropToSquare(crop); }
void SquareCropSharingScreen::setCompletionBlock(std::function<void(bool done)> completion) {
    controller_->setCompletionBlock(std::move(completion));
}
void SquareCropSharingScreen::setImage(const UIImagePtr& image) { controller_->setImage(image); }
UIImagePtr SquareCropSharingScreen::croppedImage() { return controller_->croppedImage(); }
void SquareCropSharingScreen::clearImage() { controller_->clearImage(); }
