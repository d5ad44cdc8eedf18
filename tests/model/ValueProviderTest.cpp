#include <gtest/gtest.h>

#include "model/FakeGraphicsView.h"
#include "model/ValueProvider.h"

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
    auto provider = BlockValueProvider::blockValueProviderWithGetBlock([&] { return stored; },
                                                                       [&](float v) { stored = v; });
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
    auto live = GraphicsValueProvider::graphicsValueProviderWithGetBlock([&] { return stored; },
                                                                         [&](float v) { stored = v; });
    live->valueWillBeginChange();
    live->setValue(0.5f);
    live->valueWillFinishChange();
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
    EXPECT_TRUE(view.redraws.empty());
    atEnd->valueWillFinishChange();
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
        EXPECT_TRUE(view.redraws.empty());
    });
    EXPECT_FLOAT_EQ(view.values["CA Exposure"], 0.6f);
    EXPECT_EQ(view.redraws, std::vector<bool>{false}) << "one immediate full redraw at the end";

    view.redraws.clear();
    GraphicsTypeController::delayUpdates([&] { provider->setValue(0.1f); }, false);
    EXPECT_TRUE(view.redraws.empty()) << "the picture stays stale until the next request";
}

TEST_F(GraphicsValueProviderTest, NoRedrawWhileTheViewAnimates) {
    view.animating = true;
    GraphicsValueProvider::graphicsValueProviderWithName("CA Exposure")->setValue(0.3f);
    EXPECT_TRUE(view.redraws.empty());
}

TEST_F(GraphicsValueProviderTest, DelayedRedrawGoesThroughTheScheduler) {
    std::vector<double> intervals;
    std::vector<std::function<void()>> pending;
    GraphicsTypeController::setDelayedRedrawScheduler([&](double interval, std::function<void()> redraw) {
        intervals.push_back(interval);
        pending.push_back(std::move(redraw));
    });
    GraphicsValueProvider::graphicsValueProviderWithName("CA Exposure")->setValue(0.3f);
    ASSERT_EQ(intervals.size(), 1u);
    EXPECT_EQ(intervals[0], double(0.05f)) << "this host counts as a recent GPU";
    EXPECT_TRUE(view.redraws.empty());
    pending[0]();
    EXPECT_EQ(view.redraws, std::vector<bool>{true});
}

TEST(GraphicsTypeController, NameLists) {
    EXPECT_EQ(GraphicsTypeController::adjustmentsToExcludeFromModes().size(), 27u);
    EXPECT_EQ(GraphicsTypeController::adjustmentsThatCanUseCache().size(), 27u);
    EXPECT_TRUE(GraphicsTypeController::adjustmentsToExcludeFromModes().count("CA Exposure"));
    EXPECT_FALSE(GraphicsTypeController::adjustmentsToExcludeFromModes().count("CA Exponential Brightness Strength"));
    EXPECT_TRUE(GraphicsTypeController::adjustmentsCanUseCache({}));
    EXPECT_TRUE(GraphicsTypeController::adjustmentsCanUseCache({"CA Tone Map", "CA Photo Filter R"}));
    EXPECT_FALSE(GraphicsTypeController::adjustmentsCanUseCache({"CA Tone Map", "NR Type"}));
}

}  // namespace
