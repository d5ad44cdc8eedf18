#pragma once
// One album as the picker lists it: its number of images, its title, the album, and the
// image its cover is made from.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/photos/PHAsset.h"
#include "platform/photos/PHAssetCollection.h"

class PhotoGroup {
public:
    std::uint64_t count = 0;
    std::string name;
    std::shared_ptr<PHAssetCollection> collection;
    PHAssetPtr firstAsset;
};
