#pragma once
// Snapshots of the editing choices (mode and colour look with their strengths, every
// adjustment value, the relative crop rectangle), kept under names, restored into the lists,
// and archived as the adjustment data stored with every edited photo.
//
// Archive format (format identifier "com.quorvin.tavorin", version "1.0"): one UTF-8 JSON
// document of at most 64 KiB,
//
//   {
//     "format": "com.quorvin.tavorin",
//     "version": "1.0",
//     "state": {
//       "selectedModeObject":  {"name": "Enhance 3", "value": 0.76, "color": null},
//       "selectedColorObject": {"name": "Tints 10", "value": 0.5,
//                               "color": {"red": 0.93, "green": 0.6, "blue": 0, "alpha": 1}},
//       "adjustmentObjects": [{"name": "Brightness", "value": 0.5, "color": null}, ...],
//       "cropAdjustmentRelativeCropRect": {"x": 0, "y": 0, "width": 0, "height": 0}
//     }
//   }
//
// Decoding is strict. "format", "version" and "state" are required; every key of "state" is
// optional (a missing one leaves that part out of the snapshot: nothing of it is restored, a
// missing rectangle is the zero rectangle); an entry needs "name" (at most 256 bytes) and
// "value", "color" may be null or absent. Only these keys, each once, with these kinds; every
// number finite (a value also within the range of a float); colour components and the rectangle's fields between 0 and 1, the rectangle
// inside the unit square (x + width and y + height at most 1); at most 64 adjustment entries.
// Anything else is rejected with a reason.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"

class CollectionObject;
class Type;
class TypeController;

inline constexpr const char* kNamedStateDefault = "kNamedStateDefault";
inline constexpr const char* kCameraState = "kCameraState";

// One list's choice: the item's name, its value and, for an item whose colour the user can
// change, that colour.
struct CollectionObjectState {
    std::string name;
    double value = 0;
    std::optional<CGColor> color;

    static CollectionObjectState stateFromObject(const CollectionObject& item, const Type& type);

    friend bool operator==(const CollectionObjectState&, const CollectionObjectState&) = default;
    std::size_t hash() const;
};

class State {
public:
    static constexpr const char* kFormatIdentifier = "com.quorvin.tavorin";
    static constexpr const char* kFormatVersion = "1.0";
    static constexpr std::size_t kMaximumArchiveSize = 64 * 1024;
    static constexpr std::size_t kMaximumAdjustments = 64;
    static constexpr std::size_t kMaximumNameLength = 256;

    std::optional<CollectionObjectState> selectedModeObject;
    std::optional<CollectionObjectState> selectedColorObject;
    std::vector<CollectionObjectState> adjustmentObjects;
    CGRect cropAdjustmentRelativeCropRect{};

    // The editing state of the lists (of the program's lists, built on first use, when none
    // are given).
    static State currentState();
    static State currentState(const TypeController& types);

    // Puts the state back into the lists inside one batch of changes: no redraw during it,
    // one immediate full redraw after it when `update` is set. A mode or look that is
    // already selected is not applied again; only its strength is set. A mode or look name
    // that no longer exists selects the list's first item; an adjustment name that no longer
    // exists is skipped. With `resetAdjustments` every adjustment goes to its default.
    void restore(bool update = true, bool resetAdjustments = false) const;
    void restore(TypeController& types, bool update, bool resetAdjustments) const;

    // The first difference from the other state, as a word for an undo menu: "Mode",
    // "Mode Strength", "Color", "Color Strength" or the adjustment's name; empty when none.
    std::string stateDescriptionFromState(const State& other) const;

    friend bool operator==(const State&, const State&) = default;
    std::size_t hash() const;

    // The archive of this state (see above).
    std::string data() const;
    // The state of an archive; nothing, with the reason in `error`, when it is not one.
    static std::optional<State> stateFromData(std::string_view data, std::string* error = nullptr);
};

// Named snapshots and an undo/redo pair of stacks.
class StateController {
public:
    // Works on the program's lists; another instance may be given other lists. It keeps the
    // state the program's lists had when it first saw them (right after they are built or
    // installed: the application asks for it at start-up) as the default named state.
    static StateController& sharedInstance();
    explicit StateController(TypeController* types = nullptr) : types_(types) {}

    // Keeps the current state under the name, replacing an earlier one.
    void pushNamedState(const std::string& name);
    const State* namedState(const std::string& name) const;
    // The same, to change in place (the settings' default mode updates the default state).
    State* namedState(const std::string& name) { return const_cast<State*>(std::as_const(*this).namedState(name)); }
    // Restores the named state without a redraw; an unknown name changes nothing.
    void popToNamedState(const std::string& name, bool resetAdjustments = false);

    // Restores the state of an archive with a redraw. An archive that is not valid is
    // rejected: the default named state is restored instead and false is answered, with the
    // reason in `error`.
    bool restoreArchivedState(std::string_view data, std::string* error = nullptr);

    // Undo and redo.
    bool empty() const { return states_.size() < 2; }
    bool poppedStateAvailable() const { return !poppedStates_.empty(); }
    bool pushCurrentState();
    void pushState();
    void pushStateWithStateBlock(const std::function<void()>& block);
    void popState();
    void popStateToFirstState();
    void restorePoppedState();
    void clear();
    std::string popStateDescription() const;
    std::string restorePoppedStateDescription() const;

    const std::vector<State>& states() const { return states_; }
    const std::vector<State>& poppedStates() const { return poppedStates_; }

    std::function<void()> stateChanged;

private:
    // The given lists, else the program's (built on first use).
    TypeController& types() const;
    State current() const;
    void restore(const State& state, bool update, bool resetAdjustments) const;
    void notify() const {
        if (stateChanged) stateChanged();
    }

    // The shared instance's default named state follows the program's lists.
    void keepDefaultStateOfNewLists();

    TypeController* types_;
    uint64_t installationsSeen_ = 0;
    std::vector<State> states_;        // undo stack, oldest first
    std::vector<State> poppedStates_;  // redo stack, most recent first
    std::map<std::string, State> namedStates_;
};
