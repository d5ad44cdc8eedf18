#include "platform/coregraphics/CGPixels.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "cairo's ARGB is read as B, G, R, A bytes");

namespace cgpixels {

std::optional<Layout> describe(CGColorSpaceModel model, std::size_t bpc, std::size_t bpp, CGBitmapInfo info) {
    Layout l;
    l.model = model;
    l.bitsPerComponent = static_cast<int>(bpc);
    l.bitsPerPixel = static_cast<int>(bpp);
    const auto alphaInfo = static_cast<CGImageAlphaInfo>(info & kCGBitmapAlphaInfoMask);
    const CGBitmapInfo order = info & kCGBitmapByteOrderMask;
    const bool floats = info & kCGBitmapFloatComponents;
    if (floats != (bpc == 32)) return std::nullopt;
    if (bpc != 8 && bpc != 16 && bpc != 32) return std::nullopt;

    bool first = false;
    switch (alphaInfo) {
    case kCGImageAlphaNone: l.alpha = Layout::Alpha::None; break;
    case kCGImageAlphaPremultipliedLast: l.alpha = Layout::Alpha::Premultiplied; break;
    case kCGImageAlphaPremultipliedFirst:
        l.alpha = Layout::Alpha::Premultiplied;
        first = true;
        break;
    case kCGImageAlphaLast: l.alpha = Layout::Alpha::Straight; break;
    case kCGImageAlphaFirst:
        l.alpha = Layout::Alpha::Straight;
        first = true;
        break;
    case kCGImageAlphaNoneSkipLast: l.alpha = Layout::Alpha::Skip; break;
    case kCGImageAlphaNoneSkipFirst:
        l.alpha = Layout::Alpha::Skip;
        first = true;
        break;
    default: return std::nullopt;
    }
    const int colorCount = model == CGColorSpaceModel::RGB ? 3 : 1;
    l.components = colorCount + (l.alpha == Layout::Alpha::None ? 0 : 1);
    if (static_cast<std::size_t>(l.components) * bpc != bpp) return std::nullopt;
    if (model == CGColorSpaceModel::Monochrome && bpc != 8) return std::nullopt;
    const int base = (l.alpha != Layout::Alpha::None && first) ? 1 : 0;
    for (int i = 0; i < 3; ++i) l.color[i] = base + (colorCount == 3 ? i : 0);
    if (l.alpha != Layout::Alpha::None) l.alphaIndex = first ? 0 : colorCount;

    switch (order) {
    case kCGBitmapByteOrderDefault: break;
    case kCGBitmapByteOrder32Little:
        if (bpc == 8 && bpp == 32) l.reverse32 = true;
        else if (bpc != 32) return std::nullopt;
        break;
    case kCGBitmapByteOrder32Big:
        if (bpc == 32) l.swapFloat = true;
        else if (!(bpc == 8 && bpp == 32)) return std::nullopt;
        break;
    case kCGBitmapByteOrder16Little:
        if (bpc != 16) return std::nullopt;
        l.little16 = true;
        break;
    case kCGBitmapByteOrder16Big:
        if (bpc != 16) return std::nullopt;
        break;
    default: return std::nullopt;
    }
    return l;
}

namespace {

double component(const Layout& l, const std::uint8_t* px, int logical) {
    switch (l.bitsPerComponent) {
    case 8: return px[l.bitsPerPixel == 32 ? l.byteOffset(logical) : logical] / 255.0;
    case 16: {
        const std::uint8_t* p = px + 2 * logical;
        unsigned v = l.little16 ? (p[0] | (p[1] << 8)) : ((p[0] << 8) | p[1]);
        return v / 65535.0;
    }
    default: {
        std::uint32_t bits;
        std::memcpy(&bits, px + 4 * logical, 4);
        if (l.swapFloat) bits = __builtin_bswap32(bits);
        float f = std::bit_cast<float>(bits);
        return std::isfinite(f) ? std::clamp(static_cast<double>(f), 0.0, 1.0) : 0.0;
    }
    }
}

std::uint8_t to8(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

}  // namespace

CGColor readPixel(const Layout& l, const std::uint8_t* px) {
    double a = (l.alpha == Layout::Alpha::Premultiplied || l.alpha == Layout::Alpha::Straight)
                   ? component(l, px, l.alphaIndex)
                   : 1.0;
    double c[3];
    for (int i = 0; i < 3; ++i) c[i] = component(l, px, l.color[i]);
    if (l.alpha == Layout::Alpha::Premultiplied)
        for (double& v : c) v = a > 0 ? std::min(v / a, 1.0) : 0.0;
    return {c[0], c[1], c[2], a};
}

void toCairo(const Layout& l, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst, std::size_t dstStride,
             std::size_t width, std::size_t height) {
    const std::size_t bytesPerPixel = l.bitsPerPixel / 8;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* s = src + y * srcStride;
        std::uint8_t* d = dst + y * dstStride;
        if (l.is8BitRGBA() && l.model == CGColorSpaceModel::RGB) {
            const int r = l.byteOffset(l.color[0]), g = l.byteOffset(l.color[1]), b = l.byteOffset(l.color[2]);
            const int ai = l.byteOffset(l.alphaIndex);
            if (r == 0 && g == 1 && b == 2 && ai == 3 && l.alpha == Layout::Alpha::Premultiplied) {
                // What GL reads back, on every frame of the live picture: fixed offsets let
                // the compiler swap the channels many pixels at a time.
                for (std::size_t x = 0; x < width; ++x) {
                    const std::uint8_t a = s[x * 4 + 3];
                    d[x * 4 + 0] = std::min(s[x * 4 + 2], a);
                    d[x * 4 + 1] = std::min(s[x * 4 + 1], a);
                    d[x * 4 + 2] = std::min(s[x * 4 + 0], a);
                    d[x * 4 + 3] = a;
                }
                continue;
            }
            for (std::size_t x = 0; x < width; ++x, s += 4, d += 4) {
                unsigned a = l.alpha == Layout::Alpha::Skip ? 255 : s[ai];
                if (l.alpha == Layout::Alpha::Straight) {
                    d[0] = static_cast<std::uint8_t>((s[b] * a + 127) / 255);
                    d[1] = static_cast<std::uint8_t>((s[g] * a + 127) / 255);
                    d[2] = static_cast<std::uint8_t>((s[r] * a + 127) / 255);
                } else {
                    d[0] = static_cast<std::uint8_t>(std::min(unsigned{s[b]}, a));
                    d[1] = static_cast<std::uint8_t>(std::min(unsigned{s[g]}, a));
                    d[2] = static_cast<std::uint8_t>(std::min(unsigned{s[r]}, a));
                }
                d[3] = static_cast<std::uint8_t>(a);
            }
            continue;
        }
        for (std::size_t x = 0; x < width; ++x, s += bytesPerPixel, d += 4) {
            CGColor c = readPixel(l, s);
            d[0] = to8(c.b * c.a);
            d[1] = to8(c.g * c.a);
            d[2] = to8(c.r * c.a);
            d[3] = to8(c.a);
        }
    }
}

void fromCairo(const std::uint8_t* src, std::size_t srcStride, const Layout& l, std::uint8_t* dst,
               std::size_t dstStride, std::size_t width, std::size_t height) {
    const int r = l.byteOffset(l.color[0]), g = l.byteOffset(l.color[1]), b = l.byteOffset(l.color[2]);
    const int ai = l.byteOffset(l.alphaIndex);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* s = src + y * srcStride;
        std::uint8_t* d = dst + y * dstStride;
        for (std::size_t x = 0; x < width; ++x, s += 4, d += 4) {
            unsigned a = s[3];
            if (l.alpha == Layout::Alpha::Straight) {
                auto un = [a](unsigned v) {
                    return static_cast<std::uint8_t>(a ? std::min(255u, (v * 255 + a / 2) / a) : 0);
                };
                d[r] = un(s[2]);
                d[g] = un(s[1]);
                d[b] = un(s[0]);
            } else {
                d[r] = s[2];
                d[g] = s[1];
                d[b] = s[0];
            }
            d[ai] = static_cast<std::uint8_t>(l.alpha == Layout::Alpha::Skip ? 255 : a);
        }
    }
}

}  // namespace cgpixels
