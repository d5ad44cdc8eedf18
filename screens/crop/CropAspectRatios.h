#pragma once
// The aspect choices the crop screens offer: "Original", "Square", then six ratios named by
// the orientation of the rectangle ("3:2" on a landscape one, "2:3" on a portrait one), with
// "Cancel" last. The ratios (width over height) are the single-precision values of the
// fractions, used as doubles; "Original" is the picture's own, in double precision.
#include <optional>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"

struct CropAspectRatios {
    static constexpr int kCancelIndex = 8;
    static constexpr const char* kCancelTitle = "Cancel";

    // The eight choices, without "Cancel".
    static std::vector<std::string> buttonTitles(bool landscape);
    // The ratio of a choice; none for "Cancel" or any other index.
    static std::optional<double> ratioAtIndex(int index, bool landscape, CGSize imageSize);
};
