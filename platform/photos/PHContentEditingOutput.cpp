#include "platform/photos/PHContentEditingOutput.h"

#include "platform/photos/PHPhotoLibrary.h"

PHContentEditingOutput::PHContentEditingOutput(const PHContentEditingInput& input, PHPhotoLibrary& library)
    : renderedContentURL_(library.store().stagingPath("jpg")), assetLocalIdentifier_(input.assetLocalIdentifier) {}

PHContentEditingOutput::PHContentEditingOutput(const PHObjectPlaceholder& placeholder, PHPhotoLibrary& library)
    : renderedContentURL_(library.store().stagingPath("jpg")), assetLocalIdentifier_(placeholder.localIdentifier()) {}
