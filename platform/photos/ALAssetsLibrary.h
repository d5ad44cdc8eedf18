#pragma once
// The older writer into the saved-photos album: an image is encoded as a JPEG (quality 0.9)
// carrying its metadata, a movie must open as one, and either becomes a new asset of the
// photo library through an ordinary change. Completions run on the main queue with the new
// asset's identifier, or an error of this domain: -3311 access denied, -3305 not enough
// space, -3300 any other failure.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/foundation/NSError.h"
#include "platform/imageio/ImageProperties.h"

class PHPhotoLibrary;

inline constexpr const char* ALAssetsLibraryErrorDomain = "ALAssetsLibraryErrorDomain";
enum ALAssetsLibraryErrorCode : long {
    ALAssetsLibraryWriteFailedError = -3300,
    ALAssetsLibraryWriteDiskSpaceError = -3305,
    ALAssetsLibraryDataUnavailableError = -3310,
    ALAssetsLibraryAccessUserDeniedError = -3311,
};

class ALAssetsLibrary {
public:
    using Completion = std::function<void(const std::string& assetURL, NSErrorPtr error)>;

    // Writes into the given library (the shared one when null).
    explicit ALAssetsLibrary(std::shared_ptr<PHPhotoLibrary> library = nullptr);

    void writeImageToSavedPhotosAlbum(const CGImageRef& image, const platform::ImageProperties& metadata,
                                      Completion completion);
    // Encoded image data written as it is (not encoded again), the metadata merged into what
    // the data already carries.
    void writeImageDataToSavedPhotosAlbum(std::vector<std::uint8_t> data, const platform::ImageProperties& metadata,
                                          Completion completion);
    void writeVideoAtPathToSavedPhotosAlbum(const std::string& path, Completion completion);

private:
    void write(const std::string& path, bool movie, bool ownsFile, Completion completion);
    std::shared_ptr<PHPhotoLibrary> library_;
    // Why the shared library could not be opened (for each write's error).
    NSErrorPtr unopened_;
};
