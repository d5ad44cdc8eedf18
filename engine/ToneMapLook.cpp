// The look texture: the image of the selected look, decoded from its file and
// uploaded in the layout the look stage samples. The images are read from the resource
// directory the engine was given.

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/EnginePrograms.h"
#include "engine/LookTexture.h"
#include "engine/ToneMapLookTable.h"
#include "gpu/Device.h"
#include "platform/imageio/ImageIO.h"

using namespace QV::Graphics;

std::optional<sLookImage> ConvertLookImage(int32_t lookIndex, const platform::ImageBitmap& bitmap,
                                           std::string* reason) {
    const auto fail = [&](const std::string& why) -> std::optional<sLookImage> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    if (lookIndex <= 0 || lookIndex >= kToneMapLookCount) return fail("no such look");
    if (bitmap.empty() || bitmap.pixels.size() < bitmap.bytesPerRow() * bitmap.height) return fail("empty image");
    // A strip needs a column per input level to be worth sampling; Gotham needs rows as well.
    if (bitmap.width < 2) return fail("image narrower than 2 pixels");
    if (lookIndex == kLookGotham && bitmap.height < 2)
        return fail("Gotham needs a two-dimensional table, the image has one row");

    // Byte offsets of red, green and blue in the decoded pixels.
    const bool bgra = bitmap.format == platform::ImagePixelFormat::BGRA;
    const size_t r = bgra ? 2 : 0, g = 1, b = bgra ? 0 : 2;

    sLookImage image;
    image.width = static_cast<int32_t>(bitmap.width);
    image.height = static_cast<int32_t>(bitmap.height);
    const size_t count = static_cast<size_t>(bitmap.width) * bitmap.height;
    if (lookIndex == kLookInkwell) {
        // A grey curve: one channel. Grey files decode with equal channels; of a colour file the
        // red channel is the curve.
        image.channels = 1;
        image.bytes.resize(count);
        for (size_t i = 0; i < count; ++i) image.bytes[i] = bitmap.pixels[4 * i + r];
    } else {
        // Packed RGBA, opaque: the stage reads each channel's curve from its own channel.
        image.channels = 4;
        image.bytes.resize(4 * count);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* p = &bitmap.pixels[4 * i];
            uint8_t* q = &image.bytes[4 * i];
            q[0] = p[r];
            q[1] = p[g];
            q[2] = p[b];
            q[3] = 255;
        }
    }
    return image;
}

// The look image `name` in the resource directory's looks/ folder or at its top; empty when
// neither holds it.
static std::string LookImagePath(std::string_view directory, const std::string& name) {
    if (directory.empty() || name.empty()) return {};
    const std::filesystem::path base(directory);
    std::error_code error;
    for (const std::filesystem::path& candidate : {base / "looks" / name, base / name})
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    return {};
}

int32_t LoadedToneMapLook(const LookTexture& texture) { return texture.Look(); }

void LoadToneMapLook(const sColorAdjustment& ca, LookTexture& lookTexture, std::string_view resourceDirectory) {
    if (!IsToneMapLookActive(ca)) return;
    const int32_t look = ca.toneMap;
    if (lookTexture) {
        if (LoadedToneMapLook(lookTexture) == look) return;
        // Made for another look (or not by this loader): never sample it for this one.
        lookTexture.reset();
    }
    IDevice* device = CDevice::GetCurrentDevice();
    if (!device) return;

    const char* name = ToneMapLookTable[static_cast<size_t>(look)].imageName;
    const std::string path = LookImagePath(resourceDirectory, name);
    if (path.empty()) {
        std::fprintf(stderr, "Look \"%s\" left out: its image %s is missing\n",
                     ToneMapLookTable[static_cast<size_t>(look)].displayName, name);
        return;
    }
    platform::ImageIOError error;
    std::optional<platform::DecodedImage> decoded =
        platform::DecodeImageFile(path, platform::ImagePixelFormat::RGBA, &error);
    if (!decoded) {
        std::fprintf(stderr, "Look \"%s\" left out: %s\n", ToneMapLookTable[static_cast<size_t>(look)].displayName,
                     error.message.c_str());
        return;
    }
    std::string reason;
    std::optional<sLookImage> image = ConvertLookImage(look, decoded->bitmap, &reason);
    if (!image) {
        std::fprintf(stderr, "Look \"%s\" left out: %s (%s)\n", ToneMapLookTable[static_cast<size_t>(look)].displayName,
                     reason.c_str(), path.c_str());
        return;
    }
    ITexture* textures = device->GetTexture();
    if (image->width > textures->GetMaxTextureSize() || image->height > textures->GetMaxTextureSize()) {
        std::fprintf(stderr, "Look \"%s\" left out: its image of %dx%d exceeds the largest texture (%d)\n",
                     ToneMapLookTable[static_cast<size_t>(look)].displayName, image->width, image->height,
                     textures->GetMaxTextureSize());
        return;
    }
    ITexture2D* texture = nullptr;
    if (image->channels == 4) {
        // Colour strips and Gotham's table map exact levels: no blending between columns.
        const CTextureTemplate nearest(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        texture = textures->CreateTexture(nearest, image->width, image->height, FORMAT_RGBA, FORMAT_RGBA,
                                          PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, image->bytes.data());
    } else {
        // The grey curve is read between its texel centres. Without the red format a luminance
        // texture gives the same red channel.
        const eTextureFormat format = device->HasTextureRg() ? FORMAT_RED : FORMAT_LUMINANCE;
        const CTextureTemplate linear(FILTER_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        texture = textures->CreateTexture(linear, image->width, image->height, format, format, PIXEL_TYPE_UNSIGNED_BYTE,
                                          1, false, false, image->bytes.data());
    }
    if (!texture) {
        std::fprintf(stderr, "Look \"%s\" left out: the device refused its texture\n",
                     ToneMapLookTable[static_cast<size_t>(look)].displayName);
        return;
    }
    lookTexture.Take(texture, look);
}
