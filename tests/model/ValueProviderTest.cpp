#include <gtest/gtest.h>

#include "platform/uikit/UIScreen.h"
#include "model/FakeGraphicsView.h"
#include "platform/foundation/NSRunLoop.h"
#include "model/GraphicsValueProvider.h"
#include "model/ValueProvider.h"
#include "modes/ModeLibrary.h"

namespace {

TEST(ValueProvider, StoresItsValueAndDefault) {
    auto provider = ValueProvider::valueProvider();
    EXPECT_FLOAT_EQ(provider->value(), 0.76f);
    EXPECT_FLOAT_EQ(provider->defaultValue(), 0.76f);
    provider->setValue(0.2f);
    provider->resetToDefaultValue();
    EXPECT_FLOAT_EQ(provider->value(), 0.76f);
    int calls = 0;
    provider->setValueWillBeginChangeBlock([&] { ++calls; });
    provider->valueWillBeginChange();
    provider->valueWillFinishChange();  // no block: nothing happens
    EXPECT_EQ(calls, 1);
}

TEST(ValueProvider, BlockProviderDefaultsToTheValueAtConstruction) {
    float stored = 0.3f;
    auto provider =
        BlockValueProvider::blockValueProviderWithGetBlock([&] { return stored; }, [&](float v) { stored = v; });
    provider->setValue(0.9f);
    EXPECT_FLOAT_EQ(stored, 0.9f);
    EXPECT_FLOAT_EQ(provider->value(), 0.9f);
    EXPECT_FLOAT_EQ(provider->defaultValue(), 0.3f);
    provider->resetToDefaultValue();
    EXPECT_FLOAT_EQ(stored, 0.3f);
}

class GraphicsValueProviderTest : public ::testing::Test {
protected:
    FakeGraphicsView view;
};

TEST_F(GraphicsValueProviderTest, NameBoundProviderDrivesTheEngineParameter) {
    struct Case {
        const char* name;
        bool useCache;
    };
    for (const Case& c : {Case{"CA Effect Strength", true}, Case{"NR Type", false}}) {
        SCOPED_TRACE(c.name);
        view.redraws.clear();
        view.values[c.name] = 0.4f;
        auto provider = GraphicsValueProvider::graphicsValueProviderWithName(c.name);
        EXPECT_EQ(provider->name(), c.name);
        EXPECT_FLOAT_EQ(provider->value(), 0.4f);
        provider->setValue(0.7f);
        EXPECT_FLOAT_EQ(view.values[c.name], 0.7f);
        view.settle();
        EXPECT_EQ(view.redraws, std::vector<bool>{c.useCache});
        EXPECT_FLOAT_EQ(provider->defaultValue(), 0.4f) << "the value read at construction";
    }
}

TEST_F(GraphicsValueProviderTest, DefaultFromTheMode) {
    view.values["CA Saturation Contrast Strength"] = 0.1f;
    auto provider = GraphicsValueProvider::graphicsValueProviderWithName("CA Saturation Contrast Strength", true);
    view.cached["CA Saturation Contrast Strength"] = 0.55f;
    EXPECT_FLOAT_EQ(provider->defaultValue(), 0.55f);
}

TEST_F(GraphicsValueProviderTest, NameBlockIsAskedAtEveryUse) {
    std::string name = "CA Exposure";
    auto provider = GraphicsValueProvider::graphicsValueProviderWithNameBlock([&] { return name; });
    name = "CA Temperature";
    provider->setValue(0.25f);
    EXPECT_FLOAT_EQ(view.values["CA Temperature"], 0.25f);
    EXPECT_EQ(view.values.count("CA Exposure"), 1u) << "read once, at construction";
}

TEST_F(GraphicsValueProviderTest, DragBracketsReachTheView) {
    float stored = 0;
    auto live =
        GraphicsValueProvider::graphicsValueProviderWithGetBlock([&] { return stored; }, [&](float v) { stored = v; });
    live->valueWillBeginChange();
    live->setValue(0.5f);
    live->valueWillFinishChange();
    view.settle();
    EXPECT_EQ(view.begins, 1);
    EXPECT_EQ(view.finishes, 1);
    EXPECT_EQ(view.redraws, std::vector<bool>{false});

    // A provider that does not redraw during a drag redraws once at its end.
    view.redraws.clear();
    auto atEnd = GraphicsValueProvider::graphicsValueProviderWithGetBlock(
        [&] { return stored; }, [&](float v) { stored = v; }, nullptr, true, false);
    atEnd->valueWillBeginChange();
    atEnd->setValue(0.1f);
    atEnd->setValue(0.2f);
    view.settle();
    EXPECT_TRUE(view.redraws.empty());
    atEnd->valueWillFinishChange();
    view.settle();
    EXPECT_EQ(view.redraws, std::vector<bool>{true});
}

TEST_F(GraphicsValueProviderTest, DelayedUpdatesChangeTheEngineWithoutRedrawing) {
    auto provider = GraphicsValueProvider::graphicsValueProviderWithName("CA Exposure");
    GraphicsTypeController::delayUpdates([&] {
        provider->setValue(0.8f);
        // A nested batch is counted: its end does not end the outer one.
        GraphicsTypeController::delayUpdates([&] { provider->setValue(0.9f); });
        EXPECT_TRUE(GraphicsTypeController::isDelayingUpdates());
        provider->setValue(0.6f);
        EXPECT_FALSE(GraphicsTypeController::hasPendingRedraw());
    });
    EXPECT_FLOAT_EQ(view.values["CA Exposure"], 0.6f);
    EXPECT_EQ(view.redraws, std::vector<bool>{false}) << "one immediate full redraw at the end";

    view.redraws.clear();
    GraphicsTypeController::delayUpdates([&] { provider->setValue(0.1f); }, false);
    view.settle();
    EXPECT_TRUE(view.redraws.empty()) << "the picture stays stale until the next request";
}

TEST_F(GraphicsValueProviderTest, NoRedrawWhileTheViewAnimates) {
    view.animating = true;
    GraphicsValueProvider::graphicsValueProviderWithName("CA Exposure")->setValue(0.3f);
    view.settle();
    EXPECT_TRUE(view.redraws.empty());
}

// During a drag the view is rebuilt at most once an interval, on the run loop's clock; the
// redraw of an interval uses the cache only when every request in it allowed that.
TEST_F(GraphicsValueProviderTest, RedrawsAreThrottledOnTheRunLoopClock) {
    const double interval = GraphicsTypeController::nonRealtimeUpdateRate();
    EXPECT_EQ(interval, double(0.05f)) << "this host counts as a recent GPU";
    auto cached = GraphicsValueProvider::graphicsValueProviderWithName("CA Exposure");
    auto full = GraphicsValueProvider::graphicsValueProviderWithName("NR Type");
    NSRunLoop& loop = NSRunLoop::mainRunLoop();

    struct Case {
        const char* what;
        std::vector<std::shared_ptr<GraphicsValueProvider>> requests;
        bool useCache;
    };
    const Case cases[] = {
        {"only cacheable changes", {cached, cached, cached}, true},
        {"a full rebuild first", {full, cached, cached}, false},
        {"a full rebuild last", {cached, cached, full}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.redraws.clear();
        const double start = loop.now();
        for (const auto& provider : c.requests) {
            provider->setValue(0.5f);
            loop.advance(interval / 4);
        }
        EXPECT_TRUE(view.redraws.empty()) << "nothing before the interval ends";
        loop.advanceTo(start + interval);
        EXPECT_EQ(view.redraws, std::vector<bool>{c.useCache}) << "one redraw for the whole interval";
        loop.advance(interval * 3);
        EXPECT_EQ(view.redraws.size(), 1u);
    }

    // The next request after a redraw opens a new interval.
    view.redraws.clear();
    cached->setValue(0.1f);
    loop.advance(interval);
    full->setValue(0.2f);
    loop.advance(interval);
    EXPECT_EQ(view.redraws, (std::vector<bool>{true, false}));
}

TEST_F(GraphicsValueProviderTest, ProviderWithoutANameBlockIsBoundToNothing) {
    for (bool fromMode : {false, true}) {
        view.values.clear();
        auto provider = GraphicsValueProvider::graphicsValueProviderWithNameBlock(nullptr, fromMode);
        EXPECT_EQ(provider->name(), "");
        EXPECT_FLOAT_EQ(provider->value(), 0.0f);
        EXPECT_FLOAT_EQ(provider->defaultValue(), 0.0f);
        EXPECT_NO_THROW(provider->setValue(0.3f));
    }
}

// The shorter pushing forms: a mode's set with exclusions and no cache, a plain set without
// exclusions; neither uses the cached redraw.
TEST_F(GraphicsValueProviderTest, ShortPushingForms) {
    CollectionObject mode;
    mode.setUniqueId("Fog 6");
    view.values["CA Exposure"] = 0.42f;
    const Modes::AdjustmentDictionary set = {{"CA Exposure", 0.9f}, {"CA Exponential Brightness Strength", 0.6f}};
    GraphicsTypeController::setAdjustments(set, &mode, &GraphicsTypeController::adjustmentsToExcludeFromModes(), true);
    EXPECT_EQ(view.uniqueId, "Fog 6");
    EXPECT_EQ(view.brightnessRange.minimum, 0.5f);
    EXPECT_TRUE(view.pushes.back().cache);
    EXPECT_FLOAT_EQ(view.values["CA Exposure"], 0.42f) << "a mode leaves the exposure alone";
    EXPECT_FLOAT_EQ(view.values["CA Exponential Brightness Strength"], 0.6f);
    view.settle();
    EXPECT_EQ(view.redraws, std::vector<bool>{false});

    view.redraws.clear();
    view.uniqueId = "(none pushed)";
    GraphicsTypeController::setAdjustments({{"CA Exposure", 0.1f}}, &mode, false);
    EXPECT_EQ(view.uniqueId, "(none pushed)") << "not a mode: no ranges";
    EXPECT_FALSE(view.pushes.back().cache);
    EXPECT_TRUE(view.pushes.back().excluded.empty());
    EXPECT_FLOAT_EQ(view.values["CA Exposure"], 0.1f);
    view.settle();
    EXPECT_EQ(view.redraws, std::vector<bool>{false}) << "cacheable, but this form never asks for the cache";
}

TEST(GraphicsTypeController, OlderGpusRedrawLessOften) {
    UIDeviceProfile profile = UIDeviceProfile::phone();
    profile.machine = "iPhone5,2";
    UIDeviceProfile::setCurrent(profile);
    EXPECT_EQ(GraphicsTypeController::nonRealtimeUpdateRate(), double(0.1f));
    UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    EXPECT_EQ(GraphicsTypeController::nonRealtimeUpdateRate(), double(0.05f));
}

TEST(GraphicsTypeController, NameLists) {
    EXPECT_EQ(GraphicsTypeController::adjustmentsToExcludeFromModes().size(), 27u);
    const std::vector<std::string>& cacheable = GraphicsTypeController::adjustmentsThatCanUseCache();
    ASSERT_EQ(cacheable.size(), 27u);
    EXPECT_EQ(cacheable[14], "CA Exponential Brightness Strength") << "in the order the list is documented";
    EXPECT_EQ(cacheable[19], "CA Vibrancy Strength");
    EXPECT_EQ(cacheable.back(), "CA Vignette Black On/Off");
    EXPECT_EQ(std::set<std::string>(cacheable.begin(), cacheable.end()).size(), 27u);
    for (const char* name : {"CA Temperature", "CA Tone Map", "CA Vignette End", "NR Type"})
        EXPECT_TRUE(GraphicsTypeController::adjustmentsToExcludeFromModes().count(name)) << name;
    EXPECT_TRUE(GraphicsTypeController::adjustmentsToExcludeFromModes().count("CA Exposure"));
    EXPECT_FALSE(GraphicsTypeController::adjustmentsToExcludeFromModes().count("CA Exponential Brightness Strength"));
    EXPECT_TRUE(GraphicsTypeController::adjustmentNamesCanUseCache({}));
    EXPECT_TRUE(GraphicsTypeController::adjustmentNamesCanUseCache({"CA Tone Map", "CA Photo Filter R"}));
    EXPECT_FALSE(GraphicsTypeController::adjustmentNamesCanUseCache({"CA Tone Map", "NR Type"}));
    EXPECT_TRUE(GraphicsTypeController::adjustmentsCanUseCache(Modes::AdjustmentDictionary{}));
    EXPECT_FALSE(GraphicsTypeController::adjustmentsCanUseCache(
        Modes::AdjustmentDictionary{{"CA Tone Map", std::string("Gotham")}, {"NR Type", 0.5f}}));
}

// Records what reaches the engine when a mode is selected, in order.
class RecordingTarget : public FakeGraphicsView {
public:
    std::vector<std::string> calls;
    const Modes::AdjustmentDictionary* applied = nullptr;
    const Modes::AdjustmentNameSet* excluded = nullptr;

    void setMode(const Modes::AdjustmentDictionary& set, const Modes::ModeSelection& selection,
                 const Modes::AdjustmentNameSet& ex) override {
        calls.push_back("id " + selection.uniqueId);
        const Modes::AdjustmentRange& b = selection.brightnessRange;
        calls.push_back("brightness " + std::to_string(b.minimum) + " " + std::to_string(b.maximum));
        const Modes::AdjustmentRange& c = selection.contrastRange;
        calls.push_back("contrast " + std::to_string(c.minimum) + " " + std::to_string(c.maximum));
        applied = &set;
        excluded = &ex;
        calls.push_back("apply cached");
    }
    void redraw(bool useCache) override { calls.push_back(useCache ? "redraw cached" : "redraw"); }
};

TEST(ModeSelection, SelectingSetsIdentifierAndRangesThenAppliesAndRedraws) {
    RecordingTarget target;
    const Modes::AdjustmentNameSet& kExcluded = GraphicsTypeController::adjustmentsToExcludeFromModes();
    const Modes::AdjustmentDictionary& set = Modes::ModeLibrary::modeWithName("LowLight3")->parameters();
    const Modes::ModeSelection selection{"LowLight3", {0.25f, 0.75f}, {0.0f, 1.0f}};

    GraphicsTypeController::selectMode(set, selection, kExcluded);
    target.settle();  // the redraw request is throttled
    EXPECT_EQ(target.calls, (std::vector<std::string>{"id LowLight3", "brightness 0.250000 0.750000",
                                                      "contrast 0.000000 1.000000", "apply cached", "redraw"}));
    ASSERT_NE(target.applied, nullptr);
    EXPECT_EQ(*target.applied, Modes::ModeLibrary::modeWithName("LowLight3")->parameters());
    EXPECT_EQ(target.excluded, &kExcluded);
}

}  // namespace
