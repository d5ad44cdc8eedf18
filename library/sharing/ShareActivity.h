#pragma once
// What the two activities of the share sheet have in common ("Open In" and "Instagram"): the
// prepared items, the interaction controller of the shown menu, the look-ups in the items,
// the share files and the menu's anchor.
//
// The main screen lends the activities two things through hooks: the bar item the "Open In"
// menus stand at (its photo browser's first toolbar item) and its navigation bar's title text
// attributes. Unset, the menus stand at the bottom of the window and bars keep their own.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSURL.h"
#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIActivity.h"
#include "platform/uikit/UIDocumentInteractionController.h"

class UIBarButtonItem;

class ShareActivity : public UIActivity, public UIDocumentInteractionControllerDelegate {
public:
    using MenuAnchorProvider = std::function<std::shared_ptr<UIBarButtonItem>()>;
    using TitleTextAttributesProvider = std::function<std::optional<NSStringAttributes>()>;

    ~ShareActivity() override;

    bool isPerformed() const { return isPerformed_; }
    const UIActivityItems& activityItems() const { return activityItems_; }
    const std::shared_ptr<UIDocumentInteractionController>& controller() const { return controller_; }

    // Keeps the items after the base's own handling.
    void prepareWithActivityItems(const UIActivityItems& items) override;

    // Some item is an image, or a URL whose extension's type conforms to the image type.
    static bool isImageInArray(const UIActivityItems& items);
    static bool urlIsImage(const NSURL& url);
    // The first image, or the picture decoded from the first image URL, whichever comes first.
    static UIImagePtr imageFromArray(const UIActivityItems& items);
    // The first text, or the empty string.
    static std::string stringFromArray(const UIActivityItems& items);
    // Writes the bytes, whole or not at all, as "Tavorin<extension>" in the private temporary
    // folder, replacing the last one; nullopt when that fails.
    static std::optional<NSURL> createFileUrlForData(const std::vector<std::uint8_t>& data,
                                                     const std::string& extension);
    // The image as the hand-offs send it: JPEG at quality 0.9, its orientation in the file.
    static std::optional<std::vector<std::uint8_t>> handOffData(const UIImagePtr& image);

    static void setMenuAnchorProvider(MenuAnchorProvider provider);
    static void setTitleTextAttributesProvider(TitleTextAttributesProvider provider);
    static std::optional<NSStringAttributes> titleTextAttributes();

protected:
    // Shows the controller's "Open In" menu at the anchor, as `controller`; false (and no
    // controller kept) when no program takes the file.
    bool presentMenu(const std::shared_ptr<UIDocumentInteractionController>& controller);

    bool isPerformed_ = false;
    UIActivityItems activityItems_;
    std::shared_ptr<UIDocumentInteractionController> controller_;
};
