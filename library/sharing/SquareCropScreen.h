#pragma once
// What the Instagram hand-off asks of a square-crop screen: the four flags, the photo, the
// answer (done or cancel), the square it gives and the release of the photo. The screens
// above this library provide one through a factory; until one is set, the default screen
// answers done as soon as it is shown, with what an untouched crop gives: the whole photo
// centred in a black square.
#include <functional>
#include <memory>

#include "platform/uikit/UIImage.h"

class UIViewController;

class SquareCropScreen {
public:
    virtual ~SquareCropScreen() = default;

    // The screen's controller (it may be the screen itself).
    virtual std::shared_ptr<UIViewController> viewController() = 0;
    virtual void setConstrainWidth(bool constrain) = 0;
    virtual void setConstrainHeight(bool constrain) = 0;
    virtual void setShowGrid(bool show) = 0;
    virtual void setCropToSquare(bool crop) = 0;
    virtual void setCompletionBlock(std::function<void(bool done)> completion) = 0;
    virtual void setImage(const UIImagePtr& image) = 0;
    virtual UIImagePtr croppedImage() = 0;
    virtual void clearImage() = 0;
};

using SquareCropFactory = std::function<std::shared_ptr<SquareCropScreen>()>;

// The default screen described above.
std::shared_ptr<SquareCropScreen> makeWholePhotoSquareCropScreen();
