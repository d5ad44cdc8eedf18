#pragma once
// "Open In": hands the shared photo, as "Tavorin.jpg" (JPEG at quality 0.9), to another
// desktop program chosen from the "Open In" menu. Performed when a program begins to receive
// the file; finished when the menu closes, or at once, not performed, when the file cannot be
// written or no program takes it.
#include "library/sharing/ShareActivity.h"

class OpenActivity : public ShareActivity {
public:
    UIActivityCategory activityCategory() const override { return UIActivityCategory::Action; }
    std::string activityType() const override { return "com.quorvin.open"; }
    std::string activityTitle() const override { return "Open In"; }
    UIImagePtr activityImage() const override;

    bool canPerformWithActivityItems(const UIActivityItems& items) override { return isImageInArray(items); }
    void performActivity() override;

    void documentInteractionControllerWillBeginSendingToApplication(UIDocumentInteractionController& controller,
                                                                    const std::string& application) override;
    void documentInteractionControllerDidDismissOpenInMenu(UIDocumentInteractionController& controller) override;

    // Writes the photo and shows the menu; false when either fails.
    bool presentDocumentInteractionControllerWithImage(const UIImagePtr& image);
    std::shared_ptr<UIDocumentInteractionController> documentInteractionControllerForFileURL(const NSURL& url);
};
