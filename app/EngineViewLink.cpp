#include "app/EngineViewLink.h"

#include <cmath>

#include "engine/AmbrelGraphicsController.h"

namespace {

// Sets a mode's values on the engine, numbers as they are and enumeration values by name.
class EngineSink : public Modes::AdjustmentSink {
public:
    EngineSink(AmbrelGraphicsController& engine, std::map<std::string, float, std::less<>>* cache)
        : engine_(engine), cache_(cache)
    {
    }
    void setAdjustment(std::string_view name, float value) override
    {
        const std::string key(name);
        engine_.SetAdjustment(key, true, value);
        if (cache_)
            (*cache_)[key] = engine_.GetAdjustment(key);
    }
    float adjustmentValueFromString(std::string_view name, std::string_view valueName) override
    {
        return AmbrelGraphicsController::AdjustmentValueFromString(std::string(name), std::string(valueName));
    }

private:
    AmbrelGraphicsController& engine_;
    std::map<std::string, float, std::less<>>* cache_;
};

} // namespace

EngineViewLink::EngineViewLink(AmbrelGraphicsController& engine) : engine_(engine)
{
    for (const auto& [name, categories] : AmbrelGraphicsController::AdjustmentCategories()) {
        const float value = engine_.GetAdjustment(name);
        if (!std::isnan(value))
            defaults_.push_back({name, value});
    }
}

float EngineViewLink::getAdjustment(const std::string& name) { return engine_.GetAdjustment(name); }

std::string EngineViewLink::getAdjustmentString(const std::string& name)
{
    return AmbrelGraphicsController::AdjustmentValueDescription(name, engine_.GetAdjustment(name));
}

void EngineViewLink::setAdjustment(const std::string& name, float value) { engine_.SetAdjustment(name, true, value); }

float EngineViewLink::getCachedAdjustment(const std::string& name)
{
    const auto found = cached_.find(name);
    return found != cached_.end() ? found->second : engine_.GetAdjustment(name);
}

void EngineViewLink::setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                    const Modes::AdjustmentNameSet* excluded, bool cache)
{
    if (cache)
        cached_.clear();
    EngineSink sink(engine_, cache ? &cached_ : nullptr);
    Modes::applyAdjustments(adjustments, excluded, defaults_, sink);
}

float EngineViewLink::brightness() { return engine_.GetBrightness(brightnessRange_, uniqueId_); }
void EngineViewLink::setBrightness(float value) { engine_.SetBrightness(value, true, brightnessRange_, uniqueId_); }
float EngineViewLink::contrast() { return engine_.GetContrast(contrastRange_, uniqueId_); }
void EngineViewLink::setContrast(float value) { engine_.SetContrast(value, true, contrastRange_, uniqueId_); }
float EngineViewLink::filmicStrength() { return engine_.GetFilmicStrength(); }
void EngineViewLink::setFilmicStrength(float value) { engine_.SetFilmicStrength(value, true); }
float EngineViewLink::noise() { return engine_.GetNoise(); }
void EngineViewLink::setNoise(float value) { engine_.SetNoise(value, true); }
float EngineViewLink::defaultNoise() { return AmbrelGraphicsController::GetDefaultNoise(); }
float EngineViewLink::vignette() { return engine_.GetVignette(); }
void EngineViewLink::setVignette(float value) { engine_.SetVignette(value, true); }
float EngineViewLink::colorStrength() { return engine_.GetColorStrength(); }
void EngineViewLink::setColorStrength(float value) { engine_.SetColorStrength(value, true); }
float EngineViewLink::defaultColorStrength() { return engine_.GetDefaultColorStrength(); }

float EngineViewLink::getCachedMasterAdjustment(MasterAdjustment which)
{
    switch (which) {
    case MasterAdjustment::Brightness: return brightness();
    case MasterAdjustment::Contrast: return contrast();
    case MasterAdjustment::FilmicStrength: return filmicStrength();
    }
    return 0.0f;
}
