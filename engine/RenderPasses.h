#pragma once
// What every pass of a frame does: attach its target to a framebuffer object, bind it, clear
// it, set the viewport to the target, bind the inputs to their units and draw the unit quad
// with one program of the current variant. A missing target or program skips the pass.

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <utility>

#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"

// Told of every pass once it is drawn, when set: a measuring tool waits for the GPU there and
// charges the time to the pass's pair and target size; the view lets its window show the busy
// logo's motion there during a long render.
using PassObserver = std::function<void(int32_t pair, int32_t width, int32_t height)>;
inline PassObserver& FramePassObserver() {
    static PassObserver observer;
    return observer;
}

// Adds `also` to the pass observer for the scope's life; the observer set before is told first.
class ScopedPassObserver {
public:
    explicit ScopedPassObserver(PassObserver also) : before_(FramePassObserver()) {
        FramePassObserver() = [before = before_, also = std::move(also)](int32_t pair, int32_t width, int32_t height) {
            if (before) before(pair, width, height);
            also(pair, width, height);
        };
    }
    ~ScopedPassObserver() { FramePassObserver() = std::move(before_); }
    ScopedPassObserver(const ScopedPassObserver&) = delete;
    ScopedPassObserver& operator=(const ScopedPassObserver&) = delete;

private:
    PassObserver before_;
};

// Tells the observer, when one is set, that the pass of `pair` into a target of that size is
// drawn.
inline void ObservePass(int32_t pair, int32_t width, int32_t height) {
    if (const PassObserver& observer = FramePassObserver()) observer(pair, width, height);
}

// The steps of a frame's road that are not passes, told to the observer as negative pairs
// with no size: the input handed to the engine, the input uploaded, the frame begun (the
// rebuilds of what is stale done), the frame presented (read back and given to the layer).
enum eRoadMark : int32_t { kMarkHandedOver = -1, kMarkUploaded = -2, kMarkFrameBegun = -3, kMarkPresented = -4 };
inline void MarkRoad(eRoadMark mark) { ObservePass(mark, 0, 0); }

struct sPassContext {
    AmbrelGraphicsController& engine;
    QV::Graphics::IDevice* device;
    QV::Graphics::IFramebuffer* framebuffers;
    QV::Graphics::ITexture* textures;
    QV::Graphics::IScissorTest* scissor;
    QV::Graphics::ITexture2D* target = nullptr;

    explicit sPassContext(AmbrelGraphicsController& e)
        : engine(e),
          device(QV::Graphics::CDevice::GetCurrentDevice()),
          framebuffers(device->GetFramebuffer()),
          textures(device->GetTexture()),
          scissor(device->GetScissorTest()) {}

    QV::Graphics::IShaderProgram* Program(int32_t pair) const {
        return engine.shaderSets[pair][engine.ProgramVariant()];
    }

    // Attaches `texture` to `framebuffer` and makes it the target: bound, viewport. Not cleared:
    // the pass's quad covers its whole target without blending, so the draw replaces every
    // texel, and a clear first would have the software driver write the target twice.
    void Begin(QV::Graphics::IFramebufferObject* framebuffer, QV::Graphics::ITexture2D* texture) {
        target = texture;
        AllRows();
        if (!framebuffer || !texture) return;
        // A texture still bound to a unit while drawn into would be a feedback loop.
        Bind({});
        framebuffer->AttachTexture(QV::Graphics::ATTACHMENT_COLOR0, texture);
        framebuffers->BindFramebufferObject(framebuffer);
        device->SetViewport(0, 0, texture->GetWidth(), texture->GetHeight());
    }

    // The target's rows [first, last) that lead to the kept rows (the engine's keptRows): the
    // kept ones and `margin` rows around them; every row when none are left out.
    std::pair<int32_t, int32_t> KeptRowSpan(const QV::Graphics::ITexture2D* texture, int32_t margin) const {
        const int32_t height = texture ? texture->GetHeight() : 0;
        if (margin <= 0 || !engine.keptRows.limited) return {0, height};
        return {std::max(0, static_cast<int32_t>(std::floor(engine.keptRows.first * height)) - margin),
                std::min(height, static_cast<int32_t>(std::ceil(engine.keptRows.last * height)) + margin)};
    }

    // The same as Begin, drawing only the target's rows [first, last). Rows left out keep
    // whatever they held.
    void BeginRows(QV::Graphics::IFramebufferObject* framebuffer, QV::Graphics::ITexture2D* texture, int32_t first,
                   int32_t last) {
        Begin(framebuffer, texture);
        if (!framebuffer || !texture || (first <= 0 && last >= texture->GetHeight())) return;
        scissor->SetScissor(0, first, texture->GetWidth(), std::max(0, last - first));
        scissor->SetEnabled(true);
    }

    // Every row of the targets again, for the passes drawn outside Begin (the separable and
    // tensor pass drivers).
    void AllRows() {
        if (scissor->IsEnabled()) scissor->SetEnabled(false);
    }

    // The same, drawing only the rows that lead to the kept rows: the passes after read the
    // rows left out only beyond the margin's reach of the kept rows.
    void BeginKept(QV::Graphics::IFramebufferObject* framebuffer, QV::Graphics::ITexture2D* texture, int32_t margin) {
        const auto [first, last] = KeptRowSpan(texture, margin);
        BeginRows(framebuffer, texture, first, last);
    }

    // The same, cleared: for the passes whose matrices come from outside the pass (the input's
    // zoom and turn, a recording's orientation), so that whatever they leave uncovered is black.
    void BeginCleared(QV::Graphics::IFramebufferObject* framebuffer, QV::Graphics::ITexture2D* texture) {
        Begin(framebuffer, texture);
        if (framebuffer && texture) device->Clear(true, false);
    }

    // The screen, scissored to and viewport on `rectangle` (x, y, width, height).
    void BeginScreen(const int32_t rectangle[4]) {
        target = nullptr;
        device->BindOnScreenFramebuffer();
        if (device->GetOnScreenWidth() == 0)
            framebuffers->BindFramebufferObject(nullptr);  // no layer: the context's own surface
        device->Clear(true, false);
        scissor->SetScissor(rectangle);
        scissor->SetEnabled(true);
        device->SetViewport(rectangle);
        screen = true;
    }

    // Units 0, 1, ... hold the given textures in order; the remaining units are emptied.
    void Bind(std::initializer_list<QV::Graphics::ITexture2D*> units) {
        uint32_t unit = 0;
        for (QV::Graphics::ITexture2D* texture : units) textures->BindTexture(unit++, texture);
        for (; unit < kUnits; ++unit) textures->BindTexture(unit, nullptr);
    }

    void Draw(int32_t pair) {
        if (!target && !screen) return;
        device->Draw(Program(pair), engine.quadVertexArray, QV::Graphics::PRIMITIVE_TRIANGLE_STRIP);
        ObservePass(pair, target ? target->GetWidth() : 0, target ? target->GetHeight() : 0);
        screen = false;
    }

private:
    static constexpr uint32_t kUnits = 5;
    bool screen = false;
};

// Makes linearly filtered textures read unfiltered for as long as it lives, then filtered
// again: for passes that read them only at their texel centres, where the unfiltered read is
// the same value for a quarter of the texel reads. Null entries are skipped.
class sUnfilteredReads {
public:
    explicit sUnfilteredReads(std::initializer_list<QV::Graphics::ITexture2D*> textures) {
        for (QV::Graphics::ITexture2D* texture : textures)
            if (texture && count_ < kMost) {
                texture->SetTemplate(AmbrelGraphicsController::NearestTextureTemplate());
                textures_[count_++] = texture;
            }
    }
    ~sUnfilteredReads() {
        for (size_t i = 0; i < count_; ++i)
            textures_[i]->SetTemplate(AmbrelGraphicsController::LinearTextureTemplate());
    }
    sUnfilteredReads(const sUnfilteredReads&) = delete;
    sUnfilteredReads& operator=(const sUnfilteredReads&) = delete;

private:
    static constexpr size_t kMost = 2;
    QV::Graphics::ITexture2D* textures_[kMost] = {};
    size_t count_ = 0;
};

// Stage selection of a frame, from the settings alone (whether noise reduction runs: its stage
// file).
// The flow field is needed by flow-field smoothing, the line integral and the flow-field noise
// reductions.
bool StructureTensorNeeded(const sEngineSettings& settings);
// The pair of the input pass: the isotropic noise-reduction input when that runs alone, else
// the one of the colour-correction method's colour space.
int32_t InputProgramPair(const sEngineSettings& settings);
// Whether an input orientation keeps the picture's sides (else it turns it by a quarter).
bool IsUpright(int64_t orientation);
// How many line-integral passes a frame runs (none below one).
int32_t LineIntegralPassCount(const AmbrelGraphicsController& engine);

// Whether the passes every style ends with have nothing to do: no colour-adjustment program, no
// smoothing and no line integral. With direct output the stage may then draw straight to the screen.
inline bool StylePassesIdle(const AmbrelGraphicsController& engine) {
    return !engine.shaderSets[kPairColorAdjustment][engine.ProgramVariant()] &&
           engine.smoothing.type == eGaussianType::None && !engine.smoothing.lineIntegral;
}

// How many pyramid levels the CIE contrast chain uses ("CIE Contrast Levels", 4 to 7).
inline int32_t ContrastLevelCount(const AmbrelGraphicsController& engine) {
    return std::clamp(engine.levelCount, 4, 7);
}

// The requested scale as the filter-scale record holds it: a request that could not be reduced
// (stored as 0) filters at scale 1 rather than with an infinite tap spacing.
inline double EffectiveRequestedScale(const sBaseFilterScale& base) {
    return base.requestedScale > 0.0 && std::isfinite(base.requestedScale) ? base.requestedScale : 1.0;
}
