#include "model/State.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "model/CollectionObject.h"
#include "model/GraphicsTypeController.h"
#include "model/Type.h"

using json = nlohmann::json;

namespace {

// hash = hash * 31 + part, starting from 1, as for every snapshot object.
struct HashBuilder {
    std::size_t value = 1;
    template <typename T>
    HashBuilder& add(const T& part) {
        value = value * 31 + std::hash<T>{}(part);
        return *this;
    }
};

std::size_t hashColor(const std::optional<CGColor>& color) {
    if (!color) return 0;
    return HashBuilder().add(color->r).add(color->g).add(color->b).add(color->a).value;
}

std::size_t hashEntry(const std::optional<CollectionObjectState>& entry) { return entry ? entry->hash() : 0; }

}  // namespace

// --- CollectionObjectState -------------------------------------------------------------

CollectionObjectState CollectionObjectState::stateFromObject(const CollectionObject& item, const Type& type) {
    CollectionObjectState state;
    state.name = item.name().value_or("");
    state.value = type.valueForObject(&item);
    if (item.colorIsMutable()) state.color = item.color();
    return state;
}

std::size_t CollectionObjectState::hash() const {
    return HashBuilder().add(name).add(value).add(hashColor(color)).value;
}

// --- State: taking, restoring, comparing -----------------------------------------------

State State::currentState() { return currentState(TypeController::sharedInstance()); }

State State::currentState(const TypeController& types) {
    State state;
    state.cropAdjustmentRelativeCropRect = TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect;
    if (const CollectionObject* mode = types.modeType().selectedObject())
        state.selectedModeObject = CollectionObjectState::stateFromObject(*mode, types.modeType());
    if (const CollectionObject* color = types.colorType().selectedObject())
        state.selectedColorObject = CollectionObjectState::stateFromObject(*color, types.colorType());
    for (const auto& item : types.adjustType().objects())
        if (!item->category() && item->selectable())
            state.adjustmentObjects.push_back(CollectionObjectState::stateFromObject(*item, types.adjustType()));
    return state;
}

void State::restore(bool update, bool resetAdjustments) const {
    restore(TypeController::sharedInstance(), update, resetAdjustments);
}

void State::restore(TypeController& types, bool update, bool resetAdjustments) const {
    GraphicsTypeController::delayUpdates(
        [&] {
            Type& modeType = types.modeType();
            if (selectedModeObject) {
                modeType.setSelectedObject(modeType.objectWithName(selectedModeObject->name));
                modeType.setValue(static_cast<float>(selectedModeObject->value));
            }

            TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = cropAdjustmentRelativeCropRect;

            Type& colorType = types.colorType();
            if (selectedColorObject) {
                colorType.setSelectedObject(colorType.objectWithName(selectedColorObject->name));
                colorType.setValue(static_cast<float>(selectedColorObject->value));
                // Only a colour the user can change is restored; the look's own colour stays.
                CollectionObject* selected = colorType.selectedObject();
                if (selectedColorObject->color && selected && selected->colorIsMutable()) {
                    CGColor color = *selectedColorObject->color;
                    colorType.performSelectedObjectUpdates([color](CollectionObject* item) {
                        if (item) item->setColor(color);
                    });
                }
            }

            Type& adjustType = types.adjustType();
            for (const CollectionObjectState& entry : adjustmentObjects) {
                // An adjustment this program no longer has is skipped, not given to another.
                CollectionObject* item = adjustType.objectNamed(entry.name);
                if (!item || !item->selectable()) continue;
                bool selected = item == adjustType.selectedObject();
                float value = static_cast<float>(entry.value);
                if (resetAdjustments) value = selected ? adjustType.defaultValue() : item->defaultValue();
                if (selected) adjustType.setValue(value);
                else item->setValue(value);
            }
        },
        update);
}

std::string State::stateDescriptionFromState(const State& other) const {
    auto name = [](const std::optional<CollectionObjectState>& e) { return e ? std::optional(e->name) : std::nullopt; };
    auto value = [](const std::optional<CollectionObjectState>& e) {
        return e ? std::optional(e->value) : std::nullopt;
    };
    if (name(selectedModeObject) != name(other.selectedModeObject)) return "Mode";
    if (value(selectedModeObject) != value(other.selectedModeObject)) return "Mode Strength";
    if (name(selectedColorObject) != name(other.selectedColorObject)) return "Color";
    if (value(selectedColorObject) != value(other.selectedColorObject)) return "Color Strength";
    std::size_t n = std::min(adjustmentObjects.size(), other.adjustmentObjects.size());
    for (std::size_t i = 0; i < n; ++i)
        if (adjustmentObjects[i].value != other.adjustmentObjects[i].value) return adjustmentObjects[i].name;
    return "";
}

std::size_t State::hash() const {
    HashBuilder h;
    h.add(hashEntry(selectedModeObject)).add(hashEntry(selectedColorObject));
    HashBuilder list;
    for (const auto& entry : adjustmentObjects) list.add(entry.hash());
    h.add(list.value);
    const CGRect& r = cropAdjustmentRelativeCropRect;
    return h.add(r.origin.x).add(r.origin.y).add(r.size.width).add(r.size.height).value;
}

// --- State: archive --------------------------------------------------------------------

namespace {

json encodeEntry(const std::optional<CollectionObjectState>& entry) {
    if (!entry) return nullptr;
    json color = nullptr;
    if (entry->color)
        color = {{"red", entry->color->r},
                 {"green", entry->color->g},
                 {"blue", entry->color->b},
                 {"alpha", entry->color->a}};
    return {{"name", entry->name}, {"value", entry->value}, {"color", color}};
}

// Rejects an archive: the reason travels as the exception's text.
[[noreturn]] void reject(const std::string& reason) { throw std::invalid_argument(reason); }

void requireKeys(const json& object, const std::string& where, std::initializer_list<const char*> allowed,
                 std::initializer_list<const char*> required) {
    if (!object.is_object()) reject(where + " is not an object");
    for (const auto& [key, value] : object.items()) {
        bool known = false;
        for (const char* name : allowed) known = known || key == name;
        if (!known) reject(where + " has an unknown key \"" + key + "\"");
    }
    for (const char* name : required)
        if (!object.contains(name)) reject(where + " lacks \"" + name + "\"");
}

double finiteNumber(const json& value, const std::string& where) {
    if (!value.is_number()) reject(where + " is not a number");
    double number = value.get<double>();
    if (!std::isfinite(number)) reject(where + " is not finite");
    return number;
}

double unitNumber(const json& value, const std::string& where) {
    double number = finiteNumber(value, where);
    if (number < 0 || number > 1) reject(where + " is outside 0 to 1");
    return number;
}

std::optional<CollectionObjectState> decodeEntry(const json& value, const std::string& where) {
    if (value.is_null()) return std::nullopt;
    requireKeys(value, where, {"name", "value", "color"}, {"name", "value"});
    CollectionObjectState entry;
    const json& name = value["name"];
    if (!name.is_string()) reject(where + ".name is not a string");
    entry.name = name.get<std::string>();
    if (entry.name.size() > State::kMaximumNameLength) reject(where + ".name is too long");
    entry.value = finiteNumber(value["value"], where + ".value");
    // Values are restored as floats: one beyond their range would arrive as infinity.
    if (std::abs(entry.value) > std::numeric_limits<float>::max()) reject(where + ".value is out of range");
    if (value.contains("color") && !value["color"].is_null()) {
        const json& color = value["color"];
        std::string at = where + ".color";
        requireKeys(color, at, {"red", "green", "blue", "alpha"}, {"red", "green", "blue", "alpha"});
        entry.color = CGColor{unitNumber(color["red"], at + ".red"), unitNumber(color["green"], at + ".green"),
                              unitNumber(color["blue"], at + ".blue"), unitNumber(color["alpha"], at + ".alpha")};
    }
    return entry;
}

CGRect decodeRect(const json& value) {
    const std::string where = "cropAdjustmentRelativeCropRect";
    requireKeys(value, where, {"x", "y", "width", "height"}, {"x", "y", "width", "height"});
    CGRect rect =
        CGRectMake(unitNumber(value["x"], where + ".x"), unitNumber(value["y"], where + ".y"),
                   unitNumber(value["width"], where + ".width"), unitNumber(value["height"], where + ".height"));
    // Rounding in the crop screens may overshoot the edge by a hair; more is not a crop.
    constexpr double kSlack = 1e-9;
    if (rect.origin.x + rect.size.width > 1 + kSlack || rect.origin.y + rect.size.height > 1 + kSlack)
        reject(where + " reaches outside the image");
    rect.size.width = std::min(rect.size.width, 1 - rect.origin.x);
    rect.size.height = std::min(rect.size.height, 1 - rect.origin.y);
    return rect;
}

// Parses with a duplicate-key check and a nesting limit (the schema is four levels deep).
json parseStrict(std::string_view data) {
    constexpr int kMaximumDepth = 8;
    std::vector<std::set<std::string>> keys;
    auto callback = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth > kMaximumDepth) reject("the archive is nested too deeply");
        switch (event) {
        case json::parse_event_t::object_start: keys.emplace_back(); break;
        case json::parse_event_t::object_end:
            if (!keys.empty()) keys.pop_back();
            break;
        case json::parse_event_t::key:
            if (!keys.empty() && !keys.back().insert(parsed.get<std::string>()).second)
                reject("the key \"" + parsed.get<std::string>() + "\" appears twice");
            break;
        default: break;
        }
        return true;
    };
    try {
        return json::parse(data.begin(), data.end(), callback);
    } catch (const json::exception& e) {
        reject(std::string("the archive is not valid JSON: ") + e.what());
    }
}

}  // namespace

std::string State::data() const {
    json state = {{"selectedModeObject", encodeEntry(selectedModeObject)},
                  {"selectedColorObject", encodeEntry(selectedColorObject)},
                  {"adjustmentObjects", json::array()},
                  {"cropAdjustmentRelativeCropRect",
                   {{"x", cropAdjustmentRelativeCropRect.origin.x},
                    {"y", cropAdjustmentRelativeCropRect.origin.y},
                    {"width", cropAdjustmentRelativeCropRect.size.width},
                    {"height", cropAdjustmentRelativeCropRect.size.height}}}};
    for (const auto& entry : adjustmentObjects) state["adjustmentObjects"].push_back(encodeEntry(entry));
    json archive = {{"format", kFormatIdentifier}, {"version", kFormatVersion}, {"state", state}};
    return archive.dump(2, ' ', false, json::error_handler_t::replace);
}

std::optional<State> State::stateFromData(std::string_view data, std::string* error) {
    try {
        if (data.size() > kMaximumArchiveSize) reject("the archive is larger than 64 KiB");
        json archive = parseStrict(data);
        requireKeys(archive, "the archive", {"format", "version", "state"}, {"format", "version", "state"});
        if (archive["format"] != kFormatIdentifier) reject("the archive is not of format com.quorvin.tavorin");
        if (archive["version"] != kFormatVersion) reject("the archive's version is not 1.0");
        const json& body = archive["state"];
        requireKeys(
            body, "state",
            {"selectedModeObject", "selectedColorObject", "adjustmentObjects", "cropAdjustmentRelativeCropRect"}, {});

        State state;
        if (body.contains("selectedModeObject"))
            state.selectedModeObject = decodeEntry(body["selectedModeObject"], "selectedModeObject");
        if (body.contains("selectedColorObject"))
            state.selectedColorObject = decodeEntry(body["selectedColorObject"], "selectedColorObject");
        if (body.contains("adjustmentObjects")) {
            const json& list = body["adjustmentObjects"];
            if (!list.is_array()) reject("adjustmentObjects is not an array");
            if (list.size() > kMaximumAdjustments) reject("adjustmentObjects has too many entries");
            for (std::size_t i = 0; i < list.size(); ++i) {
                std::string where = "adjustmentObjects[" + std::to_string(i) + "]";
                if (list[i].is_null()) reject(where + " is null");
                state.adjustmentObjects.push_back(*decodeEntry(list[i], where));
            }
        }
        if (body.contains("cropAdjustmentRelativeCropRect"))
            state.cropAdjustmentRelativeCropRect = decodeRect(body["cropAdjustmentRelativeCropRect"]);
        return state;
    } catch (const std::invalid_argument& e) {
        if (error) *error = e.what();
        return std::nullopt;
    }
}

// --- StateController -------------------------------------------------------------------

StateController& StateController::sharedInstance() {
    static StateController controller;
    controller.keepDefaultStateOfNewLists();
    return controller;
}

void StateController::keepDefaultStateOfNewLists() {
    const uint64_t installations = TypeController::installations();
    if (types_ || installations == installationsSeen_) return;
    installationsSeen_ = installations;
    if (TypeController::existingInstance()) pushNamedState(kNamedStateDefault);
}

TypeController& StateController::types() const { return types_ ? *types_ : TypeController::sharedInstance(); }

State StateController::current() const { return State::currentState(types()); }

void StateController::restore(const State& state, bool update, bool resetAdjustments) const {
    state.restore(types(), update, resetAdjustments);
}

void StateController::pushNamedState(const std::string& name) { namedStates_[name] = current(); }

const State* StateController::namedState(const std::string& name) const {
    auto it = namedStates_.find(name);
    return it == namedStates_.end() ? nullptr : &it->second;
}

void StateController::popToNamedState(const std::string& name, bool resetAdjustments) {
    if (const State* state = namedState(name)) restore(*state, false, resetAdjustments);
}

bool StateController::restoreArchivedState(std::string_view data, std::string* error) {
    if (std::optional<State> state = State::stateFromData(data, error)) {
        restore(*state, true, false);
        return true;
    }
    if (const State* fallback = namedState(kNamedStateDefault)) restore(*fallback, true, false);
    return false;
}

bool StateController::pushCurrentState() {
    State state = current();
    if (!states_.empty() && states_.back() == state) return false;
    poppedStates_.clear();
    states_.push_back(std::move(state));
    return true;
}

void StateController::pushState() {
    if (pushCurrentState()) notify();
}

void StateController::pushStateWithStateBlock(const std::function<void()>& block) {
    bool before = pushCurrentState();
    if (block) block();
    bool after = pushCurrentState();
    if (before || after) notify();
}

void StateController::popState() {
    if (empty()) return;
    poppedStates_.insert(poppedStates_.begin(), std::move(states_.back()));
    states_.pop_back();
    restore(states_.back(), true, false);
    notify();
}

void StateController::popStateToFirstState() {
    poppedStates_.clear();
    if (empty()) return;
    states_.resize(1);
    restore(states_.front(), true, false);
    notify();
}

void StateController::restorePoppedState() {
    if (poppedStates_.empty() || poppedStates_.front() == current()) return;
    states_.push_back(poppedStates_.front());
    poppedStates_.erase(poppedStates_.begin());
    restore(states_.back(), true, false);
    notify();
}

void StateController::clear() {
    states_.clear();
    notify();
}

std::string StateController::popStateDescription() const {
    if (empty()) return "";
    return current().stateDescriptionFromState(states_[states_.size() - 2]);
}

std::string StateController::restorePoppedStateDescription() const {
    if (poppedStates_.empty()) return "";
    return current().stateDescriptionFromState(poppedStates_.front());
}
