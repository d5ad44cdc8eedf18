#include "library/sharing/ShareActivity.h"

#include "library/metadata/UIImage+ImageMetadataUtility.h"
#include "platform/imageio/ImageIO.h"
#include "platform/mobilecoreservices/UTType.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIWindow.h"

namespace {

ShareActivity::MenuAnchorProvider& menuAnchorProvider() {
    static ShareActivity::MenuAnchorProvider provider;
    return provider;
}

ShareActivity::TitleTextAttributesProvider& titleTextAttributesProvider() {
    static ShareActivity::TitleTextAttributesProvider provider;
    return provider;
}

}  // namespace

ShareActivity::~ShareActivity() {
    activityItems_.clear();
    controller_.reset();
}

void ShareActivity::prepareWithActivityItems(const UIActivityItems& items) {
    UIActivity::prepareWithActivityItems(items);
    activityItems_ = items;
}

bool ShareActivity::urlIsImage(const NSURL& url) {
    return UTTypeConformsTo(UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, url.pathExtension()),
                            kUTTypeImage);
}

bool ShareActivity::isImageInArray(const UIActivityItems& items) {
    for (const auto& item : items) {
        if (const auto* image = std::get_if<UIImagePtr>(&item); image && *image) return true;
        if (const auto* url = std::get_if<NSURL>(&item); url && urlIsImage(*url)) return true;
    }
    return false;
}

UIImagePtr ShareActivity::imageFromArray(const UIActivityItems& items) {
    for (const auto& item : items) {
        if (const auto* image = std::get_if<UIImagePtr>(&item); image && *image) return *image;
        if (const auto* url = std::get_if<NSURL>(&item); url && urlIsImage(*url))
            return url->isFileURL() ? UIImage::imageWithContentsOfFile(url->path()) : nullptr;
    }
    return nullptr;
}

std::string ShareActivity::stringFromArray(const UIActivityItems& items) {
    for (const auto& item : items)
        if (const auto* text = std::get_if<std::string>(&item)) return *text;
    return "";
}

std::optional<NSURL> ShareActivity::createFileUrlForData(const std::vector<std::uint8_t>& data,
                                                         const std::string& extension) {
    const auto folder = ImageMetadataUtility::temporaryDirectory();
    if (!folder) return std::nullopt;
    const std::string path = *folder + "/Tavorin" + extension;
    platform::ImageIOError error;
    if (!platform::WriteDataAtomically(data, path, &error)) {
        std::fprintf(stderr, "Share: %s could not be written: %s\n", path.c_str(), error.message.c_str());
        return std::nullopt;
    }
    return NSURL::fileURLWithPath(path);
}

std::optional<std::vector<std::uint8_t>> ShareActivity::handOffData(const UIImagePtr& image) {
    if (!image) return std::nullopt;
    ImageMetadataUtility::Metadata metadata;
    ImageMetadataUtility::setImageOrientation(metadata, static_cast<int>(image->imageOrientation()));
    return ImageMetadataUtility::jpegRepresentation(*image, ImageMetadataUtility::kJPEGQuality, metadata);
}

void ShareActivity::setMenuAnchorProvider(MenuAnchorProvider provider) { menuAnchorProvider() = std::move(provider); }

void ShareActivity::setTitleTextAttributesProvider(TitleTextAttributesProvider provider) {
    titleTextAttributesProvider() = std::move(provider);
}

std::optional<NSStringAttributes> ShareActivity::titleTextAttributes() {
    return titleTextAttributesProvider() ? titleTextAttributesProvider()() : std::nullopt;
}

bool ShareActivity::presentMenu(const std::shared_ptr<UIDocumentInteractionController>& controller) {
    controller_ = controller;
    const auto anchor = menuAnchorProvider() ? menuAnchorProvider()() : nullptr;
    const bool shown = anchor && anchor->view() ? controller->presentOpenInMenuFromBarButtonItem(anchor, true)
                                                : controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true);
    if (!shown) controller_.reset();
    return shown;
}
