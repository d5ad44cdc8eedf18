#pragma once
// A change the library notifies: gives, for a fetch result the observer holds, what the
// change did to it (null when the fetch is untouched).
#include <memory>

#include "platform/photos/PHFetchResultChangeDetails.h"

class PHPhotoLibrary;

class PHChange {
public:
    explicit PHChange(std::shared_ptr<PHPhotoLibrary> library) : library_(std::move(library)) {}

    template <class T>
    std::shared_ptr<PHFetchResultChangeDetails<T>> changeDetailsForFetchResult(
        const std::shared_ptr<PHFetchResult<T>>& result) const {
        return PHFetchResultChangeDetails<T>::between(result, result->refetched());
    }
    const std::shared_ptr<PHPhotoLibrary>& photoLibrary() const { return library_; }

private:
    std::shared_ptr<PHPhotoLibrary> library_;
};
