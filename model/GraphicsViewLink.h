#pragma once
// The editing model's way into the render view: reading and setting engine parameters by
// name, the drag brackets and the redraw. The render view answers through an adapter
// installed with `setShared`; until one is installed (and in tests that need no engine)
// reads answer 0 and writes go nowhere.
#include <string>

class GraphicsViewLink {
public:
    virtual ~GraphicsViewLink() = default;

    // The installed link, or one that does nothing.
    static GraphicsViewLink& shared();
    // Installs a link (not owned; null removes it).
    static void setShared(GraphicsViewLink* link);

    // The engine parameter's normalised value.
    virtual float getAdjustment(const std::string& name) = 0;
    // Sets the engine parameter; the next display frame shows it.
    virtual void setAdjustment(const std::string& name, float value) = 0;
    // The value the last applied mode gave the parameter.
    virtual float getCachedAdjustment(const std::string& name) = 0;
    // Bracket a slider drag.
    virtual void adjustmentWillBeginChange() = 0;
    virtual void adjustmentWillFinishChange() = 0;
    // True while the view's display loop renders by itself.
    virtual bool isAnimating() = 0;
    // Renders the picture again, from the cached intermediate result when useCache is set.
    virtual void reconstructAndDrawView(bool useCache) = 0;
};
