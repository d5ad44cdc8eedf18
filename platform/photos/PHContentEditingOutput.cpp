#include "platform/photos/PHContentEditingOutput.h"

#include "platform/photos/PHPhotoLibrary.h"

PHContentEditingOutput::PHContentEditingOutput(const PHContentEditingInput& input, PHPhotoLibrary& library)
    : renderedContentURL_(library.stagingPathForOutput()), assetLocalIdentifier_(input.assetLocalIdentifier) {}

PHContentEditingOutput::PHContentEditingOutput(const PHObjectPlaceholder& placeholder, PHPhotoLibrary& library)
    : renderedContentURL_(library.stagingPathForOutput()), assetLocalIdentifier_(placeholder.localIdentifier()) {}
