#include "library/saving/NSURL+CameraUtility.h"

namespace CameraUtility {

void saveMovieToAlbum(const std::string& path, Completion completion, std::shared_ptr<ALAssetsLibrary> library) {
    if (!library) library = std::make_shared<ALAssetsLibrary>();
    library->writeVideoAtPathToSavedPhotosAlbum(path, saveEnding(nullptr, std::move(completion)));
}

}  // namespace CameraUtility
