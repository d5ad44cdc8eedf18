#include "platform/uikit/UISaveToPicturesActivity.h"

#include <glib.h>

#include <cerrno>
#include <cstdio>

#include "platform/uikit/UINoticePresentation.h"

namespace fs = std::filesystem;

namespace {

std::optional<std::string> firstFile(const UIActivityItems& items) {
    for (const auto& item : items)
        if (const auto* url = std::get_if<NSURL>(&item); url && url->isFileURL()) {
            std::error_code ec;
            if (fs::is_regular_file(url->path(), ec)) return url->path();
        }
    return std::nullopt;
}

}  // namespace

bool UISaveToPicturesActivity::canPerformWithActivityItems(const UIActivityItems& items) {
    return firstFile(items).has_value();
}

void UISaveToPicturesActivity::prepareWithActivityItems(const UIActivityItems& items) { file_ = firstFile(items); }

void UISaveToPicturesActivity::performActivity() {
    NSErrorPtr error;
    const auto copy = file_ ? copyUnderUniqueName(*file_, picturesDirectory(), &error) : std::nullopt;
    // The copy leaves no other sign on the screen: say where it went.
    if (copy) UINoticePresentation::show("Saved to " + UINoticePresentation::displayPath(*copy));
    activityDidFinish(copy.has_value(), error);
}

fs::path UISaveToPicturesActivity::picturesDirectory() {
    // Read afresh: the user may have moved the folder since.
    g_reload_user_special_dirs_cache();
    if (const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES)) return pictures;
    return fs::path(g_get_home_dir()) / "Pictures";
}

std::optional<fs::path> UISaveToPicturesActivity::copyUnderUniqueName(const fs::path& file, const fs::path& folder,
                                                                      NSErrorPtr* error) {
    auto failed = [error](const fs::path& where, long code, const std::string& why) {
        std::fprintf(stderr, "Save to Pictures: %s: %s\n", where.c_str(), why.c_str());
        if (error)
            *error = NSError::errorWithDomain("NSPOSIXErrorDomain", code, "The photo could not be saved to Pictures.",
                                              where.string() + ": " + why);
        return std::nullopt;
    };
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return failed(folder, ec.value(), ec.message());
    const std::string stem = file.stem().string(), extension = file.extension().string();
    constexpr int kNames = 10000;
    for (int n = 1; n < kNames; ++n) {
        const fs::path target = folder / (n == 1 ? stem + extension : stem + " " + std::to_string(n) + extension);
        // Never replaces: a taken name fails and the next is tried.
        if (fs::copy_file(file, target, fs::copy_options::none, ec)) return target;
        if (ec != std::errc::file_exists) return failed(target, ec.value(), ec.message());
    }
    return failed(folder, EEXIST,
                  "every name from \"" + stem + extension + "\" to \"" + stem + " " + std::to_string(kNames - 1) +
                      extension + "\" is taken");
}
