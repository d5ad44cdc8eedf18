#include "model/GraphicsTypeController.h"

#include <algorithm>

#include "model/DeviceUtility.h"
#include "model/GraphicsViewLink.h"

namespace {

int gDelayDepth = 0;
bool gRedrawRequested = false;  // by a finish inside the open batch
double gUpdateRate = 0;
GraphicsTypeController::Scheduler gScheduler;

// The colour-adjustment stage's parameters: looks and adjustments own them, and a change of
// any of them can be rendered from the engine's cached intermediate result.
const std::vector<std::string>& colorAdjustmentNames() {
    static const std::vector<std::string> names = {
        "CA Grayscale On/Off", "CA Grayscale Coefficients", "CA Grayscale At End On/Off", "CA Temperature",
        "CA Photo Filter On/Off", "CA Photo Filter Strength", "CA Photo Filter R", "CA Photo Filter G",
        "CA Photo Filter B", "CA Shadows Strength", "CA Shadows Width", "CA Highlights Strength",
        "CA Highlights Width", "CA Exposure", "CA Saturation Strength", "CA Contrast Strength",
        "CA Effect Strength", "CA Tone Map", "CA Tone Map Strength", "CA Vignette On/Off", "CA Vignette Begin",
        "CA Vignette End", "CA Vignette Black On/Off",
    };
    return names;
}

}  // namespace

const std::set<std::string>& GraphicsTypeController::adjustmentsToExcludeFromModes() {
    static const std::set<std::string> names = [] {
        std::set<std::string> set(colorAdjustmentNames().begin(), colorAdjustmentNames().end());
        set.insert({"NR On/Off", "NR Flow Field Bilateral SigmaR", "NR Flow Field Bilateral SigmaS", "NR Type"});
        return set;
    }();
    return names;
}

const std::vector<std::string>& GraphicsTypeController::adjustmentsThatCanUseCache() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list = colorAdjustmentNames();
        // Strengths of the same stage that a mode may set.
        list.insert(list.end(), {"CA Exponential Brightness Strength", "CA Exponential Saturation Strength",
                                 "CA Saturation Contrast Strength", "CA Vibrancy Strength"});
        return list;
    }();
    return names;
}

bool GraphicsTypeController::adjustmentCanUseCache(const std::string& name) {
    const auto& names = adjustmentsThatCanUseCache();
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool GraphicsTypeController::adjustmentsCanUseCache(const std::vector<std::string>& names) {
    return std::all_of(names.begin(), names.end(), adjustmentCanUseCache);
}

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
    GraphicsViewLink& view = GraphicsViewLink::shared();
    if (view.isAnimating()) return;
    if (!delayed) {
        view.reconstructAndDrawView(useCache);
        return;
    }
    auto redraw = [useCache] { GraphicsViewLink::shared().reconstructAndDrawView(useCache); };
    if (gScheduler) gScheduler(nonRealtimeUpdateRate(), redraw);
    else redraw();
}

double GraphicsTypeController::nonRealtimeUpdateRate() {
    // Single-precision constants, as the tiers were tuned with.
    if (gUpdateRate == 0) gUpdateRate = DeviceUtility::hasAXGPU() ? double(0.05f) : double(0.1f);
    return gUpdateRate;
}

void GraphicsTypeController::setDelayedRedrawScheduler(Scheduler scheduler) { gScheduler = std::move(scheduler); }
