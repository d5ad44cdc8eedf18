#include "ui/appearance/CountedColor.h"

int CountedColor::compare(const CountedColor* other) const {
    if (!other || count_ > other->count_) return -1;
    return count_ < other->count_ ? 1 : 0;
}
