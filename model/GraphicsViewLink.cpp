#include "model/GraphicsViewLink.h"

#include "model/DeviceUtility.h"

namespace {

class DetachedLink final : public GraphicsViewLink {
public:
    float getAdjustment(const std::string&) override { return 0; }
    std::string getAdjustmentString(const std::string&) override { return {}; }
    void setAdjustment(const std::string&, float) override {}
    float getCachedAdjustment(const std::string&) override { return 0; }
    void setAdjustments(const Modes::AdjustmentDictionary&, const Modes::AdjustmentNameSet*, bool) override {}
    void setBrightnessContrastUniqueId(const std::string&) override {}
    void setBrightnessRange(Modes::AdjustmentRange) override {}
    void setContrastRange(Modes::AdjustmentRange) override {}
    float brightness() override { return 0; }
    void setBrightness(float) override {}
    float contrast() override { return 0; }
    void setContrast(float) override {}
    float filmicStrength() override { return 0; }
    void setFilmicStrength(float) override {}
    float noise() override { return 0; }
    void setNoise(float) override {}
    float defaultNoise() override { return 0; }
    float vignette() override { return 0; }
    void setVignette(float) override {}
    float getCachedMasterAdjustment(MasterAdjustment) override { return 0; }
    float colorStrength() override { return 0; }
    void setColorStrength(float) override {}
    float defaultColorStrength() override { return 0; }
    bool useRealtimeNoiseReduction() override { return DeviceUtility::hasAXGPU() && !DeviceUtility::isIPadAir(); }
    void adjustmentWillBeginChange() override {}
    void adjustmentWillFinishChange() override {}
    bool isAnimating() override { return false; }
    void reconstructAndDrawView(bool) override {}
};

GraphicsViewLink* gLink = nullptr;

}  // namespace

GraphicsViewLink& GraphicsViewLink::shared() {
    static DetachedLink detached;
    return gLink ? *gLink : detached;
}

void GraphicsViewLink::setShared(GraphicsViewLink* link) { gLink = link; }
