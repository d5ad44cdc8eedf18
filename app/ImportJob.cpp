#include "app/ImportJob.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>

#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PHPhotoLibrary.h"

namespace ImportJob {

namespace fs = std::filesystem;

namespace {

bool isPhotoName(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".tif" || ext == ".tiff";
}

struct Candidate {
    std::string path;
    double date = 0;
};

// The files the paths name: files as given, folders searched for photos by their names.
// Paths that name nothing are reported and counted as failures. Anything else that is not a
// regular file (a FIFO, device or socket: never opened, as a FIFO would keep the import
// waiting) is reported too: counted as refused when given, as a failure when a folder holds
// it under a photo's name.
std::vector<std::string> collect(const std::vector<std::string>& paths, std::ostream& err, int* failures,
                                 int* refused) {
    const auto notAPhoto = [&err](const std::string& path, mode_t mode) {
        err << "skipped " << path << ": it is " << platform::NonRegularFileKind(mode) << ", not a photo\n";
    };
    std::vector<std::string> files;
    for (const auto& p : paths) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0) {
            err << "skipped " << p << ": no such file or folder\n";
            ++*failures;
        } else if (S_ISREG(st.st_mode)) {
            files.push_back(p);
        } else if (!S_ISDIR(st.st_mode)) {
            notAPhoto(p, st.st_mode);
            ++*refused;
        } else {
            std::vector<std::string> found;
            std::error_code ec;
            for (auto it = fs::recursive_directory_iterator(p, fs::directory_options::skip_permission_denied, ec);
                 !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                const std::string entry = it->path().string();
                if (!isPhotoName(it->path()) || ::stat(entry.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
                if (S_ISREG(st.st_mode)) {
                    found.push_back(entry);
                } else {
                    notAPhoto(entry, st.st_mode);
                    ++*failures;
                }
            }
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        }
    }
    return files;
}

}  // namespace

void PrintUsage(std::ostream& out) {
    out << "usage: tavorin import [--album NAME] PATH...\n"
           "Adds photos (JPEG, PNG, TIFF; files, or folders searched through) to the photo library,\n"
           "oldest first. Photos already in the library and unreadable files are skipped.\n"
           "The library is $TAVORIN_PHOTO_LIBRARY, else $XDG_DATA_HOME/tavorin/PhotoLibrary.\n";
}

Command Parse(const std::vector<std::string>& arguments) {
    Options options;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!onlyPaths && (a == "--help" || a == "-h")) return Help{};
        if (!onlyPaths && a == "--") {
            onlyPaths = true;
        } else if (!onlyPaths && a == "--album") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) return UsageError{"--album needs a name"};
            options.album = arguments[++i];
        } else if (!onlyPaths && a.rfind("--album=", 0) == 0) {
            options.album = a.substr(8);
            if (options.album.empty()) return UsageError{"--album needs a name"};
        } else if (!onlyPaths && a.size() > 1 && a[0] == '-') {
            return UsageError{"unknown option " + a};
        } else {
            options.paths.push_back(a);
        }
    }
    if (options.paths.empty()) return UsageError{"nothing to import: give photos or folders"};
    return options;
}

int Run(const Options& options, const std::string& libraryFolder, std::ostream& out, std::ostream& err) {
    int failures = 0, refused = 0;
    const std::vector<std::string> files = collect(options.paths, err, &failures, &refused);

    NSErrorPtr error;
    auto library =
        PHPhotoLibrary::openAt(libraryFolder, &error, {.requiresAuthorization = false, .pollsOtherProcesses = false});
    if (!library) {
        err << "tavorin import: " << photos::ErrorLine(*error) << "\n";
        return kExitFailure;
    }
    for (auto& notice : library->store().sweepReport().notices()) err << "tavorin import: " << notice << "\n";

    // Oldest first, by the date the photo says it was taken (else its file's time).
    std::vector<Candidate> candidates;
    for (auto& f : files) {
        struct stat st {};
        double date = ::stat(f.c_str(), &st) == 0 ? static_cast<double>(st.st_mtim.tv_sec) : 0;
        if (auto taken = photos::ImageCreationDate(f)) date = *taken;
        candidates.push_back({f, date});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.date < b.date; });

    std::string albumId;
    if (!options.album.empty()) {
        auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                       PHAssetCollectionSubtypeAny, {}, library);
        for (auto& album : *albums)
            if (album->localizedTitle() == options.album) albumId = album->localIdentifier();
    }

    int imported = 0, duplicates = 0;
    std::set<std::string> seen;
    for (auto& c : candidates) {
        const std::string sha = photos::FileSha256(c.path);
        if (sha.empty()) {
            err << "skipped " << c.path << ": the file could not be read\n";
            ++failures;
            continue;
        }
        if (seen.count(sha) || library->store().containsOriginal(sha)) {
            out << "skipped " << c.path << ": already in the library\n";
            ++duplicates;
            continue;
        }
        std::string createdAlbum;
        const bool ok = library->performChangesAndWait(
            [&] {
                auto photo = PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(c.path);
                photo->setOnlyIfNew(true);
                const std::string id = photo->placeholderForCreatedAsset()->localIdentifier();
                if (options.album.empty()) return;
                if (albumId.empty()) {
                    auto album =
                        PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle(options.album);
                    album->addAssets({id});
                    createdAlbum = album->placeholderForCreatedAssetCollection()->localIdentifier();
                } else if (auto albums =
                               PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers({albumId}, {}, library);
                           albums->count()) {
                    PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*albums->firstObject())
                        ->addAssets({id});
                }
            },
            &error);
        if (!ok && error->code() == photos::kPhotosErrorDuplicate) {
            // Another writer added the same photo meanwhile.
            out << "skipped " << c.path << ": already in the library\n";
            ++duplicates;
            continue;
        }
        if (!ok) {
            err << "skipped " << c.path << ": " << photos::ErrorLine(*error) << "\n";
            ++failures;
            continue;
        }
        if (!createdAlbum.empty()) albumId = createdAlbum;
        seen.insert(sha);
        ++imported;
    }
    out << imported << (imported == 1 ? " photo" : " photos") << " imported";
    if (duplicates) out << ", " << duplicates << " already in the library";
    if (failures + refused) out << ", " << failures + refused << " failed";
    out << "\n";
    return refused ? kExitUsage : failures ? kExitFailure : 0;
}

int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const Command command = Parse(arguments);
    if (std::holds_alternative<Help>(command)) {
        PrintUsage(out);
        return 0;
    }
    if (auto* usage = std::get_if<UsageError>(&command)) {
        err << "tavorin import: " << usage->message << "\n";
        PrintUsage(err);
        return kExitUsage;
    }
    return Run(std::get<Options>(command), PHPhotoLibrary::defaultLibraryPath(), out, err);
}

}  // namespace ImportJob
