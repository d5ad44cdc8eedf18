#pragma once
// Turns picker items into engine work: the items' selected blocks, pushing a parameter set
// (a mode's, with its brightness and contrast ranges, or a look's) into the engine, which
// parameters a mode may not change, which changes the engine can render from its cache, and
// redraw requests, throttled and held back while a batch of changes is made.
//
// It holds the engine the model drives (the application hands over its render view at
// start-up); the rest of the model reaches the engine through the operations below. Without
// an engine, reads answer 0 and writes go nowhere. Main thread only.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/CollectionObject.h"
#include "model/EditingEngine.h"
#include "modes/AdjustmentDictionary.h"

class GraphicsTypeController {
public:
    using SelectionBlock = CollectionObject::SelectionBlock;
    using AdjustmentsBlock = std::function<Modes::AdjustmentDictionary()>;

    GraphicsTypeController() = delete;

    // The engine from now on (not owned; null detaches the model). A waiting throttled
    // redraw goes to the engine held when it fires.
    static void setEngine(EditingEngine* engine);
    // Detaches the model when it holds this engine (the engine is going away).
    static void releaseEngine(const EditingEngine* engine);

    // Parameters a mode's parameter set may not change (looks and adjustments own them).
    static const std::set<std::string>& adjustmentsToExcludeFromModes();
    // Parameters whose change the engine can render from its cached intermediate result.
    static const std::vector<std::string>& adjustmentsThatCanUseCache();
    static bool adjustmentCanUseCache(const std::string& name);
    // True when every name can use the cache (also for no names).
    static bool adjustmentNamesCanUseCache(const std::vector<std::string>& names);
    static bool adjustmentsCanUseCache(const Modes::AdjustmentDictionary& adjustments);

    // ---- Selected blocks (each does nothing when called with selected false) -----------
    // A mode: its identifier and ranges, then its set without the excluded parameters,
    // remembered as the mode's values, then a full redraw.
    static SelectionBlock selectedBlockWithModeAdjustments(Modes::AdjustmentDictionary adjustments);
    // A look: the set, redrawn from the cache when every parameter of it allows that.
    static SelectionBlock selectedBlockWithAdjustments(Modes::AdjustmentDictionary adjustments);
    // A look whose set is made afresh at every selection (it depends on flags or a colour
    // that may change). Whether the cache can be used is decided once, from the first set.
    static SelectionBlock selectedBlockWithAdjustmentsBlock(AdjustmentsBlock adjustments);

    // ---- Pushing ----------------------------------------------------------------------
    // With `cacheAdjustments` (a mode) the item's unique id and its brightness and contrast
    // ranges go first and the values are remembered as the mode's; the excluded names are
    // skipped; then a redraw is requested.
    static void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const CollectionObject* item,
                               const Modes::AdjustmentNameSet* excluded, bool useCache, bool cacheAdjustments);
    // A mode on the engine: its identity and ranges, then its set without the excluded
    // parameters (every other parameter back at its default), remembered as the mode's
    // values; then a redraw request.
    static void selectMode(const Modes::AdjustmentDictionary& adjustments, const Modes::ModeSelection& selection,
                           const Modes::AdjustmentNameSet& excluded, bool useCache = false);
    static void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const CollectionObject* item,
                               bool useCache, bool cacheAdjustments) {
        setAdjustments(adjustments, item, nullptr, useCache, cacheAdjustments);
    }
    // Without a useCache flag the redraw rebuilds the picture fully.
    static void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const CollectionObject* item,
                               bool cacheAdjustments) {
        setAdjustments(adjustments, item, nullptr, false, cacheAdjustments);
    }
    static void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const CollectionObject* item,
                               const Modes::AdjustmentNameSet* excluded, bool cacheAdjustments) {
        setAdjustments(adjustments, item, excluded, false, cacheAdjustments);
    }
    static float adjustmentValue(const std::string& name);
    static std::string adjustmentStringValue(const std::string& name);
    // Sets one parameter; the view's next display frame shows it (no redraw request here).
    static void setAdjustment(const std::string& name, float value);
    // The value the last applied mode gave the parameter.
    static float cachedAdjustmentValue(const std::string& name);

    // ---- Master values and slider drags (no redraw request here) ------------------------
    using Master = EditingEngine::Master;
    static float masterValue(Master which);
    static void setMasterValue(Master which, float value);
    static float masterDefaultValue(Master which);
    // Whether the noise slider redraws while it moves (only where noise reduction runs live).
    static bool useRealtimeNoiseReduction();
    static void adjustmentWillBeginChange();
    static void adjustmentWillFinishChange();

    // ---- Redraws ----------------------------------------------------------------------
    // Batches of changes. Batches nest: redraws are held back until the outermost batch
    // finishes, which redraws at once when any finish of the batch asked for it.
    static void beginDelayUpdates();
    static void finishDelayUpdates(bool update);
    static void delayUpdates(const std::function<void()>& block, bool update = true);
    static bool isDelayingUpdates();

    static void updateGraphicsView(bool useCache = false) { updateGraphicsView(useCache, true); }
    // Nothing while a batch is open or while the view renders continuously by itself;
    // otherwise an immediate redraw, or (delayed) one throttled on the current run loop:
    // the first request of an interval schedules one redraw `nonRealtimeUpdateRate` later,
    // the requests after it join that redraw, which uses the engine's cache only when every
    // request of the interval allowed it.
    static void updateGraphicsView(bool useCache, bool delayed);
    // Seconds between throttled redraws: 0.05 on devices with a recent GPU, else 0.1.
    static double nonRealtimeUpdateRate();
    // Whether a throttled redraw waits for its interval to end.
    static bool hasPendingRedraw();
    // Drops a waiting throttled redraw (when the view it was for goes away).
    static void cancelPendingRedraw();
};
