#pragma once
// A colour with how many pixels have it. Sorting with `compare` puts the most frequent first.
#include <cstdint>

#include "platform/foundation/NSObject.h"
#include "platform/uikit/UIColor.h"

class CountedColor : public NSObject {
public:
    CountedColor(UIColor color, std::uint64_t count) : count_(count), color_(color) {}

    std::uint64_t count() const { return count_; }
    const UIColor& color() const { return color_; }
    // 1 when this count is smaller than the other's, 0 when equal, -1 when larger or when
    // there is no other.
    int compare(const CountedColor* other) const;

private:
    std::uint64_t count_;
    UIColor color_;
};
