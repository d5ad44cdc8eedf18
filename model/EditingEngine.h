#pragma once
// The engine as the editing model drives it: the one interface the model needs of the render
// view (GraphicsView implements it; the application hands it to the model at start-up through
// GraphicsTypeController::setEngine). Parameters by name, a mode's parameter set with its
// identity and ranges, a look's set, the master values the adjustment list moves, the
// brackets of a slider drag, and the redraw.
#include <string>

#include "modes/AdjustmentDictionary.h"
#include "modes/ModeSelection.h"

class EditingEngine {
public:
    // The master values the adjustment list moves. Brightness, contrast and filmic strength
    // default to the value the applied mode left them at, noise and colour strength to the
    // engine's own default.
    enum class Master { Brightness, Contrast, FilmicStrength, Noise, Vignette, ColorStrength };

    virtual ~EditingEngine() = default;

    // ---- Parameters by name ---------------------------------------------------------------
    // The normalised value (0 for a name that is not a parameter).
    virtual float getAdjustment(const std::string& name) = 0;
    // The value as the engine describes it ("On", a look's name, "0.52" ...).
    virtual std::string getAdjustmentString(const std::string& name) = 0;
    // Sets the parameter; the next display frame shows it.
    virtual void setAdjustment(const std::string& name, float value) = 0;
    // The value the last applied mode gave the parameter (0 when it gave none).
    virtual float getCachedAdjustment(const std::string& name) = 0;

    // ---- Parameter sets -------------------------------------------------------------------
    // A mode: its identity and brightness and contrast ranges, then its set, every other
    // parameter outside `excluded` back at its default; the values are remembered as the
    // mode's (getCachedAdjustment, masterDefault).
    virtual void setMode(const Modes::AdjustmentDictionary& adjustments, const Modes::ModeSelection& selection,
                         const Modes::AdjustmentNameSet& excluded) = 0;
    // A look's or an adjustment's set: only the named parameters outside `excluded` change
    // (numbers as they are, enumeration values by name); with no excluded set, nothing else.
    virtual void setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                const Modes::AdjustmentNameSet* excluded) = 0;

    // ---- Master values --------------------------------------------------------------------
    virtual float master(Master which) = 0;
    virtual void setMaster(Master which, float value) = 0;
    // What the master's slider returns to (see Master).
    virtual float masterDefault(Master which) = 0;
    // Whether noise reduction runs live while its slider moves (recent GPUs).
    virtual bool realtimeNoiseReductionAvailable() const = 0;

    // ---- Drawing --------------------------------------------------------------------------
    // Bracket a slider drag: cheaper noise reduction while it lasts, in photo editing.
    virtual void adjustmentWillBeginChange() = 0;
    virtual void adjustmentWillFinishChange() = 0;
    // True while the view's display loop renders by itself.
    virtual bool isAnimating() const = 0;
    // Renders the picture again: from the cached intermediate result with useCache, otherwise
    // fully, keeping the intermediate result.
    virtual void redraw(bool useCache) = 0;
};
