// The colour catalogue: off, tone-map looks, shades, greys, tints and the user's own colour.
// Every item's selection sends colour-adjustment parameters to the engine; the set is made
// when the item is selected, so it follows the tint flags and the custom colour of that moment.
#include <algorithm>

#include "model/GraphicsTypeController.h"
#include "model/Type.h"

namespace {

using Modes::AdjustmentDictionary;
using PickerAppearance::colorWithHexString;
using PickerAppearance::grayscaleColor;

std::shared_ptr<CollectionObject> gOffColorObject;
std::shared_ptr<CollectionObject> gCustomColorObject;

const CGColor kGrayColor = CGColorCreateGenericGray(0.5, 1);
const CGColor kPurpleColor = CGColorMake(0.5, 0, 0.5, 1);

float grayscaleFlag(bool useTint) { return useTint ? 0.0f : 1.0f; }

// A tone-map look, without a filter colour.
AdjustmentDictionary lookAdjustments(const std::string& toneMap, bool useTint) {
    return {{"CA Photo Filter On/Off", 0.0f},
            {"CA Grayscale On/Off", grayscaleFlag(useTint)},
            {"CA Tone Map", toneMap},
            {"CA Photo Filter Tone Map Strength Multiplier", 1.0f}};
}

// A photo filter of the colour, without a look.
AdjustmentDictionary filterAdjustments(const CGColor& color, bool useTint) {
    return {{"CA Photo Filter On/Off", 1.0f},
            {"CA Photo Filter R", float(color.r)},
            {"CA Photo Filter G", float(color.g)},
            {"CA Photo Filter B", float(color.b)},
            {"CA Grayscale On/Off", grayscaleFlag(useTint)},
            {"CA Tone Map", std::string("None")},
            {"CA Photo Filter Tone Map Strength Multiplier", 0.5f}};
}

bool colorObjectsUseTint() { return TypeConstants::sharedInstance().colorColorObjectsUseTint; }
bool grayscaleObjectsUseTint() { return TypeConstants::sharedInstance().colorGrayscaleObjectsUseTint; }

std::string withoutSuffix(const std::string& name, const std::string& suffix) {
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        return name.substr(0, name.size() - suffix.size());
    return name;
}

std::shared_ptr<CollectionObject> fixedColor(const std::string& hex, const std::string& name) {
    return TypeController::constantColorObject(colorWithHexString(hex), name, name.substr(0, 2));
}

// A look of the engine's table under its own name.
std::shared_ptr<CollectionObject> look(const std::string& name, const std::string& hex) {
    auto item = fixedColor(hex, name);
    item->setSelectedBlock(GraphicsTypeController::selectedBlockWithAdjustmentsBlock(
        [name] { return lookAdjustments(name, colorObjectsUseTint()); }));
    return item;
}

// A grayscale look: the look named without the suffix, in grey unless greys are tinted.
std::shared_ptr<CollectionObject> grayscaleLook(const std::string& name, const CGColor& swatch,
                                                const std::string& suffix) {
    auto item = TypeController::constantColorObject(swatch, name, name.substr(0, 2));
    item->setColorIsGrayscale(true);
    const std::string toneMap = TypeController::toneMapForString(withoutSuffix(name, suffix));
    item->setSelectedBlock(GraphicsTypeController::selectedBlockWithAdjustmentsBlock(
        [toneMap] { return lookAdjustments(toneMap, grayscaleObjectsUseTint()); }));
    return item;
}

// A grey photo filter.
std::shared_ptr<CollectionObject> grayFilter(const std::string& name, const CGColor& swatch, const CGColor& filter) {
    auto item = TypeController::constantColorObject(swatch, name, name.substr(0, 3));
    item->setColorIsGrayscale(true);
    item->setSelectedBlock(GraphicsTypeController::selectedBlockWithAdjustmentsBlock(
        [filter] { return filterAdjustments(filter, grayscaleObjectsUseTint()); }));
    return item;
}

// A colour photo filter of the swatch colour.
std::shared_ptr<CollectionObject> tint(const std::string& name, const std::string& hex) {
    auto item = fixedColor(hex, name);
    const CGColor filter = colorWithHexString(hex);
    item->setSelectedBlock(GraphicsTypeController::selectedBlockWithAdjustmentsBlock(
        [filter] { return filterAdjustments(filter, colorObjectsUseTint()); }));
    return item;
}

std::shared_ptr<CollectionObject> imageHeader(const std::string& title, const std::string& image) {
    auto header = CollectionObject::collectionObjectWithImage(UIImage::imageNamed(image));
    header->setString(title);
    header->setSize({44, 44});
    header->setImageSize({44, 44});
    header->setCategory(true);
    return header;
}

std::shared_ptr<CollectionObject> colorHeader(const std::string& title, const CGColor& color,
                                              const std::string& image) {
    auto header = imageHeader(title, image);
    header->setColor(color);
    return header;
}

// Names every item after its group and its place in it ("Darks 3", short "D3"). Separators
// after a titled header count as its items; items before the first one keep their texts.
void nameColorsAfterTheirGroups(const TypeController::Items& items) {
    const CollectionObject* header = nullptr;
    int counter = 0;
    for (const auto& item : items) {
        if (item->category() && item->categoryExpandable()) {
            header = item.get();
            counter = 0;
            continue;
        }
        if (!header || !header->string()) continue;
        ++counter;
        const std::string& title = *header->string();
        item->setString(title.substr(0, 1) + std::to_string(counter));
        item->setName(title + " " + std::to_string(counter));
    }
}

struct Swatch {
    const char* name;
    const char* hex;
};

}  // namespace

TypeController::Items TypeController::colors() {
    Items items;
    items.push_back(CollectionObject::collectionObjectCategory());

    auto off = CollectionObject::collectionObjectWithColor(kGrayColor, std::string());
    off->setName("Normal");
    off->setString("Off");
    off->setImageSize({44, 44});
    off->setSelectedBlock(GraphicsTypeController::selectedBlockWithAdjustments(lookAdjustments("None", true)));
    items.push_back(off);

    items.push_back(imageHeader("Darks", "colorTonesDark"));
    for (const Swatch& s : {Swatch{"Gotham", "#706D77"},
                            {"LoFi", "#928D93"},
                            {"Brannan", "#9E878A"},
                            {"CrossProcess", "#747C80"},
                            {"Provia", "#868990"},
                            {"Velvia", "#777A92"},
                            {"August March", "#C29D63"},
                            {"Electric", "#8A8F81"},
                            {"Window Warmth", "#978278"},
                            {"Ghosts in Your Head", "#7C8BA3"},
                            {"Light Paradise", "#B0A0A3"}})
        items.push_back(look(s.name, s.hex));
    items.push_back(imageHeader("Lights", "colorTones"));
    for (const Swatch& s : {Swatch{"Hudson", "#9F9CC5"},
                            {"Valencia", "#A59E93"},
                            {"Earlybird", "#BC9774"},
                            {"Nashville", "#AD968B"},
                            {"1977", "#CF95B0"},
                            {"Moth Wings", "#9D949C"},
                            {"Twin Lungs", "#A79F99"},
                            {"Blue Yellow Field", "#81807D"},
                            {"Lullabye", "#7D7D9B"},
                            {"Old Postcards II", "#848B7E"},
                            {"Ragdoll", "#7B7681"},
                            {"Toes in the Ocean", "#7A8D92"}})
        items.push_back(look(s.name, s.hex));

    items.push_back(colorHeader("Shades", kPurpleColor, "colorMono"));
    const CGColor sepia = colorWithHexString("AC7A33");
    items.push_back(grayFilter("Sepia", sepia, sepia));
    for (const Swatch& s : {Swatch{"XProII Color", "#7E807B"},
                            {"Brannan Color", "#9E878A"},
                            {"CrossProcess Color", "#747C80"},
                            {"Aurora Color", "#9A966A"},
                            {"Cold Heart Color", "#7C91A4"},
                            {"Blue Poppies Color", "#90937D"},
                            {"Cold Desert Color", "#B5AFC1"},
                            {"Peacock Feathers Color", "#888C91"},
                            {"Pistol Color", "#B09A86"},
                            {"Earlybird Color", "#BC9774"},
                            {"Nashville Color", "#AD968B"},
                            {"1977 Color", "#CF95B0"},
                            {"August March Color", "#C29D63"},
                            {"Lullabye Color", "#7D7D9B"}})
        items.push_back(grayscaleLook(s.name, colorWithHexString(s.hex), " Color"));

    items.push_back(colorHeader("Grays", kGrayColor, "colorGray"));
    for (const Swatch& s : {Swatch{"Inkwell Gray", "#676667"},
                            {"Afterglow Gray", "#747279"},
                            {"LoFi Gray", "#928D93"},
                            {"Digital Film Gray", "#8F8683"},
                            {"Kiss Kiss Gray", "#A8A19F"},
                            {"Moth Wings Gray", "#9D949C"},
                            {"Rivers and Rain Gray", "#9A9897"},
                            {"Twin Lungs Gray", "#A79F99"},
                            {"Ragdoll Gray", "#828282"}})
        items.push_back(grayscaleLook(s.name, grayscaleColor(colorWithHexString(s.hex)), " Gray"));
    struct FixedGray {
        const char* name;
        const char* swatch;
        const char* filter;
    };
    for (const FixedGray& g :
         {FixedGray{"Light", "bcbcbc", "D3D3D3"}, {"Dark", "A9A9A9", "A9A9A9"}, {"Dim", "919191", "696969"}}) {
        auto item = grayFilter(g.name, grayscaleColor(colorWithHexString(g.swatch)),
                               grayscaleColor(colorWithHexString(g.filter)));
        item->setUniqueId(g.name);
        items.push_back(std::move(item));
    }

    items.push_back(imageHeader("Tints", "color"));
    for (const Swatch& s : {Swatch{"Underwater", "00C1B1"},
                            {"Deep Yellow", "FFD500"},
                            {"Deep Emerald", "008C00"},
                            {"Deep Blue", "0022CD"},
                            {"Deep Red", "FF0000"},
                            {"Magenta", "E318E3"},
                            {"Violet", "9B1DEA"},
                            {"Cyan", "1DCBEA"}})
        items.push_back(tint(s.name, s.hex));

    auto customSeparator = CollectionObject::collectionObjectCategory();
    customSeparator->setName("Custom");
    items.push_back(customSeparator);

    auto custom = CollectionObject::collectionObjectWithColor(colorWithHexString("ED9A00"));
    custom->setImage(UIImage::imageNamed("colorCustom"));
    custom->setName("Custom");
    custom->setColorIsMutable(true);
    // The filter colour is the item's colour at the moment it is selected: the user may
    // have changed it.
    std::weak_ptr<CollectionObject> weakCustom = custom;
    custom->setSelectedBlock(GraphicsTypeController::selectedBlockWithAdjustmentsBlock([weakCustom] {
        auto item = weakCustom.lock();
        const CGColor color = item && item->color() ? *item->color() : colorWithHexString("ED9A00");
        return filterAdjustments(color, colorObjectsUseTint());
    }));
    items.push_back(custom);

    nameColorsAfterTheirGroups(items);
    gOffColorObject = off;
    gCustomColorObject = custom;
    return items;
}

std::shared_ptr<CollectionObject> TypeController::offColorObject() { return gOffColorObject; }

std::shared_ptr<CollectionObject> TypeController::customColorObject() { return gCustomColorObject; }

std::shared_ptr<CollectionObject> TypeController::constantColorObject(const CGColor& color, const std::string& name,
                                                                      const std::string& string) {
    auto item = CollectionObject::collectionObjectWithColor(color, string);
    item->setName(name);
    item->setContentColor(PickerAppearance::defaultLightColor());
    item->setIsColor(true);
    return item;
}

const std::vector<std::string>& TypeController::toneMapNames() {
    // Position n is the engine's look n: never reorder or insert.
    static const std::vector<std::string> names = {
        "None",
        "Gotham",
        "Amaro",
        "Mayfair",
        "Rise",
        "Hudson",
        "Valencia",
        "XProII",
        "Sierra",
        "Willow",
        "LoFi",
        "Earlybird",
        "Sutro",
        "Toaster",
        "Brannan",
        "Inkwell",
        "Walden",
        "Hefe",
        "Nashville",
        "1977",
        "Kelvin",
        "CrossProcess",
        "Portra",
        "Provia",
        "Velvia",
        "Afterglow",
        "August March",
        "Aurora",
        "Cold Heart",
        "Electric",
        "Golden Hour",
        "Humming Bees",
        "Midnight Hour",
        "Moth Wings",
        "Rivers and Rain",
        "Snow White",
        "Sparks",
        "Twin Lungs",
        "Wild at Heart",
        "Window Warmth",
        "Alice in Wonderland",
        "Ambers",
        "Blue Poppies",
        "Blue Yellow Field",
        "Carousel",
        "Cold Desert",
        "Digital Film",
        "Documentary",
        "Ghosts in Your Head",
        "Good Luck Charm",
        "Green Envy",
        "Hummingbirds",
        "Kiss Kiss",
        "Left Hand Blues",
        "Light Paradise",
        "Lullabye",
        "Old Postcards I",
        "Old Postcards II",
        "Peacock Feathers",
        "Pistol",
        "Ragdoll",
        "Rose Thorns One",
        "Rose Thorns Two",
        "Set You Free",
        "Toes in the Ocean",
    };
    return names;
}

std::string TypeController::toneMapForString(const std::string& name) {
    const auto& names = toneMapNames();
    return std::find(names.begin(), names.end(), name) != names.end() ? name : "None";
}
