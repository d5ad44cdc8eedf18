#include "model/GraphicsTypeController.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include "model/DeviceUtility.h"
#include "model/Type.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

EditingEngine* gEngine = nullptr;

// Calls `f` on the engine; without one, answers a value-initialised result (0, false, empty)
// or does nothing.
template <class F>
auto onEngine(F&& f) {
    using R = std::invoke_result_t<F, EditingEngine&>;
    if constexpr (std::is_void_v<R>) {
        if (gEngine) f(*gEngine);
    } else {
        return gEngine ? f(*gEngine) : R();
    }
}

int gDelayDepth = 0;
bool gRedrawRequested = false;  // by a finish inside the open batch

// The throttled redraw waiting for the end of its interval.
struct PendingRedraw {
    std::shared_ptr<NSTimer> timer;
    bool useCache = true;  // every request of the interval allowed the cache
};
PendingRedraw gPending;

// The colour-adjustment stage's parameters: a change of any of them can be rendered from the
// engine's cached intermediate result.
const std::vector<std::string>& colorAdjustmentNames() {
    static const std::vector<std::string> names = {
        "CA Grayscale On/Off",
        "CA Grayscale Coefficients",
        "CA Grayscale At End On/Off",
        "CA Temperature",
        "CA Photo Filter On/Off",
        "CA Photo Filter Strength",
        "CA Photo Filter R",
        "CA Photo Filter G",
        "CA Photo Filter B",
        "CA Shadows Strength",
        "CA Shadows Width",
        "CA Highlights Strength",
        "CA Highlights Width",
        "CA Exposure",
        "CA Exponential Brightness Strength",
        "CA Saturation Strength",
        "CA Exponential Saturation Strength",
        "CA Saturation Contrast Strength",
        "CA Contrast Strength",
        "CA Vibrancy Strength",
        "CA Effect Strength",
        "CA Tone Map",
        "CA Tone Map Strength",
        "CA Vignette On/Off",
        "CA Vignette Begin",
        "CA Vignette End",
        "CA Vignette Black On/Off",
    };
    return names;
}

// Strengths of that stage which a mode's parameter set may give; looks and adjustments own
// the stage's other parameters.
bool modesMaySet(const std::string& name) {
    return name == "CA Exponential Brightness Strength" || name == "CA Exponential Saturation Strength" ||
           name == "CA Saturation Contrast Strength" || name == "CA Vibrancy Strength";
}

}  // namespace

void GraphicsTypeController::setEngine(EditingEngine* engine) { gEngine = engine; }

void GraphicsTypeController::releaseEngine(const EditingEngine* engine) {
    if (gEngine == engine) gEngine = nullptr;
}

const std::set<std::string>& GraphicsTypeController::adjustmentsToExcludeFromModes() {
    static const std::set<std::string> names = [] {
        std::set<std::string> set;
        for (const std::string& name : colorAdjustmentNames())
            if (!modesMaySet(name)) set.insert(name);
        set.insert({"NR On/Off", "NR Flow Field Bilateral SigmaR", "NR Flow Field Bilateral SigmaS", "NR Type"});
        return set;
    }();
    return names;
}

const std::vector<std::string>& GraphicsTypeController::adjustmentsThatCanUseCache() { return colorAdjustmentNames(); }

bool GraphicsTypeController::adjustmentCanUseCache(const std::string& name) {
    const auto& names = adjustmentsThatCanUseCache();
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool GraphicsTypeController::adjustmentNamesCanUseCache(const std::vector<std::string>& names) {
    return std::all_of(names.begin(), names.end(), adjustmentCanUseCache);
}

bool GraphicsTypeController::adjustmentsCanUseCache(const Modes::AdjustmentDictionary& adjustments) {
    return std::all_of(adjustments.begin(), adjustments.end(),
                       [](const auto& pair) { return adjustmentCanUseCache(pair.first); });
}

// --- Selected blocks -------------------------------------------------------------------

GraphicsTypeController::SelectionBlock GraphicsTypeController::selectedBlockWithModeAdjustments(
    Modes::AdjustmentDictionary adjustments) {
    return [adjustments = std::move(adjustments)](bool selected, CollectionObject* item) {
        if (!selected) return;
        setAdjustments(adjustments, item, &adjustmentsToExcludeFromModes(), false, true);
    };
}

GraphicsTypeController::SelectionBlock GraphicsTypeController::selectedBlockWithAdjustments(
    Modes::AdjustmentDictionary adjustments) {
    const bool useCache = adjustmentsCanUseCache(adjustments);
    return [adjustments = std::move(adjustments), useCache](bool selected, CollectionObject* item) {
        if (!selected) return;
        setAdjustments(adjustments, item, useCache, false);
    };
}

GraphicsTypeController::SelectionBlock GraphicsTypeController::selectedBlockWithAdjustmentsBlock(
    AdjustmentsBlock adjustments) {
    const bool useCache = adjustments && adjustmentsCanUseCache(adjustments());
    return [adjustments = std::move(adjustments), useCache](bool selected, CollectionObject* item) {
        if (!selected || !adjustments) return;
        setAdjustments(adjustments(), item, useCache, false);
    };
}

// --- Pushing ---------------------------------------------------------------------------

void GraphicsTypeController::setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                            const CollectionObject* item, const Modes::AdjustmentNameSet* excluded,
                                            bool useCache, bool cacheAdjustments) {
    if (cacheAdjustments) {
        Modes::ModeSelection selection;
        if (item) {
            selection.uniqueId = item->uniqueId().value_or("");
            selection.brightnessRange = TypeController::brightnessAdjustmentRangeForMode(*item);
            selection.contrastRange = TypeController::contrastAdjustmentRangeForMode(*item);
        } else {
            selection.brightnessRange = selection.contrastRange = {0, 1};
        }
        static const Modes::AdjustmentNameSet none;
        selectMode(adjustments, selection, excluded ? *excluded : none, useCache);
        return;
    }
    onEngine([&](EditingEngine& e) { e.setAdjustments(adjustments, excluded); });
    updateGraphicsView(useCache);
}

void GraphicsTypeController::selectMode(const Modes::AdjustmentDictionary& adjustments,
                                        const Modes::ModeSelection& selection, const Modes::AdjustmentNameSet& excluded,
                                        bool useCache) {
    onEngine([&](EditingEngine& e) { e.setMode(adjustments, selection, excluded); });
    updateGraphicsView(useCache);
}

float GraphicsTypeController::adjustmentValue(const std::string& name) {
    return onEngine([&](EditingEngine& e) { return e.getAdjustment(name); });
}

std::string GraphicsTypeController::adjustmentStringValue(const std::string& name) {
    return onEngine([&](EditingEngine& e) { return e.getAdjustmentString(name); });
}

void GraphicsTypeController::setAdjustment(const std::string& name, float value) {
    onEngine([&](EditingEngine& e) { e.setAdjustment(name, value); });
}

float GraphicsTypeController::cachedAdjustmentValue(const std::string& name) {
    return onEngine([&](EditingEngine& e) { return e.getCachedAdjustment(name); });
}

// --- Master values and slider drags ----------------------------------------------------

float GraphicsTypeController::masterValue(Master which) {
    return onEngine([&](EditingEngine& e) { return e.master(which); });
}

void GraphicsTypeController::setMasterValue(Master which, float value) {
    onEngine([&](EditingEngine& e) { e.setMaster(which, value); });
}

float GraphicsTypeController::masterDefaultValue(Master which) {
    return onEngine([&](EditingEngine& e) { return e.masterDefault(which); });
}

bool GraphicsTypeController::useRealtimeNoiseReduction() {
    // Without an engine nothing is drawn either way.
    return !gEngine || gEngine->realtimeNoiseReductionAvailable();
}

void GraphicsTypeController::adjustmentWillBeginChange() {
    onEngine([](EditingEngine& e) { e.adjustmentWillBeginChange(); });
}

void GraphicsTypeController::adjustmentWillFinishChange() {
    onEngine([](EditingEngine& e) { e.adjustmentWillFinishChange(); });
}

// --- Redraws ---------------------------------------------------------------------------

void GraphicsTypeController::beginDelayUpdates() { ++gDelayDepth; }

void GraphicsTypeController::finishDelayUpdates(bool update) {
    gRedrawRequested = gRedrawRequested || update;
    if (gDelayDepth > 0) --gDelayDepth;
    if (gDelayDepth > 0 || !gRedrawRequested) return;
    gRedrawRequested = false;
    updateGraphicsView(false, false);
}

void GraphicsTypeController::delayUpdates(const std::function<void()>& block, bool update) {
    beginDelayUpdates();
    struct Finish {
        bool update;
        ~Finish() { finishDelayUpdates(update); }
    } finish{update};  // also when the block throws
    if (block) block();
}

bool GraphicsTypeController::isDelayingUpdates() { return gDelayDepth > 0; }

void GraphicsTypeController::updateGraphicsView(bool useCache, bool delayed) {
    if (gDelayDepth > 0) return;
    if (onEngine([](EditingEngine& e) { return e.isAnimating(); })) return;
    if (!delayed) {
        onEngine([&](EditingEngine& e) { e.redraw(useCache); });
        return;
    }
    if (gPending.timer) {
        // Joins the waiting redraw; a request that needs a full rebuild makes it a full one.
        gPending.useCache = gPending.useCache && useCache;
        return;
    }
    gPending.useCache = useCache;
    gPending.timer = NSTimer::scheduledTimerWithTimeInterval(nonRealtimeUpdateRate(), false, [](NSTimer&) {
        const bool cache = gPending.useCache;
        gPending = {};
        onEngine([&](EditingEngine& e) { e.redraw(cache); });
    });
}

double GraphicsTypeController::nonRealtimeUpdateRate() {
    // Single-precision constants, as the tiers were tuned with. The tier is cached by the
    // device constants, which forget it when the device profile is replaced.
    return DeviceUtility::hasAXGPU() ? double(0.05f) : double(0.1f);
}

bool GraphicsTypeController::hasPendingRedraw() { return gPending.timer != nullptr; }

void GraphicsTypeController::cancelPendingRedraw() {
    if (gPending.timer) gPending.timer->invalidate();
    gPending = {};
}
