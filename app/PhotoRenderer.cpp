#include "app/PhotoRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <variant>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "gpu/Device.h"
#include "model/DeviceUtility.h"
#include "model/GraphicsTypeController.h"
#include "modes/ModeLibrary.h"
#include "modes/ModeSelection.h"
#include "platform/foundation/NSBundle.h"
#include "platform/imageio/ImageIO.h"

namespace {

// The filter scale of a picture: its shorter side over the preview's, so that filters reach as
// far across the picture at any size.
double FilterScale(int64_t width, int64_t height) {
    return static_cast<double>(std::min(width, height)) / PhotoRenderer::kPreviewSize;
}

int32_t EngineFormat(platform::ImagePixelFormat format) {
    return format == platform::ImagePixelFormat::RGBA ? kPixelFormatRGBA : kPixelFormatBGRA;
}

}  // namespace

std::unique_ptr<PhotoRenderer> PhotoRenderer::make() {
    std::unique_ptr<PhotoRenderer> renderer(new PhotoRenderer());
    renderer->device_ = QV::Graphics::CDevice::Create(&renderer->layer_, true, false, false);
    if (!renderer->device_) return nullptr;
    QV::Graphics::IDevice& device = *renderer->device_;
    device.MakeCurrent();
    device.GetDepthTest()->SetEnabled(false);
    device.SetClearColor(0, 0, 0, 1);
    device.Clear(true, false);
    try {
        renderer->engine_ =
            std::make_unique<AmbrelGraphicsController>(NSBundle::mainBundle().resourcePathHolding("looks"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tavorin: no engine: %s\n", error.what());
        return nullptr;
    }
    AmbrelGraphicsController& engine = *renderer->engine_;
    engine.SetViewRect(0, 0, kPreviewSize, kPreviewSize);
    engine.SetRenderProgressBlock([](double) {});
    // A photo being edited in the application is filtered for noise: its view switches the
    // filter on whenever the camera is stopped and no slider moves, and modes leave the switch
    // alone. Without it, the local contrast of the stronger modes lifts the photo's grain and
    // its latent JPEG block edges in smooth skies.
    engine.SetAdjustment("NR On/Off", false, GraphicsView::useNonRealtimeNoiseReduction() ? 1.0f : 0.0f);
    return renderer;
}

// The working textures of a strip grow with its height and hold most of the job's peak
// memory, about 35 MB per million pixels of strip; each strip renders its borders again and
// pays every pass's fixed cost once more, so taller strips cost less time: strips of 2048
// rows take a fifth less CPU than strips of 768 for a 13-megapixel photo and a third less for
// a 47-megapixel one. A quarter of the photo's height keeps the working set in proportion to
// the photo (768 rows at 13 megapixels, where the whole job's peak is then about 390 MB;
// about 1,470 at 47 megapixels, about 900 MB), in whole rows of the driver's 64-pixel tiles.
int PhotoRenderer::StripHeightFor(uint32_t height) {
    const auto quarter = static_cast<int>(std::min<uint32_t>(height / 4, kLargestStripHeight)) / 64 * 64;
    return std::max(kStripHeight, quarter);
}

int32_t PhotoRenderer::stripHeight(uint32_t height) const {
    if (stripHeight_ > 0) return stripHeight_;
    // A device short of memory goes down to 384 rows, as the application does.
    return DeviceUtility::hasHighMemory() ? StripHeightFor(height) : kPreviewSize / 2;
}

PhotoRenderer::~PhotoRenderer() {
    // The engine's GPU objects go before the device they were made on.
    if (device_) device_->MakeCurrent();
    engine_.reset();
    device_.reset();
}

bool PhotoRenderer::applyMode(const std::string& libraryName) {
    const Modes::ModeLibraryEntry* entry = Modes::ModeLibrary::modeWithName(libraryName);
    if (!entry) return false;
    std::vector<Modes::AdjustmentDefault> defaults;
    for (const auto& [name, categories] : AmbrelGraphicsController::AdjustmentCategories()) {
        const float value = engine_->GetAdjustment(name);
        defaults.push_back({name, std::isfinite(value) ? value : 0.0f});
    }
    // Straight into the engine, each value redrawing the output; enumeration values by name.
    for (const Modes::AdjustmentWrite& write : Modes::adjustmentWrites(
             entry->parameters(), &GraphicsTypeController::adjustmentsToExcludeFromModes(), defaults)) {
        const float* number = std::get_if<float>(&write.value);
        engine_->SetAdjustment(write.name, true,
                               number ? *number
                                      : AmbrelGraphicsController::AdjustmentValueFromString(
                                            write.name, std::get<std::string>(write.value)));
    }
    return true;
}

void PhotoRenderer::setAdjustment(const std::string& name, float value) { engine_->SetAdjustment(name, true, value); }

void PhotoRenderer::setProgress(std::function<void(double)> progress) {
    engine_->SetRenderProgressBlock(std::move(progress));
}

std::optional<platform::ImageBitmap> PhotoRenderer::previewOf(const platform::ImageSource& source,
                                                              platform::ImageIOError* error) {
    if (source.type() != platform::ImageFileType::JPEG) return std::nullopt;
    return source.createThumbnailAtIndex(0, kPreviewSize, platform::ImagePixelFormat::RGBA, false, error);
}

bool PhotoRenderer::renderPreview(const platform::ImageBitmap& photo, int64_t orientation) {
    const double longer = std::max(photo.width, photo.height);
    const double reduction = std::min(1.0, kPreviewSize / longer);
    const auto width = static_cast<uint32_t>(std::max(1.0, std::round(photo.width * reduction)));
    const auto height = static_cast<uint32_t>(std::max(1.0, std::round(photo.height * reduction)));
    const std::optional<platform::ImageBitmap> preview = platform::ResizeImageBitmap(photo, width, height);
    if (!preview) return false;
    // The frame is kept as the style stages' cached result, as for a photo shown in the view.
    const eStyleStageMode saved = engine_->styleStageMode;
    engine_->styleStageMode = eStyleStageMode::RenderAndKeep;
    const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    engine_->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(w, h), orientation,
                            EngineFormat(preview->format), preview->pixels.data());
    engine_->SetFilterScale(FilterScale(w, h));
    engine_->RenderFrame();
    engine_->styleStageMode = saved;
    return true;
}

void PhotoRenderer::redrawPreview() {
    engine_->frameDirty = true;
    engine_->RenderFrame();
}

std::shared_ptr<sBitmap> PhotoRenderer::render(const platform::ImageBitmap& photo, int64_t orientation) {
    return render(photo.pixels.data(), photo.width, photo.height, EngineFormat(photo.format), orientation);
}

std::shared_ptr<sBitmap> PhotoRenderer::render(const platform::PackedRGB& photo, int64_t orientation) {
    return render(photo.pixels.data(), photo.width, photo.height, kPixelFormatRGB, orientation);
}

bool PhotoRenderer::rendersInRows(uint32_t width, uint32_t height) {
    return AmbrelGraphicsController::RendersInStrips(static_cast<int32_t>(width), static_cast<int32_t>(height));
}

bool PhotoRenderer::renderRows(const platform::ImageBitmap& photo, const BitmapRowSink& rows) {
    return renderRows(photo.pixels.data(), photo.width, photo.height, EngineFormat(photo.format), rows);
}

bool PhotoRenderer::renderRows(const platform::PackedRGB& photo, const BitmapRowSink& rows) {
    return renderRows(photo.pixels.data(), photo.width, photo.height, kPixelFormatRGB, rows);
}

std::shared_ptr<sBitmap> PhotoRenderer::render(const uint8_t* pixels, uint32_t width, uint32_t height, int32_t format,
                                               int64_t orientation) {
    const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    const double saved = engine_->baseFilterScale.requestedScale;
    engine_->ReleasePreviewResources();
    engine_->SetFilterScale(FilterScale(w, h));
    engine_->maxTextureSize = stripHeight(height);
    std::shared_ptr<sBitmap> result = engine_->RenderToImage(w, h, w, h, 0, 0, w, h, orientation, format, pixels);
    engine_->SetFilterScale(saved);
    return result;
}

bool PhotoRenderer::renderRows(const uint8_t* pixels, uint32_t width, uint32_t height, int32_t format,
                               const BitmapRowSink& rows) {
    const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    const double saved = engine_->baseFilterScale.requestedScale;
    engine_->ReleasePreviewResources();
    engine_->SetFilterScale(FilterScale(w, h));
    engine_->maxTextureSize = stripHeight(height);
    const bool done = engine_->RenderToRows(
        w, h, format, [pixels] { return pixels; }, rows);
    engine_->SetFilterScale(saved);
    return done;
}
