#pragma once
// The editing model's way into the render view (GraphicsView): engine parameters by name, a
// mode's parameter set with its brightness and contrast ranges, the master values the
// adjustment list moves, the colour-look strength, the drag brackets and the redraw.
//
// The render view answers through an adapter installed with `setShared`; every call goes to
// the link installed at the moment of the call. Until one is installed (and in tests that
// need no engine) reads answer 0 and writes go nowhere.
#include <string>

#include "modes/AdjustmentDictionary.h"
#include "modes/ModeSelection.h"

class GraphicsViewLink {
public:
    // The master values whose default is the value the applied mode left them at.
    enum class MasterAdjustment { Brightness, Contrast, FilmicStrength };

    virtual ~GraphicsViewLink() = default;

    // The installed link, or one that does nothing.
    static GraphicsViewLink& shared();
    // Installs a link (not owned; null removes it).
    static void setShared(GraphicsViewLink* link);

    // ---- Parameters by name ---------------------------------------------------------
    // The engine parameter's normalised value.
    virtual float getAdjustment(const std::string& name) = 0;
    // The value as the engine describes it ("On", a look's name, "0.52" ...).
    virtual std::string getAdjustmentString(const std::string& name) = 0;
    // Sets the engine parameter; the next display frame shows it.
    virtual void setAdjustment(const std::string& name, float value) = 0;
    // The value the last applied mode gave the parameter.
    virtual float getCachedAdjustment(const std::string& name) = 0;
    // Stores every value of the set except the excluded names (numbers as they are,
    // enumeration values by name); with `cache` the values are remembered as the applied
    // mode's (`getCachedAdjustment`).
    virtual void setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                const Modes::AdjustmentNameSet* excluded, bool cache) = 0;

    // ---- The applied mode -----------------------------------------------------------
    // The library name of the applied mode (empty for a mode without one): the brightness
    // and contrast master values choose the parameter they drive by it.
    virtual void setBrightnessContrastUniqueId(const std::string& uniqueId) = 0;
    virtual void setBrightnessRange(Modes::AdjustmentRange range) = 0;
    virtual void setContrastRange(Modes::AdjustmentRange range) = 0;

    // ---- Master values and the look strength ----------------------------------------
    virtual float brightness() = 0;
    virtual void setBrightness(float value) = 0;
    virtual float contrast() = 0;
    virtual void setContrast(float value) = 0;
    virtual float filmicStrength() = 0;
    virtual void setFilmicStrength(float value) = 0;
    virtual float noise() = 0;
    virtual void setNoise(float value) = 0;
    virtual float defaultNoise() = 0;
    virtual float vignette() = 0;
    virtual void setVignette(float value) = 0;
    // The master value as the applied mode left it (the view's cache of master values), or
    // the live value when the view holds no cache.
    virtual float getCachedMasterAdjustment(MasterAdjustment which) = 0;
    virtual float colorStrength() = 0;
    virtual void setColorStrength(float value) = 0;
    virtual float defaultColorStrength() = 0;
    // Whether noise reduction runs live while its slider moves (recent GPUs, except the
    // first iPad Air).
    virtual bool useRealtimeNoiseReduction() = 0;

    // ---- Drawing --------------------------------------------------------------------
    // Bracket a slider drag.
    virtual void adjustmentWillBeginChange() = 0;
    virtual void adjustmentWillFinishChange() = 0;
    // True while the view's display loop renders by itself.
    virtual bool isAnimating() = 0;
    // Renders the picture again, from the cached intermediate result when useCache is set.
    virtual void reconstructAndDrawView(bool useCache) = 0;
};
