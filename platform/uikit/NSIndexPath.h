#pragma once
// A position in a sectioned list: a section and an item (row) in it. A plain value, ordered by
// section, then item; where an index path may be absent, std::optional stands for nil.
#include <compare>
#include <cstddef>
#include <functional>

using NSInteger = long;

struct NSIndexPath {
    NSInteger section = 0;
    NSInteger item = 0;

    static NSIndexPath indexPathForItem(NSInteger item, NSInteger section) { return {section, item}; }
    static NSIndexPath indexPathForRow(NSInteger row, NSInteger section) { return {section, row}; }
    NSInteger row() const { return item; }

    auto operator<=>(const NSIndexPath&) const = default;
};

template <>
struct std::hash<NSIndexPath> {
    std::size_t operator()(const NSIndexPath& p) const noexcept {
        return std::hash<NSInteger>()(p.section) * 1000003u ^ std::hash<NSInteger>()(p.item);
    }
};
