#pragma once
// Saving a movie file into the saved-photos album; the end as for a photo (alert on failure,
// completion with the error, on the main queue).
#include <memory>
#include <string>

#include "library/saving/UIImage+CameraUtility.h"

namespace CameraUtility {

void saveMovieToAlbum(const std::string& path, Completion completion,
                      std::shared_ptr<ALAssetsLibrary> library = nullptr);

}  // namespace CameraUtility
