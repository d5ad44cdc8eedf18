// The mode catalogue: the groups and modes of the mode picker, built on the mode library's
// parameter sets, and the brightness and contrast ranges of each mode.
#include <cctype>
#include <cstdio>
#include <map>

#include "model/GraphicsTypeController.h"
#include "model/Type.h"
#include "modes/ModeLibrary.h"

namespace {

struct ModeGroup {
    const char* title;
    const char* image;
    const char* color;  // hexadecimal; null: the application's tint colour
    const char* contentColor;
    // Library names in list order; a leading '-' marks a mode that carries no unique id.
    std::vector<const char*> modes;
};

const std::vector<ModeGroup>& modeGroups() {
    static const std::vector<ModeGroup> groups = {
        {"Enhance",
         "modeNormal",
         nullptr,
         "feeabd",
         {"-Norm Ppr Lab Alt", "-Norm Ppr Lab AltX", "Norm 5 AltX", "-NormalNew Alt", "Norm 4 Alt"}},
        {"Low Light",
         "modeLowLight",
         "4f847c",
         "feeabd",
         {"New Low Light 24", "New Low Light 22", "LowLightD", "Low Light 8", "New Low Light 19", "LL 13",
          "New Low Light 24XX", "LowLight3", "New Low Light 25"}},
        {"Artistic",
         "modeArt",
         "e66565",
         "feeabd",
         {"Nature1CIE", "Nature1Alt", "Art1CIE", "Art16", "SimpHDR0cSigAltCIE", "SimpHDR0c", "SimpHDRNew1CIE",
          "-New Low Light 18", "Clarity New 10", "Art31", "Art15", "Art27CIE"}},
        {"Clarity",
         "modeSun",
         "2fb5cd",
         "faa43c",
         {"Art 17", "Norm 4 AltCX", "Nature New 5X", "HC CIE 1 PprX", "HC CIE 1 Ppr"}},
        {"Sky", "modeOvercast", "6dc0ab", "feeabd", {"Sky Enhance 1", "Sky Enhance 2", "Sky Enhance 4", "Clarity 6"}},
        {"Dramatic",
         "modeDramatic",
         "8b61ab",
         "f3e6fd",
         {"DramaNew1", "Drama New 9", "DramaNew3", "-Drama New 8", "DramaNew2", "Drama New 10"}},
        {"Overexposure",
         "modeExposure",
         "dba250",
         "fff8ed",
         {"Over Exposure New Alt", "Over Exposure New", "Dehaze Alt Darkness", "Dehaze", "Over Exposure Alt",
          "Over Exposure"}},
        {"Fog",
         "modeFog",
         "4da0c6",
         "f7f7f7",
         {"Fog 4", "Fog 6", "Fog 3", "Over Exposure 1", "Over Exposure 1X", "Over Exposure 1XX"}},
    };
    return groups;
}

struct RangeRow {
    const char* name;
    float minimum, maximum;
};

// Looked up by the first row of the mode's library name; a name may stand twice, the later
// row is then never reached.
constexpr RangeRow kBrightnessRanges[] = {
    {"LowLightD", 0, 0.52f},
    {"Norm 5", 0, 0.52f},
    {"Norm 5 Alt", 0, 0.52f},
    {"Nature1Alt", 0, 0.52f},
    {"Nature1CIE", 0, 0.52f},
    {"SimpHDR0cSigAltCIE", 0, 0.52f},
    {"SimpHDR0c", 0, 0.52f},
    {"SimpHDRNew1CIE", 0, 0.52f},
    {"Clarity New 10", 0, 0.52f},
    {"Art15", 0, 0.52f},
    {"Art27CIE", 0, 0.52f},
    {"Art1CIE", 0, 0.52f},
    {"Norm 5 AltX", 0, 0.54f},
    {"Norm 4", 0, 0.75f},
    {"Norm 4 Alt", 0, 0.75f},
    {"Norm 4 AltX", 0, 0.75f},
    {"Normal New 7", 0, 0.744f},
    {"New Low Light 24", 0, 0.58f},
    {"New Low Light 24XX", 0, 0.58f},
    {"Art 14CIE", 0, 0.577f},
    {"New Low Light 22", 0, 0.63f},
    {"Low Light 8", 0, 0.7f},
    {"LL 13", 0, 0.7f},
    {"New Low Light 20", 0, 0.7f},
    {"Low Light 11", 0, 0.7f},
    {"Drama New 10", 0, 0.7f},
    {"New Low Light 19", 0, 0.8f},
    {"New Low Light 25", 0, 0.8f},
    {"DramaNew3", 0, 0.8f},
    {"New Low Light 20", 0, 0.7f},
    {"Nature New 5", 0, 0.65f},
    {"Art28", 0, 0.65f},
    {"Sky Enhance 4", 0, 0.65f},
    {"Sky Enhance 1", 0, 0.65f},
    {"Sky Enhance 2", 0, 0.65f},
    {"Drama New 9", 0, 0.65f},
    {"Nature New 5X", 0, 0.65f},
    {"Art2CIE", 0, 0.5f},
    {"Art 17", 0, 0.5f},
    {"Art25", 0, 0.5f},
    {"Art26CIE", 0, 0.5f},
    {"Art3", 0, 0.6f},
    {"Clarity 6", 0, 0.6f},
    {"Clarity New 9", 0, 0.6f},
    {"Art29", 0, 0.6f},
    {"HC CIE 1 Ppr", 0, 0.6f},
    {"Clarity3", 0, 0.6f},
    {"Art16", 0, 0.6f},
    {"Art31", 0, 0.6f},
    {"HC CIE 1 PprX", 0, 0.6f},
    {"DramaNew1", 0, 0.7f},
    {"Over Exposure Alt", 0, 0.5f},
    {"Over Exposure", 0, 0.5f},
    {"Over Exposure New Alt", 0.55f, 0.85f},
    {"Over Exposure New", 0.55f, 0.85f},
    {"Dehaze Alt Darkness", 0.55f, 0.85f},
    {"Dehaze", 0.55f, 0.85f},
    {"Fog 6", 0.5f, 1},
    {"Fog 3", 0.16f, 0.8f},
    {"Fog 4", 0, 0.8f},
    {"Over Exposure 1", 0.3f, 0.8f},
    {"Over Exposure 1X", 0, 0.8f},
    {"Over Exposure 1XX", 0, 0.8f},
};

constexpr RangeRow kContrastRanges[] = {
    {"SimpHDR0c", 0, 0.15f},
    {"SimpHDRNew1CIE", 0, 0.15f},
    {"Art1CIE", 0, 0.15f},
    {"Art6", 0, 0.15f},
    {"Nature1Alt", 0, 0.17f},
    {"Nature1CIE", 0, 0.17f},
    {"Art2CIE", 0, 0.2f},
    {"Art3", 0, 0.25f},
    {"LowLight3", 0, 0.65f},
    {"Sky Enhance 2", 0, 0.65f},
    {"SimpHDR0cSig", 0, 0.1f},
    {"SimpHDRNew", 0, 0.1f},
    {"Norm 5", 0, 0.55f},
    {"Norm 5 Alt", 0, 0.55f},
    {"Norm 5 AltX", 0, 0.55f},
    {"Normal New 7", 0, 0.92f},
    {"Normal New 9", 0, 0.76f},
    {"Art31", 0, 0.76f},
    {"LowLightD", 0, 0.8f},
    {"Nature New 5", 0, 0.24f},
    {"Art28", 0, 0.24f},
    {"Art 17", 0, 0.09f},
    {"Fog 6", 0, 0.09f},
    {"Art29", 0, 0.12f},
    {"Sky Enhance 4", 0, 0.08f},
    {"Art15", 0, 0.07f},
    {"Art16", 0, 0.15f},
    {"SimpHDR0cSigAltCIE", 0, 0.15f},
    {"Art 14CIE", 0, 0.33f},
    {"Clarity New 10", 0, 0.05f},
    {"Art27CIE", 0, 0.2f},
    {"DramaNew3", 0, 0.7f},
    {"Drama New 10", 0, 0.85f},
    {"Over Exposure New Alt", 0, 0.75f},
    {"Over Exposure New", 0, 0.75f},
    {"Dehaze Alt Darkness", 0, 0.75f},
    {"Dehaze", 0, 0.75f},
    {"Over Exposure Alt", 0, 0.75f},
    {"Over Exposure", 0, 0.75f},
    {"Fog 4", 0, 0.6f},
    {"Fog 3", 0, 0.6f},
    {"Over Exposure 1", 0, 0.6f},
    {"Over Exposure 1X", 0, 0.6f},
    {"Over Exposure 1XX", 0, 0.6f},
    {"HC CIE 1 PprX", 0, 0.08f},
    {"Nature New 5X", 0, 0.18f},
};

template <std::size_t N>
Modes::AdjustmentRange rangeForMode(const RangeRow (&rows)[N], const CollectionObject& mode) {
    if (const auto& uniqueId = mode.uniqueId()) {
        for (const RangeRow& row : rows)
            if (*uniqueId == row.name) return {row.minimum, row.maximum};
    }
    return {0, 1};
}

std::shared_ptr<CollectionObject> groupHeader(const ModeGroup& group) {
    auto header = CollectionObject::collectionObjectWithImage(UIImage::imageNamed(group.image), {44, 44}, false);
    header->setString(group.title);
    header->setImageSize({25, 25});
    header->setColor(group.color ? PickerAppearance::colorWithHexString(group.color)
                                 : PickerAppearance::defaultTintColor());
    header->setContentColor(PickerAppearance::colorWithHexString(group.contentColor));
    header->setCategory(true);
    return header;
}

// A mode's name: its group's title and its place in the group, from 1.
std::string ShownModeName(const std::string& title, int place) { return title + " " + std::to_string(place); }

// The library name of a list entry.
std::string LibraryModeName(const char* entry) { return entry[0] == '-' ? entry + 1 : entry; }

// Names every mode after its group and its place in it ("Low Light 3", short "L3"), in the
// group's colours.
void nameModesAfterTheirGroups(const TypeController::Items& items) {
    const CollectionObject* header = nullptr;
    int counter = 0;
    for (const auto& item : items) {
        if (item->category()) {
            header = item.get();
            counter = 0;
            continue;
        }
        ++counter;
        if (!header) continue;
        const std::string title = header->string().value_or("");
        item->setColor(header->color());
        item->setString(title.substr(0, 1) + std::to_string(counter));
        item->setName(ShownModeName(title, counter));
        item->setContentColor(header->contentColor());
    }
}

}  // namespace

TypeController::Items TypeController::modes() {
    Items items;
    for (const ModeGroup& group : modeGroups()) {
        auto header = groupHeader(group);
        if (std::string(group.title) == "Enhance") header->setCategoryCollapsed(false);
        items.push_back(header);
        for (const char* mode : group.modes) {
            const bool hasUniqueId = mode[0] != '-';
            const std::string name = LibraryModeName(mode);
            auto item = CollectionObject::collectionObjectWithColor(*header->color());
            item->setBorder(false);
            item->setContentColor(header->contentColor());
            if (auto entry = testModeWithName(name)) item->setSelectedBlock(entry->selectedBlock());
            else std::fprintf(stderr, "tavorin: the mode library has no set named \"%s\"\n", name.c_str());
            if (hasUniqueId) item->setUniqueId(name);
            items.push_back(std::move(item));
        }
    }
    nameModesAfterTheirGroups(items);
    return items;
}

std::vector<TypeController::ModeName> TypeController::modeNames() {
    std::vector<ModeName> names;
    for (const ModeGroup& group : modeGroups())
        for (std::size_t i = 0; i < group.modes.size(); ++i)
            names.push_back({ShownModeName(group.title, static_cast<int>(i) + 1), LibraryModeName(group.modes[i])});
    return names;
}

std::optional<TypeController::ModeName> TypeController::modeNamed(const std::string& shown) {
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const std::string wanted = lower(shown);
    for (ModeName& mode : modeNames())
        if (lower(mode.shown) == wanted) return std::move(mode);
    return std::nullopt;
}

std::shared_ptr<CollectionObject> TypeController::modeWithName(const std::string& name, const std::string&,
                                                               Modes::AdjustmentDictionary adjustments) {
    auto item = titledObject(name);
    item->setSelectedBlock(GraphicsTypeController::selectedBlockWithModeAdjustments(std::move(adjustments)));
    return item;
}

TypeController::Items TypeController::testModes() {
    Items items;
    for (const Modes::ModeLibraryEntry& entry : Modes::ModeLibrary::shared().entries())
        items.push_back(modeWithName(entry.name(), entry.imageName(), entry.parameters()));
    return items;
}

std::shared_ptr<CollectionObject> TypeController::testModeWithName(const std::string& name) {
    // Entries are made on first lookup (drawing all 145 titles is not needed) and kept, so
    // a mode item and its library entry share one selected block.
    static std::map<std::string, std::shared_ptr<CollectionObject>, std::less<>> entries;
    if (auto found = entries.find(name); found != entries.end()) return found->second;
    const Modes::ModeLibraryEntry* entry = Modes::ModeLibrary::modeWithName(name);
    if (!entry) return nullptr;
    auto item = modeWithName(entry->name(), entry->imageName(), entry->parameters());
    entries.emplace(name, item);
    return item;
}

Modes::AdjustmentRange TypeController::brightnessAdjustmentRangeForMode(const CollectionObject& mode) {
    return rangeForMode(kBrightnessRanges, mode);
}

Modes::AdjustmentRange TypeController::contrastAdjustmentRangeForMode(const CollectionObject& mode) {
    return rangeForMode(kContrastRanges, mode);
}
