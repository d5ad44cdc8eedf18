#pragma once
// The platform's own share activity, "Save to Pictures": copies the first file item into the
// user's Pictures folder (GLib's special folder, ~/Pictures when none is set), under the
// file's name, or "<name> 2.<ext>", "<name> 3.<ext>" … when that is taken. The folder is made
// when missing. Completed when the copy was made, said in a short notice naming the copy;
// else the run fails with the reason (the folder or file and what the system said).
#include <filesystem>
#include <optional>
#include <string>

#include "platform/uikit/UIActivity.h"

class UISaveToPicturesActivity : public UIActivity {
public:
    std::string activityType() const override { return UIActivityTypeSaveToPictures; }
    std::string activityTitle() const override { return "Save to Pictures"; }
    bool canPerformWithActivityItems(const UIActivityItems& items) override;
    void prepareWithActivityItems(const UIActivityItems& items) override;
    void performActivity() override;

    static std::filesystem::path picturesDirectory();
    // Copies the file into the folder under an unused name; the new path, or nullopt with the
    // reason in `error`.
    static std::optional<std::filesystem::path> copyUnderUniqueName(const std::filesystem::path& file,
                                                                    const std::filesystem::path& folder,
                                                                    NSErrorPtr* error = nullptr);

private:
    std::optional<std::string> file_;
};
