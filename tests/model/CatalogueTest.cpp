#include <gtest/gtest.h>

#include <algorithm>

#include "model/FakeGraphicsView.h"
#include "model/Type.h"
#include "modes/ModeLibrary.h"

namespace {

using PickerAppearance::colorWithHexString;
using PickerAppearance::grayscaleColor;

std::vector<std::shared_ptr<CollectionObject>> headersOf(const TypeController::Items& items) {
    std::vector<std::shared_ptr<CollectionObject>> headers;
    std::copy_if(items.begin(), items.end(), std::back_inserter(headers), [](const auto& i) { return i->category(); });
    return headers;
}

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { TypeConstants::sharedInstance() = TypeConstants(); }
    void TearDown() override { TypeConstants::sharedInstance() = TypeConstants(); }

    // Runs the item's selected block as its list would.
    void select(CollectionObject& item) {
        ASSERT_TRUE(item.selectedBlock()) << item.name().value_or("?");
        item.selectedBlock()(true, &item);
    }

    FakeGraphicsView view;
};

// ---- Modes -----------------------------------------------------------------------------

struct ShownMode {
    const char* name;
    const char* shortString;
    const char* library;
    bool hasUniqueId;
};

const ShownMode kShownModes[] = {
    {"Enhance 1", "E1", "Norm Ppr Lab Alt", false},
    {"Enhance 2", "E2", "Norm Ppr Lab AltX", false},
    {"Enhance 3", "E3", "Norm 5 AltX", true},
    {"Enhance 4", "E4", "NormalNew Alt", false},
    {"Enhance 5", "E5", "Norm 4 Alt", true},
    {"Low Light 1", "L1", "New Low Light 24", true},
    {"Low Light 2", "L2", "New Low Light 22", true},
    {"Low Light 3", "L3", "LowLightD", true},
    {"Low Light 4", "L4", "Low Light 8", true},
    {"Low Light 5", "L5", "New Low Light 19", true},
    {"Low Light 6", "L6", "LL 13", true},
    {"Low Light 7", "L7", "New Low Light 24XX", true},
    {"Low Light 8", "L8", "LowLight3", true},
    {"Low Light 9", "L9", "New Low Light 25", true},
    {"Artistic 1", "A1", "Nature1CIE", true},
    {"Artistic 2", "A2", "Nature1Alt", true},
    {"Artistic 3", "A3", "Art1CIE", true},
    {"Artistic 4", "A4", "Art16", true},
    {"Artistic 5", "A5", "SimpHDR0cSigAltCIE", true},
    {"Artistic 6", "A6", "SimpHDR0c", true},
    {"Artistic 7", "A7", "SimpHDRNew1CIE", true},
    {"Artistic 8", "A8", "New Low Light 18", false},
    {"Artistic 9", "A9", "Clarity New 10", true},
    {"Artistic 10", "A10", "Art31", true},
    {"Artistic 11", "A11", "Art15", true},
    {"Artistic 12", "A12", "Art27CIE", true},
    {"Clarity 1", "C1", "Art 17", true},
    {"Clarity 2", "C2", "Norm 4 AltCX", true},
    {"Clarity 3", "C3", "Nature New 5X", true},
    {"Clarity 4", "C4", "HC CIE 1 PprX", true},
    {"Clarity 5", "C5", "HC CIE 1 Ppr", true},
    {"Sky 1", "S1", "Sky Enhance 1", true},
    {"Sky 2", "S2", "Sky Enhance 2", true},
    {"Sky 3", "S3", "Sky Enhance 4", true},
    {"Sky 4", "S4", "Clarity 6", true},
    {"Dramatic 1", "D1", "DramaNew1", true},
    {"Dramatic 2", "D2", "Drama New 9", true},
    {"Dramatic 3", "D3", "DramaNew3", true},
    {"Dramatic 4", "D4", "Drama New 8", false},
    {"Dramatic 5", "D5", "DramaNew2", true},
    {"Dramatic 6", "D6", "Drama New 10", true},
    {"Overexposure 1", "O1", "Over Exposure New Alt", true},
    {"Overexposure 2", "O2", "Over Exposure New", true},
    {"Overexposure 3", "O3", "Dehaze Alt Darkness", true},
    {"Overexposure 4", "O4", "Dehaze", true},
    {"Overexposure 5", "O5", "Over Exposure Alt", true},
    {"Overexposure 6", "O6", "Over Exposure", true},
    {"Fog 1", "F1", "Fog 4", true},
    {"Fog 2", "F2", "Fog 6", true},
    {"Fog 3", "F3", "Fog 3", true},
    {"Fog 4", "F4", "Over Exposure 1", true},
    {"Fog 5", "F5", "Over Exposure 1X", true},
    {"Fog 6", "F6", "Over Exposure 1XX", true},
};

TEST_F(CatalogueTest, ModesAreEightGroupsOfFiftyThree) {
    const TypeController::Items modes = TypeController::modes();
    ASSERT_EQ(modes.size(), 61u);
    std::vector<std::string> titles;
    for (const auto& header : headersOf(modes)) {
        titles.push_back(header->string().value_or(""));
        EXPECT_TRUE(header->categoryExpandable());
        EXPECT_EQ(header->imageSize(), (CGSize{25, 25}));
        ASSERT_TRUE(header->image()) << "every group has its picture";
        EXPECT_EQ(header->categoryCollapsed(), titles.back() != "Enhance") << "only Enhance starts expanded";
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Enhance", "Low Light", "Artistic", "Clarity", "Sky", "Dramatic",
                                                "Overexposure", "Fog"}));

    std::size_t next = 0;
    const CollectionObject* header = nullptr;
    for (const auto& item : modes) {
        if (item->category()) {
            header = item.get();
            continue;
        }
        ASSERT_LT(next, std::size(kShownModes));
        const ShownMode& expected = kShownModes[next++];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(item->name(), expected.name);
        EXPECT_EQ(item->string(), expected.shortString);
        EXPECT_EQ(item->uniqueId(), expected.hasUniqueId ? std::optional<std::string>(expected.library) : std::nullopt);
        EXPECT_EQ(item->color(), header->color()) << "in its group's colours";
        EXPECT_EQ(item->contentColor(), header->contentColor());

        // Selecting it pushes its library entry's set, its unique id and ranges.
        select(*item);
        const Modes::ModeLibraryEntry* entry = Modes::ModeLibrary::modeWithName(expected.library);
        ASSERT_NE(entry, nullptr);
        ASSERT_FALSE(view.pushes.empty());
        EXPECT_EQ(view.pushes.back().adjustments, entry->parameters());
        EXPECT_TRUE(view.pushes.back().cache) << "remembered as the mode's values";
        EXPECT_EQ(view.pushes.back().excluded, GraphicsTypeController::adjustmentsToExcludeFromModes());
        EXPECT_EQ(view.uniqueId, expected.hasUniqueId ? expected.library : "");
        const Modes::AdjustmentRange brightness = TypeController::brightnessAdjustmentRangeForMode(*item);
        EXPECT_EQ(view.brightnessRange.minimum, brightness.minimum);
        EXPECT_EQ(view.brightnessRange.maximum, brightness.maximum);
    }
    EXPECT_EQ(next, 53u);
    // The names alone, as the command line looks modes up, agree with the items.
    const std::vector<TypeController::ModeName> names = TypeController::modeNames();
    ASSERT_EQ(names.size(), std::size(kShownModes));
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i].shown, kShownModes[i].name);
        EXPECT_EQ(names[i].library, kShownModes[i].library);
    }
    EXPECT_EQ(headersOf(modes)[0]->color(), PickerAppearance::defaultTintColor());
    EXPECT_EQ(headersOf(modes)[3]->contentColor(), colorWithHexString("faa43c"));
}

TEST_F(CatalogueTest, ModeLibraryEntries) {
    EXPECT_EQ(TypeController::testModeWithName("no such mode"), nullptr);
    auto entry = TypeController::testModeWithName("Norm 4 Alt");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry, TypeController::testModeWithName("Norm 4 Alt")) << "built once and shared";
    EXPECT_EQ(entry->name(), "Norm 4 Alt");
    EXPECT_EQ(entry->color(), CGColorCreateGenericGray(0.5, 0.5));
    ASSERT_TRUE(entry->image()) << "its name drawn as its picture";
    // The cell is the drawn title with room around it.
    const CGSize text = NSStringDrawing::sizeWithAttributes("Norm 4 Alt", PickerAppearance::titleAttributes());
    EXPECT_DOUBLE_EQ(entry->size().width, text.width * 1.4);
    EXPECT_DOUBLE_EQ(entry->size().height, text.height * 1.4);
    // Its selected block applies the set, as the mode's, only when called for a selection.
    ASSERT_TRUE(entry->selectedBlock());
    entry->selectedBlock()(false, entry.get());
    EXPECT_TRUE(view.pushes.empty());
    entry->selectedBlock()(true, entry.get());
    ASSERT_EQ(view.pushes.size(), 1u);
    EXPECT_EQ(view.pushes[0].adjustments, Modes::ModeLibrary::modeWithName("Norm 4 Alt")->parameters());
    EXPECT_TRUE(view.pushes[0].cache);

    const TypeController::Items library = TypeController::testModes();
    ASSERT_EQ(library.size(), Modes::ModeLibrary::kEntryCount);
    EXPECT_EQ(library.front()->name(), Modes::ModeLibrary::shared().entries().front().name());
}

TEST_F(CatalogueTest, ModeRangesGoByUniqueIdWithTheFirstRowWinning) {
    struct Case {
        std::optional<std::string> uniqueId;
        Modes::AdjustmentRange brightness, contrast;
    };
    const Case cases[] = {
        {std::nullopt, {0, 1}, {0, 1}},                // a mode without a unique id
        {"New Low Light 20", {0, 0.7f}, {0, 1}},       // stands twice; the first row answers
        {"Over Exposure 1", {0.3f, 0.8f}, {0, 0.6f}},  // shown as "Fog 4"
        {"Fog 6", {0.5f, 1}, {0, 0.09f}},              // shown as "Fog 2"
        {"Norm 5", {0, 0.52f}, {0, 0.55f}},            // exact matches only:
        {"Norm 5 A", {0, 1}, {0, 1}},                  //   not a prefix
        {"LowLight3", {0, 1}, {0, 0.65f}},             // contrast row only
        {"Nature New 5X", {0, 0.65f}, {0, 0.18f}},     // last contrast row
        {"Over Exposure 1XX", {0, 0.8f}, {0, 0.6f}},   // last brightness row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uniqueId.value_or("(unset)"));
        CollectionObject mode;
        mode.setUniqueId(c.uniqueId);
        const Modes::AdjustmentRange b = TypeController::brightnessAdjustmentRangeForMode(mode);
        const Modes::AdjustmentRange k = TypeController::contrastAdjustmentRangeForMode(mode);
        EXPECT_EQ(b.minimum, c.brightness.minimum);
        EXPECT_EQ(b.maximum, c.brightness.maximum);
        EXPECT_EQ(k.minimum, c.contrast.minimum);
        EXPECT_EQ(k.maximum, c.contrast.maximum);
    }

    int withBrightness = 0, withContrast = 0;
    for (const auto& item : TypeController::modes()) {
        if (item->category()) continue;
        const Modes::AdjustmentRange b = TypeController::brightnessAdjustmentRangeForMode(*item);
        const Modes::AdjustmentRange k = TypeController::contrastAdjustmentRangeForMode(*item);
        withBrightness += !(b.minimum == 0 && b.maximum == 1);
        withContrast += !(k.minimum == 0 && k.maximum == 1);
    }
    EXPECT_EQ(withBrightness, 45);
    EXPECT_EQ(withContrast, 33);
}

// ---- Colours ---------------------------------------------------------------------------

TEST_F(CatalogueTest, ColorsAreNamedAfterTheirGroups) {
    const TypeController::Items colors = TypeController::colors();
    ASSERT_EQ(colors.size(), 67u);
    std::vector<std::string> names;
    for (const auto& item : colors) names.push_back(item->name().value_or("(none)"));

    std::vector<std::string> expected = {"(none)", "Normal", "Darks"};
    auto group = [&](const std::string& title, int count, bool header = true) {
        if (header) expected.push_back(title);
        for (int i = 1; i <= count; ++i) expected.push_back(title + " " + std::to_string(i));
    };
    group("Darks", 11, false);
    group("Lights", 12);
    group("Shades", 15);
    group("Grays", 12);
    group("Tints", 10);  // the "Custom" separator and the custom item end the tints
    EXPECT_EQ(names, expected);

    EXPECT_EQ(colors[1]->string(), "Off");
    EXPECT_EQ(colors[1], TypeController::offColorObject());
    EXPECT_EQ(colors.back(), TypeController::customColorObject());
    EXPECT_EQ(colors.back()->string(), "T10");
    EXPECT_TRUE(colors.back()->colorIsMutable());
    EXPECT_EQ(colors[3]->string(), "D1");
    EXPECT_EQ(colors[3]->color(), colorWithHexString("#706D77"));
    EXPECT_TRUE(colors[3]->isColor());
    EXPECT_EQ(colors[3]->contentColor(), PickerAppearance::defaultLightColor());

    std::vector<std::string> headers;
    for (const auto& header : headersOf(colors))
        if (header->categoryExpandable()) headers.push_back(*header->string());
    EXPECT_EQ(headers, (std::vector<std::string>{"Darks", "Lights", "Shades", "Grays", "Tints"}));

    const TypeController::Items again = TypeController::colors();
    EXPECT_EQ(TypeController::offColorObject(), again[1]) << "the last list's items";
    EXPECT_NE(TypeController::offColorObject(), colors[1]);
}

TEST_F(CatalogueTest, LookNames) {
    EXPECT_EQ(TypeController::toneMapNames().size(), 65u);
    EXPECT_EQ(TypeController::toneMapForString("XProII"), "XProII");
    EXPECT_EQ(TypeController::toneMapForString("Sepia"), "None");
    EXPECT_EQ(TypeController::toneMapForString("xproii"), "None");
}

TEST_F(CatalogueTest, ColorSelectionSendsItsKindOfAdjustments) {
    const TypeController::Items colors = TypeController::colors();
    auto named = [&](const std::string& name) {
        for (const auto& item : colors)
            if (!item->category() && item->name() == name) return item;
        ADD_FAILURE() << name;
        return colors[1];
    };
    struct Case {
        const char* item;
        bool colorUseTint, grayscaleUseTint;
        const char* toneMap;
        float filterOn, grayscale, multiplier;
        std::optional<CGColor> filter;
    };
    const CGColor sepia = colorWithHexString("AC7A33");
    const Case cases[] = {
        {"Normal", true, false, "None", 0, 0, 1, {}},
        {"Darks 1", true, false, "Gotham", 0, 0, 1, {}},
        {"Darks 1", false, false, "Gotham", 0, 1, 1, {}},  // a look turns grey unless tinted
        {"Lights 12", true, false, "Toes in the Ocean", 0, 0, 1, {}},
        {"Shades 1", true, false, "None", 1, 1, 0.5f, sepia},  // Sepia: a grey filter
        {"Shades 1", true, true, "None", 1, 0, 0.5f, sepia},
        {"Shades 2", true, false, "XProII", 0, 1, 1, {}},                                             // "XProII Color"
        {"Grays 1", true, true, "Inkwell", 0, 0, 1, {}},                                              // "Inkwell Gray"
        {"Grays 10", true, false, "None", 1, 1, 0.5f, grayscaleColor(colorWithHexString("D3D3D3"))},  // Light
        {"Grays 12", true, false, "None", 1, 1, 0.5f, grayscaleColor(colorWithHexString("696969"))},  // Dim
        {"Tints 5", true, false, "None", 1, 0, 0.5f, CGColorMake(1, 0, 0, 1)},                        // Deep Red
        {"Tints 5", false, false, "None", 1, 1, 0.5f, CGColorMake(1, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + (c.colorUseTint ? " tinted colours" : "") +
                     (c.grayscaleUseTint ? " tinted greys" : ""));
        TypeConstants::sharedInstance().colorColorObjectsUseTint = c.colorUseTint;
        TypeConstants::sharedInstance().colorGrayscaleObjectsUseTint = c.grayscaleUseTint;
        view.values.clear();
        view.redraws.clear();
        select(*named(c.item));
        EXPECT_EQ(view.strings["CA Tone Map"], c.toneMap);
        EXPECT_EQ(view.values["CA Photo Filter On/Off"], c.filterOn);
        EXPECT_EQ(view.values["CA Grayscale On/Off"], c.grayscale);
        EXPECT_EQ(view.values["CA Photo Filter Tone Map Strength Multiplier"], c.multiplier);
        EXPECT_FALSE(view.pushes.back().cache);
        if (c.filter) {
            EXPECT_FLOAT_EQ(view.values["CA Photo Filter R"], float(c.filter->r));
            EXPECT_FLOAT_EQ(view.values["CA Photo Filter G"], float(c.filter->g));
            EXPECT_FLOAT_EQ(view.values["CA Photo Filter B"], float(c.filter->b));
        } else {
            EXPECT_EQ(view.values.count("CA Photo Filter R"), 0u);
        }
        view.settle();
        // The strength multiplier is not a parameter the cache can render.
        EXPECT_EQ(view.redraws, std::vector<bool>{false});
    }
}

TEST_F(CatalogueTest, CustomColorIsReadWhenSelected) {
    const TypeController::Items colors = TypeController::colors();
    auto custom = TypeController::customColorObject();
    select(*custom);
    EXPECT_FLOAT_EQ(view.values["CA Photo Filter R"], float(0xED / 255.0));
    custom->setColor(CGColorMake(0.1, 0.2, 0.3, 1));
    select(*custom);
    EXPECT_FLOAT_EQ(view.values["CA Photo Filter R"], 0.1f);
    EXPECT_FLOAT_EQ(view.values["CA Photo Filter B"], 0.3f);
    EXPECT_EQ(view.values["CA Photo Filter On/Off"], 1.0f);
}

// ---- Adjustments -----------------------------------------------------------------------

TEST_F(CatalogueTest, AdjustmentsShownAndBorrowed) {
    const TypeController::Items adjustments = TypeController::adjustments();
    ASSERT_EQ(adjustments.size(), 13u);
    EXPECT_TRUE(adjustments[0]->category());
    std::vector<std::string> titles;
    for (std::size_t i = 1; i < adjustments.size(); ++i) {
        titles.push_back(adjustments[i]->name().value_or(""));
        EXPECT_TRUE(adjustments[i]->image()) << titles.back();
        EXPECT_EQ(adjustments[i]->imageSize(), (CGSize{35, 35}));
    }
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Brightness", "Detail", "Saturation", "Depth", "Contrast", "Shadows",
                                        "Highlights", "Temperature", "Noise Reduction", "Vignette", "Reset", "Crop"}));
    EXPECT_EQ(adjustments[1]->color(), colorWithHexString("#F1C40F"));
    EXPECT_EQ(adjustments[11], TypeController::resetAdjustmentObject());
    EXPECT_EQ(adjustments[12], TypeController::cropAdjustmentObject());
    for (const auto& action : {adjustments[11], adjustments[12]}) {
        EXPECT_FALSE(action->selectable());
        EXPECT_EQ(action->valueProvider(), nullptr);
    }

    // The borrowed providers are the kept entries' own.
    EXPECT_EQ(TypeController::testAdjustmentWithName("Saturation"),
              TypeController::testAdjustmentWithName("Saturation"));
    EXPECT_EQ(TypeController::testAdjustmentWithName("Contrast"), nullptr) << "the shown title is not an entry";
    EXPECT_EQ(TypeController::testAdjustments().size(), 13u);
    struct Borrowed {
        std::size_t index;
        const char* entry;
        const char* parameter;
    };
    for (const Borrowed& b : {Borrowed{3, "Saturation", "CA Saturation Strength"},
                              {5, "Contrast2", "CA Contrast Strength"},
                              {6, "Shadows", "CA Shadows Strength"},
                              {7, "Highlights", "CA Highlights Strength"},
                              {8, "Temperature", "CA Temperature"}}) {
        SCOPED_TRACE(b.entry);
        EXPECT_EQ(adjustments[b.index]->valueProvider(),
                  TypeController::testAdjustmentWithName(b.entry)->valueProvider());
        adjustments[b.index]->setValue(0.61f);
        EXPECT_FLOAT_EQ(view.values[b.parameter], 0.61f);
    }
}

TEST_F(CatalogueTest, AdjustmentsDriveTheMasterValues) {
    const TypeController::Items adjustments = TypeController::adjustments();
    struct Case {
        std::size_t index;
        const char* master;
        float defaultValue;
    };
    for (const Case& c :
         {Case{1, "brightness", 0.4f}, {2, "contrast", 0.3f}, {4, "filmicStrength", 0.2f}, {9, "noise", 0.25f}}) {
        SCOPED_TRACE(c.master);
        adjustments[c.index]->setValue(0.7f);
        EXPECT_FLOAT_EQ(view.masters[c.master], 0.7f);
        EXPECT_FLOAT_EQ(adjustments[c.index]->value(), 0.7f);
        EXPECT_FLOAT_EQ(adjustments[c.index]->defaultValue(), c.defaultValue);
    }
    // The vignette has no default of its own: the value when the list was made.
    adjustments[10]->setValue(0.9f);
    EXPECT_FLOAT_EQ(adjustments[10]->defaultValue(), 0.0f);
    view.redraws.clear();
    view.settle();
    EXPECT_EQ(view.redraws, std::vector<bool>{false}) << "master values rebuild the picture";
}

TEST_F(CatalogueTest, SlowNoiseReductionRedrawsAtTheEndOfTheDrag) {
    view.realtimeNoiseReduction = false;
    auto noise = TypeController::adjustments()[9];
    noise->valueWillBeginChange();
    noise->setValue(0.3f);
    noise->setValue(0.4f);
    view.settle();
    EXPECT_TRUE(view.redraws.empty());
    noise->valueWillFinishChange();
    view.settle();
    EXPECT_EQ(view.redraws, std::vector<bool>{false});
}

}  // namespace
