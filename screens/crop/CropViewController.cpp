#include "screens/crop/CropViewController.h"

#include <algorithm>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIToolbar.h"
#include "screens/crop/CropAspectRatios.h"
#include "ui/appearance/AppAppearance.h"

struct CropViewController::SheetDelegate : UIActionSheetDelegate {
    explicit SheetDelegate(CropViewController& owner) : owner(owner) {}
    void actionSheetClickedButtonAtIndex(UIActionSheet& sheet, int index) override {
        owner.actionSheetClickedButtonAtIndex(sheet, index);
    }
    CropViewController& owner;
};

CropViewController::CropViewController() : sheetDelegate_(std::make_shared<SheetDelegate>(*this)) {}

CropViewController::~CropViewController() {
    if (actionSheet_) actionSheet_->setDelegate(nullptr);
}

void CropViewController::loadView() {
    UIViewController::loadView();
    const std::shared_ptr<UIView>& root = view();
    root->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    root->setBackgroundColor(UIColor::clearColor());
    cropView_ = std::make_shared<CropView>(root->bounds());
    root->addSubview(cropView_);
}

// ---- Settings passed on at once ----------------------------------------------------------------

void CropViewController::setImage(UIImagePtr image) {
    if (image == image_) return;
    image_ = std::move(image);
    cropView()->setImage(image_);
}

void CropViewController::setKeepingCropAspectRatio(bool keeping) {
    keepingCropAspectRatio_ = keeping;
    cropView()->setKeepingCropAspectRatio(keeping);
}

void CropViewController::setCropAspectRatio(double ratio) {
    cropAspectRatio_ = ratio;
    cropView()->setCropAspectRatio(ratio);
}

void CropViewController::setImageCropRect(CGRect rect) {
    imageCropRect_ = rect;
    cropRect_ = CGRectZero;
    cropView()->setImageCropRect(rect);
}

void CropViewController::setRotationEnabled(bool enabled) {
    rotationEnabled_ = enabled;
    cropView()->rotationGestureRecognizer()->setEnabled(enabled);
}

void CropViewController::setCropRect(CGRect r) {
    cropRect_ = r;
    imageCropRect_ = CGRectZero;
    const CGRect c = cropView()->cropRect();
    const CGRect target{{c.origin.x + r.origin.x, c.origin.y + r.origin.y},
                        {std::min(static_cast<float>(c.size.width), static_cast<float>(r.size.width)),
                         std::min(static_cast<float>(c.size.height), static_cast<float>(r.size.height))}};
    // An empty result is never zoomed to.
    if (!CGRectIsEmpty(target)) cropView_->setCropRect(target);
}

// ---- Appearance --------------------------------------------------------------------------------

void CropViewController::viewWillAppear(bool animated) {
    UIViewController::viewWillAppear(animated);
    UINavigationController* navigation = navigationController();
    if (!navigation) return;
    navigation->view()->setBackgroundColor(UIColor::clearColor());
    setTitle("Crop Photo");
    AppAppearance::setNavigationBar(*this, AppAppearance::defaultBackgroundColor(), false);
    AppAppearance::setToolbar(*navigation->toolbar(), AppAppearance::defaultBackgroundColor(), false);
    std::weak_ptr<UIViewController> weak = weak_from_this();
    auto run = [weak](void (CropViewController::*action)()) {
        return [weak, action](UIBarButtonItem&) {
            if (auto self = weak.lock()) (static_cast<CropViewController&>(*self).*action)();
        };
    };
    navigationItem().setLeftBarButtonItem(
        UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Cancel, run(&CropViewController::cancel)));
    navigationItem().setRightBarButtonItem(
        UIBarButtonItem::itemWithTitle("Crop", UIBarButtonItemStyle::Done, run(&CropViewController::done)));
    if (toolbarItems_.empty()) {
        auto space = [] { return UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace); };
        toolbarItems_ = {
            space(),
            UIBarButtonItem::itemWithTitle("Aspect", UIBarButtonItemStyle::Plain, run(&CropViewController::aspect)),
            space(),
            UIBarButtonItem::itemWithTitle("Reset", UIBarButtonItemStyle::Plain, run(&CropViewController::reset)),
            space()};
    }
    navigation->toolbar()->setItems(toolbarItems_);
    navigation->setToolbarHidden(toolbarHidden_);
    cropView_->setImage(image_);
    cropView_->rotationGestureRecognizer()->setEnabled(rotationEnabled_);
    wasCanceled_ = false;
}

void CropViewController::viewDidAppear(bool animated) {
    UIViewController::viewDidAppear(animated);
    // Now that the editor has its size.
    cropView_->layoutIfNeeded();
    if (cropAspectRatio_ != 0) cropView_->setCropAspectRatio(cropAspectRatio_);
    if (cropRect_ != CGRectZero) setCropRect(cropRect_);
    if (imageCropRect_ != CGRectZero) cropView_->setImageCropRect(imageCropRect_);
    cropView_->setKeepingCropAspectRatio(keepingCropAspectRatio_);
}

void CropViewController::viewDidDisappear(bool animated) {
    UIViewController::viewDidDisappear(animated);
    if (wasCanceled_) cropView_->resetCropRect(false);
}

// ---- Actions -----------------------------------------------------------------------------------

void CropViewController::cancel() {
    wasCanceled_ = true;
    if (cancelBlock_) cancelBlock_(true);
}

void CropViewController::done() {
    if (cropBlock_) cropBlock_(cropView()->zoomedCropRect());
}

void CropViewController::reset() { cropView()->resetCropRect(true); }

bool CropViewController::landscape() const {
    if (cropRect_.size.width == cropRect_.size.height) return image_ && image_->size().width > image_->size().height;
    return cropRect_.size.width > cropRect_.size.height;
}

void CropViewController::aspect() {
    actionSheet_ = UIActionSheet::actionSheet("", sheetDelegate_, CropAspectRatios::kCancelTitle, std::nullopt,
                                              CropAspectRatios::buttonTitles(landscape()));
    if (UINavigationController* navigation = navigationController())
        actionSheet_->showFromToolbar(navigation->toolbar());
    else actionSheet_->showInView(view());
}

void CropViewController::actionSheetClickedButtonAtIndex(UIActionSheet&, int index) {
    const CGSize size = cropView()->image() ? cropView()->image()->size() : CGSizeZero;
    if (auto ratio = CropAspectRatios::ratioAtIndex(index, landscape(), size)) cropView_->setCropAspectRatio(*ratio);
}
