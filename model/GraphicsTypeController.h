#pragma once
// Turns picker items into engine work: which parameters a mode may not change, which
// changes the engine can render from its cache, and redraw requests, held back while a
// batch of changes is being made.
#include <functional>
#include <set>
#include <string>
#include <vector>

class GraphicsTypeController {
public:
    GraphicsTypeController() = delete;

    // Parameters a mode's parameter set may not change (looks and adjustments own them).
    static const std::set<std::string>& adjustmentsToExcludeFromModes();
    // Parameters whose change the engine can render from its cached intermediate result.
    static const std::vector<std::string>& adjustmentsThatCanUseCache();
    static bool adjustmentCanUseCache(const std::string& name);
    // True when every name can use the cache (also for no names).
    static bool adjustmentsCanUseCache(const std::vector<std::string>& names);

    // Batches of changes. Batches nest: redraws are held back until the outermost batch
    // finishes, which redraws at once when any finish of the batch asked for it.
    static void beginDelayUpdates();
    static void finishDelayUpdates(bool update);
    static void delayUpdates(const std::function<void()>& block, bool update = true);
    static bool isDelayingUpdates();

    static void updateGraphicsView(bool useCache = false) { updateGraphicsView(useCache, true); }
    // Nothing while a batch is open or while the view renders continuously by itself;
    // otherwise an immediate redraw, or (delayed) one throttled to `nonRealtimeUpdateRate`.
    static void updateGraphicsView(bool useCache, bool delayed);
    // Seconds between throttled redraws: 0.05 on devices with a recent GPU, else 0.1.
    static double nonRealtimeUpdateRate();

    // Runs a redraw block no more often than every `interval` seconds; installed by the
    // layer that owns the run loop. Without one, a delayed redraw runs at once.
    using Scheduler = std::function<void(double interval, std::function<void()> redraw)>;
    static void setDelayedRedrawScheduler(Scheduler scheduler);
};
