#pragma once
// How the editing model and the mode library reach the render view without depending on it.
//
//   GraphicsViewModelLink::install();   // at start-up: GraphicsViewLink::shared() answers
//                                       // through GraphicsView::sharedInstance()
//
// Both adapters look the view up at call time, so they work before the view exists (reads
// answer 0, writes go nowhere) and follow a replaced view.
#include <functional>
#include <string>

#include "model/GraphicsViewLink.h"
#include "modes/ModeSelection.h"

class GraphicsView;

class GraphicsViewModelLink final : public GraphicsViewLink {
public:
    // Installs the process's link (idempotent).
    static void install();

    float getAdjustment(const std::string& name) override;
    std::string getAdjustmentString(const std::string& name) override;
    void setAdjustment(const std::string& name, float value) override;
    float getCachedAdjustment(const std::string& name) override;
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const Modes::AdjustmentNameSet* excluded,
                        bool cache) override;

    void setBrightnessContrastUniqueId(const std::string& uniqueId) override;
    void setBrightnessRange(Modes::AdjustmentRange range) override;
    void setContrastRange(Modes::AdjustmentRange range) override;

    float brightness() override;
    void setBrightness(float value) override;
    float contrast() override;
    void setContrast(float value) override;
    float filmicStrength() override;
    void setFilmicStrength(float value) override;
    float noise() override;
    void setNoise(float value) override;
    float defaultNoise() override;
    float vignette() override;
    void setVignette(float value) override;
    float getCachedMasterAdjustment(MasterAdjustment which) override;
    float colorStrength() override;
    void setColorStrength(float value) override;
    float defaultColorStrength() override;
    bool useRealtimeNoiseReduction() override;

    void adjustmentWillBeginChange() override;
    void adjustmentWillFinishChange() override;
    bool isAnimating() override;
    // useCache selects rendering from the kept intermediate result; otherwise the frame is
    // rendered fully and its intermediate result kept.
    void reconstructAndDrawView(bool useCache) override;
};

// Selecting a mode on the shared view. The redraw request belongs to the editing model (it is
// throttled there); without one given, the view redraws at once.
class GraphicsViewModeTarget final : public Modes::ModeSelectionTarget {
public:
    explicit GraphicsViewModeTarget(std::function<void(bool useCache)> redraw = {}) : redraw_(std::move(redraw)) {}

    void setBrightnessContrastUniqueId(const std::string& uniqueId) override;
    void setBrightnessRange(Modes::AdjustmentRange range) override;
    void setContrastRange(Modes::AdjustmentRange range) override;
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const Modes::AdjustmentNameSet* excluded,
                        bool cache) override;
    void updateGraphicsView(bool useCache) override;

private:
    GraphicsViewModelLink link_;
    std::function<void(bool)> redraw_;
};
