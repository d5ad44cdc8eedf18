#pragma once
// The name of a colour: the nearest of the 140 CSS extended colour keywords, by display name
// ("Alice Blue" … "Yellow Green"), with the distance sqrt((Δr² + Δg² + Δb²) / 3) over the
// RGB components (alpha plays no part).
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/uikit/UIColor.h"

struct ColorNaming {
    // (display name, "#RRGGBB"), in table order; built once.
    static const std::vector<std::pair<std::string, std::string>>& colorNamesDictionary();
    // Nearest first, at least one name and at most `count` (0 still gives one). Of two names
    // at exactly one distance only the first in table order is listed.
    static std::vector<std::string> colorNames(const UIColor& color, std::size_t count);
    static std::string colorName(const UIColor& color);
};
