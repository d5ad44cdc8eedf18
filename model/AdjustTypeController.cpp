// The adjustment catalogue: the twelve adjustments the user sees (master values of the
// render view and five engine parameters), and the list of parameter-bound adjustments
// whose value providers the shown list borrows.
#include "model/GraphicsTypeController.h"
#include "model/Type.h"

namespace {

std::shared_ptr<CollectionObject> gCropAdjustmentObject;
std::shared_ptr<CollectionObject> gResetAdjustmentObject;

using Master = EditingEngine::Master;

// A master value of the engine, returning to its default (for brightness, contrast and
// filmic strength the value the applied mode left it at, for noise the engine's own; the
// vignette's is its value when the list is made).
std::shared_ptr<ValueProvider> masterProvider(Master master, bool withDefault, bool useCache,
                                              bool updateInRealtime = true) {
    BlockValueProvider::GetBlock defaultBlock;
    if (withDefault) defaultBlock = [master] { return GraphicsTypeController::masterDefaultValue(master); };
    return GraphicsValueProvider::graphicsValueProviderWithGetBlock(
        [master] { return GraphicsTypeController::masterValue(master); },
        [master](float value) { GraphicsTypeController::setMasterValue(master, value); }, std::move(defaultBlock),
        useCache, updateInRealtime);
}

std::shared_ptr<ValueProvider> borrowedProvider(const std::string& name) {
    auto entry = TypeController::testAdjustmentWithName(name);
    return entry ? entry->valueProvider() : nullptr;
}

}  // namespace

TypeController::Items TypeController::adjustments() {
    struct Row {
        const char* title;
        const char* image;
        const char* color;
        std::shared_ptr<ValueProvider> provider;
        bool selectable;
    };
    const Row rows[] = {
        {"Brightness", "adjustBrightness", "#F1C40F", masterProvider(Master::Brightness, true, false), true},
        {"Detail", "adjustDetail", "#E67E22", masterProvider(Master::Contrast, true, false), true},
        {"Saturation", "adjustSaturation", "#16A085", borrowedProvider("Saturation"), true},
        {"Depth", "adjustDarkness", "#27AE60", masterProvider(Master::FilmicStrength, true, false), true},
        {"Contrast", "adjustContrast", "#16A085", borrowedProvider("Contrast2"), true},
        {"Shadows", "adjustShadows", "#27AE60", borrowedProvider("Shadows"), true},
        {"Highlights", "adjustHighlights", "#2980B9", borrowedProvider("Highlights"), true},
        {"Temperature", "adjustTemperature", "#9B59B6", borrowedProvider("Temperature"), true},
        // Live noise reduction is too slow on older GPUs: there it redraws once the drag ends.
        {"Noise Reduction", "adjustNoise", "#34495E",
         masterProvider(Master::Noise, true, false, GraphicsTypeController::useRealtimeNoiseReduction()), true},
        {"Vignette", "adjustVignette", "#E67E22", masterProvider(Master::Vignette, false, true), true},
        {"Reset", "adjustReset", "#9B59B6", nullptr, false},
        {"Crop", "adjustCrop", "#9B59B6", nullptr, false},
    };

    Items items{CollectionObject::collectionObjectCategory()};
    for (const Row& row : rows) {
        auto item = CollectionObject::collectionObjectWithImage(UIImage::imageNamed(row.image));
        item->setImageSize({35, 35});
        item->setColor(PickerAppearance::colorWithHexString(row.color));
        item->setContentColor(PickerAppearance::defaultLightColor());
        item->setString(std::string(row.title));
        item->setValueProvider(row.provider);
        item->setSelectable(row.selectable);
        items.push_back(std::move(item));
    }
    gResetAdjustmentObject = items[items.size() - 2];
    gCropAdjustmentObject = items.back();
    return items;
}

std::shared_ptr<CollectionObject> TypeController::cropAdjustmentObject() { return gCropAdjustmentObject; }

std::shared_ptr<CollectionObject> TypeController::resetAdjustmentObject() { return gResetAdjustmentObject; }

TypeController::Items TypeController::testAdjustments() {
    struct Row {
        const char* title;
        const char* image;
        const char* parameter;
        bool defaultValueFromMode;
    };
    static const Row rows[] = {
        {"Curves", "adjustmentCurves.png", "Alg Filmic Strength", false},
        {"Color", "adjustmentColor.png", "Alg Color Correction Strength", false},
        {"Brightness2", "adjustmentBrightness.png", "CA Exponential Brightness Strength", false},
        {"Contrast2", "adjustmentContrast.png", "CA Contrast Strength", false},
        {"Saturation", "adjustmentSaturation.png", "CA Saturation Strength", false},
        {"Exponential Saturation", "adjustmentSaturation.png", "CA Exponential Saturation Strength", false},
        {"Saturation C", "adjustmentSaturation.png", "CA Saturation Contrast Strength", true},
        {"Vibrancy", "adjustmentVibrance.png", "CA Vibrancy Strength", false},
        {"Exposure", "adjustmentExposure.png", "CA Exposure", false},
        {"Shadows", "adjustmentShadows.png", "CA Shadows Strength", false},
        {"Highlights", "adjustmentHighlights.png", "CA Highlights Strength", false},
        {"Effect", "adjustmentStrength.png", "CA Effect Strength", false},
        {"Temperature", "adjustmentTemperature.png", "CA Temperature", false},
    };
    Items items;
    for (const Row& row : rows)
        items.push_back(adjustmentWithName(row.title, row.image, row.parameter, row.defaultValueFromMode));
    return items;
}

std::shared_ptr<CollectionObject> TypeController::testAdjustmentWithName(const std::string& name) {
    static const Items kept = testAdjustments();
    for (const auto& item : kept)
        if (item->name() == name) return item;
    return nullptr;
}

std::shared_ptr<CollectionObject> TypeController::adjustmentWithName(const std::string& title, const std::string&,
                                                                     GraphicsValueProvider::NameBlock nameBlock,
                                                                     bool defaultValueFromMode) {
    auto item = titledObject(title);
    item->setValueProvider(
        GraphicsValueProvider::graphicsValueProviderWithNameBlock(std::move(nameBlock), defaultValueFromMode));
    return item;
}

std::shared_ptr<CollectionObject> TypeController::adjustmentWithName(const std::string& title,
                                                                     const std::string& imageName,
                                                                     const std::string& adjustment,
                                                                     bool defaultValueFromMode) {
    return adjustmentWithName(title, imageName, GraphicsValueProvider::NameBlock([adjustment] { return adjustment; }),
                              defaultValueFromMode);
}

std::shared_ptr<CollectionObject> TypeController::titledObject(const std::string& title) {
    const NSStringAttributes attributes = PickerAppearance::titleAttributes();
    const CGSize textSize = NSStringDrawing::sizeWithAttributes(title, attributes);
    auto item = CollectionObject::collectionObjectWithImage(TextDrawing::imageWithText(title, attributes),
                                                            {textSize.width * 1.4, textSize.height * 1.4}, false);
    item->setString(title);
    item->setColor(CGColorCreateGenericGray(0.5, 0.5));
    return item;
}
