#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

namespace {

// Reads the pixel size from a PNG file's header; false when the file is not a PNG.
bool pngSize(const std::string& path, std::uint32_t& width, std::uint32_t& height) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!std::equal(signature, signature + 8, header) || std::string(header + 12, header + 16) != "IHDR") return false;
    auto be32 = [&](int at) {
        return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16 |
               std::uint32_t(header[at + 2]) << 8 | std::uint32_t(header[at + 3]);
    };
    width = be32(16);
    height = be32(20);
    return true;
}

// Every picture the pickers load by name, at twice the points its cell shows it at.
TEST(IconResources, EveryPickerIconIsThere) {
    struct Icon {
        const char* name;
        std::uint32_t points;
    };
    const Icon icons[] = {
        {"modeNormal", 25},
        {"modeLowLight", 25},
        {"modeArt", 25},
        {"modeSun", 25},
        {"modeOvercast", 25},
        {"modeDramatic", 25},
        {"modeExposure", 25},
        {"modeFog", 25},
        {"colorTonesDark", 44},
        {"colorTones", 44},
        {"color", 44},
        {"colorMono", 44},
        {"colorGray", 44},
        {"colorCustom", 44},
        {"adjustBrightness", 35},
        {"adjustDetail", 35},
        {"adjustSaturation", 35},
        {"adjustDarkness", 35},
        {"adjustContrast", 35},
        {"adjustShadows", 35},
        {"adjustHighlights", 35},
        {"adjustTemperature", 35},
        {"adjustNoise", 35},
        {"adjustVignette", 35},
        {"adjustReset", 35},
        {"adjustCrop", 35},
    };
    for (const Icon& icon : icons) {
        std::string path = std::string(TAVORIN_RESOURCE_DIR) + "/icons/" + icon.name + "@2x.png";
        std::uint32_t width = 0, height = 0;
        ASSERT_TRUE(pngSize(path, width, height)) << path;
        EXPECT_EQ(width, 2 * icon.points) << icon.name;
        EXPECT_EQ(height, 2 * icon.points) << icon.name;
    }
}

}  // namespace
