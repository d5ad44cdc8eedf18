#pragma once
// The editing model's way into an engine that no view hosts: what selecting a mode or moving
// an adjustment asks of the render view is done on the engine directly. Redraw requests are
// dropped; the owner renders when it is ready.
#include <map>
#include <string>
#include <vector>

#include "model/GraphicsViewLink.h"
#include "modes/ModeSelection.h"

class AmbrelGraphicsController;

class EngineViewLink : public GraphicsViewLink {
public:
    // The engine's current values are taken as the defaults a mode's set returns the
    // parameters it leaves out to; make the link before changing any.
    explicit EngineViewLink(AmbrelGraphicsController& engine);

    float getAdjustment(const std::string& name) override;
    std::string getAdjustmentString(const std::string& name) override;
    void setAdjustment(const std::string& name, float value) override;
    float getCachedAdjustment(const std::string& name) override;
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const Modes::AdjustmentNameSet* excluded,
                        bool cache) override;

    void setBrightnessContrastUniqueId(const std::string& uniqueId) override { uniqueId_ = uniqueId; }
    void setBrightnessRange(Modes::AdjustmentRange range) override { brightnessRange_ = range; }
    void setContrastRange(Modes::AdjustmentRange range) override { contrastRange_ = range; }

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
    bool useRealtimeNoiseReduction() override { return true; }

    void adjustmentWillBeginChange() override {}
    void adjustmentWillFinishChange() override {}
    bool isAnimating() override { return false; }
    void reconstructAndDrawView(bool) override {}

private:
    AmbrelGraphicsController& engine_;
    std::vector<Modes::AdjustmentDefault> defaults_;
    std::map<std::string, float, std::less<>> cached_;
    std::string uniqueId_;
    Modes::AdjustmentRange brightnessRange_{0, 1};
    Modes::AdjustmentRange contrastRange_{0, 1};
};
