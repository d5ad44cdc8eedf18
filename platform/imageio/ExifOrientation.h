#pragma once
// The orientation entry of an Exif block (a TIFF structure: byte-order mark, IFD0), read
// without the metadata library so that the decoders can report it for any file. Every
// offset is checked against the block; anything unreadable or invalid gives 1.
#include <cstddef>
#include <cstdint>

namespace platform::imageio_detail {

inline int exifOrientationFromTIFFBlock(const std::uint8_t* p, std::size_t size) {
    if (!p || size < 8) return 1;
    bool little;
    if (p[0] == 'I' && p[1] == 'I') little = true;
    else if (p[0] == 'M' && p[1] == 'M') little = false;
    else return 1;
    auto u16 = [&](std::size_t at) -> unsigned { return little ? p[at] | p[at + 1] << 8 : p[at] << 8 | p[at + 1]; };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? std::uint32_t(p[at]) | std::uint32_t(p[at + 1]) << 8 | std::uint32_t(p[at + 2]) << 16 |
                            std::uint32_t(p[at + 3]) << 24
                      : std::uint32_t(p[at]) << 24 | std::uint32_t(p[at + 1]) << 16 | std::uint32_t(p[at + 2]) << 8 |
                            std::uint32_t(p[at + 3]);
    };
    if (u16(2) != 42) return 1;
    const std::uint64_t ifd = u32(4);
    if (ifd + 2 > size) return 1;
    const unsigned count = u16(ifd);
    for (unsigned i = 0; i < count; ++i) {
        const std::uint64_t entry = ifd + 2 + std::uint64_t{i} * 12;
        if (entry + 12 > size) return 1;
        if (u16(entry) != 0x0112) continue;
        if (u16(entry + 2) != 3 || u32(entry + 4) < 1) return 1;  // SHORT, one value
        const unsigned v = u16(entry + 8);
        return v >= 1 && v <= 8 ? static_cast<int>(v) : 1;
    }
    return 1;
}

}  // namespace platform::imageio_detail
