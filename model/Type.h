#pragma once
// A picker's list: picker items (category headers inline, before their items) with one
// selected item, a value that the slider edits, and blocks through which the main screen
// follows selection and value changes. A list is not copyable: its items' blocks refer
// back to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/CollectionObject.h"
#include "model/GraphicsValueProvider.h"
#include "modes/AdjustmentDictionary.h"
#include "modes/ModeSelection.h"

class Type {
public:
    using Items = std::vector<std::shared_ptr<CollectionObject>>;
    using UserInteractionBlock = std::function<void(bool userInteraction)>;
    using Block = std::function<void()>;

    static std::unique_ptr<Type> typeWithObjects(Items objects);

    Type();
    ~Type();
    Type(const Type&) = delete;
    Type& operator=(const Type&) = delete;

    const Items& objects() const { return objects_; }
    // Takes the items and makes a tap on any of them select it here.
    void setObjects(Items objects);

    // Selecting another item deselects the old one, runs the new one's selected block and
    // then `selectedObjectChangedBlock`; selecting in any case runs `selectedObjectSelected`.
    // So selecting the selected item again never applies it again.
    void setSelectedObject(CollectionObject* item, bool userInteraction = false);
    CollectionObject* selectedObject() const { return selectedObject_; }
    // Runs the selected item's selected block (applies it).
    void raiseSelectedObjectBlock();
    // Changes the selected item, applies it again and reports the update.
    void performSelectedObjectUpdates(const std::function<void(CollectionObject*)>& block);

    // The value lives in the selected item when `useSelectedObjectValue`, else here.
    void setValue(float value);
    float value() const { return valueForObject(selectedObject_); }
    float valueForObject(const CollectionObject* item) const;
    float defaultValue() const;
    void valueWillBeginChange();
    void valueWillFinishChange();

    // The selected item's colour when `useSelectedObjectColor`, else the list's own.
    std::optional<CGColor> color() const;
    void setColor(std::optional<CGColor> color) { color_ = std::move(color); }

    // The first non-header item of that name; `firstObject` when none has it.
    CollectionObject* objectWithName(const std::string& name) const;
    // The first non-header item of that name; null when none has it.
    CollectionObject* objectNamed(const std::string& name) const;
    // The first item, or the second when the first is a header; null for an empty list.
    CollectionObject* firstObject() const;
    // The nearest header before the selected item; null when none.
    CollectionObject* selectedCategory() const;

    CGPoint contentOffset() const { return contentOffset_; }
    void setContentOffset(CGPoint offset) { contentOffset_ = offset; }
    const std::shared_ptr<ValueProvider>& valueProvider() const { return valueProvider_; }
    void setValueProvider(std::shared_ptr<ValueProvider> provider) { valueProvider_ = std::move(provider); }
    bool useSelectedObjectValue() const { return useSelectedObjectValue_; }
    void setUseSelectedObjectValue(bool use) { useSelectedObjectValue_ = use; }
    bool useSelectedObjectColor() const { return useSelectedObjectColor_; }
    void setUseSelectedObjectColor(bool use) { useSelectedObjectColor_ = use; }

    UserInteractionBlock selectedObjectSelected;
    UserInteractionBlock selectedObjectChangedBlock;
    Block selectedObjectUpdatedBlock;
    Block valueChangedBlock;
    Block valueWillBeginChangeBlock;
    Block valueWillFinishChangeBlock;

private:
    Items objects_;
    CGPoint contentOffset_{};
    std::shared_ptr<ValueProvider> valueProvider_;
    std::optional<CGColor> color_;
    CollectionObject* selectedObject_ = nullptr;
    bool useSelectedObjectValue_ = false;
    bool useSelectedObjectColor_ = false;
};

// Three editing flags shared by the colour catalogue, the crop screens and the editing state.
class TypeConstants {
public:
    static TypeConstants& sharedInstance();

    bool colorColorObjectsUseTint = true;
    bool colorGrayscaleObjectsUseTint = false;
    // The crop, relative to the image (zero: no crop).
    CGRect cropAdjustmentRelativeCropRect{};
};

// The three lists of the editing screen, and the catalogues they are built from.
class TypeController {
public:
    enum TypeSelection { TypeSelectionColor = 1, TypeSelectionMode = 2, TypeSelectionAdjust = 3 };
    using Items = Type::Items;

    // The program's lists: the colour looks (their strength is the engine's look strength),
    // the modes (their strength is "CA Effect Strength") and the adjustments (each with its
    // own value), with the first look, the mode named `defaultModeName` (the first mode when
    // none has that name) and the first adjustment selected, which applies them.
    explicit TypeController(const std::string& defaultModeName);
    TypeController(std::unique_ptr<Type> colorType, std::unique_ptr<Type> modeType, std::unique_ptr<Type> adjustType);

    // The program's lists, built on first use with the settings' default mode (the state
    // controller keeps the editing state right after as the default named state).
    static TypeController& sharedInstance();
    // The program's lists if they were built or installed; null otherwise.
    static TypeController* existingInstance();
    // Installs other lists (replacing earlier ones; null forgets them).
    static void installSharedInstance(std::unique_ptr<TypeController> controller);
    // How many times lists were built or installed: the state controller takes the default
    // named state of each new installation.
    static uint64_t installations();

    Type& colorType() const { return *colorType_; }
    Type& modeType() const { return *modeType_; }
    Type& adjustType() const { return *adjustType_; }
    // 1 colour, 2 mode, 3 adjust; null otherwise.
    Type* typeForTypeSelection(int selection) const;

    void resetContentOffsets();
    void collapseAllCategories();

    // ---- Mode catalogue ----------------------------------------------------------------
    // 8 group headers, each followed by its modes (53 in all), named after their group and
    // place ("Low Light 3", short "L3"). A new list on every call.
    static Items modes();
    // The same modes by their shown names ("Low Light 3") with the mode library's name of their
    // parameter sets, in list order, without making any items.
    struct ModeName {
        std::string shown;
        std::string library;
    };
    static std::vector<ModeName> modeNames();
    // The mode of that shown name ("Enhance 1", case ignored), or none.
    static std::optional<ModeName> modeNamed(const std::string& shown);
    // One mode of the library as an item: its name drawn as its picture; selecting it
    // applies its parameter set.
    static std::shared_ptr<CollectionObject> modeWithName(const std::string& name, const std::string& imageName,
                                                          Modes::AdjustmentDictionary adjustments);
    // Every entry of the mode library, in build order, as new items.
    static Items testModes();
    // The library entry of that name (built once and shared), or null.
    static std::shared_ptr<CollectionObject> testModeWithName(const std::string& name);
    // The range within which the brightness and the contrast master values move for a mode,
    // by the mode's unique id (its library name); (0, 1) for a mode not listed.
    static Modes::AdjustmentRange brightnessAdjustmentRangeForMode(const CollectionObject& mode);
    static Modes::AdjustmentRange contrastAdjustmentRangeForMode(const CollectionObject& mode);

    // ---- Colour catalogue --------------------------------------------------------------
    // Off, the dark and light looks, shades, greys, tints and the user's own colour. A new
    // list on every call; it replaces the items `offColorObject` and `customColorObject` answer.
    static Items colors();
    static std::shared_ptr<CollectionObject> offColorObject();
    static std::shared_ptr<CollectionObject> customColorObject();
    static std::shared_ptr<CollectionObject> constantColorObject(const CGColor& color, const std::string& name,
                                                                 const std::string& string);
    // The look of that name as "CA Tone Map" takes it, or "None" for a name that is no look.
    static std::string toneMapForString(const std::string& name);
    // "None" and the 64 looks, in the engine's look order.
    static const std::vector<std::string>& toneMapNames();

    // ---- Adjustment catalogue ----------------------------------------------------------
    // A header and the 12 adjustments the user sees. A new list on every call; it replaces
    // the items `cropAdjustmentObject` and `resetAdjustmentObject` answer.
    static Items adjustments();
    static std::shared_ptr<CollectionObject> cropAdjustmentObject();
    static std::shared_ptr<CollectionObject> resetAdjustmentObject();
    // 13 adjustments bound to engine parameters by name; the shown list borrows five of
    // their value providers. A new list on every call.
    static Items testAdjustments();
    // The entry of the kept list (built once) with that name, or null.
    static std::shared_ptr<CollectionObject> testAdjustmentWithName(const std::string& name);
    static std::shared_ptr<CollectionObject> adjustmentWithName(const std::string& title, const std::string& imageName,
                                                                GraphicsValueProvider::NameBlock nameBlock,
                                                                bool defaultValueFromMode = false);
    static std::shared_ptr<CollectionObject> adjustmentWithName(const std::string& title, const std::string& imageName,
                                                                const std::string& adjustment,
                                                                bool defaultValueFromMode = false);

private:
    // An item whose picture is its title, drawn in the application font with room around it,
    // on a half-transparent grey (a library mode or a parameter-bound adjustment).
    static std::shared_ptr<CollectionObject> titledObject(const std::string& title);

    std::unique_ptr<Type> colorType_;
    std::unique_ptr<Type> modeType_;
    std::unique_ptr<Type> adjustType_;
};
