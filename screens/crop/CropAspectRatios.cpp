#include "screens/crop/CropAspectRatios.h"

namespace {

// The six ratios in their landscape form, longer side first.
constexpr int kSides[6][2] = {{3, 2}, {5, 3}, {4, 3}, {5, 4}, {7, 5}, {16, 9}};

}  // namespace

std::vector<std::string> CropAspectRatios::buttonTitles(bool landscape) {
    std::vector<std::string> titles = {"Original", "Square"};
    for (const auto& s : kSides) {
        const int w = landscape ? s[0] : s[1], h = landscape ? s[1] : s[0];
        titles.push_back(std::to_string(w) + ":" + std::to_string(h));
    }
    return titles;
}

std::optional<double> CropAspectRatios::ratioAtIndex(int index, bool landscape, CGSize imageSize) {
    if (index == 0) return imageSize.width / imageSize.height;
    if (index == 1) return 1.0;
    if (index < 2 || index > 7) return std::nullopt;
    const auto& s = kSides[index - 2];
    const float w = static_cast<float>(landscape ? s[0] : s[1]), h = static_cast<float>(landscape ? s[1] : s[0]);
    return static_cast<double>(w / h);
}
