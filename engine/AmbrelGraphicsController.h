#pragma once
// The image-processing engine: owns every GPU resource of the pipeline (input and working
// textures, framebuffers, the unit quad, the program pairs) and every processing parameter
// (the stages' settings, from its base). Pixels, parameters and a resource directory go in;
// plain bitmaps come out. One per graphics device (the graphics view's, or a caller's own for
// a render without a view); made after the device is current and deleted before it, with or
// without a device current: its handles return each GPU object to that device. Main thread
// only.
//
// Members are public on purpose: the frame render, the parameter table and the view are
// written as parts of this object and read its fields directly. The processing stages and the
// program builders are not: they read the settings (this object's base) and the small context
// the engine makes for them (StageContext, ProgramContext), and never include this header.
//
// The source files: AmbrelGraphicsController.cpp (lifetime, releasing programs and textures),
// InputPath.cpp (inputs, geometry, program build, read-back), FrameRender.cpp (the frame),
// ContrastChains.cpp (local-contrast chains), FilterScales.cpp, ViewGeometry.cpp (view
// rectangle, zoom, compare split), ParameterRegistry.cpp (parameters by name),
// MasterAdjustments.cpp, EngineUniforms.cpp (the stages' context, uniform shorthands),
// FullResolutionRender.cpp and TileLayout.cpp (renders to bitmaps), VideoFramePaths.cpp
// (recording movies and rendering movie frames); each processing stage's
// fields, activity and uniform list in its *Stage.h and *Stage.cpp; the program builders in
// the *Program.cpp and *Programs.cpp files.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Bitmap.h"
#include "engine/EngineRecords.h"
#include "engine/EngineSettings.h"
#include "engine/LookTexture.h"
#include "engine/OwnedGpuObject.h"
#include "engine/ProcessingStage.h"
#include "engine/ProgramBuild.h"
#include "engine/RenderRequest.h"
#include "engine/VideoRecorder.h"
#include "engine/FrameRate.h"
#include "engine/ShaderSets.h"
#include "gpu/Math.h"

namespace platform {
class CVPixelBuffer;
}
namespace QV::Graphics {
class CTextureTemplate;
class IShaderProgram;
class ITexture2D;
class IFramebufferObject;
class IVertexBuffer;
class IVertexArrayObject;
}
struct sFrameDelivery;
struct sPassContext;
struct sTile;
struct sWorkingSet;

class AmbrelGraphicsController : public sEngineSettings {
public:
    // What the engine renders for: the preview's request, except while a RequestScope of
    // another request lives. Nothing else of the engine changes for a request.
    const sRenderRequest& Request() const { return request; }
    // Which program of each pair and which filter-scale record the current request uses.
    int32_t ProgramVariant() const { return request.programVariant; }
    int32_t FilterScaleVariant() const { return request.filterScaleVariant; }
    // The target the current frame renders for, the standing `renderTarget` unless the
    // request draws offscreen.
    int32_t Target() const { return request.offscreen ? kRenderTargetOffscreen : renderTarget; }
    bool ZoomAndSplitApply() const { return request.zoomAndSplit; }
    bool PreviewQuality() const { return previewQuality && request.previewQuality; }
    bool OpaqueReadBack() const { return request.opaqueReadBack; }
    // Renders for `request` while it lives; the request before it holds again afterwards.
    class RequestScope {
    public:
        RequestScope(AmbrelGraphicsController& engine, const sRenderRequest& request)
            : engine_(engine), previous_(engine.request) {
            engine.request = request;
        }
        ~RequestScope() { engine_.request = previous_; }
        RequestScope(const RequestScope&) = delete;
        RequestScope& operator=(const RequestScope&) = delete;

    private:
        AmbrelGraphicsController& engine_;
        const sRenderRequest previous_;
    };

    // Sampling of the working textures: linear or nearest, clamped to the edge on both axes.
    static const QV::Graphics::CTextureTemplate& LinearTextureTemplate();
    static const QV::Graphics::CTextureTemplate& NearestTextureTemplate();

    // Needs a current graphics device; throws std::runtime_error without one. Look images are
    // read from `resourceDirectory` (its looks/ folder, else the folder itself); with none
    // given the looks are left out.
    explicit AmbrelGraphicsController(std::string resourceDirectory = {});
    virtual ~AmbrelGraphicsController();
    AmbrelGraphicsController(const AmbrelGraphicsController&) = delete;
    AmbrelGraphicsController& operator=(const AmbrelGraphicsController&) = delete;

    // --- Programs -------------------------------------------------------------------------
    // Deletes both programs of a pair; the next BuildPrograms rebuilds it.
    static void ReleaseProgram(CShaderSetsShaderProgram& pair);
    // Releases the given pairs and marks both variants stale.
    void ReleasePrograms(std::initializer_list<int32_t> pairs);
    void ReleasePrograms(const std::vector<int32_t>& pairs);
    // Releases the current variant's programs whose source contains kernel sizes.
    void ReleaseScaledPrograms();
    // Sets the stage's uniform list on both programs of its pair, skipping programs not built yet.
    void PushStageUniforms(const sProcessingStage& stage);
    // The float precision the programs of the current filter-scale variant are written in.
    int32_t ProgramPrecision() const { return shaderSets.precisions[FilterScaleVariant()]; }
    // What the stages read beside the settings, for the current request: the precision, the
    // look texture and the compare split.
    sStageContext StageContext();
    // What the program builders read beside the settings: the current program variant's slots,
    // the filter-scale record and the device's varying cap, with the stage context.
    sProgramContext ProgramContext();

    // --- Filter scale ---------------------------------------------------------------------
    // Requested input-to-preview scale (shorter input side over the reference size).
    void SetFilterScale(double scale);
    // Brings the current variant's record up to the base scale, releasing the programs that
    // depend on it when the scale changed.
    void UpdateFilterScale();
    // Kernel sizes, steps and inverses of the current variant's record; releases its
    // scale-dependent programs.
    void UpdateFilterScaleRecord();

    // --- Textures and geometry ------------------------------------------------------------
    void ReleaseInputTextures();
    // Frees the working textures and level framebuffers (kept: the 1×1 unit textures); the next
    // input configuration recreates them.
    void ReleaseWorkingTextures();
    void ApplicationDidEnterBackground();
    void SetViewRect(int32_t x, int32_t y, int32_t width, int32_t height);
    void SetRenderProgressBlock(std::function<void(double)> block);
    // After a change of the view's content scale; the caller sets the view rectangle next.
    void ResetContentScaleFactor();
    static int32_t MaxTextureSize();

    // --- Zoom and compare split -----------------------------------------------------------
    void SetZoom(float zoom);
    void SetCompareShowing(bool on);
    void SetComparePoint(const float point[2]);
    void SetComparePointX(float x);
    void SetComparePointY(float y);
    void SetCompareAngle(float radians);

    // --- Named parameters -----------------------------------------------------------------
    // Sets one parameter by name from its normalised value; with requestRender the next frame
    // renders (also for an unknown name).
    void SetAdjustment(const std::string& name, bool requestRender, float value);
    // Normalised value of a parameter; NaN for a name that has no getter.
    float GetAdjustment(const std::string& name) const;
    // Every readable parameter with the names of its categories, in registry order.
    static std::vector<std::pair<std::string, std::vector<std::string>>> AdjustmentCategories();
    static std::string AdjustmentValueDescription(const std::string& name, float value);
    static float AdjustmentValueFromString(const std::string& name, const std::string& text);

    void SetVignetteRange(float begin, float end);
    void SetPhotoFilterColor(float r, float g, float b);

    // --- Master adjustments ---------------------------------------------------------------
    // Six 0-1 values the adjustment sliders drive, each translated into engine parameters.
    // Brightness and contrast move their target parameter within `range` (normalised units
    // of that parameter, the applied mode's range); the mode identifier is the applied mode's
    // library name or empty.
    // Setters clamp to 0-1 (NaN as 0) and, all but filmic strength, write nothing when the
    // value equals what the getter reads.
    void SetBrightness(float value, bool requestRender, const sValueRange& range, std::string_view modeId);
    float GetBrightness(const sValueRange& range, std::string_view modeId) const;
    void SetContrast(float value, bool requestRender, const sValueRange& range, std::string_view modeId = {});
    float GetContrast(const sValueRange& range, std::string_view modeId = {}) const;
    void SetVignette(float value, bool requestRender);
    float GetVignette() const;
    void SetNoise(float value, bool requestRender);
    float GetNoise() const;
    static float GetDefaultNoise();
    void SetColorStrength(float value, bool requestRender);
    float GetColorStrength() const;
    float GetDefaultColorStrength() const;
    void SetFilmicStrength(float value, bool requestRender);
    float GetFilmicStrength() const;
    // The parameter the brightness value drives, and whether it is driven inverted.
    std::pair<std::string_view, bool> BrightnessTarget(std::string_view modeId) const;
    // The parameter the contrast value drives; empty under Local Laplacian.
    std::string_view ContrastTarget() const;

    // --- Full-resolution render -----------------------------------------------------------
    // Renders a photo offscreen through the whole chain at full resolution: strip by strip
    // when its width fits the texture limit, tile by tile otherwise. `format` is the input's
    // (kPixelFormatRGB, BGRA or RGBA, rows packed); the bitmap is always B,G,R,A with straight
    // alpha, rows packed, and carries `orientation` (the pixels are not turned). Null while a
    // recording runs, for a request whose sizes or crop do not fit the input, or when memory
    // runs out. It renders under the full-resolution request, so the preview's zoom, split,
    // target and variant are never touched; the input is released for the caller to set
    // again. Reports progress 0 to 1 through the render progress block.
    std::shared_ptr<sBitmap> RenderToImage(int32_t inputWidth, int32_t inputHeight, int32_t cropWidth,
                                           int32_t cropHeight, int32_t cropX, int32_t cropY, int32_t outputWidth,
                                           int32_t outputHeight, int64_t orientation, int32_t format,
                                           const void* pixels);
    // The two renderers; the pixels are asked for once, after the tiles are laid out.
    using PixelSource = std::function<const void*()>;
    std::shared_ptr<sBitmap> RenderToImageStrips(int32_t inputWidth, int32_t inputHeight, int32_t cropWidth,
                                                 int32_t cropHeight, int32_t cropX, int32_t cropY, int32_t outputWidth,
                                                 int32_t outputHeight, int64_t orientation, int32_t format,
                                                 const PixelSource& pixels);
    std::shared_ptr<sBitmap> RenderToImageTiles(int32_t inputWidth, int32_t inputHeight, int32_t cropWidth,
                                                int32_t cropHeight, int32_t cropX, int32_t cropY, int32_t outputWidth,
                                                int32_t outputHeight, int64_t orientation, int32_t format,
                                                const PixelSource& pixels);
    // Whether a photo of this size renders in strips: a strip spans the whole width, and its
    // textures (grown by a texel where the size rule asks, as for a row of a power of two)
    // must fit the texture limit. Otherwise it renders tile by tile.
    static bool RendersInStrips(int32_t width, int32_t height);
    // The whole photo at its own size, strip by strip, each strip's rows handed to `rows` as
    // soon as they are read back instead of gathered into one bitmap (the pixels in the stored
    // position). A false from `rows` stops the render. False when the render could not be done
    // (as for RenderToImage) or was stopped; true once every row has been handed over. The
    // photo must render in strips (RendersInStrips).
    using RowSink = BitmapRowSink;
    bool RenderToRows(int32_t width, int32_t height, int32_t format, const PixelSource& pixels, const RowSink& rows);
    // Frees what only the preview draws with: its variant of every program, the working
    // textures and the input. For a caller that renders at full resolution next and draws no
    // preview until it sets an input again (a command-line render): the full-resolution
    // render's own programs and textures then take that memory instead of adding to it.
    void ReleasePreviewResources();
    // Border for the current level count (the reach of its coarsest level); raises the tile
    // size to four borders.
    void ComputeTileBorder(int32_t& tileSize, int32_t& border) const;
    // Pixels of a tile to one texel of the current level count's coarsest level: tiles that
    // start on whole texels of it see the same pyramid as a single tile.
    int32_t CoarsestLevelTexel() const;
    // The rows of a frame whose result is kept, as a share of its height from its first row:
    // a full-resolution strip keeps only its interior. Its border is there for the Gaussian
    // pyramid, which reads the picture far around the interior; the passes that only lead to
    // the kept rows (box means, bands, reconstruction, tone mapping, colour correction) then
    // draw those rows and the reach of the passes after them (KeptRowsMargin), not the border.
    struct sKeptRows {
        double first = 0.0, last = 1.0;
        bool limited = false;  // false: every row is kept
    };
    sKeptRows keptRows;
    // The rows around the kept ones, in texels of each level, that the passes after each pass
    // read on their way to the kept rows: twice the reach of the longest road through a
    // level's passes (box mean, upsampling blurs, tone mapping), as a coarser level's rows feed
    // the finer one at half their count. Zero when no rows are left out: the kept rows are
    // limited only while no pass with a reach of its own (smoothing, line integral) follows.
    int32_t KeptRowsMargin() const;
    // Lays out the tiles of an output: inner tiles, then the last row, the last column and the
    // corner, each column top to bottom.
    static void RenderTiled(int32_t inputWidth, int32_t inputHeight, int32_t cropWidth, int32_t cropHeight,
                            int32_t cropX, int32_t cropY, int32_t outputWidth, int32_t outputHeight, int32_t tileWidth,
                            int32_t tileHeight, int32_t border, bool sort, std::vector<sTile>& tiles);
    // The input rectangle (and exact window inside it) that one tile reads when rescaling.
    static void ComputeTileRect(sTile& tile, const QV::Math::CVector2<float>& scale, QV::Math::CVector2<float> size,
                                int32_t limitX, int32_t limitY, int32_t originX, int32_t originY);
    // The current input rendered once offscreen and read back (orientation down-mirrored:
    // the rows come bottom first). Null without an input or while a recording runs.
    std::shared_ptr<sBitmap> RenderCurrentImageToImage();

    // --- Uniform values of the current settings (the formulas are the stages') ------------
    static QV::Math::CVector2<float> ShadowsStrengthUniform(const sShadowsHighlights& shadows);
    static QV::Math::CVector2<float> HighlightsStrengthUniform(const sShadowsHighlights& highlights);
    QV::Math::CVector2<float> BrightnessStrengthUniform() const;
    float ColorCorrectionStrengthUniform() const;
    // uSplit: the compare split's point scaled from view pixels to level 0's and the direction
    // of the line's normal.
    QV::Math::CVector4<float> SplitUniform() const;
    QV::Math::CVector3<float> GrayscaleCoefficients() const;

    // --- Activity of steps of the stages (each stage's own test is in its stage file) ------
    bool IsToneMapLookActive() const;
    bool IsPhotoFilterActive() const;
    bool AreLevelsActive() const;

    // --- Input ----------------------------------------------------------------------------
    // A new picture from packed 8-bit pixels (rows of inputWidth × 4 bytes for the 4-byte
    // formats, × 3 for RGB; null keeps the last upload). A new geometry, orientation or format
    // reconfigures the engine first. A picture larger than the device's texture limit is
    // reduced to fit.
    void SetInputPixels(const sFrameTime& time, const sInputGeometry& geometry, int64_t orientation, int32_t format,
                        const void* pixels);
    // The same for a camera or video frame, bound without copying (null keeps the last one).
    // A frame larger than the texture limit is refused (logged) and nothing changes.
    void SetInputPixelBuffer(const sFrameTime& time, const sInputGeometry& geometry, int64_t orientation,
                             int32_t format, const std::shared_ptr<platform::CVPixelBuffer>& pixelBuffer);
    // Stores a new geometry, orientation, format and kind of input and rebuilds what depends on
    // them.
    void ConfigureInput(const sInputGeometry& geometry, int64_t orientation, int32_t format, bool inputIsPixelBuffer);
    // The fit into the view, the texture matrix and the level sizes of a geometry at the
    // stored orientation.
    void ComputeInputGeometry(const sInputGeometry& geometry);
    void CreateTextures(int32_t inputWidth, int32_t inputHeight);
    void SetFrontFacing(bool frontFacing);
    void SetLandscape(bool landscape);
    // None shows the unprocessed input, CIE processes again.
    void SetShowOriginal(eLuminanceStyle style);
    void SetAudio(const AudioSampleRef& sampleBuffer);
    // Builds every missing program of the current variant, in a fixed order.
    void BuildPrograms();
    // Reads the newest output (BGRA, rows bottom first) into `pixels` with the given row
    // stride. False, with nothing written, without an output, for a stride below width × 4 or
    // when the frame (OutputFrameSize rows at that stride) would not fit `bufferSize` bytes.
    bool ReadOutputFrame(void* pixels, uint64_t bytesPerRow, uint64_t bufferSize = UINT64_MAX);
    // Width and height of what ReadOutputFrame reads (0 × 0 without an output).
    std::pair<int32_t, int32_t> OutputFrameSize() const;
    // Presentation time of the frame handed to the recorder, optionally smoothed over the ring.
    void SmoothedFrameTime(bool smooth, sFrameTime* out) const;

    // --- Frame ----------------------------------------------------------------------------
    // Renders one frame when an input exists and a change is pending; recreates working
    // textures freed in the background first.
    void RenderFrame();
    void ComputeOutputMatrices();
    // Hands the frame to the recorder (real-time) or the caller's buffer (asset frames). False
    // when not recording, or when the caller's buffer cannot take the frame (nothing written).
    bool RecordFrame();

    // --- Video frame paths (VideoFramePaths.cpp) -----------------------------------------
    // The movie's pixel size, taken at the next BeginVideoRecording.
    void SetVideoOutputSize(CGSize size);
    // Starts recording the rendered frames through the registered recorder; false unless idle,
    // without a recorder or when it does not start (nothing is left behind then).
    bool BeginVideoRecording(int64_t orientation, bool audio);
    // Stops the recorder (the movie is finished when this returns); its file, empty when the
    // movie failed or when no recording ran.
    std::string FinishVideoRecording();
    // Movie frames through the pipeline: begin, one render per frame (null pixels run the
    // pipeline again), end; `format` is the engine's byte order of the pixels. A render answers true when it delivered a frame with a new time
    // into `buffer` (BGRA rows, bottom first) and `bufferTime`: the frame of two renders before.
    bool BeginVideoAssetRecording();
    bool RenderVideoAssetFrame(int32_t width, int32_t height, int32_t cropW, int32_t cropH, int32_t cropXOrigin,
                               int32_t cropYOrigin, int32_t outputWidth, int32_t outputHeight, int64_t orientation,
                               int64_t viewportOrientation, int32_t format, const void* pixels,
                               const sFrameTime& pixelsTime, uint64_t bufferBytesPerRow, void* buffer,
                               sFrameTime* bufferTime);
    bool EndVideoAssetRecording();
    // The screen output upright again after movie frames turned it.
    void RestoreVideoAssetOrientation();
    void PrepareVideoRecording(eRecordingMode mode, int32_t width, int32_t height);
    void ReleaseVideoRecording();
    void SwitchVideoRenderMode(bool fullResolution);
    void DrawBlackImage();
    // The screen output's rotation: by angle, or chosen from a picture size and orientation.
    void SetOutputRotation(float angle);
    void SetOutputOrientation(int32_t width, int32_t height, int64_t orientation);
    // The strength of each reconstructed level, coarsest (level count − 2) first.
    std::vector<float> ContrastLevelStrengths() const;
    // Level index clamped into the pyramid (textures and sizes of deeper levels do not exist).
    int32_t ClampLevel(int32_t level) const;

    // The local-contrast chain of "Luminance Style" CIE, and the passes every style ends with.
    void RenderCIEContrast(bool recording, bool present, bool directOutput);
    void RenderStylePasses(bool recording, bool present, bool directOutput, bool smoothingOn, bool lineIntegralOn,
                           bool colorProgramPresent, int32_t fullFrame, QV::Graphics::ITexture2D* const outputs[2]);
    void RenderNoiseReduction(sPassContext& pass);
    void RenderBrightnessStatistic(sPassContext& pass);
    void RenderAutomaticAlpha(sPassContext& pass);
    void RenderContrastLevel(sPassContext& pass, float strength, int32_t level, QV::Graphics::ITexture2D* source);
    // Present to the screen and draw into the recording ring (the offscreen path's last step).
    void PresentAndRecord(sPassContext& pass, bool recording, bool present);
    // The per-pixel flow field of the structure-tensor passes (level 1).
    QV::Graphics::ITexture2D* FlowFieldTexture() const;
    // The picture the contrast chain and the style passes start from ("A" after the noise
    // filter): the filter's half-float result when it ran in this frame, else A itself.
    QV::Graphics::ITexture2D* WorkingPicture() const;
    // Makes the noise filter's half-float textures at level 0's size where the device renders
    // half floats.
    void CreateNoiseTextures();
    // uModelViewProjectionMatrix of the screen output from the rotation and display rectangle.
    void ApplyScreenOutputMatrix();
    // Sets `inputProjection` on the four input programs (pairs 3-6) of the current variant.
    void ApplyInputProjection();

    // --- Members, in declaration order (the processing settings come first, from the base) -
    sVideoRecording videoRecording;
    FrameRate frameRate;
    sInputTexture inputTextures[2];
    sBaseFilterScale baseFilterScale;
    CShaderSets shaderSets;
    std::vector<QV::Math::CVector2<float>> levelTexelSizes;
    std::vector<QV::Math::CVector2<float>> levelDoubleTexelSizes;
    std::vector<int32_t> levelWidths;
    std::vector<int32_t> levelHeights;
    std::vector<OwnedTexture> levelTextures;
    std::vector<OwnedFramebuffer> levelFramebuffers;
    QV::Math::CMatrix4<float> outputMatrix;
    QV::Math::CMatrix4<float> inputTextureMatrix;
    QV::Math::CMatrix4<float> zoomMatrix;  // scale about the picture centre, applied by the output pass
    // uModelViewProjectionMatrix of the input programs as last computed (kept for programs
    // rebuilt after the computation).
    QV::Math::CMatrix4<float> inputProjection = QV::Math::CMatrix4<float>::Identity();
    sFrameTime matricesTime;
    float copyRotation = 0.0f;
    float zoom = 1.0f;
    sInputGeometry inputGeometry;
    int32_t outputViewport[4] = {0, 0, 0, 0};
    int32_t viewRect[4] = {0, 0, 1, 1};
    int32_t inputIndex = 0;
    int32_t frameDivider = 0;
    int32_t maxVaryingVectors = 0;
    // The device's texture limit at construction; the view lowers it to the tile side of the
    // full-resolution render (768 or 384), which the device's limit still caps.
    int32_t maxTextureSize = 0;
    // Depth of the level pyramid (4-7), one more per halving of the filter scale; also the
    // exponent of the tiled render's tile border.
    int32_t levelCount = 4;
    int32_t filterScaleHalvings = 0;
    int64_t inputOrientation = 0;  // 0-7: up, down, left, right, then the mirrored four
    int32_t inputFormat = kPixelFormatNone;
    int32_t renderTarget = kRenderTargetScreen;
    int32_t lastRenderTarget = kRenderTargetScreen;
    eLetterbox letterbox = eLetterbox::None;
    eStyleStageMode styleStageMode = eStyleStageMode::Neither;
    bool reducedProcessing = false;
    bool frontFacing = true;
    bool landscape = false;
    bool inputReconfigureRequested = false;
    bool videoFullResolution = false;  // movie frames render at full resolution
    bool frameDirty = false;
    bool matricesDirty = false;
    bool keepProcessingSize = false;
    bool previewQuality = true;
    bool textureStorage = false;
    bool inputIsPixelBuffer = false;
    std::function<void(double)> renderProgressBlock;
    // Where the look images are read from (see the constructor).
    std::string resourceDirectory;
    // The GPU objects, each returned to its device's manager by its handle.
    OwnedVertexBuffer quadVertexBuffer;
    OwnedVertexArrayObject quadVertexArray;
    OwnedTexture workTextures[3];
    OwnedTexture outputTextures[2];
    // The noise filter's pass between its two directions and its result, in half floats (see
    // CreateNoiseTextures); absent until the filter first runs, and where the device has no
    // half-float targets (the filter then goes through the spare output texture back into A).
    OwnedTexture noiseTextures[2];
    OwnedTexture levelColorTextures[6];
    OwnedTexture levelPairTextures[6][2];
    OwnedTexture levelHalfTextures[6];
    OwnedTexture levelNextTextures[6];
    OwnedTexture levelVectorTextures[6];
    OwnedTexture levelMaskTextures[6];
    OwnedTexture halfColorTexture;
    OwnedTexture coarseTextures[4];
    OwnedTexture unitTextures[3];
    LookTexture lookTexture;
    QV::Graphics::ITexture2D* currentOutput = nullptr;  // points at one of the above, owns nothing
    bool noiseFiltered = false;                         // the frame's noise filter left its result in noiseTextures[1]
    OwnedFramebuffer videoFramebuffer;
    OwnedFramebuffer passFramebuffers[6];

    // Deletes the look texture (the next colour-adjustment build loads it again).
    void ReleaseLookTexture();

private:
    sRenderRequest request;

    void DeleteWorkTextures();
    void PushSplitUniform();

    // Steps of the input configuration (InputPath.cpp).
    void ComputeLevelSizes(const sInputGeometry& geometry, bool upright);
    void ReleaseUnfittingTextures(int32_t inputWidth, int32_t inputHeight, const sWorkingSet& set);
    void CreateInputTextures(int32_t inputWidth, int32_t inputHeight, bool fullResolution);
    void CreateWorkingTextures(const sWorkingSet& set);

    // Steps of a frame (FrameRender.cpp).
    bool RestoreWorkingTextures();
    void RebuildStalePrograms();
    sFrameDelivery FrameDelivery() const;
    bool AdvanceRecordingRing();
    void RenderFramePasses(sPassContext& pass, const sFrameDelivery& delivery);
    void RenderInputPass(sPassContext& pass);
    void RenderFlowField(sPassContext& pass);
    void RenderWithoutContrast(sPassContext& pass, const sFrameDelivery& delivery);
};
