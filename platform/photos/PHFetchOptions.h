#pragma once
// How a fetch is filtered and sorted. Without sort descriptors assets come in order of
// addition (regular albums: in their own order).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct NSSortDescriptor {
    std::string key;  // "creationDate", "modificationDate", "pixelWidth", "pixelHeight", "duration"
    bool ascending = true;
};

struct PHFetchOptions {
    std::vector<NSSortDescriptor> sortDescriptors;
    std::optional<int> mediaType;  // only assets of this type
    std::optional<bool> favorite;  // only favourites (true) or only the others (false)
    std::size_t fetchLimit = 0;    // 0: no limit
};
