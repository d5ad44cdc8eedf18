// The installed geotag source, read by saves on any thread.
#include "library/metadata/GeotagSource.h"

#include <atomic>

namespace {
std::atomic<const GeotagSource*> gSource{nullptr};
}

void GeotagSource::install(const GeotagSource* source) { gSource.store(source); }

const GeotagSource* GeotagSource::installed() { return gSource.load(); }
