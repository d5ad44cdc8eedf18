#pragma once
// The share sheet for one photo: the tag text, the program's home page and the photo as a file
// in the save-type setting's format, named after the photo (its date, "2024-05-01 14.22.03.jpg",
// ".png" or ".tiff"; "Tavorin.jpg" for a photo without one) in the private temporary folder,
// written when the sheet is built, with its metadata; the previous sheet's file goes then, so
// the folder keeps one. The platform's "Save to Pictures" copies it under that name (made free
// with " 2", " 3" ... when taken). When that file cannot be
// written the sheet carries the image itself, so the activities still have a photo to hand
// on. Its own activities, in order: "Instagram", "Open In"; the platform's saving to the
// camera roll, contacts, the reading list and Weibo are excluded. An activity that fails (the
// platform's "Save to Pictures" into a folder that cannot take the file) is said in the error
// alert with its reason. Main thread only.
#include <memory>
#include <optional>
#include <string>

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIImage.h"

class UIActivityViewController;
class UIBarButtonItem;
class UIView;
class UIViewController;

class ShareController {
public:
    using Metadata = ImageMetadataUtility::Metadata;

    // Present the sheet from the controller, animated; on the pad its panel stands at the bar
    // item or at the view's bounds. Nothing for a null image. `photoDate` (seconds since 1970)
    // names the shared file.
    static void presentShareController(UIViewController& presenting, const UIImagePtr& image, const Metadata& metadata,
                                       std::optional<double> photoDate = std::nullopt);
    static void presentShareController(UIViewController& presenting, const std::shared_ptr<UIBarButtonItem>& item,
                                       const UIImagePtr& image, const Metadata& metadata,
                                       std::optional<double> photoDate = std::nullopt);
    static void presentShareController(UIViewController& presenting, const std::shared_ptr<UIView>& view,
                                       const UIImagePtr& image, const Metadata& metadata,
                                       std::optional<double> photoDate = std::nullopt);

    // Null for a null image.
    static std::shared_ptr<UIActivityViewController> activityViewControllerWithImage(
        const UIImagePtr& image, const Metadata& metadata, std::optional<double> photoDate = std::nullopt);
    // The shared file's name without its extension: the photo's date in local time,
    // "2024-05-01 14.22.03", or the program's name for a photo without a date.
    static std::string shareFileName(std::optional<double> photoDate);
    // The photo in the save type's format, its metadata carrying the image's orientation, the
    // file's modification date, the keyword and the software (the photo's own make, model and
    // capture dates stay); nullopt when it cannot be written.
    static std::optional<NSURL> writeImage(const UIImagePtr& image, const std::string& name, const Metadata& metadata);

    static std::string defaultShareString();
    static std::string defaultTagShareString();
    static std::string defaultHTMLShareString();
    // The program's home page, where it can be had.
    static std::string storePageAddress();

    static ShareController& sharedInstance();

private:
    ShareController() = default;
};
