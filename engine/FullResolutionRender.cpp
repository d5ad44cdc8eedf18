// The full-resolution render: the preview's pass chain run offscreen over the whole photo,
// cut into overlapping strips or tiles whose interiors are stitched into one image.
//
// Strips span the full width, so each is a run of whole rows of the caller's buffer and is
// read straight into the result, or into one strip's worth of rows handed on to a row sink
// (the whole result is then never held). Tiles need a packed copy of their source rectangle; two
// staging slots let the flip-copy of one tile's read-back overlap the next tile's GPU work.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/TileLayout.h"
#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;
using QV::Math::CVector2;
using QV::Math::CVector4;

namespace {

// Input pixels: 3 bytes for RGB, 4 for the others. The read-back is always 4-byte B,G,R,A,
// whatever the input, so results and read-back slots are sized at 4 bytes per pixel.
int32_t InputBytesPerPixel(int32_t format) { return format == kPixelFormatRGB ? 3 : 4; }
constexpr size_t kResultBytesPerPixel = 4;

const sFrameTime kStillTime = sFrameTime::Make(0, 60);

// A tile's source rectangle as a whole picture, worked on at the tile's size.
sInputGeometry TileGeometry(const sTile& tile) {
    return sInputGeometry::Whole(tile.sourceWidth, tile.sourceHeight, tile.width, tile.height);
}

// A buffer of `size` bytes, or empty when it cannot be had.
bool Allocate(std::vector<uint8_t>& buffer, size_t size) {
    try {
        buffer.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        buffer.clear();
        return false;
    } catch (const std::length_error&) {
        buffer.clear();
        return false;
    }
}

// The read-back as a bitmap: packed B,G,R,A rows. An orientation outside 0-7 is taken as up.
std::shared_ptr<sBitmap> WrapBGRA(std::vector<uint8_t> pixels, int32_t width, int32_t height, int64_t orientation) {
    auto bitmap = std::make_shared<sBitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bytesPerRow = static_cast<size_t>(width) * kResultBytesPerPixel;
    bitmap->format = kPixelFormatBGRA;
    bitmap->orientation = orientation >= 0 && orientation <= 7 ? orientation : 0;
    bitmap->bytes = std::move(pixels);
    return bitmap;
}

// Copies a staged read-back (interior rows, bottom row first) into the result, top row first.
void CopyFlipped(const sTile& tile, const uint8_t* slot, uint8_t* result, size_t resultRowBytes) {
    const size_t rowBytes = static_cast<size_t>(tile.interiorWidth) * kResultBytesPerPixel;
    for (int32_t r = 0; r < tile.interiorHeight; ++r)
        std::memcpy(result + static_cast<size_t>(tile.interiorY + r) * resultRowBytes +
                        static_cast<size_t>(tile.interiorX) * kResultBytesPerPixel,
                    slot + static_cast<size_t>(tile.interiorHeight - 1 - r) * rowBytes, rowBytes);
}

}  // namespace

// --- Rendering -----------------------------------------------------------------------------

namespace {

struct sFullResolutionJob {
    int32_t inputWidth, inputHeight, cropWidth, cropHeight, cropX, cropY, outputWidth, outputHeight;
    int64_t orientation;
    int32_t format;

    // Sizes of at least one pixel, a crop inside the input and a known pixel format.
    bool IsValid() const {
        return inputWidth >= 1 && inputHeight >= 1 && cropWidth >= 1 && cropHeight >= 1 && outputWidth >= 1 &&
               outputHeight >= 1 && cropX >= 0 && cropY >= 0 && static_cast<int64_t>(cropX) + cropWidth <= inputWidth &&
               static_cast<int64_t>(cropY) + cropHeight <= inputHeight &&
               (format == kPixelFormatRGB || format == kPixelFormatBGRA || format == kPixelFormatRGBA);
    }
    // Anything but the whole input at its own size reads through a texture window.
    bool IsRescaled() const {
        return inputWidth != outputWidth || inputHeight != outputHeight || cropWidth != inputWidth ||
               cropHeight != inputHeight || cropX != 0 || cropY != 0;
    }
};

// One render, under the full-resolution request from start to end.
class CFullResolutionRender {
public:
    CFullResolutionRender(AmbrelGraphicsController& engine, const sFullResolutionJob& job, bool strips,
                          const AmbrelGraphicsController::RowSink* sink = nullptr)
        : e(engine), q(job), strips(strips || sink), sink(sink) {}

    std::shared_ptr<sBitmap> Run(const AmbrelGraphicsController::PixelSource& source) {
        if (!Render(source)) return nullptr;
        return WrapBGRA(std::move(result), q.outputWidth, q.outputHeight, q.orientation);
    }

    bool Render(const AmbrelGraphicsController::PixelSource& source) {
        if (e.videoRecording.mode != eRecordingMode::Idle) return false;
        if (!q.IsValid() || (sink && q.IsRescaled())) {
            std::fprintf(stderr, "full-resolution render refused: %d x %d crop %d x %d at %d, %d into %d x %d\n",
                         q.inputWidth, q.inputHeight, q.cropWidth, q.cropHeight, q.cropX, q.cropY, q.outputWidth,
                         q.outputHeight);
            return false;
        }
        // The result is had before anything changes: a request too large for memory leaves
        // the engine as it was (and is never laid out). A row sink's one strip is sized by the
        // layout.
        if (!sink && !AllocateResult()) return false;
        LayOut();
        if (sink && !AllocateResult()) return false;
        Progress(0.0);
        bool done = false;
        {
            const AmbrelGraphicsController::RequestScope scope(e, sRenderRequest::FullResolution());
            Enter();
            done = RenderTiles(source);
            ResetUniforms();
        }
        Leave();
        return done;
    }

private:
    void Progress(double value) {
        if (e.renderProgressBlock) e.renderProgressBlock(value);
    }

    // Lays out the tiles; the engine is not changed.
    void LayOut() {
        const int32_t limit = AmbrelGraphicsController::MaxTextureSize();
        int32_t tileSize = std::min(e.maxTextureSize, limit);
        int32_t border = 0;
        e.ComputeTileBorder(tileSize, border);
        if (strips && !q.IsRescaled()) tileSize = BalancedStripHeight(tileSize, border);
        AmbrelGraphicsController::RenderTiled(q.inputWidth, q.inputHeight, q.cropWidth, q.cropHeight, q.cropX, q.cropY,
                                              q.outputWidth, q.outputHeight, strips ? limit : tileSize, tileSize,
                                              border, false, tiles);
        if (strips && !q.IsRescaled()) EqualizeLastStrip();
    }

    // The lowest strip height that needs no more strips than `limit` does: the strips' rows
    // (their borders rendered twice) and their working textures come no larger than the
    // photo's height asks. Never under four borders. Strips start on whole texels of the
    // coarsest level, as a single tile's do: a strip whose pyramid sits half a coarse texel
    // off the single tile's differs from it along the whole strip, not only at its joins.
    int32_t BalancedStripHeight(int32_t limit, int32_t border) const {
        const int64_t height = q.outputHeight, step = limit - 2 * border;
        if (height <= limit || step < 1) return limit;
        // Strips start every height - 2 borders; the last one reaches the bottom row.
        const int64_t count = 1 + (height - limit + step - 1) / step;
        const int64_t balanced = (height + 2 * border * (count - 1) + count - 1) / count;
        const int64_t texel = e.CoarsestLevelTexel();
        const int64_t alignedStep = (balanced - 2 * border + texel - 1) / texel * texel;
        const int64_t aligned =
            alignedStep + 2 * border <= limit ? alignedStep + 2 * border : (step / texel) * texel + 2 * border;
        return static_cast<int32_t>(std::clamp<int64_t>(aligned, 4 * border, limit));
    }

    // A last strip shorter than the others would have every working texture made again for
    // it, while the device still holds the ones they replace: the job's peak. It reaches
    // further up instead, into rows already rendered, and writes the same interior.
    void EqualizeLastStrip() {
        if (tiles.size() < 2) return;
        const int32_t height = tiles.front().height;
        sTile& last = tiles.back();
        if (last.height >= height || height > q.outputHeight) return;
        last.y = q.outputHeight - height;
        last.height = height;
        last.sourceY = last.y;
        last.sourceHeight = height;
    }

    // Asks for a fresh input geometry and fresh matrices: the request renders offscreen at
    // full size, without the preview's zoom and split.
    void Enter() {
        e.inputReconfigureRequested = true;
        e.matricesDirty = true;
    }

    // Of several strips each keeps only its interior rows; a tile keeps every row (its
    // interior is also a part of its width, and tiles are rare).
    void KeepInterior(const sTile& tile) {
        if (!strips || tiles.size() < 2 || tile.height < 1) return;
        const double height = tile.height;
        e.keptRows.first = (tile.interiorY - tile.y) / height;
        e.keptRows.last = (tile.interiorY - tile.y + tile.interiorHeight) / height;
        e.keptRows.limited = true;
    }

    // The preview's geometry and matrices are computed afresh; the input is released for the
    // caller to set again.
    void Leave() {
        e.keptRows = {};
        e.matricesDirty = true;
        e.inputReconfigureRequested = true;
        e.ReleaseInputTextures();
        e.ReleaseWorkingTextures();
    }

    bool RenderTiles(const AmbrelGraphicsController::PixelSource& source) {
        const size_t count = tiles.size();
        if (count == 0) return false;
        if (!AllocateStaging()) return false;
        const auto* pixels = static_cast<const uint8_t*>(source ? source() : nullptr);
        if (!pixels) return false;

        for (size_t i = 0; i < count; ++i) {
            const sTile& tile = tiles[i];
            const int32_t slot = static_cast<int32_t>(i % 2);
            SetTileInput(tile, pixels, slot);
            if (q.IsRescaled()) SetTextureWindow(tile);
            KeepInterior(tile);
            e.RenderFrame();
            // The previous tile's read-back goes into the result while this one renders.
            if (!strips && count > 1 && slotTiles[1 - slot])
                CopyFlipped(*slotTiles[1 - slot], SlotBytes(1 - slot), result.data(), resultRowBytes);
            if (!ReadBack(tile, slot)) return false;
            if (sink && !(*sink)(result.data(), tile.interiorY, tile.interiorHeight)) return false;
            Progress(static_cast<double>(i + 1) / static_cast<double>(count));
        }
        if (!strips && count > 1) {
            const int32_t last = static_cast<int32_t>((count - 1) % 2);
            CopyFlipped(*slotTiles[last], SlotBytes(last), result.data(), resultRowBytes);
        }
        return true;
    }

    // 4 bytes for every output pixel, whatever the input format: that is what the read-back
    // writes. A row sink takes a strip at a time, so the result is then one strip high.
    bool AllocateResult() {
        resultRowBytes = static_cast<size_t>(q.outputWidth) * kResultBytesPerPixel;
        int32_t rows = q.outputHeight;
        if (sink) {
            rows = 0;
            for (const sTile& tile : tiles) rows = std::max(rows, tile.interiorHeight);
        }
        size_t bytes = 0;
        if (__builtin_mul_overflow(resultRowBytes, static_cast<size_t>(rows), &bytes) || !Allocate(result, bytes)) {
            std::fprintf(stderr, "full-resolution render: no memory for a %d x %d result\n", q.outputWidth,
                         q.outputHeight);
            return false;
        }
        return true;
    }

    // Tiles of several: two slots, each large enough for a packed source rectangle or an
    // interior read-back. Strips read straight from the caller's rows into the result.
    bool AllocateStaging() {
        if (strips || tiles.size() < 2) return true;
        size_t largest = 0;
        for (const sTile& tile : tiles) {
            largest = std::max(largest, static_cast<size_t>(tile.sourceWidth) * static_cast<size_t>(tile.sourceHeight));
            largest = std::max(largest, static_cast<size_t>(tile.width) * static_cast<size_t>(tile.height));
        }
        slotBytes = largest * kResultBytesPerPixel;
        if (!Allocate(staging, 2 * slotBytes)) {
            std::fprintf(stderr, "full-resolution render: no memory for the tile staging area\n");
            return false;
        }
        return true;
    }

    uint8_t* SlotBytes(int32_t slot) { return staging.data() + static_cast<size_t>(slot) * slotBytes; }

    void SetTileInput(const sTile& tile, const uint8_t* pixels, int32_t slot) {
        const int32_t bpp = InputBytesPerPixel(q.format);
        const size_t inputRowBytes = static_cast<size_t>(q.inputWidth) * bpp;
        if (tiles.size() == 1) {
            const sInputGeometry request{q.inputWidth, q.inputHeight, q.cropWidth,    q.cropHeight, q.cropX,
                                         q.cropY,      q.outputWidth, q.outputHeight, false};
            e.SetInputPixels(kStillTime, request, 5, q.format, pixels);
            return;
        }
        if (strips) {
            const uint8_t* rows = pixels + static_cast<size_t>(tile.sourceY) * inputRowBytes;
            e.SetInputPixels(kStillTime, TileGeometry(tile), 5, q.format, rows);
        } else {
            // Pack the source rectangle; this slot's earlier read-back has been copied out.
            uint8_t* packed = SlotBytes(slot);
            const size_t rowBytes = static_cast<size_t>(tile.sourceWidth) * bpp;
            for (int32_t r = 0; r < tile.sourceHeight; ++r)
                std::memcpy(packed + static_cast<size_t>(r) * rowBytes,
                            pixels + static_cast<size_t>(tile.sourceY + r) * inputRowBytes +
                                static_cast<size_t>(tile.sourceX) * bpp,
                            rowBytes);
            slotTiles[slot] = nullptr;
            e.SetInputPixels(kStillTime, TileGeometry(tile), 0, q.format, packed);
        }
        // The vignette is laid over the whole picture, not each tile.
        if (e.colorAdjustment.vignette) {
            const float w = static_cast<float>(q.outputWidth), h = static_cast<float>(q.outputHeight);
            const float y = strips ? static_cast<float>(tile.y) : h - static_cast<float>(tile.y + tile.height);
            SetColorAdjustmentUniform(CVector4<float>(static_cast<float>(tile.x) / w, y / h,
                                                      static_cast<float>(tile.width) / w,
                                                      static_cast<float>(tile.height) / h));
        }
    }

    void SetColorAdjustmentUniform(const CVector4<float>& place) {
        if (IShaderProgram* program = e.shaderSets[kPairColorAdjustment][e.ProgramVariant()])
            program->SetUniform4f("uVignetteTexture", place);
    }

    void SetTextureWindow(const sTile& tile) {
        const CMatrix4<float> window = CMatrix4<float>::Translation(tile.textureOffset.x, tile.textureOffset.y, 0.0f) *
                                       CMatrix4<float>::Scale(tile.textureScale.x, tile.textureScale.y, 1.0f) *
                                       e.inputTextureMatrix;
        SetInputTextureMatrix(window);
    }

    void SetInputTextureMatrix(const CMatrix4<float>& matrix) {
        for (int32_t pair = kPairInputFirst; pair <= kPairInputFirst + 3; ++pair)
            if (IShaderProgram* program = e.shaderSets[pair][e.ProgramVariant()])
                program->SetUniformMatrix4fv("uModelViewProjectionTextureMatrix", 1, false, &matrix);
    }

    // Undoes what the tiles changed: the texture window and the vignette's placement.
    void ResetUniforms() {
        if (q.IsRescaled()) SetInputTextureMatrix(e.inputTextureMatrix);
        if (tiles.size() > 1 && e.colorAdjustment.vignette)
            SetColorAdjustmentUniform(CVector4<float>(0.0f, 0.0f, 1.0f, 1.0f));
    }

    // Reads the tile's interior from the output: straight into the result for strips and a
    // single tile, into the tile's slot otherwise.
    bool ReadBack(const sTile& tile, int32_t slot) {
        ITexture2D* output = e.currentOutput;
        IFramebufferObject* framebuffer = e.levelFramebuffers.empty() ? nullptr : e.levelFramebuffers[0].get();
        if (!output || !framebuffer) {
            std::fprintf(stderr, "full-resolution render: tile at %d, %d has no output\n", tile.x, tile.y);
            return false;
        }
        IFramebuffer* framebuffers = CDevice::GetCurrentDevice()->GetFramebuffer();
        framebuffer->AttachTexture(ATTACHMENT_COLOR0, output);
        framebuffers->BindFramebufferObject(framebuffer);
        const int32_t column = tile.interiorX - tile.x;
        const bool topFirst = strips || tiles.size() == 1;
        const int32_t row =
            topFirst ? tile.interiorY - tile.y : tile.height - (tile.interiorY - tile.y) - tile.interiorHeight;
        // Strips and a single tile span the whole width, so their rows land contiguously; for
        // a row sink, at the top of its one strip.
        const size_t firstRow = sink ? 0 : static_cast<size_t>(tile.interiorY);
        uint8_t* target = topFirst ? result.data() + firstRow * resultRowBytes : SlotBytes(slot);
        if (topFirst && (tile.interiorX != 0 || tile.interiorWidth != q.outputWidth)) return false;
        if (!framebuffers->ReadPixels(column, row, tile.interiorWidth, tile.interiorHeight, FORMAT_BGRA,
                                      PIXEL_TYPE_UNSIGNED_BYTE, 1, target)) {
            std::fprintf(stderr, "full-resolution render: the output of the tile at %d, %d could not be read\n", tile.x,
                         tile.y);
            return false;
        }
        // The working picture's alpha holds its luminance; the result is opaque.
        if (output == e.WorkingPicture()) {
            const size_t rowBytes =
                topFirst ? resultRowBytes : static_cast<size_t>(tile.interiorWidth) * kResultBytesPerPixel;
            for (int32_t y = 0; y < tile.interiorHeight; ++y) {
                uint8_t* pixel = target + static_cast<size_t>(y) * rowBytes;
                for (int32_t x = 0; x < tile.interiorWidth; ++x) pixel[4 * x + 3] = 255;
            }
        }
        if (!topFirst) slotTiles[slot] = &tile;
        return true;
    }

    AmbrelGraphicsController& e;
    const sFullResolutionJob q;
    const bool strips;
    const AmbrelGraphicsController::RowSink* const sink;
    std::vector<sTile> tiles;
    std::vector<uint8_t> result;
    size_t resultRowBytes = 0;
    std::vector<uint8_t> staging;
    size_t slotBytes = 0;
    const sTile* slotTiles[2] = {nullptr, nullptr};  // the tile whose read-back each slot holds
};

}  // namespace

std::shared_ptr<sBitmap> AmbrelGraphicsController::RenderToImage(int32_t inW, int32_t inH, int32_t cropW, int32_t cropH,
                                                                 int32_t cropX, int32_t cropY, int32_t outW,
                                                                 int32_t outH, int64_t orientation, int32_t format,
                                                                 const void* pixels) {
    const PixelSource source = [pixels] { return pixels; };
    if (inW == cropW && inH == cropH && RendersInStrips(outW, outH) && cropX <= 0 && cropY <= 0)
        return RenderToImageStrips(inW, inH, cropW, cropH, cropX, cropY, outW, outH, orientation, format, source);
    return RenderToImageTiles(inW, inH, cropW, cropH, cropX, cropY, outW, outH, orientation, format, source);
}

std::shared_ptr<sBitmap> AmbrelGraphicsController::RenderToImageStrips(int32_t inW, int32_t inH, int32_t cropW,
                                                                       int32_t cropH, int32_t cropX, int32_t cropY,
                                                                       int32_t outW, int32_t outH, int64_t orientation,
                                                                       int32_t format, const PixelSource& pixels) {
    const sFullResolutionJob job{inW, inH, cropW, cropH, cropX, cropY, outW, outH, orientation, format};
    return CFullResolutionRender(*this, job, true).Run(pixels);
}

std::shared_ptr<sBitmap> AmbrelGraphicsController::RenderToImageTiles(int32_t inW, int32_t inH, int32_t cropW,
                                                                      int32_t cropH, int32_t cropX, int32_t cropY,
                                                                      int32_t outW, int32_t outH, int64_t orientation,
                                                                      int32_t format, const PixelSource& pixels) {
    const sFullResolutionJob job{inW, inH, cropW, cropH, cropX, cropY, outW, outH, orientation, format};
    return CFullResolutionRender(*this, job, false).Run(pixels);
}

void AmbrelGraphicsController::ReleasePreviewResources() {
    for (CShaderSetsShaderProgram& pair : shaderSets.pairs) pair.Release(sRenderRequest::Preview().programVariant);
    shaderSets.stale[sRenderRequest::Preview().filterScaleVariant] = true;
    ReleaseWorkingTextures();
    ReleaseInputTextures();
    inputReconfigureRequested = true;
}

bool AmbrelGraphicsController::RendersInStrips(int32_t width, int32_t height) {
    // A strip is as high as the photo or higher than a texel, so the photo's own height tells.
    int32_t textureWidth = width, textureHeight = height;
    AdjustTextureSize(width, height, textureWidth, textureHeight);
    return textureWidth <= MaxTextureSize();
}

bool AmbrelGraphicsController::RenderToRows(int32_t width, int32_t height, int32_t format, const PixelSource& pixels,
                                            const RowSink& rows) {
    if (!rows || !RendersInStrips(width, height)) return false;
    const sFullResolutionJob job{width, height, width, height, 0, 0, width, height, 0, format};
    return CFullResolutionRender(*this, job, true, &rows).Render(pixels);
}

std::shared_ptr<sBitmap> AmbrelGraphicsController::RenderCurrentImageToImage() {
    if (!inputTextures[0].texture || videoRecording.mode != eRecordingMode::Idle) return nullptr;
    // Level 0 keeps the processing size offscreen and follows the viewport on screen: a
    // standing target other than offscreen is configured for the snapshot and back after it.
    const bool reconfigure = renderTarget != kRenderTargetOffscreen;
    {
        const RequestScope scope(*this, sRenderRequest::Snapshot());
        inputReconfigureRequested = inputReconfigureRequested || reconfigure;
        frameDirty = true;
        matricesDirty = true;
        RenderFrame();
    }
    inputReconfigureRequested = inputReconfigureRequested || reconfigure;
    matricesDirty = true;

    // Sized by what the read-back writes, so it can never overrun.
    const auto [width, height] = OutputFrameSize();
    if (width < 1 || height < 1) return nullptr;
    std::vector<uint8_t> pixels;
    if (!Allocate(pixels, static_cast<size_t>(width) * height * kResultBytesPerPixel)) return nullptr;
    if (!ReadOutputFrame(pixels.data(), static_cast<uint64_t>(width) * kResultBytesPerPixel)) return nullptr;
    return WrapBGRA(std::move(pixels), width, height, 5);
}
