#include <gtest/gtest.h>

#include "model/SmallLists.h"
#include "model/State.h"

namespace {

class StateTest : public ::testing::Test {
protected:
    // Moves every part of the editing state away from where the lists start.
    void edit() {
        lists.modes().setSelectedObject(lists.modes().objectWithName("Low Light 1"));
        lists.modes().setValue(0.25f);
        lists.colors().setSelectedObject(lists.colors().objectWithName("Custom"));
        lists.colors().setValue(0.8f);
        lists.colors().performSelectedObjectUpdates([](CollectionObject* item) {
            item->setColor(CGColor{0, 0.5, 1, 1});
        });
        lists.adjustments().setValue(0.65f);  // Brightness, selected
        lists.adjustments().objectWithName("Vignette")->setValue(0.9f);
        TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = CGRectMake(0.1, 0.2, 0.5, 0.75);
    }
    State current() { return State::currentState(*lists.controller); }

    SmallLists lists;
};

TEST_F(StateTest, TakenStateHoldsEveryChoice) {
    edit();
    State state = current();
    ASSERT_TRUE(state.selectedModeObject && state.selectedColorObject);
    EXPECT_EQ(state.selectedModeObject->name, "Low Light 1");
    EXPECT_DOUBLE_EQ(state.selectedModeObject->value, 0.25);
    EXPECT_FALSE(state.selectedModeObject->color.has_value()) << "only user-changeable colours are kept";
    EXPECT_EQ(state.selectedColorObject->color, (CGColor{0, 0.5, 1, 1}));
    ASSERT_EQ(state.adjustmentObjects.size(), 3u) << "headers and action items are left out";
    EXPECT_EQ(state.adjustmentObjects[2].name, "Vignette");
    EXPECT_DOUBLE_EQ(state.adjustmentObjects[2].value, double(0.9f));
    EXPECT_EQ(state.cropAdjustmentRelativeCropRect, CGRectMake(0.1, 0.2, 0.5, 0.75));
}

TEST_F(StateTest, ArchivedStateRestoresIntoFreshLists) {
    edit();
    State taken = current();
    std::string error;
    std::optional<State> decoded = State::stateFromData(taken.data(), &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(*decoded, taken);
    EXPECT_EQ(decoded->hash(), taken.hash());

    SmallLists fresh;
    decoded->restore(*fresh.controller, true, false);
    EXPECT_EQ(State::currentState(*fresh.controller), taken);
    EXPECT_EQ(fresh.applied["Low Light 1"], 1);
    EXPECT_FLOAT_EQ(fresh.view.values["CA Effect Strength"], 0.25f);
    EXPECT_EQ(fresh.view.redraws, std::vector<bool>{false}) << "one full redraw, after the whole restore";
}

TEST_F(StateTest, RestoringTheSelectedModeSetsOnlyItsStrength) {
    State state = current();
    state.selectedModeObject->value = 0.5;
    state.restore(*lists.controller, false, false);
    EXPECT_EQ(lists.applied["Enhance 1"], 0);
    EXPECT_FLOAT_EQ(lists.view.values["CA Effect Strength"], 0.5f);
    EXPECT_TRUE(lists.view.redraws.empty()) << "no redraw was asked for";
}

TEST_F(StateTest, VanishedNames) {
    State state = current();
    state.selectedModeObject->name = "Retired Mode";
    state.adjustmentObjects[0].name = "Retired Adjustment";
    state.adjustmentObjects[0].value = 0.01;
    lists.modes().setSelectedObject(lists.modes().objectWithName("Low Light 1"));
    state.restore(*lists.controller, false, false);
    EXPECT_EQ(lists.modes().selectedObject(), lists.modes().firstObject()) << "a vanished mode gives the first";
    EXPECT_FLOAT_EQ(lists.adjustments().objectWithName("Brightness")->value(), 0.5f)
        << "a vanished adjustment is skipped, not given to the first one";
}

TEST_F(StateTest, ResetAdjustmentsGoesToDefaults) {
    edit();
    State state = current();
    state.restore(*lists.controller, false, true);
    EXPECT_FLOAT_EQ(lists.adjustments().objectWithName("Brightness")->value(), 0.5f);
    EXPECT_FLOAT_EQ(lists.adjustments().objectWithName("Vignette")->value(), 0.2f);
}

TEST_F(StateTest, ColourIsRestoredOnlyIntoAChangeableItem) {
    State state = current();
    state.selectedColorObject = CollectionObjectState{"Darks 1", 0.5, CGColor{1, 0, 0, 1}};
    state.restore(*lists.controller, false, false);
    EXPECT_EQ(lists.colors().selectedObject()->color(), CGColorCreateGenericGray(0.5, 1));
    state.selectedColorObject->name = "Custom";
    state.restore(*lists.controller, false, false);
    EXPECT_EQ(lists.colors().selectedObject()->color(), (CGColor{1, 0, 0, 1}));
}

TEST_F(StateTest, EqualityAndDescriptions) {
    State a = current();
    State b = current();
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.hash(), b.hash());
    b.cropAdjustmentRelativeCropRect = CGRectMake(0, 0, 0.5, 0.5);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.stateDescriptionFromState(b), "");

    struct Case {
        std::function<void(State&)> change;
        const char* description;
    };
    const Case cases[] = {
        {[](State& s) { s.selectedModeObject->name = "Enhance 2"; }, "Mode"},
        {[](State& s) { s.selectedModeObject->value = 0.1; }, "Mode Strength"},
        {[](State& s) { s.selectedColorObject->name = "Darks 1"; }, "Color"},
        {[](State& s) { s.selectedColorObject->value = 0.1; }, "Color Strength"},
        {[](State& s) { s.adjustmentObjects[1].value = 0.1; }, "Detail"},
    };
    for (const Case& c : cases) {
        State changed = current();
        c.change(changed);
        EXPECT_EQ(changed.stateDescriptionFromState(a), c.description);
        EXPECT_NE(changed, a);
    }
}

TEST_F(StateTest, NamedStates) {
    StateController controller(lists.controller.get());
    controller.pushNamedState(kCameraState);
    State before = current();
    edit();
    lists.view.redraws.clear();
    controller.popToNamedState("never pushed");
    EXPECT_NE(current(), before);
    controller.popToNamedState(kCameraState);
    EXPECT_EQ(current(), before);
    EXPECT_TRUE(lists.view.redraws.empty());
    ASSERT_NE(controller.namedState(kCameraState), nullptr);
    EXPECT_EQ(controller.namedState("never pushed"), nullptr);
}

TEST_F(StateTest, SharedListsKeepTheDefaultStateFromTheStart) {
    TypeController::installSharedInstance(std::move(lists.controller));
    const State* initial = StateController::sharedInstance().namedState(kNamedStateDefault);
    ASSERT_NE(initial, nullptr);
    EXPECT_EQ(*initial, State::currentState());
    TypeController::installSharedInstance(nullptr);
}

TEST_F(StateTest, UndoAndRedo) {
    StateController controller(lists.controller.get());
    int changes = 0;
    controller.stateChanged = [&] { ++changes; };
    controller.pushState();
    controller.pushState();  // unchanged: not pushed again
    EXPECT_TRUE(controller.empty());
    State first = current();

    controller.pushStateWithStateBlock([&] { lists.adjustments().setValue(0.1f); });
    EXPECT_FALSE(controller.empty());
    EXPECT_EQ(controller.popStateDescription(), "Brightness");

    controller.popState();
    EXPECT_EQ(current(), first);
    EXPECT_TRUE(controller.poppedStateAvailable());
    EXPECT_EQ(controller.restorePoppedStateDescription(), "Brightness");
    controller.restorePoppedState();
    EXPECT_FLOAT_EQ(lists.adjustments().value(), 0.1f);
    EXPECT_FALSE(controller.poppedStateAvailable());

    controller.popStateToFirstState();
    EXPECT_EQ(current(), first);
    EXPECT_EQ(controller.states().size(), 1u);
    controller.clear();
    EXPECT_TRUE(controller.states().empty());
    EXPECT_EQ(changes, 6);
}

// --- archive -----------------------------------------------------------------------------

std::string archive(const std::string& state) {
    return R"({"format": "com.quorvin.tavorin", "version": "1.0", "state": )" + state + "}";
}

TEST(StateArchive, KeysAreOptionalInsideTheState) {
    std::optional<State> state =
        State::stateFromData(archive(R"({"adjustmentObjects": [{"name": "Detail", "value": 0.3}]})"));
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->selectedModeObject.has_value());
    EXPECT_EQ(state->cropAdjustmentRelativeCropRect, CGRectZero);
    ASSERT_EQ(state->adjustmentObjects.size(), 1u);
    EXPECT_EQ(state->adjustmentObjects[0].name, "Detail");
    EXPECT_TRUE(State::stateFromData(archive("{}")));
}

TEST(StateArchive, BadArchivesAreRejectedWithAReason) {
    const std::string entry = R"({"name": "Enhance 1", "value": 0.5})";
    std::string tooMany = entry;
    for (int i = 0; i < 64; ++i) tooMany += ", " + entry;
    struct Case {
        std::string text;
        const char* reason;  // a part of the error
    };
    const Case cases[] = {
        {"", "not valid JSON"},
        {"not json", "not valid JSON"},
        {"[]", "not an object"},
        {R"({"format": "com.quorvin.tavorin", "version": "1.0"})", "lacks \"state\""},
        {R"({"format": "com.other.app", "version": "1.0", "state": {}})", "format"},
        {R"({"format": "com.quorvin.tavorin", "version": "2.0", "state": {}})", "version"},
        {R"({"format": "com.quorvin.tavorin", "version": 1.0, "state": {}})", "version"},
        {R"({"format": "com.quorvin.tavorin", "version": "1.0", "state": {}, "extra": 1})", "unknown key \"extra\""},
        {R"({"format": "com.quorvin.tavorin", "format": "com.quorvin.tavorin", "version": "1.0", "state": {}})",
         "appears twice"},
        {archive(R"({"selectedModeObject": {"name": "Enhance 1"}})"), "lacks \"value\""},
        {archive(R"({"selectedModeObject": {"name": 3, "value": 0.5}})"), "name is not a string"},
        {archive(R"({"selectedModeObject": {"name": "E", "value": "0.5"}})"), "value is not a number"},
        {archive(R"({"selectedModeObject": {"name": "E", "value": true}})"), "value is not a number"},
        {archive(R"({"selectedModeObject": {"name": "E", "value": 1e999}})"), "overflow"},
        {archive(R"({"selectedModeObject": {"name": "E", "value": 1e300}})"), "value is out of range"},
        {archive(R"({"adjustmentObjects": [{"name": "Detail", "value": -3.5e38}]})"), "value is out of range"},
        {archive(R"({"selectedModeObject": {"name": "E", "value": 0.5, "secret": 1}})"), "unknown key \"secret\""},
        {archive(R"({"selectedColorObject": {"name": "C", "value": 0.5,
                     "color": {"red": 2, "green": 0, "blue": 0, "alpha": 1}}})"),
         "red is outside 0 to 1"},
        {archive(R"({"selectedColorObject": {"name": "C", "value": 0.5,
                     "color": {"red": 1, "green": 0, "blue": 0}}})"),
         "lacks \"alpha\""},
        {archive(R"({"selectedColorObject": {"name": "C", "value": 0.5, "color": "red"}})"), "color is not an object"},
        {archive(R"({"adjustmentObjects": {"name": "Detail", "value": 0.3}})"), "not an array"},
        {archive(R"({"adjustmentObjects": [null]})"), "[0] is null"},
        {archive(R"({"adjustmentObjects": [)" + entry + R"(, 5]})"), "[1] is not an object"},
        {archive(R"({"adjustmentObjects": [)" + tooMany + "]}"), "too many"},
        {archive(R"({"cropAdjustmentRelativeCropRect": {"x": 0.5, "y": 0, "width": 0.6, "height": 1}})"),
         "outside the image"},
        {archive(R"({"cropAdjustmentRelativeCropRect": {"x": -0.1, "y": 0, "width": 0.5, "height": 0.5}})"),
         "x is outside 0 to 1"},
        {archive(R"({"cropAdjustmentRelativeCropRect": {"x": 0, "y": 0, "width": 0.5}})"), "lacks \"height\""},
        {archive(R"({"cropAdjustmentRelativeCropRect": [0, 0, 1, 1]})"), "not an object"},
        {archive(R"({"selectedModeObject": {"name": ")" + std::string(300, 'x') + R"(", "value": 0.5}})"), "too long"},
        {archive("{\"selectedModeObject\": {\"name\": \"\xc3\x28\", \"value\": 0.5}}"), "UTF-8"},
        {archive(R"({"adjustmentObjects": [)" + std::string(70000, ' ') + "]}"), "larger than 64 KiB"},
        {archive(R"({"adjustmentObjects": [[[[[[[[[[]]]]]]]]]]})"), "nested too deeply"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(State::stateFromData(c.text, &error)) << c.text.substr(0, 200);
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text.substr(0, 200) << "\n" << error;
    }
}

TEST(StateArchive, RectangleOnTheEdgeIsAccepted) {
    auto state = State::stateFromData(
        archive(R"({"cropAdjustmentRelativeCropRect": {"x": 0.25, "y": 0, "width": 0.75, "height": 1}})"));
    ASSERT_TRUE(state);
    EXPECT_EQ(state->cropAdjustmentRelativeCropRect, CGRectMake(0.25, 0, 0.75, 1));
}

TEST_F(StateTest, RejectedArchiveRestoresTheDefaultState) {
    StateController controller(lists.controller.get());
    controller.pushNamedState(kNamedStateDefault);
    State defaults = current();
    edit();
    std::string error;
    EXPECT_FALSE(controller.restoreArchivedState("{\"format\": \"x\"}", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(current(), defaults);

    edit();
    State edited = current();
    controller.popToNamedState(kNamedStateDefault);
    EXPECT_TRUE(controller.restoreArchivedState(edited.data(), &error));
    EXPECT_EQ(current(), edited);
}

}  // namespace
