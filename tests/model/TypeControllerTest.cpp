#include <gtest/gtest.h>

#include "model/ConfigHome.h"
#include "model/FakeGraphicsView.h"
#include "model/State.h"
#include "model/Type.h"
#include "modes/ModeLibrary.h"

namespace {

// The program's lists built from the catalogues, against a stand-in render view.
class ProgramListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TypeConstants::sharedInstance() = TypeConstants();
        lists = std::make_unique<TypeController>("Normal 1");
    }
    void TearDown() override { TypeConstants::sharedInstance() = TypeConstants(); }

    // Everything the render view was told, which is what it draws from.
    struct EngineState {
        std::map<std::string, float> values;
        std::map<std::string, std::string> strings;
        std::map<std::string, float> masters;
        std::string uniqueId;
        float brightnessRange[2], contrastRange[2];
        friend bool operator==(const EngineState&, const EngineState&) = default;
    };
    EngineState engine() const {
        return {view.values,
                view.strings,
                view.masters,
                view.uniqueId,
                {view.brightnessRange.minimum, view.brightnessRange.maximum},
                {view.contrastRange.minimum, view.contrastRange.maximum}};
    }

    FakeGraphicsView view;
    std::unique_ptr<TypeController> lists;
};

TEST_F(ProgramListsTest, StartWithTheFirstLookTheDefaultModeAndTheFirstAdjustment) {
    // "Normal 1" names no mode: the first mode is chosen.
    EXPECT_EQ(lists->modeType().selectedObject()->name(), "Enhance 1");
    EXPECT_EQ(lists->colorType().selectedObject(), TypeController::offColorObject().get());
    EXPECT_EQ(lists->adjustType().selectedObject()->name(), "Brightness");

    // The selections were applied.
    EXPECT_EQ(view.uniqueId, "") << "Enhance 1 carries no unique id";
    EXPECT_EQ(view.brightnessRange.maximum, 1.0f);
    EXPECT_EQ(view.strings["CA Tone Map"], "None");
    bool modePushed = false;
    for (const auto& push : view.pushes)
        if (push.cache)
            modePushed = push.adjustments == Modes::ModeLibrary::modeWithName("Norm Ppr Lab Alt")->parameters();
    EXPECT_TRUE(modePushed);

    EXPECT_EQ(lists->modeType().color(), lists->modeType().selectedObject()->color());
    EXPECT_EQ(lists->adjustType().color(), CGColorCreateGenericGray(1.0 / 3.0, 1));
    EXPECT_EQ(lists->typeForTypeSelection(1), &lists->colorType());
    EXPECT_EQ(lists->typeForTypeSelection(4), nullptr);
}

TEST_F(ProgramListsTest, NamedDefaultModeIsSelected) {
    TypeController fog("Fog 2");
    EXPECT_EQ(fog.modeType().selectedObject()->name(), "Fog 2");
    EXPECT_EQ(view.uniqueId, "Fog 6");
    EXPECT_EQ(view.brightnessRange.minimum, 0.5f);
    EXPECT_EQ(view.contrastRange.maximum, 0.09f);
}

TEST_F(ProgramListsTest, ChoosingAModePushesItAndItsValueMovesTheEngine) {
    Type& modes = lists->modeType();
    CollectionObject* lowLight = modes.objectWithName("Low Light 3");
    const std::size_t before = view.pushes.size();
    lowLight->selectionChanged(true);  // a tap
    ASSERT_EQ(view.pushes.size(), before + 1);
    EXPECT_EQ(modes.selectedObject(), lowLight);
    EXPECT_EQ(view.uniqueId, "LowLightD");
    EXPECT_EQ(view.brightnessRange.maximum, 0.52f);
    EXPECT_EQ(view.contrastRange.maximum, 0.8f);
    EXPECT_EQ(view.pushes.back().adjustments, Modes::ModeLibrary::modeWithName("LowLightD")->parameters());

    // Tapping it again reports the selection but does not apply it again.
    int reselections = 0;
    modes.selectedObjectSelected = [&](bool) { ++reselections; };
    lowLight->selectionChanged(true);
    EXPECT_EQ(view.pushes.size(), before + 1);
    EXPECT_EQ(reselections, 1);

    // The strength slider moves "CA Effect Strength", redrawn from the cache.
    view.settle();
    view.redraws.clear();
    modes.valueWillBeginChange();
    modes.setValue(0.3f);
    modes.setValue(0.35f);
    modes.valueWillFinishChange();
    EXPECT_FLOAT_EQ(view.values["CA Effect Strength"], 0.35f);
    EXPECT_FLOAT_EQ(modes.value(), 0.35f);
    view.settle();
    EXPECT_EQ(view.redraws, std::vector<bool>{true});
    EXPECT_EQ(view.begins, 1);
    EXPECT_EQ(view.finishes, 1);

    // The look strength and the adjustments have their own values.
    lists->colorType().setValue(0.6f);
    EXPECT_FLOAT_EQ(view.masters["colorStrength"], 0.6f);
    EXPECT_FLOAT_EQ(lists->colorType().defaultValue(), 0.8f);
    lists->adjustType().setValue(0.45f);
    EXPECT_FLOAT_EQ(view.masters["brightness"], 0.45f);
    EXPECT_FLOAT_EQ(lists->adjustType().selectedObject()->value(), 0.45f);
}

TEST_F(ProgramListsTest, ArchivedStateRestoresTheSameEngineState) {
    lists->modeType().setSelectedObject(lists->modeType().objectWithName("Low Light 3"));
    lists->modeType().setValue(0.3f);
    Type& colors = lists->colorType();
    colors.setSelectedObject(TypeController::customColorObject().get());
    colors.performSelectedObjectUpdates([](CollectionObject* item) { item->setColor(CGColorMake(0.2, 0.6, 0.9, 1)); });
    colors.setValue(0.7f);
    lists->adjustType().objectWithName("Vignette")->setValue(0.9f);
    lists->adjustType().objectWithName("Shadows")->setValue(0.15f);
    TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = CGRectMake(0.1, 0.1, 0.5, 0.5);
    const State taken = State::currentState(*lists);
    const EngineState rendered = engine();
    const std::string archive = taken.data();

    // Elsewhere: other choices, then the photo is opened again into the program's lists.
    lists->modeType().setSelectedObject(lists->modeType().objectWithName("Fog 1"));
    colors.setSelectedObject(colors.objectWithName("Darks 4"));
    lists->adjustType().objectWithName("Vignette")->setValue(0.1f);
    TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = CGRectZero;
    TypeController fresh("Normal 1");
    ASSERT_NE(engine(), rendered);

    std::string error;
    std::optional<State> decoded = State::stateFromData(archive, &error);
    ASSERT_TRUE(decoded) << error;
    view.redraws.clear();
    decoded->restore(fresh, true, false);
    EXPECT_EQ(engine(), rendered);
    EXPECT_EQ(State::currentState(fresh), taken);
    EXPECT_EQ(view.redraws, std::vector<bool>{false}) << "one full redraw after the restore";
    EXPECT_EQ(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect, CGRectMake(0.1, 0.1, 0.5, 0.5));
}

class SharedListsTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        TypeController::installSharedInstance(nullptr);
    }
    void TearDown() override {
        TypeController::installSharedInstance(nullptr);
        ConfigHomeTest::TearDown();
    }
    FakeGraphicsView view;
};

TEST_F(SharedListsTest, BuiltOnFirstUseWithTheDefaultStateKept) {
    EXPECT_EQ(TypeController::existingInstance(), nullptr);
    TypeController& shared = TypeController::sharedInstance();
    EXPECT_EQ(&shared, &TypeController::sharedInstance());
    EXPECT_EQ(TypeController::existingInstance(), &shared);
    const State* initial = StateController::sharedInstance().namedState(kNamedStateDefault);
    ASSERT_NE(initial, nullptr);
    EXPECT_EQ(*initial, State::currentState());
    ASSERT_TRUE(initial->selectedModeObject);
    EXPECT_EQ(initial->selectedModeObject->name, "Enhance 1");
    EXPECT_EQ(initial->adjustmentObjects.size(), 10u) << "Reset and Crop are actions";
}

}  // namespace
