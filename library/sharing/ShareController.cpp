#include "library/sharing/ShareController.h"

#include <cmath>
#include <ctime>
#include <filesystem>

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

// The file the last sheet shared, removed when the next one writes its own (main thread only).
std::optional<std::string>& lastShareFile() {
    static std::optional<std::string> path;
    return path;
}

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

std::string ShareController::shareFileName(std::optional<double> photoDate) {
    if (!photoDate || !std::isfinite(*photoDate)) return kName;
    const std::time_t t = static_cast<std::time_t>(std::floor(*photoDate));
    std::tm local{};
    char text[32];
    // No colons: they are not allowed in names on every disk a photo may be copied to.
    if (!::localtime_r(&t, &local) || !std::strftime(text, sizeof text, "%Y-%m-%d %H.%M.%S", &local)) return kName;
    return text;
}

std::shared_ptr<UIActivityViewController> ShareController::activityViewControllerWithImage(
    const UIImagePtr& image, const Metadata& metadata, std::optional<double> photoDate) {
    if (!image) return nullptr;
    UIActivityItems items = {defaultTagShareString(), NSURL::URLWithString(storePageAddress())};
    auto file = writeImage(image, shareFileName(photoDate), metadata);
    // One share file at a time: the one before, under another name, goes.
    if (lastShareFile() && (!file || file->path() != *lastShareFile())) {
        std::error_code ignored;
        std::filesystem::remove(*lastShareFile(), ignored);
    }
    lastShareFile() = file ? std::optional(file->path()) : std::nullopt;
    if (file) items.emplace_back(*file);
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
                                             const Metadata& metadata, std::optional<double> photoDate) {
    presentShareController(presenting, std::shared_ptr<UIBarButtonItem>(), image, metadata, photoDate);
}

void ShareController::presentShareController(UIViewController& presenting, const std::shared_ptr<UIBarButtonItem>& item,
                                             const UIImagePtr& image, const Metadata& metadata,
                                             std::optional<double> photoDate) {
    auto sheet = activityViewControllerWithImage(image, metadata, photoDate);
    if (!sheet) return;
    if (item) sheet->setPopoverBarButtonItem(item);
    presenting.presentViewController(sheet, true);
}

void ShareController::presentShareController(UIViewController& presenting, const std::shared_ptr<UIView>& view,
                                             const UIImagePtr& image, const Metadata& metadata,
                                             std::optional<double> photoDate) {
    auto sheet = activityViewControllerWithImage(image, metadata, photoDate);
    if (!sheet) return;
    if (view) sheet->setPopoverSource(view, view->bounds());
    presenting.presentViewController(sheet, true);
}
