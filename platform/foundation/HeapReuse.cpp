// The C library's allocator told to keep big freed buffers (see the header).
#include "platform/foundation/HeapReuse.h"

#include <malloc.h>

namespace HeapReuse {
namespace {

constexpr int kLargestFromHeap = 32 << 20;
constexpr int kFreeTopKept = 64 << 20;

}  // namespace

void KeepFreedBuffers() {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Setting either ends the library's own adjustment of the mapping threshold, which would
    // otherwise keep the trim threshold at twice a buffer: too little for several per frame.
    mallopt(M_MMAP_THRESHOLD, kLargestFromHeap);
    mallopt(M_TRIM_THRESHOLD, kFreeTopKept);
#endif
}

}  // namespace HeapReuse
