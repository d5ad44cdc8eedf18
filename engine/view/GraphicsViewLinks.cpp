#include "engine/view/GraphicsViewLinks.h"

#include <type_traits>

#include "engine/view/GraphicsView.h"

namespace {

// Calls `f` on the shared view; without one, answers a value-initialised result (0, false,
// empty) or does nothing.
template <class F>
auto OnView(F&& f) {
    using R = std::invoke_result_t<F, GraphicsView&>;
    GraphicsView* view = GraphicsView::sharedInstance();
    if constexpr (std::is_void_v<R>) {
        if (view) f(*view);
    } else {
        return view ? f(*view) : R();
    }
}

int32_t RedrawState(bool useCache) {
    return useCache ? GraphicsView::kUseCachedTexture : GraphicsView::kCacheTexture;
}

}  // namespace

void GraphicsViewModelLink::install() {
    static GraphicsViewModelLink link;
    GraphicsViewLink::setShared(&link);
}

float GraphicsViewModelLink::getAdjustment(const std::string& name) {
    return OnView([&](GraphicsView& v) { return v.getAdjustment(name); });
}
std::string GraphicsViewModelLink::getAdjustmentString(const std::string& name) {
    return OnView([&](GraphicsView& v) { return v.getAdjustmentString(name); });
}
void GraphicsViewModelLink::setAdjustment(const std::string& name, float value) {
    OnView([&](GraphicsView& v) { v.setAdjustment(name, value); });
}
float GraphicsViewModelLink::getCachedAdjustment(const std::string& name) {
    return OnView([&](GraphicsView& v) { return v.getCachedAdjustment(name); });
}
void GraphicsViewModelLink::setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                           const Modes::AdjustmentNameSet* excluded, bool cache) {
    OnView([&](GraphicsView& v) { v.setAdjustments(adjustments, excluded, cache); });
}

void GraphicsViewModelLink::setBrightnessContrastUniqueId(const std::string& uniqueId) {
    OnView([&](GraphicsView& v) { v.setBrightnessContrastUniqueId(uniqueId); });
}
void GraphicsViewModelLink::setBrightnessRange(Modes::AdjustmentRange range) {
    OnView([&](GraphicsView& v) { v.setBrightnessRange(range); });
}
void GraphicsViewModelLink::setContrastRange(Modes::AdjustmentRange range) {
    OnView([&](GraphicsView& v) { v.setContrastRange(range); });
}

float GraphicsViewModelLink::brightness() {
    return OnView([](GraphicsView& v) { return v.brightness(); });
}
void GraphicsViewModelLink::setBrightness(float value) {
    OnView([&](GraphicsView& v) { v.setBrightness(value); });
}
float GraphicsViewModelLink::contrast() {
    return OnView([](GraphicsView& v) { return v.contrast(); });
}
void GraphicsViewModelLink::setContrast(float value) {
    OnView([&](GraphicsView& v) { v.setContrast(value); });
}
float GraphicsViewModelLink::filmicStrength() {
    return OnView([](GraphicsView& v) { return v.filmicStrength(); });
}
void GraphicsViewModelLink::setFilmicStrength(float value) {
    OnView([&](GraphicsView& v) { v.setFilmicStrength(value); });
}
float GraphicsViewModelLink::noise() {
    return OnView([](GraphicsView& v) { return v.noise(); });
}
void GraphicsViewModelLink::setNoise(float value) {
    OnView([&](GraphicsView& v) { v.setNoise(value); });
}
float GraphicsViewModelLink::defaultNoise() {
    return OnView([](GraphicsView& v) { return v.defaultNoise(); });
}
float GraphicsViewModelLink::vignette() {
    return OnView([](GraphicsView& v) { return v.vignette(); });
}
void GraphicsViewModelLink::setVignette(float value) {
    OnView([&](GraphicsView& v) { v.setVignette(value); });
}
float GraphicsViewModelLink::getCachedMasterAdjustment(MasterAdjustment which) {
    GraphicsView::MasterGetter getter = &GraphicsView::brightness;
    if (which == MasterAdjustment::Contrast) getter = &GraphicsView::contrast;
    if (which == MasterAdjustment::FilmicStrength) getter = &GraphicsView::filmicStrength;
    return OnView([&](GraphicsView& v) { return v.getCachedMasterAdjustment(getter); });
}
float GraphicsViewModelLink::colorStrength() {
    return OnView([](GraphicsView& v) { return v.colorStrength(); });
}
void GraphicsViewModelLink::setColorStrength(float value) {
    OnView([&](GraphicsView& v) { v.setColorStrength(value); });
}
float GraphicsViewModelLink::defaultColorStrength() {
    return OnView([](GraphicsView& v) { return v.defaultColorStrength(); });
}
bool GraphicsViewModelLink::useRealtimeNoiseReduction() { return GraphicsView::useRealtimeNoiseReduction(); }

void GraphicsViewModelLink::adjustmentWillBeginChange() {
    OnView([](GraphicsView& v) { v.adjustmentWillBeginChange(); });
}
void GraphicsViewModelLink::adjustmentWillFinishChange() {
    OnView([](GraphicsView& v) { v.adjustmentWillFinishChange(); });
}
bool GraphicsViewModelLink::isAnimating() {
    return OnView([](GraphicsView& v) { return v.isAnimating(); });
}
void GraphicsViewModelLink::reconstructAndDrawView(bool useCache) {
    OnView([&](GraphicsView& v) { v.reconstructAndDrawView(RedrawState(useCache)); });
}

// The mode target says what the model link says; only the redraw may go elsewhere.
void GraphicsViewModeTarget::setBrightnessContrastUniqueId(const std::string& uniqueId) {
    link_.setBrightnessContrastUniqueId(uniqueId);
}
void GraphicsViewModeTarget::setBrightnessRange(Modes::AdjustmentRange range) { link_.setBrightnessRange(range); }
void GraphicsViewModeTarget::setContrastRange(Modes::AdjustmentRange range) { link_.setContrastRange(range); }
void GraphicsViewModeTarget::setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                                            const Modes::AdjustmentNameSet* excluded, bool cache) {
    link_.setAdjustments(adjustments, excluded, cache);
}
void GraphicsViewModeTarget::updateGraphicsView(bool useCache) {
    if (redraw_)
        redraw_(useCache);
    else
        link_.reconstructAndDrawView(useCache);
}
