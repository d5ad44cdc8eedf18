#pragma once
// A picker's list: picker items (category headers inline, before their items) with one
// selected item, a value that the slider edits, and blocks through which the main screen
// follows selection and value changes. A list is not copyable: its items' blocks refer
// back to it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/CollectionObject.h"

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

// The three lists of the editing screen.
class TypeController {
public:
    enum TypeSelection { TypeSelectionColor = 1, TypeSelectionMode = 2, TypeSelectionAdjust = 3 };

    TypeController(std::unique_ptr<Type> colorType, std::unique_ptr<Type> modeType, std::unique_ptr<Type> adjustType);

    // The program's lists, once installed.
    static TypeController* sharedInstance();
    // Installs the program's lists (replacing earlier ones) and keeps the editing state
    // right after as the default named state.
    static void installSharedInstance(std::unique_ptr<TypeController> controller);

    Type& colorType() const { return *colorType_; }
    Type& modeType() const { return *modeType_; }
    Type& adjustType() const { return *adjustType_; }
    // 1 colour, 2 mode, 3 adjust; null otherwise.
    Type* typeForTypeSelection(int selection) const;

    void resetContentOffsets();
    void collapseAllCategories();

private:
    std::unique_ptr<Type> colorType_;
    std::unique_ptr<Type> modeType_;
    std::unique_ptr<Type> adjustType_;
};
