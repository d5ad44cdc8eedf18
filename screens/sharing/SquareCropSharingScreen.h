#pragma once
// The square crop screen as the share sheet's Instagram hand-off asks for it. `install` makes
// it the hand-off's crop screen (the program does so at start).
#include <memory>

#include "library/sharing/SquareCropScreen.h"

class SquareCropViewController;

class SquareCropSharingScreen : public SquareCropScreen {
public:
    SquareCropSharingScreen();

    static void install();

    std::shared_ptr<UIViewController> viewController() override;
    void setConstrainWidth(bool constrain) override;
    void setConstrainHeight(bool constrain) override;
    void setShowGrid(bool show) override;
    void setCropToSquare(bool crop) override;
    void setCompletionBlock(std::function<void(bool done)> completion) override;
    void setImage(const UIImagePtr& image) override;
    UIImagePtr croppedImage() override;
    void clearImage() override;

private:
    std::shared_ptr<SquareCropViewController> controller_;
};
