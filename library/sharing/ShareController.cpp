#include "library/sharing/ShareController.h"

#include "library/metadata/UIImage+ImageMetadataUtility.h"
#include "library/saving/ErrorUtility.h"
#include "library/sharing/InstagramActivity.h"
#include "library/sharing/OpenActivity.h"
#include "model/AmbrelAppSettings.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIView.h"

namespace {

constexpr const char* kName = "Tavorin";

}  // namespace

ShareController& ShareController::sharedInstance() {
    static ShareController* instance = new ShareController();
    return *instance;
}

std::string ShareController::storePageAddress() { return TAVORIN_HOMEPAGE_URL; }

std::string ShareController::defaultShareString() { return std::string("Created with ") + kName; }

std::string ShareController::defaultTagShareString() { return std::string("Created with #") + kName + "App"; }

std::string ShareController::defaultHTMLShareString() {
    return "Created with <a href=\"" + storePageAddress() + "\">" + kName + "</a>";
}

std::optional<NSURL> ShareController::writeImage(const UIImagePtr& image, const std::string& name,
                                                 const Metadata& metadata) {
    if (!image) return std::nullopt;
    Metadata copy = metadata;
    ImageMetadataUtility::setImageOrientation(copy, static_cast<int>(image->imageOrientation()));
    ImageMetadataUtility::autoPopulateMetadata(copy, ImageMetadataOptionDateDigitized | ImageMetadataOptionSoftware);
    const auto path =
        ImageMetadataUtility::writeImage(*image, name, AmbrelAppSettings::sharedInstance().saveType(), copy, true);
    if (!path) return std::nullopt;
    return NSURL::fileURLWithPath(*path);
}

std::shared_ptr<UIActivityViewController> ShareController::activityViewControllerWithImage(const UIImagePtr& image,
                                                                                           const Metadata& metadata) {
    if (!image) return nullptr;
    UIActivityItems items = {defaultTagShareString(), NSURL::URLWithString(storePageAddress())};
    if (auto file = writeImage(image, kName, metadata)) items.emplace_back(*file);
    else items.emplace_back(image);
    auto sheet = std::make_shared<UIActivityViewController>(
        std::move(items), std::vector<std::shared_ptr<UIActivity>>{std::make_shared<InstagramActivity>(),
                                                                   std::make_shared<OpenActivity>()});
    sheet->setExcludedActivityTypes({UIActivityTypeSaveToCameraRoll, UIActivityTypeAssignToContact,
                                     UIActivityTypeAddToReadingList, UIActivityTypePostToWeibo});
    sheet->setCompletionHandler([](const std::string&, bool, const NSErrorPtr& error) {
        if (error) ErrorUtility::sharedInstance().showAlertForShareError(error);
    });
    return sheet;
}

void ShareController::presentShareController(UIViewController& presenting, const UIImagePtr& image,
                                             const Metadata& metadata) {
    presentShareController(presenting, std::shared_ptr<UIBarButtonItem>(), image, metadata);
}

void ShareController::presentShareController(UIViewController& presenting, const std::shared_ptr<UIBarButtonItem>& item,
                                             const UIImagePtr& image, const Metadata& metadata) {
    auto sheet = activityViewControllerWithImage(image, metadata);
    if (!sheet) return;
    if (item) sheet->setPopoverBarButtonItem(item);
    presenting.presentViewController(sheet, true);
}

void ShareController::presentShareController(UIViewController& presenting, const std::shared_ptr<UIView>& view,
                                             const UIImagePtr& image, const Metadata& metadata) {
    auto sheet = activityViewControllerWithImage(image, metadata);
    if (!sheet) return;
    if (view) sheet->setPopoverSource(view, view->bounds());
    presenting.presentViewController(sheet, true);
}
