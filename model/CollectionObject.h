#pragma once
// One item of a picker: a mode, a colour look, an adjustment, or a category header that
// groups the items after it. It carries what the cell draws, what the model needs (name,
// unique id, value provider, selection) and two blocks: the selected block that applies the
// item, and the selection-changed block that its list installs. Items are shared
// (`std::shared_ptr`); two items are equal only when they are the same object.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/coregraphics/CGColor.h"
#include "model/TextDrawing.h"
#include "model/ValueProvider.h"
#include "platform/coregraphics/CGGeometry.h"

class CollectionObject {
public:
    using SelectionBlock = std::function<void(bool selected, CollectionObject* item)>;
    using ImageRef = UIImagePtr;

    // A header: zero size (so not expandable until given one), not collapsed.
    static std::shared_ptr<CollectionObject> collectionObjectCategory();
    static std::shared_ptr<CollectionObject> collectionObjectWithColor(const CGColor& color,
                                                                       std::optional<std::string> string = {});
    static std::shared_ptr<CollectionObject> collectionObjectWithImage(ImageRef image, bool border = false);
    static std::shared_ptr<CollectionObject> collectionObjectWithImage(ImageRef image, CGSize size, bool border);

    CollectionObject();
    CollectionObject(const CollectionObject&) = delete;
    CollectionObject& operator=(const CollectionObject&) = delete;

    // Sets `selected`, then tells the list (through the selection-changed block).
    void selectionChanged(bool selected);

    // The stored name, or the short string when no name is stored.
    std::optional<std::string> name() const { return name_ ? name_ : string_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }

    // Forwarded to the value provider (0 and no effect without one).
    float value() const { return valueProvider_ ? valueProvider_->value() : 0.0f; }
    void setValue(float value) {
        if (valueProvider_) valueProvider_->setValue(value);
    }
    float defaultValue() const { return valueProvider_ ? valueProvider_->defaultValue() : 0.0f; }
    void valueWillBeginChange() {
        if (valueProvider_) valueProvider_->valueWillBeginChange();
    }
    void valueWillFinishChange() {
        if (valueProvider_) valueProvider_->valueWillFinishChange();
    }

    // A header with a size of its own can be collapsed and expanded.
    bool categoryExpandable() const { return size_.width != 0 || size_.height != 0; }

#define TAVORIN_PROPERTY(type, name, setter)     \
    const type& name() const { return name##_; } \
    void setter(type value) { name##_ = std::move(value); }
    TAVORIN_PROPERTY(std::optional<CGColor>, color, setColor)
    TAVORIN_PROPERTY(ImageRef, image, setImage)
    TAVORIN_PROPERTY(CGSize, imageSize, setImageSize)
    TAVORIN_PROPERTY(std::optional<std::string>, string, setString)
    TAVORIN_PROPERTY(std::optional<std::string>, uniqueId, setUniqueId)
    TAVORIN_PROPERTY(std::optional<CGColor>, contentColor, setContentColor)
    TAVORIN_PROPERTY(bool, border, setBorder)
    TAVORIN_PROPERTY(bool, selected, setSelected)
    TAVORIN_PROPERTY(bool, selectable, setSelectable)
    TAVORIN_PROPERTY(std::shared_ptr<ValueProvider>, valueProvider, setValueProvider)
    TAVORIN_PROPERTY(CGSize, size, setSize)
    TAVORIN_PROPERTY(double, cornerRoundness, setCornerRoundness)
    TAVORIN_PROPERTY(bool, colorIsMutable, setColorIsMutable)
    TAVORIN_PROPERTY(bool, colorIsGrayscale, setColorIsGrayscale)
    TAVORIN_PROPERTY(bool, isColor, setIsColor)
    TAVORIN_PROPERTY(bool, category, setCategory)
    TAVORIN_PROPERTY(bool, categoryCollapsed, setCategoryCollapsed)
    TAVORIN_PROPERTY(SelectionBlock, selectedBlock, setSelectedBlock)
    TAVORIN_PROPERTY(SelectionBlock, selectionChangedBlock, setSelectionChangedBlock)
#undef TAVORIN_PROPERTY

private:
    std::optional<CGColor> color_;
    ImageRef image_;
    CGSize imageSize_{};
    std::optional<std::string> string_;
    std::optional<std::string> name_;
    std::optional<std::string> uniqueId_;
    std::optional<CGColor> contentColor_;
    bool border_ = false;
    bool selected_ = false;
    bool selectable_ = true;
    std::shared_ptr<ValueProvider> valueProvider_;
    CGSize size_{42, 42};
    double cornerRoundness_ = 0.5;
    bool colorIsMutable_ = false;
    bool colorIsGrayscale_ = false;
    bool isColor_ = false;
    bool category_ = false;
    bool categoryCollapsed_ = true;
    SelectionBlock selectedBlock_;
    SelectionBlock selectionChangedBlock_;
};
