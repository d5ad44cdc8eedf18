#include "library/sharing/SquareCropScreen.h"

#include <algorithm>

#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UIViewController.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

class WholePhotoSquareCropScreen : public UIViewController, public SquareCropScreen {
public:
    std::shared_ptr<UIViewController> viewController() override { return shared_from_this(); }
    void setConstrainWidth(bool) override {}
    void setConstrainHeight(bool) override {}
    void setShowGrid(bool) override {}
    void setCropToSquare(bool) override {}
    void setCompletionBlock(std::function<void(bool done)> completion) override { completion_ = std::move(completion); }
    void setImage(const UIImagePtr& image) override { image_ = image; }
    void clearImage() override { image_ = nullptr; }
    UIImagePtr croppedImage() override {
        if (!image_) return nullptr;
        const auto upright = ImageUtility::normalize(image_);
        const CGSize size = upright->size();
        const CGFloat side = std::max(size.width, size.height);
        return ImageUtility::croppedImageWithBorder(
            upright, CGRectMake(size.width / 2 - side / 2, size.height / 2 - side / 2, side, side));
    }
    // Answered once its presentation has ended, so that the answer's dismissal finds it
    // presented.
    void viewDidAppear(bool) override {
        if (auto completion = std::move(completion_))
            dispatch_async(dispatch_get_main_queue(), [completion] { completion(true); });
    }

private:
    UIImagePtr image_;
    std::function<void(bool)> completion_;
};

}  // namespace

std::shared_ptr<SquareCropScreen> makeWholePhotoSquareCropScreen() {
    return std::make_shared<WholePhotoSquareCropScreen>();
}
