#pragma once
// A photo through the engine with nothing in between: the engine on a graphics device of its
// own (no view, display link or editing model), a mode's parameter set applied through the
// mode library, the preview frame whose statistics the full-resolution render uses, then the
// full-resolution render into plain memory.
//
// The steps are those the graphics view takes for a photo, so that the result is the one the
// application shows and saves.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/Bitmap.h"
#include "platform/opengles/CAEAGLLayer.h"

class AmbrelGraphicsController;
namespace QV::Graphics {
class IDevice;
}
namespace platform {
struct ImageBitmap;
struct ImageIOError;
struct PackedRGB;
class ImageSource;
}

class PhotoRenderer {
public:
    // The longer side of the preview the engine sees before the full-resolution render, as on
    // a device with enough memory; also the reference length of the filter scale.
    static constexpr int kPreviewSize = 768;
    // The height of the strips the full-resolution render works in, borders included: at
    // least kStripHeight rows, and for a larger photo a quarter of its height (see
    // StripHeightFor), at most kLargestStripHeight.
    static constexpr int kStripHeight = 768;
    static constexpr int kLargestStripHeight = 2048;
    // The strip height for a photo of `height` rows on a device with enough memory.
    static int StripHeightFor(uint32_t height);

    // Null when there is no OpenGL ES 2 device or no engine on it. Look images come from the
    // first resource folder that holds them.
    static std::unique_ptr<PhotoRenderer> make();
    ~PhotoRenderer();
    PhotoRenderer(const PhotoRenderer&) = delete;
    PhotoRenderer& operator=(const PhotoRenderer&) = delete;

    AmbrelGraphicsController& engine() { return *engine_; }
    QV::Graphics::IDevice& device() { return *device_; }

    // The mode library's parameter set of that name, with the parameters that modes leave
    // alone kept as they are. False when the library has no such set.
    bool applyMode(const std::string& libraryName);
    // One parameter by its name and normalised value.
    void setAdjustment(const std::string& name, float value);
    // Progress of the full-resolution render, 0 to 1.
    void setProgress(std::function<void(double)> progress);
    // Strips of this many rows instead of the photo's own (0 goes back to those).
    void setStripHeight(int rows) { stripHeight_ = rows; }

    // The photo reduced for the preview straight from its file where that costs less than
    // the full decode: a JPEG decoded at a reduced scale, then reduced to kPreviewSize.
    // Nullopt for the other types (their preview is reduced from the full decode) or when
    // the decode failed.
    static std::optional<platform::ImageBitmap> previewOf(const platform::ImageSource& source,
                                                          platform::ImageIOError* error = nullptr);
    // The photo's preview frame, at most kPreviewSize pixels on its longer side, drawn with
    // every setting in place. False when there is no memory for it.
    bool renderPreview(const platform::ImageBitmap& photo, int64_t orientation);
    // The preview frame drawn again from the input it has.
    void redrawPreview();
    // The photo at full resolution (R,G,B,A pixels read in place), its pixels in the stored
    // position with the orientation beside them. Null when the render failed. The preview's
    // programs and textures are released first, so that the full-resolution render's take
    // their memory instead of adding to it: a preview is drawn again after renderPreview.
    std::shared_ptr<sBitmap> render(const platform::ImageBitmap& photo, int64_t orientation);
    // The same render handed over a strip of rows at a time as each is finished (see
    // AmbrelGraphicsController::RenderToRows), the pixels in the stored position, for a photo
    // that renders in strips (rendersInRows). False when the render failed or `rows` stopped it.
    static bool rendersInRows(uint32_t width, uint32_t height);
    bool renderRows(const platform::ImageBitmap& photo, const BitmapRowSink& rows);
    // The same two from packed R,G,B pixels (an opaque photo in three quarters of the memory).
    std::shared_ptr<sBitmap> render(const platform::PackedRGB& photo, int64_t orientation);
    bool renderRows(const platform::PackedRGB& photo, const BitmapRowSink& rows);

private:
    PhotoRenderer() = default;
    std::shared_ptr<sBitmap> render(const uint8_t* pixels, uint32_t width, uint32_t height, int32_t format,
                                    int64_t orientation);
    bool renderRows(const uint8_t* pixels, uint32_t width, uint32_t height, int32_t format, const BitmapRowSink& rows);

    // The strip height for a photo of `height` rows: the one set, else the device's.
    int32_t stripHeight(uint32_t height) const;

    platform::CAEAGLLayer layer_{CGRectMake(0, 0, kPreviewSize, kPreviewSize)};
    int stripHeight_ = 0;
    std::unique_ptr<QV::Graphics::IDevice> device_;
    std::unique_ptr<AmbrelGraphicsController> engine_;
};
