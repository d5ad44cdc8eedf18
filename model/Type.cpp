#include "model/Type.h"

#include <algorithm>

#include "model/AmbrelAppSettings.h"
#include "model/GraphicsTypeController.h"

// --- Type ------------------------------------------------------------------------------

std::unique_ptr<Type> Type::typeWithObjects(Items objects) {
    auto type = std::make_unique<Type>();
    type->setObjects(std::move(objects));
    return type;
}

Type::Type() : valueProvider_(ValueProvider::valueProvider()) {}

Type::~Type() { setObjects({}); }

void Type::setObjects(Items objects) {
    // Items may outlive this list (catalogues keep some): they must not call back into it.
    for (const auto& item : objects_) item->setSelectionChangedBlock(nullptr);
    objects_ = std::move(objects);
    std::erase(objects_, nullptr);
    if (selectedObject_ && std::none_of(objects_.begin(), objects_.end(),
                                        [this](const auto& item) { return item.get() == selectedObject_; }))
        selectedObject_ = nullptr;
    for (const auto& item : objects_) {
        item->setSelectionChangedBlock([this](bool selected, CollectionObject* tapped) {
            if (selected) setSelectedObject(tapped, true);
        });
    }
}

void Type::setSelectedObject(CollectionObject* item, bool userInteraction) {
    if (item != selectedObject_) {
        if (selectedObject_) selectedObject_->setSelected(false);
        if (item) item->setSelected(true);
        selectedObject_ = item;
        raiseSelectedObjectBlock();
        if (selectedObjectChangedBlock) selectedObjectChangedBlock(userInteraction);
    }
    if (selectedObjectSelected) selectedObjectSelected(userInteraction);
}

void Type::raiseSelectedObjectBlock() {
    if (!selectedObject_ || !selectedObject_->selectedBlock()) return;
    CollectionObject::SelectionBlock block = selectedObject_->selectedBlock();
    block(true, selectedObject_);
}

void Type::performSelectedObjectUpdates(const std::function<void(CollectionObject*)>& block) {
    if (block) block(selectedObject_);
    raiseSelectedObjectBlock();
    if (selectedObjectUpdatedBlock) selectedObjectUpdatedBlock();
}

void Type::setValue(float value) {
    valueProvider_->setValue(value);
    if (useSelectedObjectValue_ && selectedObject_) selectedObject_->setValue(value);
    if (valueChangedBlock) valueChangedBlock();
}

float Type::valueForObject(const CollectionObject* item) const {
    if (useSelectedObjectValue_) return item ? item->value() : 0.0f;
    return valueProvider_->value();
}

float Type::defaultValue() const {
    if (useSelectedObjectValue_) return selectedObject_ ? selectedObject_->defaultValue() : 0.0f;
    return valueProvider_->defaultValue();
}

void Type::valueWillBeginChange() {
    valueProvider_->valueWillBeginChange();
    if (useSelectedObjectValue_ && selectedObject_) selectedObject_->valueWillBeginChange();
    if (valueWillBeginChangeBlock) valueWillBeginChangeBlock();
}

void Type::valueWillFinishChange() {
    valueProvider_->valueWillFinishChange();
    if (useSelectedObjectValue_ && selectedObject_) selectedObject_->valueWillFinishChange();
    if (valueWillFinishChangeBlock) valueWillFinishChangeBlock();
}

std::optional<CGColor> Type::color() const {
    if (useSelectedObjectColor_) return selectedObject_ ? selectedObject_->color() : std::nullopt;
    return color_;
}

CollectionObject* Type::objectWithName(const std::string& name) const {
    CollectionObject* item = objectNamed(name);
    return item ? item : firstObject();
}

CollectionObject* Type::objectNamed(const std::string& name) const {
    for (const auto& item : objects_)
        if (!item->category() && item->name() == name) return item.get();
    return nullptr;
}

CollectionObject* Type::firstObject() const {
    if (objects_.empty()) return nullptr;
    if (objects_[0]->category() && objects_.size() > 1) return objects_[1].get();
    return objects_[0].get();
}

CollectionObject* Type::selectedCategory() const {
    auto it = std::find_if(objects_.begin(), objects_.end(),
                           [this](const auto& item) { return item.get() == selectedObject_; });
    if (it == objects_.end()) return nullptr;
    while (it != objects_.begin()) {
        --it;
        if ((*it)->category()) return it->get();
    }
    return nullptr;
}

// --- TypeConstants ---------------------------------------------------------------------

TypeConstants& TypeConstants::sharedInstance() {
    static TypeConstants constants;
    return constants;
}

// --- TypeController --------------------------------------------------------------------

namespace {
std::unique_ptr<TypeController> gSharedController;
uint64_t gInstallations = 0;
}  // namespace

TypeController::TypeController(const std::string& defaultModeName)
    : colorType_(Type::typeWithObjects(colors())),
      modeType_(Type::typeWithObjects(modes())),
      adjustType_(Type::typeWithObjects(adjustments())) {
    colorType_->setUseSelectedObjectColor(true);
    colorType_->setValueProvider(GraphicsValueProvider::graphicsValueProviderWithGetBlock(
        [] { return GraphicsTypeController::masterValue(EditingEngine::Master::ColorStrength); },
        [](float value) { GraphicsTypeController::setMasterValue(EditingEngine::Master::ColorStrength, value); },
        [] { return GraphicsTypeController::masterDefaultValue(EditingEngine::Master::ColorStrength); }, true));

    modeType_->setUseSelectedObjectColor(true);
    modeType_->setValueProvider(GraphicsValueProvider::graphicsValueProviderWithName("CA Effect Strength"));

    adjustType_->setColor(CGColorCreateGenericGray(1.0 / 3.0, 1));
    adjustType_->setUseSelectedObjectValue(true);

    // Each selection applies its item, so the engine starts with the first look and the
    // default mode.
    colorType_->setSelectedObject(colorType_->firstObject());
    modeType_->setSelectedObject(modeType_->objectWithName(defaultModeName));
    adjustType_->setSelectedObject(adjustType_->firstObject());
}

TypeController::TypeController(std::unique_ptr<Type> colorType, std::unique_ptr<Type> modeType,
                               std::unique_ptr<Type> adjustType)
    : colorType_(colorType ? std::move(colorType) : std::make_unique<Type>()),
      modeType_(modeType ? std::move(modeType) : std::make_unique<Type>()),
      adjustType_(adjustType ? std::move(adjustType) : std::make_unique<Type>()) {}

TypeController& TypeController::sharedInstance() {
    if (!gSharedController)
        installSharedInstance(std::make_unique<TypeController>(AmbrelAppSettings::sharedInstance().defaultMode()));
    return *gSharedController;
}

TypeController* TypeController::existingInstance() { return gSharedController.get(); }

void TypeController::installSharedInstance(std::unique_ptr<TypeController> controller) {
    gSharedController = std::move(controller);
    ++gInstallations;
}

uint64_t TypeController::installations() { return gInstallations; }

Type* TypeController::typeForTypeSelection(int selection) const {
    switch (selection) {
    case TypeSelectionAdjust: return adjustType_.get();
    case TypeSelectionMode: return modeType_.get();
    case TypeSelectionColor: return colorType_.get();
    default: return nullptr;
    }
}

void TypeController::resetContentOffsets() {
    modeType_->setContentOffset({});
    colorType_->setContentOffset({});
    adjustType_->setContentOffset({});
}

void TypeController::collapseAllCategories() {
    for (Type* type : {modeType_.get(), colorType_.get()})
        for (const auto& item : type->objects())
            if (item->category() && item->categoryExpandable()) item->setCategoryCollapsed(true);
}
