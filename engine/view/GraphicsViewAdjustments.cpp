// The engine's parameters by name: single values, defaults, whole parameter sets, the cache of
// what a set changed, the master values, and the noise reduction used while a value is dragged.
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "model/DeviceUtility.h"

namespace {

// Shared by every view and made once: the engine's values before the first named change.
struct AdjustmentDefaults {
    bool initialized = false;
    std::vector<Modes::AdjustmentDefault> list;  // in the order of the engine's category list
    std::map<std::string, float> dictionary;
};

AdjustmentDefaults& Defaults() {
    static AdjustmentDefaults defaults;
    return defaults;
}

struct AdjustmentCache {
    bool caching = false;
    std::map<std::string, float> values;
    std::optional<std::map<std::string, float>> masters;  // absent until the first cacheMasterAdjustments
};

AdjustmentCache& Cache() {
    static AdjustmentCache cache;
    return cache;
}

float ValueOr0(const std::map<std::string, float>& map, const std::string& key) {
    auto it = map.find(key);
    return it == map.end() ? 0.0f : it->second;
}

// The engine answers NaN for a name it does not know; callers read such a name as 0.
float Finite(float value) { return std::isnan(value) ? 0.0f : value; }

// The engine's number for a write of a parameter set: a number as it is, an enumeration
// value's name converted.
float EngineValue(const Modes::AdjustmentWrite& write) {
    if (const float* number = std::get_if<float>(&write.value)) return *number;
    return AmbrelGraphicsController::AdjustmentValueFromString(write.name, std::get<std::string>(write.value));
}

}  // namespace

// ---- Single parameters ------------------------------------------------------------------------

float GraphicsView::getAdjustment(const std::string& name) {
    ensureAdjustmentDefaultsAreInitialized();
    return graphicsController_ ? Finite(engine()->GetAdjustment(name)) : 0.0f;
}

std::string GraphicsView::getAdjustmentString(const std::string& name) {
    return adjustmentValueDescription(name, getAdjustment(name));
}

std::string GraphicsView::adjustmentValueDescription(const std::string& name, float value) {
    return AmbrelGraphicsController::AdjustmentValueDescription(name, value);
}

void GraphicsView::setAdjustment(const std::string& name, float value, bool reconstructOutput) {
    ensureAdjustmentDefaultsAreInitialized();
    AdjustmentCache& cache = Cache();
    if (cache.caching) cache.values[name] = value;
    if (graphicsController_) engine()->SetAdjustment(name, reconstructOutput, value);
    if (testAdjustmentsPanel()) testAdjustmentShowValue(name);
}

// ---- Defaults ---------------------------------------------------------------------------------

void GraphicsView::ensureAdjustmentDefaultsAreInitialized() {
    AdjustmentDefaults& defaults = Defaults();
    if (defaults.initialized || !graphicsController_) return;
    defaults.initialized = true;
    for (const auto& [name, categories] : AmbrelGraphicsController::AdjustmentCategories()) {
        const float value = Finite(engine()->GetAdjustment(name));
        defaults.list.push_back({name, value});
        defaults.dictionary[name] = value;
    }
}

const std::map<std::string, float>& GraphicsView::defaultAdjustmentsDictionary() {
    ensureAdjustmentDefaultsAreInitialized();
    return Defaults().dictionary;
}

float GraphicsView::getAdjustmentDefault(const std::string& name) {
    return ValueOr0(defaultAdjustmentsDictionary(), name);
}

void GraphicsView::setAdjustmentDefault(const std::string& name) {
    const std::map<std::string, float>& defaults = defaultAdjustmentsDictionary();
    auto it = defaults.find(name);
    if (it != defaults.end()) setAdjustment(name, it->second, true);
}

void GraphicsView::setAdjustmentDefaults() { setAdjustmentDefaultsExcludingAdjustments({}); }

void GraphicsView::setAdjustmentDefaultsExcludingAdjustments(const Modes::AdjustmentNameSet& excluded) {
    ensureAdjustmentDefaultsAreInitialized();
    for (const Modes::AdjustmentDefault& row : Defaults().list)
        if (!excluded.contains(row.name)) setAdjustment(row.name, row.value, true);
}

// ---- Parameter sets ---------------------------------------------------------------------------

void GraphicsView::setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                  const Modes::AdjustmentNameSet* excluded, bool cache) {
    ensureAdjustmentDefaultsAreInitialized();
    if (cache) beginCachingAdjustments();
    // Each value goes through setAdjustment, so that the cache sees it, with the output
    // reconstructed.
    for (const Modes::AdjustmentWrite& write : Modes::adjustmentWrites(adjustments, excluded, Defaults().list))
        setAdjustment(write.name, EngineValue(write), true);
    if (cache) {
        endCachingAdjustments();
        cacheMasterAdjustments();
    }
}

// ---- Caching ----------------------------------------------------------------------------------

void GraphicsView::beginCachingAdjustments() {
    Cache().caching = true;
    Cache().values.clear();
}

const std::map<std::string, float>& GraphicsView::endCachingAdjustments() {
    Cache().caching = false;
    return Cache().values;
}

const std::map<std::string, float>& GraphicsView::cachedAdjustmentsDictionary() { return Cache().values; }

float GraphicsView::getCachedAdjustment(const std::string& name) { return ValueOr0(Cache().values, name); }

void GraphicsView::cacheMasterAdjustments() {
    Cache().masters = std::map<std::string, float>{
        {"contrast", contrast()}, {"brightness", brightness()}, {"filmicStrength", filmicStrength()}};
}

float GraphicsView::getCachedMasterAdjustment(MasterGetter getter) {
    if (!getter) return 0.0f;
    const std::optional<std::map<std::string, float>>& masters = Cache().masters;
    if (!masters) return (this->*getter)();
    if (getter == &GraphicsView::contrast) return ValueOr0(*masters, "contrast");
    if (getter == &GraphicsView::brightness) return ValueOr0(*masters, "brightness");
    if (getter == &GraphicsView::filmicStrength) return ValueOr0(*masters, "filmicStrength");
    return 0.0f;
}

// ---- Master values ----------------------------------------------------------------------------

namespace {
sValueRange EngineRange(const AdjustmentRange& range) { return {range.minimum, range.maximum}; }
}  // namespace

void GraphicsView::setBrightness(float value) {
    if (graphicsController_)
        engine()->SetBrightness(value, true, EngineRange(brightnessRange_), brightnessContrastUniqueId_);
}

float GraphicsView::brightness() const {
    return graphicsController_ ? engine()->GetBrightness(EngineRange(brightnessRange_), brightnessContrastUniqueId_)
                               : 0.0f;
}

void GraphicsView::setContrast(float value) {
    if (graphicsController_)
        engine()->SetContrast(value, true, EngineRange(contrastRange_), brightnessContrastUniqueId_);
}

float GraphicsView::contrast() const {
    return graphicsController_ ? engine()->GetContrast(EngineRange(contrastRange_), brightnessContrastUniqueId_) : 0.0f;
}

void GraphicsView::setVignette(float value) {
    if (graphicsController_) engine()->SetVignette(value, true);
}

float GraphicsView::vignette() const { return graphicsController_ ? engine()->GetVignette() : 0.0f; }

void GraphicsView::setNoise(float value) {
    if (graphicsController_) engine()->SetNoise(value, true);
}

float GraphicsView::noise() const { return graphicsController_ ? engine()->GetNoise() : 0.0f; }

float GraphicsView::defaultNoise() const { return AmbrelGraphicsController::GetDefaultNoise(); }

void GraphicsView::setColorStrength(float value) {
    if (graphicsController_) engine()->SetColorStrength(value, true);
}

float GraphicsView::colorStrength() const { return graphicsController_ ? engine()->GetColorStrength() : 0.0f; }

float GraphicsView::defaultColorStrength() const {
    return graphicsController_ ? engine()->GetDefaultColorStrength() : 0.0f;
}

void GraphicsView::setFilmicStrength(float value) {
    if (graphicsController_) engine()->SetFilmicStrength(value, true);
}

float GraphicsView::filmicStrength() const { return graphicsController_ ? engine()->GetFilmicStrength() : 0.0f; }

// ---- Live changes -----------------------------------------------------------------------------

bool GraphicsView::useRealtimeNoiseReduction() {
    static const bool answer = DeviceUtility::hasAXGPU() && !DeviceUtility::isIPadAir();
    return answer;
}

void GraphicsView::adjustmentWillBeginChange() {
    if (!animating_ && graphicsController_)
        engine()->SetAdjustment("NR On/Off", false, useRealtimeNoiseReduction() ? 1.0f : 0.0f);
}

void GraphicsView::adjustmentWillFinishChange() {
    if (!animating_ && graphicsController_)
        engine()->SetAdjustment("NR On/Off", false, useNonRealtimeNoiseReduction() ? 1.0f : 0.0f);
}

// ---- The editing model's engine ---------------------------------------------------------------

void GraphicsView::setMode(const Modes::AdjustmentDictionary& adjustments, const Modes::ModeSelection& selection,
                           const Modes::AdjustmentNameSet& excluded) {
    setBrightnessContrastUniqueId(selection.uniqueId);
    setBrightnessRange(selection.brightnessRange);
    setContrastRange(selection.contrastRange);
    setAdjustments(adjustments, &excluded, true);
}

float GraphicsView::master(Master which) {
    switch (which) {
    case Master::Brightness: return brightness();
    case Master::Contrast: return contrast();
    case Master::FilmicStrength: return filmicStrength();
    case Master::Noise: return noise();
    case Master::Vignette: return vignette();
    case Master::ColorStrength: return colorStrength();
    }
    return 0.0f;
}

void GraphicsView::setMaster(Master which, float value) {
    switch (which) {
    case Master::Brightness: return setBrightness(value);
    case Master::Contrast: return setContrast(value);
    case Master::FilmicStrength: return setFilmicStrength(value);
    case Master::Noise: return setNoise(value);
    case Master::Vignette: return setVignette(value);
    case Master::ColorStrength: return setColorStrength(value);
    }
}

float GraphicsView::masterDefault(Master which) {
    switch (which) {
    case Master::Brightness: return getCachedMasterAdjustment(&GraphicsView::brightness);
    case Master::Contrast: return getCachedMasterAdjustment(&GraphicsView::contrast);
    case Master::FilmicStrength: return getCachedMasterAdjustment(&GraphicsView::filmicStrength);
    case Master::Noise: return defaultNoise();
    case Master::ColorStrength: return defaultColorStrength();
    case Master::Vignette: break;  // the vignette has no default of its own
    }
    return master(which);
}

void GraphicsView::redraw(bool useCache) { reconstructAndDrawView(useCache ? kUseCachedTexture : kCacheTexture); }
