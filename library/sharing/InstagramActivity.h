#pragma once
// "Instagram": the user crops the shared photo to a square (a square-crop screen in a
// navigation controller), which is then handed, as "Tavorin.igo" (JPEG at quality 0.9), to the
// Instagram program with the shared text as its caption ("InstagramCaption").
//
// Offered only when the Instagram program is there (an opener takes its exclusive type).
// Cancel finishes the activity, not performed. Done writes the file first: when that fails
// the activity finishes, not performed, and nothing is shown; otherwise it finishes performed
// and then shows the "Open In" menu, holding itself until the menu closes.
#include <memory>

#include "library/sharing/ShareActivity.h"
#include "library/sharing/SquareCropScreen.h"

class InstagramActivity : public ShareActivity {
public:
    static constexpr const char* kCaptionKey = "InstagramCaption";
    // Asked whether the program is there.
    static constexpr const char* kApplicationURL = "instagram://app";

    UIActivityCategory activityCategory() const override { return UIActivityCategory::Share; }
    std::string activityType() const override { return "com.quorvin.instagram"; }
    std::string activityTitle() const override { return "Instagram"; }
    UIImagePtr activityImage() const override;

    bool canPerformWithActivityItems(const UIActivityItems& items) override;
    std::shared_ptr<UIViewController> activityViewController() override;

    void documentInteractionControllerDidDismissOpenInMenu(UIDocumentInteractionController& controller) override;

    bool presentDocumentInteractionControllerWithImage(const UIImagePtr& image, const std::string& text);
    std::shared_ptr<UIDocumentInteractionController> documentInteractionControllerForInstagramWithFileURL(
        const NSURL& url, const std::string& caption);
    static bool isInstagramAvailable();

    // Where the crop screens come from; null restores the default (SquareCropScreen.h).
    static void setSquareCropFactory(SquareCropFactory factory);
    // A crop screen from the factory set, else the default.
    static std::shared_ptr<SquareCropScreen> makeSquareCropScreen();

private:
    void cropAnswered(bool done, const std::string& caption);

    std::shared_ptr<SquareCropScreen> cropScreen_;
    // Held from the hand-off until its menu closes.
    std::shared_ptr<UIActivity> self_;
};
