// How a picture enters the engine: the double-buffered input texture, the fit of the picture
// into the view with its pyramid of working levels, the working textures, the fixed-order
// rebuild of missing programs, and the read-back services of the recorder.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/BrightnessProgram.h"
#include "engine/ContrastPrograms.h"
#include "engine/EnginePrograms.h"
#include "engine/PointPrograms.h"
#include "engine/RenderPasses.h"
#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "platform/corevideo/CVPixelBuffer.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;
using QV::Math::CVector2;
using QV::Math::CVector3;

bool IsUpright(int64_t orientation) {
    return orientation == 0 || orientation == 1 || orientation == 4 || orientation == 5;
}

namespace {

int32_t BytesPerPixel(int32_t format) { return format == kPixelFormatRGB ? 3 : 4; }

// A picture reduced by a whole factor so that both sides fit the texture limit: every output
// pixel is the mean of its factor × factor block (clipped at the right and bottom edges).
struct sReducedPixels {
    int32_t factor = 1;
    int32_t width = 0, height = 0;
    std::vector<uint8_t> bytes;
};

sReducedPixels ReducePixels(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                            int32_t factor) {
    sReducedPixels out;
    out.factor = factor;
    out.width = (width + factor - 1) / factor;
    out.height = (height + factor - 1) / factor;
    out.bytes.assign(static_cast<size_t>(out.width) * out.height * bytesPerPixel, 0);
    if (!pixels) return out;
    const size_t stride = static_cast<size_t>(width) * bytesPerPixel;
    std::vector<uint32_t> sums(static_cast<size_t>(out.width) * bytesPerPixel);
    std::vector<uint32_t> counts(out.width);
    for (int32_t oy = 0; oy < out.height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(counts.begin(), counts.end(), 0u);
        for (int32_t y = oy * factor; y < std::min(height, (oy + 1) * factor); ++y) {
            const uint8_t* row = pixels + stride * y;
            for (int32_t x = 0; x < width; ++x) {
                const int32_t ox = x / factor;
                for (int32_t c = 0; c < bytesPerPixel; ++c)
                    sums[static_cast<size_t>(ox) * bytesPerPixel + c] +=
                        row[static_cast<size_t>(x) * bytesPerPixel + c];
                ++counts[ox];
            }
        }
        uint8_t* dst = out.bytes.data() + static_cast<size_t>(oy) * out.width * bytesPerPixel;
        for (int32_t ox = 0; ox < out.width; ++ox)
            for (int32_t c = 0; c < bytesPerPixel; ++c) {
                const size_t i = static_cast<size_t>(ox) * bytesPerPixel + c;
                dst[i] = static_cast<uint8_t>((sums[i] + counts[ox] / 2) / std::max(counts[ox], 1u));
            }
    }
    return out;
}

int32_t ReductionFactor(int32_t width, int32_t height, int32_t limit) {
    if (limit <= 0) return 1;
    const int32_t side = std::max(width, height);
    return side <= limit ? 1 : (side + limit - 1) / limit;
}

// A size that cannot be divided by: at least one pixel.
int32_t AtLeastOne(int32_t v) { return std::max(v, 1); }

// Whether an input must configure the engine anew: on request, before the first input, and for
// any change of geometry, orientation, format or kind of input (packed pixels or a buffer).
bool NeedsConfiguration(const AmbrelGraphicsController& e, const sInputGeometry& geometry, int64_t orientation,
                        int32_t format, bool pixelBuffer) {
    return e.inputReconfigureRequested || !e.inputTextures[0].texture || geometry != e.inputGeometry ||
           orientation != e.inputOrientation || format != e.inputFormat || pixelBuffer != e.inputIsPixelBuffer;
}

// Configures the engine for an input when it must, which also answers a pending request.
void ConfigureWhenNeeded(AmbrelGraphicsController& e, const sInputGeometry& geometry, int64_t orientation,
                         int32_t format, bool pixelBuffer) {
    if (!NeedsConfiguration(e, geometry, orientation, format, pixelBuffer)) return;
    e.ConfigureInput(geometry, orientation, format, pixelBuffer);
    e.inputReconfigureRequested = false;
}

// The geometry of a picture reduced by a whole factor: its crop and processing sizes with it.
sInputGeometry ReducedGeometry(const sInputGeometry& g, const sReducedPixels& reduced) {
    const auto scaled = [&reduced](int32_t v) { return v / reduced.factor; };
    sInputGeometry r = g;
    r.inputWidth = reduced.width;
    r.inputHeight = reduced.height;
    r.cropWidth = std::min(scaled(g.cropWidth), reduced.width);
    r.cropHeight = std::min(scaled(g.cropHeight), reduced.height);
    r.cropX = scaled(g.cropX);
    r.cropY = scaled(g.cropY);
    r.processingWidth = scaled(g.processingWidth);
    r.processingHeight = scaled(g.processingHeight);
    return r;
}

// Zero sizes would divide by zero in the fit and the texture matrix; a picture has at least one
// pixel.
sInputGeometry AtLeastOnePixel(sInputGeometry g) {
    for (int32_t* size :
         {&g.inputWidth, &g.inputHeight, &g.cropWidth, &g.cropHeight, &g.processingWidth, &g.processingHeight})
        *size = AtLeastOne(*size);
    return g;
}

// The display rectangle (x, y, width, height) of the crop fitted into the view, keeping its
// aspect ratio and centred; a turned picture fits with its sides swapped.
std::array<int32_t, 4> FitIntoView(const int32_t view[4], const sInputGeometry& g, bool upright) {
    const int32_t viewX = view[0], viewY = view[1], viewW = view[2], viewH = view[3];
    const float viewAspect = static_cast<float>(viewW) / static_cast<float>(viewH);
    const float contentAspect = upright ? static_cast<float>(g.cropWidth) / static_cast<float>(g.cropHeight)
                                        : static_cast<float>(g.cropHeight) / static_cast<float>(g.cropWidth);
    const int32_t dx = static_cast<int32_t>(static_cast<float>(viewW) * (1.0f - contentAspect / viewAspect) * 0.5f);
    const int32_t dy = static_cast<int32_t>(static_cast<float>(viewH) * (1.0f - viewAspect / contentAspect) * 0.5f);
    std::array<int32_t, 4> fit;
    if (viewAspect >= contentAspect) fit = {viewX + dx, viewY, viewW - 2 * dx, viewH};
    else fit = {viewX, viewY + dy, viewW, viewH - 2 * dy};
    fit[2] = AtLeastOne(fit[2]);
    fit[3] = AtLeastOne(fit[3]);
    return fit;
}

// The unit square onto the crop, turned by the orientation (0-7: up, down, left, right, then
// the mirrored four); an unknown orientation leaves `previous` as it is.
CMatrix4<float> InputTextureMatrix(const sInputGeometry& g, int64_t orientation, const CMatrix4<float>& previous) {
    const float w = static_cast<float>(g.inputWidth), h = static_cast<float>(g.inputHeight);
    const CMatrix4<float> t =
        CMatrix4<float>::Translation(static_cast<float>(g.cropX) / w, static_cast<float>(g.cropY) / h, 0.0f) *
        CMatrix4<float>::Scale((static_cast<float>(g.cropWidth) - (g.cropWidthLessOne ? 1.0f : 0.0f)) / w,
                               static_cast<float>(g.cropHeight) / h, 1.0f);
    const CMatrix4<float> q = CMatrix4<float>::Translation(0.5f, 0.5f, 0.0f);
    const CMatrix4<float> qi = CMatrix4<float>::Translation(-0.5f, -0.5f, 0.0f);
    const float pi = static_cast<float>(3.141592653589793);
    const CVector3<float> axis(0.0f, 0.0f, 1.0f);
    const auto r = [&](float a) { return CMatrix4<float>::Rotation(a, axis); };
    switch (orientation) {
    case 0: return t;
    case 1: return t * q * r(pi) * qi;
    case 2: return t * q * r(pi / 2) * qi;
    case 3: return t * q * r(-pi / 2) * qi;
    case 4: return t * q * CMatrix4<float>::Scale(-1, 1, 1) * qi;
    case 5: return t * q * CMatrix4<float>::Scale(-1, 1, 1) * r(pi) * qi;
    case 6: return t * q * CMatrix4<float>::Scale(1, -1, 1) * r(pi / 2) * qi;
    case 7: return t * q * CMatrix4<float>::Scale(1, -1, 1) * r(-pi / 2) * qi;
    default: return previous;
    }
}

// The frame the read-back services deliver: while the recording ring runs, the ring texture two
// slots behind the newest, else the current output.
ITexture2D* ReadBackSource(const AmbrelGraphicsController& e) {
    const sVideoRecording& r = e.videoRecording;
    return r.ringActive ? r.ringTextures[(r.ringIndex + 2 + 4) % 4].get() : e.currentOutput;
}

// Whether the device samples, filters and renders into half-float textures.
bool RendersHalfFloat(const IDevice& device) {
    return device.HasTextureHalfFloat() && device.HasColorBufferHalfFloat() && device.HasTextureRg() &&
           device.HasTextureHalfFloatLinear();
}

// The byte order of an input format as the texture takes it.
eTextureFormat InputPixelFormat(int32_t inputFormat) {
    return inputFormat == kPixelFormatRGB ? FORMAT_RGB : inputFormat == kPixelFormatBGRA ? FORMAT_BGRA : FORMAT_RGBA;
}

// The kinds of working texture. Single-channel working values are half floats where the device
// can render them, else bytes of an RGBA texture (coarser, but the chain still runs).
struct sTextureMaker {
    ITexture* textures;
    bool storage;  // immutable storage where the device has it
    eTextureFormat redFormat, pairFormat;
    ePixelType valueType;

    sTextureMaker(IDevice& device, bool textureStorage) : textures(device.GetTexture()), storage(textureStorage) {
        const bool halfFloat = RendersHalfFloat(device);
        redFormat = halfFloat ? FORMAT_RED : FORMAT_RGBA;
        pairFormat = halfFloat ? FORMAT_RG : FORMAT_RGBA;
        valueType = halfFloat ? PIXEL_TYPE_HALF_FLOAT : PIXEL_TYPE_UNSIGNED_BYTE;
    }
    ITexture2D* Make(const CTextureTemplate& sampling, int32_t w, int32_t h, eTextureFormat internal,
                     eTextureFormat pixel, ePixelType type, bool immutable) const {
        return textures->CreateTexture(sampling, w, h, internal, pixel, type, 1, false, immutable, nullptr);
    }
    ITexture2D* Rgba8(int32_t w, int32_t h, bool immutable) const {
        return Make(AmbrelGraphicsController::LinearTextureTemplate(), w, h, FORMAT_RGBA, FORMAT_RGBA,
                    PIXEL_TYPE_UNSIGNED_BYTE, immutable);
    }
    ITexture2D* Red(const CTextureTemplate& sampling, int32_t w, int32_t h) const {
        return Make(sampling, w, h, redFormat, redFormat, valueType, storage);
    }
    // Textures that some passes read filtered and others only at their texel centres change
    // their sampling between passes (sUnfilteredReads), which immutable storage rules out.
    ITexture2D* Switchable(int32_t w, int32_t h, eTextureFormat format) const {
        return Make(AmbrelGraphicsController::LinearTextureTemplate(), w, h, format, format, valueType, false);
    }
};

}  // namespace

// Which optional working textures a set holds.
struct sWorkingSet {
    bool keptPair = true;         // the kept input and result of the style passes
    bool vectorsAndMasks = true;  // the per-level vector and mask textures
};

// --- Input -------------------------------------------------------------------------------

void AmbrelGraphicsController::SetInputPixels(const sFrameTime& time, const sInputGeometry& inGeometry,
                                              int64_t orientation, int32_t format, const void* pixels) {
    MarkRoad(kMarkHandedOver);
    // A picture above the texture limit would leave the input texture uncreated and every frame
    // black: it is reduced to fit, and its crop and processing sizes with it.
    sInputGeometry geometry = inGeometry;
    const int32_t factor = ReductionFactor(geometry.inputWidth, geometry.inputHeight, MaxTextureSize());
    sReducedPixels reduced;
    if (factor > 1) {
        reduced = ReducePixels(static_cast<const uint8_t*>(pixels), geometry.inputWidth, geometry.inputHeight,
                               BytesPerPixel(format), factor);
        std::fprintf(stderr, "input of %d x %d reduced by %d to fit the texture limit\n", geometry.inputWidth,
                     geometry.inputHeight, factor);
        geometry = ReducedGeometry(geometry, reduced);
        if (pixels) pixels = reduced.bytes.data();
    }

    ConfigureWhenNeeded(*this, geometry, orientation, format, false);
    if (pixels) {
        inputIndex = inputTextures[1].texture ? (inputIndex + 1) % 2 : 0;
        sInputTexture& slot = inputTextures[inputIndex];
        if (slot.texture)
            CDevice::GetCurrentDevice()->GetTexture()->UpdateTexture(slot.texture, 0, 0, slot.texture->GetWidth(),
                                                                     slot.texture->GetHeight(), 1, pixels);
        slot.time = time;
    }
    frameDirty = true;
    MarkRoad(kMarkUploaded);
}

void AmbrelGraphicsController::SetInputPixelBuffer(const sFrameTime& time, const sInputGeometry& geometry,
                                                   int64_t orientation, int32_t format,
                                                   const std::shared_ptr<platform::CVPixelBuffer>& pixelBuffer) {
    MarkRoad(kMarkHandedOver);
    const int32_t limit = MaxTextureSize();
    if (geometry.inputWidth > limit || geometry.inputHeight > limit) {
        // A bound buffer cannot be reduced without a copy: the frame is refused.
        std::fprintf(stderr, "camera frame of %d x %d exceeds the texture limit %d; dropped\n", geometry.inputWidth,
                     geometry.inputHeight, limit);
        return;
    }
    ConfigureWhenNeeded(*this, geometry, orientation, format, true);
    ITexture* textures = CDevice::GetCurrentDevice()->GetTexture();
    if (pixelBuffer) {
        inputIndex = (inputIndex + 1) % 2;
        sInputTexture& slot = inputTextures[inputIndex];
        textures->UpdateCachedTexture(slot.texture, pixelBuffer);
        slot.time = time;
    }
    textures->FlushCache();
    frameDirty = true;
    MarkRoad(kMarkUploaded);
}

void AmbrelGraphicsController::ConfigureInput(const sInputGeometry& geometry, int64_t orientation, int32_t format,
                                              bool pixelBuffer) {
    CDevice::GetCurrentDevice()->BindOnScreenFramebuffer();
    inputGeometry = geometry;
    inputFormat = format;
    inputOrientation = orientation;
    inputIsPixelBuffer = pixelBuffer;
    ComputeInputGeometry(inputGeometry);
    CreateTextures(inputGeometry.inputWidth, inputGeometry.inputHeight);
    UpdateFilterScale();
    BuildPrograms();
    frameDirty = true;
    matricesDirty = true;
}

void AmbrelGraphicsController::ComputeInputGeometry(const sInputGeometry& stored) {
    const sInputGeometry geometry = AtLeastOnePixel(stored);
    const bool upright = IsUpright(inputOrientation);
    const std::array<int32_t, 4> fit = FitIntoView(viewRect, geometry, upright);
    std::copy(fit.begin(), fit.end(), outputViewport);
    letterbox = outputViewport[0] != 0   ? eLetterbox::LeftAndRight
                : outputViewport[1] != 0 ? eLetterbox::TopAndBottom
                                         : eLetterbox::None;
    inputTextureMatrix = InputTextureMatrix(geometry, inputOrientation, inputTextureMatrix);
    ComputeLevelSizes(geometry, upright);
}

void AmbrelGraphicsController::ComputeLevelSizes(const sInputGeometry& geometry, bool upright) {
    levelWidths.clear();
    levelHeights.clear();
    levelTexelSizes.clear();
    levelDoubleTexelSizes.clear();
    int32_t w0 = 1, h0 = 1;
    const int32_t unreducedW = upright ? geometry.processingWidth : geometry.processingHeight;
    const int32_t unreducedH = upright ? geometry.processingHeight : geometry.processingWidth;
    // Offscreen, or when the picture is shown wider than its processing size, level 0 keeps
    // that size; else it is reduced to the displayed viewport.
    if (Target() == kRenderTargetOffscreen || outputViewport[2] > unreducedW) {
        w0 = unreducedW;
        h0 = unreducedH;
        reducedProcessing = false;
    } else {
        w0 = outputViewport[2];
        h0 = outputViewport[3];
        reducedProcessing = true;
    }
    // Working textures cannot exceed the texture limit either.
    const int32_t limit = MaxTextureSize();
    if (limit > 0 && std::max(w0, h0) > limit) {
        const double s = static_cast<double>(limit) / std::max(w0, h0);
        w0 = AtLeastOne(static_cast<int32_t>(w0 * s));
        h0 = AtLeastOne(static_cast<int32_t>(h0 * s));
        reducedProcessing = false;
    }
    const auto append = [this](int32_t lw, int32_t lh) {
        int32_t aw = lw, ah = lh;
        AdjustTextureSize(lw, lh, aw, ah);
        levelWidths.push_back(aw);
        levelHeights.push_back(ah);
        levelTexelSizes.emplace_back(1.0f / static_cast<float>(aw), 1.0f / static_cast<float>(ah));
        levelDoubleTexelSizes.emplace_back(2.0f / static_cast<float>(aw), 2.0f / static_cast<float>(ah));
    };
    append(w0, h0);
    while (levelWidths.back() != 1 || levelHeights.back() != 1) {
        const int32_t nw = std::max(1, (levelWidths.back() + 1) / 2);
        const int32_t nh = std::max(1, (levelHeights.back() + 1) / 2);
        append(nw, nh);
    }
    while (levelWidths.size() < 7) {
        levelWidths.push_back(1);
        levelHeights.push_back(1);
        levelTexelSizes.emplace_back(1.0f, 1.0f);
        levelDoubleTexelSizes.emplace_back(2.0f, 2.0f);
    }
}

// --- Textures ----------------------------------------------------------------------------

void AmbrelGraphicsController::CreateTextures(int32_t inWidth, int32_t inHeight) {
    // What a full-resolution render never draws into is left out of its working set, where
    // memory runs out first (about 40 MB for a strip of a 13-megapixel photo): the kept pair
    // of the style stages unless the render keeps or restarts from them, and the per-level
    // vector and mask textures, which no pass reads or writes. A set of the preview's that
    // holds them is made again without them.
    const bool fullResolution = ProgramVariant() == sRenderRequest::FullResolution().programVariant;
    sWorkingSet set;
    set.keptPair = !fullResolution || styleStageMode != eStyleStageMode::Neither;
    set.vectorsAndMasks = !fullResolution;

    ReleaseUnfittingTextures(inWidth, inHeight, set);
    CreateInputTextures(inWidth, inHeight, fullResolution);
    if (!workTextures[0]) CreateWorkingTextures(set);
    if (!unitTextures[0]) {
        const sTextureMaker make(*CDevice::GetCurrentDevice(), textureStorage);
        for (OwnedTexture& unit : unitTextures) unit = make.Red(NearestTextureTemplate(), 1, 1);
    }
}

void AmbrelGraphicsController::ReleaseUnfittingTextures(int32_t inWidth, int32_t inHeight, const sWorkingSet& set) {
    if (ITexture2D* first = inputTextures[0].texture) {
        if (first->GetWidth() != inWidth || first->GetHeight() != inHeight ||
            first->GetFormat() != InputPixelFormat(inputFormat) || first->IsCached() != inputIsPixelBuffer)
            ReleaseInputTextures();
    }
    if (workTextures[0] &&
        (workTextures[0]->GetWidth() != levelWidths[0] || workTextures[0]->GetHeight() != levelHeights[0] ||
         (!set.keptPair && workTextures[1]) || (!set.vectorsAndMasks && levelVectorTextures[0])))
        ReleaseWorkingTextures();
}

void AmbrelGraphicsController::CreateInputTextures(int32_t inWidth, int32_t inHeight, bool fullResolution) {
    // A full-resolution render uploads each strip or tile once the one before is read back:
    // one texture serves, where a second would hold a strip's worth for nothing.
    const bool single = !inputIsPixelBuffer && fullResolution;
    if (single) inputTextures[1].texture.reset();
    if (inputTextures[0].texture) return;
    ITexture* textures = CDevice::GetCurrentDevice()->GetTexture();
    const eTextureFormat pixelFormat = InputPixelFormat(inputFormat);
    const eTextureFormat internalFormat = inputFormat == kPixelFormatRGB ? FORMAT_RGB : FORMAT_RGBA;
    for (sInputTexture& slot : inputTextures) {
        if (single && &slot != &inputTextures[0]) break;
        if (inputIsPixelBuffer)
            slot.texture =
                textures->CreateCachedTexture(LinearTextureTemplate(), inWidth, inHeight, internalFormat, pixelFormat,
                                              PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, nullptr, nullptr);
        else  // read unfiltered when drawn at its own size (sUnfilteredReads): no immutable storage
            slot.texture = textures->CreateTexture(LinearTextureTemplate(), inWidth, inHeight, internalFormat,
                                                   pixelFormat, PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, nullptr);
    }
}

void AmbrelGraphicsController::CreateWorkingTextures(const sWorkingSet& set) {
    const sTextureMaker make(*CDevice::GetCurrentDevice(), textureStorage);
    const CTextureTemplate& linear = LinearTextureTemplate();
    const auto levelW = [this](int32_t i) { return levelWidths[ClampLevel(i)]; };
    const auto levelH = [this](int32_t i) { return levelHeights[ClampLevel(i)]; };

    // Level 0: the picture, the kept pair, the outputs; the colour levels and the level-1 copy.
    workTextures[0] = make.Rgba8(levelW(0), levelH(0), false);
    if (set.keptPair) {
        workTextures[1] = make.Rgba8(levelW(0), levelH(0), textureStorage);
        workTextures[2] = make.Rgba8(levelW(0), levelH(0), textureStorage);
    }
    for (int32_t i = 0; i < 6; ++i)
        levelColorTextures[i] = make.Make(linear, levelW(i), levelH(i), FORMAT_RGBA, FORMAT_BGRA,
                                          PIXEL_TYPE_UNSIGNED_BYTE, i > 0 && textureStorage);
    halfColorTexture = make.Rgba8(levelW(1), levelH(1), textureStorage);
    for (OwnedTexture& output : outputTextures)
        output = make.Make(linear, levelW(0), levelH(0), FORMAT_RGBA, FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE, false);

    // The single-channel values of every level.
    for (int32_t i = 0; i < 6; ++i) {
        // The band texture also takes the box mean's first pass: the sum and the sum of
        // squares, two channels.
        levelPairTextures[i][0] = make.Switchable(levelW(i), levelH(i), make.pairFormat);
        levelPairTextures[i][1] = make.Switchable(levelW(i), levelH(i), make.redFormat);
        int32_t hw = levelW(i), hh = levelH(i + 1);
        AdjustTextureSize(levelW(i), levelH(i + 1), hw, hh);
        levelHalfTextures[i] = make.Red(linear, hw, hh);
        levelNextTextures[i] = make.Switchable(levelW(i + 1), levelH(i + 1), make.redFormat);
        if (set.vectorsAndMasks) {
            levelVectorTextures[i] = make.Make(NearestTextureTemplate(), levelW(i), levelH(i), make.pairFormat,
                                               make.pairFormat, make.valueType, textureStorage);
            levelMaskTextures[i] = make.Red(NearestTextureTemplate(), levelW(i), levelH(i));
        }
    }
    for (int32_t i = 0; i < 4; ++i) coarseTextures[i] = make.Red(linear, levelW(3 + i), levelH(3 + i));
    IFramebuffer* framebuffers = CDevice::GetCurrentDevice()->GetFramebuffer();
    for (size_t i = 0; i < levelWidths.size(); ++i) {
        levelTextures.push_back(i == 0 ? make.Switchable(levelWidths[i], levelHeights[i], make.redFormat)
                                       : make.Red(linear, levelWidths[i], levelHeights[i]));
        levelFramebuffers.push_back(framebuffers->CreateFramebufferObject());
    }
}

void AmbrelGraphicsController::CreateNoiseTextures() {
    // The filter's smoothed picture feeds the finest band, whose gain strong modes raise several
    // times: rounded to bytes (in A, or between the filter's two passes), its fine values come
    // back as steps of 1/255 that the gain lifts into grain and block edges in smooth skies.
    // Made only for the filter: sampling half floats costs the chain's passes more than bytes.
    IDevice* device = CDevice::GetCurrentDevice();
    if (noiseTextures[1] || levelWidths.empty() || !RendersHalfFloat(*device)) return;
    for (OwnedTexture& texture : noiseTextures)
        texture =
            device->GetTexture()->CreateTexture(LinearTextureTemplate(), levelWidths[0], levelHeights[0], FORMAT_RGBA,
                                                FORMAT_RGBA, PIXEL_TYPE_HALF_FLOAT, 1, false, textureStorage, nullptr);
}

// --- Small setters -----------------------------------------------------------------------

void AmbrelGraphicsController::SetFrontFacing(bool value) {
    if (videoRecording.mode != eRecordingMode::Idle || value == frontFacing) return;
    frontFacing = value;
    matricesDirty = true;
}

void AmbrelGraphicsController::SetLandscape(bool value) {
    if (value == landscape) return;
    landscape = value;
    // Only ever requests an update: a change during a recording must not cancel one pending.
    if (videoRecording.mode == eRecordingMode::Idle) matricesDirty = true;
}

void AmbrelGraphicsController::SetShowOriginal(eLuminanceStyle style) {
    luminanceStyle = style;
    frameDirty = true;
    matricesDirty = true;
}

void AmbrelGraphicsController::SetAudio(const AudioSampleRef& sampleBuffer) {
    if (videoRecording.mode == eRecordingMode::RealTime && videoRecording.recorder)
        videoRecording.recorder->recordAudio(sampleBuffer);
}

// --- Programs ----------------------------------------------------------------------------

void AmbrelGraphicsController::BuildPrograms() {
    const sProgramContext c = ProgramContext();
    BuildCopyPrograms(c);
    BuildDisplayPrograms(c, inputTextureMatrix);
    BuildRedToGrayProgram(c, c.Slot(kPairGrayReduction));
    BuildTwoLevelGrayReductionProgram(c, c.Slot(kPairGrayReductionTwoLevels));
    BuildPointPassPrograms(c);
    BuildContrastPassPrograms(cie, c);
    BuildDarkMaskPrograms(c);
    BuildBrightnessProgram(*this, c, c.Slot(kPairBrightness));
    BuildColorCorrectionProgram(colorCorrection, c);
    BuildColorAdjustmentProgram(colorAdjustment, c);
    BuildBoxMeanPrograms(c);
    BuildNoiseReductionPrograms(noiseReduction, colorCorrection.method, c);
    BuildStructureTensorFilterPrograms(c);
    BuildGaussianPrograms(smoothing, c);
    BuildToneMappingPrograms(toneMapping, c);
    CDevice::GetCurrentDevice()->GetShader()->ReleaseCompiler();
    shaderSets.stale[FilterScaleVariant()] = false;
}

// --- Read-back ---------------------------------------------------------------------------

std::pair<int32_t, int32_t> AmbrelGraphicsController::OutputFrameSize() const {
    const ITexture2D* source = ReadBackSource(*this);
    if (!source) return {0, 0};
    return {source->GetWidth(), source->GetHeight()};
}

bool AmbrelGraphicsController::ReadOutputFrame(void* pixels, uint64_t bytesPerRow, uint64_t bufferSize) {
    IDevice* device = CDevice::GetCurrentDevice();
    IFramebuffer* framebuffers = device->GetFramebuffer();
    ITexture2D* source = ReadBackSource(*this);
    IFramebufferObject* framebuffer = videoRecording.ringActive   ? videoFramebuffer.get()
                                      : levelFramebuffers.empty() ? nullptr
                                                                  : levelFramebuffers[0].get();
    if (!pixels || !source || !framebuffer) return false;
    const int32_t width = source->GetWidth(), height = source->GetHeight();
    const uint64_t packed = static_cast<uint64_t>(width) * 4;
    // A narrower stride would make the rows overrun the caller's buffer.
    if (bytesPerRow < packed) return false;
    // The level sizes may be a texel larger than the picture: a buffer sized for the picture
    // is not written past its end.
    if (height > 0 && (bytesPerRow > UINT64_MAX / static_cast<uint64_t>(height) ||
                       bytesPerRow * static_cast<uint64_t>(height - 1) + packed > bufferSize))
        return false;
    framebuffer->AttachTexture(ATTACHMENT_COLOR0, source);
    framebuffers->BindFramebufferObject(framebuffer);
    if (!framebuffers->ReadPixels(0, 0, width, height, FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE, 1, pixels)) return false;
    if (packed < bytesPerRow && height > 1) {
        uint8_t* bytes = static_cast<uint8_t*>(pixels);
        for (int32_t row = height - 1; row >= 1; --row)
            std::memmove(bytes + row * bytesPerRow, bytes + row * packed, packed);
    }
    return true;
}

void AmbrelGraphicsController::SmoothedFrameTime(bool smooth, sFrameTime* out) const {
    if (!out) return;
    const auto at = [this](int32_t k) { return videoRecording.FrameTimeAt(k); };
    const int32_t j = videoRecording.frameTimeIndex - 2;
    const sFrameTime centre = at(j);
    const sFrameTime& start = videoRecording.startTime;
    const bool sameTime =
        start.timescale > 0 && centre.timescale > 0 &&
        static_cast<__int128>(start.value) * centre.timescale == static_cast<__int128>(centre.value) * start.timescale;
    if (!smooth || sameTime) {
        *out = centre;
        return;
    }
    const double outer = static_cast<double>(at(j - 2).value + at(j + 2).value);
    const double inner = static_cast<double>(at(j - 1).value + at(j + 1).value);
    double sum = 0.329354 * static_cast<double>(centre.value);
    sum += 0.094362 * outer;
    sum += 0.240961 * inner;
    sum += 0.5;
    *out = sFrameTime::Make(static_cast<int64_t>(std::trunc(sum)), centre.timescale);
}
