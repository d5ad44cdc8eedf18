#pragma once
// A stand-alone crop screen for a navigation controller: the crop editor over the whole
// screen, "Crop Photo" with a cancel item and "Crop" in the navigation bar, "Aspect" and
// "Reset" in the toolbar; the result goes out through two blocks, and the presenter
// dismisses it. Settings given before the editor has its size are applied again once the
// screen has appeared. A cancelled screen starts from the whole picture the next time.
#include <functional>
#include <memory>
#include <vector>

#include "platform/uikit/UIActionSheet.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIViewController.h"
#include "screens/crop/CropView.h"

class CropViewController : public UIViewController {
public:
    CropViewController();
    ~CropViewController() override;

    // ---- Blocks and settings -----------------------------------------------------------------
    void setCropBlock(std::function<void(CGRect zoomedCropRect)> block) { cropBlock_ = std::move(block); }
    void setCancelBlock(std::function<void(bool)> block) { cancelBlock_ = std::move(block); }
    const UIImagePtr& image() const { return image_; }
    void setImage(UIImagePtr image);
    bool keepingCropAspectRatio() const { return keepingCropAspectRatio_; }
    void setKeepingCropAspectRatio(bool keeping);
    double cropAspectRatio() const { return cropAspectRatio_; }
    void setCropAspectRatio(double ratio);
    // Relative to the editor's present rectangle: (c.x + r.x, c.y + r.y) and the smaller of
    // each side. Setting it clears `imageCropRect`, and the other way round.
    CGRect cropRect() const { return cropRect_; }
    void setCropRect(CGRect rect);
    CGRect imageCropRect() const { return imageCropRect_; }
    void setImageCropRect(CGRect rect);
    bool toolbarHidden() const { return toolbarHidden_; }
    void setToolbarHidden(bool hidden) { toolbarHidden_ = hidden; }
    bool rotationEnabled() const { return rotationEnabled_; }
    void setRotationEnabled(bool enabled);
    bool wasCanceled() const { return wasCanceled_; }

    const std::shared_ptr<CropView>& cropView() {
        view();
        return cropView_;
    }
    const std::shared_ptr<UIActionSheet>& actionSheet() const { return actionSheet_; }
    const std::vector<std::shared_ptr<UIBarButtonItem>>& toolbarItems() const { return toolbarItems_; }

    // ---- Results, from the editor ------------------------------------------------------------
    UIImagePtr croppedImage() { return cropView()->croppedImage(); }
    UIImagePtr croppedAndScaledImage() { return cropView()->croppedAndScaledImage(); }
    UIImagePtr croppedImageForImage(const UIImagePtr& image) { return cropView()->croppedImageForImage(image); }
    UIImagePtr croppedAndScaledImageForImage(const UIImagePtr& image) {
        return cropView()->croppedAndScaledImageForImage(image);
    }
    CGRect croppedImageRectForImage(const UIImagePtr& image) { return cropView()->croppedImageRectForImage(image); }
    CGSize croppedAndScaledImageSizeForImage(const UIImagePtr& image) {
        return cropView()->croppedAndScaledImageSizeForImage(image);
    }
    CGRect relativeCroppedImageRect() { return cropView()->relativeCroppedImageRect(); }
    CGRect zoomedCropRect() { return cropView()->zoomedCropRect(); }
    CGAffineTransform rotationTransform() { return cropView()->rotation(); }
    bool isCropped() { return cropView()->isCropped(); }
    void resetCropRect(bool animated) { cropView()->resetCropRect(animated); }
    static UIImagePtr croppedAndScaledImageForImage(const UIImagePtr& image, CGRect imageCropRect) {
        return CropView::croppedAndScaledImageForImage(image, imageCropRect);
    }

    // ---- Actions -------------------------------------------------------------------------------
    void cancel();
    void done();
    void aspect();
    void reset();
    void actionSheetClickedButtonAtIndex(UIActionSheet& sheet, int buttonIndex);

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

private:
    struct SheetDelegate;
    // Landscape when the stored rectangle is wider than high; a square one (the zero
    // rectangle too) leaves it to the picture.
    bool landscape() const;

    std::function<void(CGRect)> cropBlock_;
    std::function<void(bool)> cancelBlock_;
    UIImagePtr image_;
    bool keepingCropAspectRatio_ = false, toolbarHidden_ = false, rotationEnabled_ = false, wasCanceled_ = false;
    double cropAspectRatio_ = 0;
    CGRect cropRect_{}, imageCropRect_{};
    std::shared_ptr<CropView> cropView_;
    std::shared_ptr<UIActionSheet> actionSheet_;
    std::shared_ptr<SheetDelegate> sheetDelegate_;
    std::vector<std::shared_ptr<UIBarButtonItem>> toolbarItems_;
};
