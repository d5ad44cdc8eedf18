// The adjustment catalogue: the twelve adjustments the user sees (master values of the
// render view and five engine parameters), and the list of parameter-bound adjustments
// whose value providers the shown list borrows.
#include "model/GraphicsTypeController.h"
#include "model/GraphicsViewLink.h"
#include "model/Type.h"

namespace {

std::shared_ptr<CollectionObject> gCropAdjustmentObject;
std::shared_ptr<CollectionObject> gResetAdjustmentObject;

using Master = GraphicsViewLink::MasterAdjustment;
using GetBlock = BlockValueProvider::GetBlock;
using SetBlock = BlockValueProvider::SetBlock;

GraphicsViewLink& view() { return GraphicsViewLink::shared(); }

// A master value of the view whose default is the value the applied mode left it at.
std::shared_ptr<ValueProvider> masterProvider(float (GraphicsViewLink::*get)(), void (GraphicsViewLink::*set)(float),
                                              Master master) {
    return GraphicsValueProvider::graphicsValueProviderWithGetBlock(
        [get] { return (view().*get)(); }, [set](float value) { (view().*set)(value); },
        [master] { return view().getCachedMasterAdjustment(master); }, false);
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
        {"Brightness", "adjustBrightness", "#F1C40F",
         masterProvider(&GraphicsViewLink::brightness, &GraphicsViewLink::setBrightness, Master::Brightness), true},
        {"Detail", "adjustDetail", "#E67E22",
         masterProvider(&GraphicsViewLink::contrast, &GraphicsViewLink::setContrast, Master::Contrast), true},
        {"Saturation", "adjustSaturation", "#16A085", borrowedProvider("Saturation"), true},
        {"Depth", "adjustDarkness", "#27AE60",
         masterProvider(&GraphicsViewLink::filmicStrength, &GraphicsViewLink::setFilmicStrength,
                        Master::FilmicStrength),
         true},
        {"Contrast", "adjustContrast", "#16A085", borrowedProvider("Contrast2"), true},
        {"Shadows", "adjustShadows", "#27AE60", borrowedProvider("Shadows"), true},
        {"Highlights", "adjustHighlights", "#2980B9", borrowedProvider("Highlights"), true},
        {"Temperature", "adjustTemperature", "#9B59B6", borrowedProvider("Temperature"), true},
        // Live noise reduction is too slow on older GPUs: there it redraws once the drag ends.
        {"Noise Reduction", "adjustNoise", "#34495E",
         GraphicsValueProvider::graphicsValueProviderWithGetBlock(
             [] { return view().noise(); }, [](float value) { view().setNoise(value); },
             [] { return view().defaultNoise(); }, false, view().useRealtimeNoiseReduction()),
         true},
        {"Vignette", "adjustVignette", "#E67E22",
         GraphicsValueProvider::graphicsValueProviderWithGetBlock(
             [] { return view().vignette(); }, [](float value) { view().setVignette(value); }, nullptr, true),
         true},
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
    for (const Row& row : rows) items.push_back(adjustmentWithName(row.title, row.image, row.parameter, row.defaultValueFromMode));
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
