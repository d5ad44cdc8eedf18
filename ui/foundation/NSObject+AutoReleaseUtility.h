#pragma once
// Objects here are owned by RAII, so there are no autorelease pools: whatever a block makes for
// itself is freed when the block returns, and its result passes to the caller.
#include <utility>

namespace AutoReleaseUtility {

template <class Block>
auto retainedObjectFromAutorelease(Block&& block) {
    return std::forward<Block>(block)();
}

}  // namespace AutoReleaseUtility
