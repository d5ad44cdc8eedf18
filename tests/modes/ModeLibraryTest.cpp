// The transcribed table against its own published figures, and the look-up by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "modes/ModeLibrary.h"
#include "modes/ModeLibraryFigures.h"

namespace {

using Modes::ModeLibrary;
using Modes::ModeLibraryEntry;
namespace Figures = ModeLibraryFigures;

const ModeLibrary& library() { return ModeLibrary::shared(); }

const ModeLibraryEntry& entry(std::string_view name) {
    const ModeLibraryEntry* found = library().find(name);
    if (found == nullptr) throw std::runtime_error("no entry " + std::string(name));
    return *found;
}

// ---- the table against its figures ----

TEST(ModeLibraryTable, EntriesHaveTheirNamesImagesAndPairCountsInBuildOrder) {
    ASSERT_EQ(library().size(), ModeLibrary::kEntryCount);
    ASSERT_EQ(std::size(Figures::kEntries), ModeLibrary::kEntryCount);
    for (const Figures::Entry& expected : Figures::kEntries) {
        const ModeLibraryEntry& actual = library().entries()[expected.position];
        SCOPED_TRACE(std::string(expected.name));
        EXPECT_EQ(actual.position(), expected.position);
        EXPECT_EQ(actual.name(), expected.name);
        EXPECT_EQ(actual.imageName(), expected.imageName);
        EXPECT_EQ(actual.passedPairs().size(), expected.pairs);
    }
}

TEST(ModeLibraryTable, FamiliesHoldConsecutiveRunsOfEntries) {
    const std::vector<std::size_t> sizes{10, 8, 16, 20, 18, 11, 11, 18, 20, 13};
    std::vector<std::size_t> actual;
    for (const auto& family : Modes::Data::families()) {
        EXPECT_FALSE(family.title.empty());
        actual.push_back(family.entries.size());
    }
    EXPECT_EQ(actual, sizes);
    EXPECT_EQ(library().entries()[34].name(), "Clarity3");       // first of the fourth family
    EXPECT_EQ(library().entries()[132].name(), "Low Light CC");  // first of the last
}

TEST(ModeLibraryTable, TotalsOfPairsNumbersAndNames) {
    std::size_t pairs = 0, numbers = 0, names = 0;
    std::map<std::string_view, int> images;
    for (const ModeLibraryEntry& e : library().entries()) {
        images[e.imageName()]++;
        for (const auto& pair : e.passedPairs()) {
            ++pairs;
            if (const float* number = std::get_if<float>(&pair.value)) {
                ++numbers;
                EXPECT_TRUE(*number >= 0.0f && *number <= 1.0f) << e.name() << " " << pair.key;
            } else {
                ++names;
            }
        }
        EXPECT_GE(e.passedPairs().size(), 9u);
        EXPECT_LE(e.passedPairs().size(), 89u);
    }
    EXPECT_EQ(pairs, 9586u);
    EXPECT_EQ(numbers, 8965u);
    EXPECT_EQ(names, 621u);
    EXPECT_EQ(images, (std::map<std::string_view, int>{{"modeLowLight.png", 85},
                                                       {"modeDramatic.png", 38},
                                                       {"modeNormal.png", 10},
                                                       {"modeContrast.png", 8},
                                                       {"modeColor.png", 2},
                                                       {"modeLandscape.png", 2}}));
}

// Per key: entries setting it, the numbers given (to six decimals), the names given with the
// most frequent first, and the order in which keys are first used.
TEST(ModeLibraryTable, EveryKeyMatchesItsFigures) {
    struct Seen {
        std::size_t entries = 0;
        std::set<float> numbers;
        std::map<std::string, int> names;
    };
    std::map<std::string, Seen, std::less<>> seen;
    std::vector<std::string> firstUse;
    for (const ModeLibraryEntry& e : library().entries()) {
        std::set<std::string_view> keysOfEntry;
        for (const auto& pair : e.passedPairs()) {
            if (!seen.count(pair.key)) firstUse.push_back(pair.key);
            Seen& s = seen[pair.key];
            if (keysOfEntry.insert(pair.key).second) ++s.entries;
            if (const float* number = std::get_if<float>(&pair.value)) s.numbers.insert(*number);
            else ++s.names[std::get<std::string>(pair.value)];
        }
    }
    ASSERT_EQ(seen.size(), 100u);
    ASSERT_EQ(Figures::kKeys.size(), 100u);
    for (std::size_t i = 0; i < Figures::kKeys.size(); ++i) {
        const Figures::Key& expected = Figures::kKeys[i];
        SCOPED_TRACE(std::string(expected.key));
        EXPECT_EQ(firstUse[i], expected.key);
        const Seen& s = seen[std::string(expected.key)];
        EXPECT_EQ(s.entries, expected.entries);
        ASSERT_EQ(s.numbers.size(), expected.distinctNumbers);
        if (!s.numbers.empty()) {
            EXPECT_NEAR(*s.numbers.begin(), expected.smallest, 5.1e-7);
            EXPECT_NEAR(*s.numbers.rbegin(), expected.largest, 5.1e-7);
        }
        if (!expected.numbers.empty()) {
            std::size_t k = 0;
            for (float n : s.numbers) EXPECT_NEAR(n, expected.numbers[k++], 5.1e-7);
        }
        // Same names, listed by falling frequency.
        ASSERT_EQ(s.names.size(), expected.names.size());
        int previous = std::numeric_limits<int>::max();
        for (std::string_view name : expected.names) {
            auto it = s.names.find(std::string(name));
            ASSERT_NE(it, s.names.end()) << name;
            EXPECT_LE(it->second, previous) << name;
            previous = it->second;
        }
    }
}

TEST(ModeLibraryTable, EveryEntrySetsTheNineCommonKeysAndTenSetNothingElse) {
    const std::set<std::string_view> nine{"Luminance Style",
                                          "Contrast Based On",
                                          "Alg CIE Brightness Strength",
                                          "CIE Contrast K Strength",
                                          "CIE Halo Strength",
                                          "Alg Filmic Strength",
                                          "Alg Color Correction Strength",
                                          "NR On/Off",
                                          "NR Type"};
    std::vector<std::string> onlyNine;
    for (const ModeLibraryEntry& e : library().entries()) {
        std::set<std::string_view> keys;
        for (const auto& [key, value] : e.parameters()) keys.insert(key);
        EXPECT_TRUE(std::includes(keys.begin(), keys.end(), nine.begin(), nine.end())) << e.name();
        if (keys == nine) onlyNine.push_back(e.name());
    }
    EXPECT_EQ(onlyNine, (std::vector<std::string>{"Normal", "Normal Ppr", "High Contrast", "High Contrast Ppr",
                                                  "Low Light", "Low Light Ppr", "True Color", "True Color Ppr",
                                                  "Landscape", "Landscape Ppr"}));
}

// How often each enumerated key is given as a number and by name.
TEST(ModeLibraryTable, EnumeratedKeysGivenAsNumbersAndByName) {
    struct Case {
        std::string_view key;
        int asNumber, byName;
    };
    const Case cases[] = {
        {"Luminance Style", 2, 143},
        {"NR Type", 11, 134},
        {"Alg Color Correction Method", 4, 126},
        {"Alg Brightness Method", 10, 96},
        {"Contrast Based On", 33, 112},
        {"CIE Contrast Compression", 37, 7},
        {"CIE Contrast Compression Side", 40, 2},
        {"CIE Contrast Equation", 114, 1},
    };
    for (const Case& c : cases) {
        int numbers = 0, names = 0;
        std::vector<std::string> named;
        for (const ModeLibraryEntry& e : library().entries()) {
            auto it = e.parameters().find(c.key);
            if (it == e.parameters().end()) continue;
            if (std::holds_alternative<float>(it->second)) {
                ++numbers;
            } else {
                ++names;
                named.push_back(e.name());
            }
        }
        EXPECT_EQ(numbers, c.asNumber) << c.key;
        EXPECT_EQ(names, c.byName) << c.key;
        if (c.key == "CIE Contrast Equation") {
            EXPECT_EQ(named, std::vector<std::string>{"Fog 5"});
        }
    }
    const std::vector<std::string> nrTypeNumbers{"HC CIE 1 PprX",         "Nature1Alt",       "SimpHDR0cSigAlt",
                                                 "SimpHDR0cSigAltCIE",    "Nature New 5X",    "Over Exposure New",
                                                 "Over Exposure New Alt", "Over Exposure 1X", "Over Exposure 1XX",
                                                 "New Low Light 20",      "New Low Light 25"};
    std::vector<std::string> actual;
    for (const ModeLibraryEntry& e : library().entries())
        if (std::holds_alternative<float>(e.parameters().at("NR Type"))) actual.push_back(e.name());
    EXPECT_EQ(actual, nrTypeNumbers);
}

// A key passed twice keeps the first (tuned) value; the set then holds one key fewer than the
// pairs passed.
TEST(ModeLibraryTable, KeyPassedTwiceKeepsItsFirstValue) {
    const std::map<std::string, float> twice{{"Norm Lab", 0.337143f},         {"Norm Ppr Lab", 0.337143f},
                                             {"Norm Ppr Lab Alt", 0.337143f}, {"Norm Ppr Lab AltX", 0.07f},
                                             {"Norm Ppr Lab AltCX", 0.07f},   {"HC CIE 1", 0.088f},
                                             {"HC CIE 1 Ppr", 0.088f}};
    for (const ModeLibraryEntry& e : library().entries()) {
        const auto it = twice.find(e.name());
        const std::size_t repeated = it == twice.end() ? 0 : 1;
        EXPECT_EQ(e.parameters().size() + repeated, e.passedPairs().size()) << e.name();
        if (it == twice.end()) continue;
        EXPECT_EQ(std::get<float>(e.parameters().at("Alg Color Correction Strength")), it->second) << e.name();
        std::vector<float> passed;
        for (const auto& pair : e.passedPairs())
            if (pair.key == "Alg Color Correction Strength") passed.push_back(std::get<float>(pair.value));
        EXPECT_EQ(passed, (std::vector<float>{it->second, 0.171429f})) << e.name();
    }
}

TEST(ModeLibraryTable, EqualListsMakeEqualSetsUnderTheirOwnNames) {
    EXPECT_EQ(entry("Norm Lab").parameters(), entry("Norm Ppr Lab").parameters());
    EXPECT_NE(entry("Norm Lab").position(), entry("Norm Ppr Lab").position());
    // "Dehaze" and "Dehaze Alt Darkness" differ in "Contrast Based On" only.
    auto dehaze = entry("Dehaze").parameters();
    auto darkness = entry("Dehaze Alt Darkness").parameters();
    EXPECT_EQ(darkness.at("Contrast Based On"), Modes::AdjustmentValue(std::string("Darkness")));
    dehaze.erase("Contrast Based On");
    darkness.erase("Contrast Based On");
    EXPECT_EQ(dehaze, darkness);
}

// Named variants against the entries they are named after: exactly these keys differ.
TEST(ModeLibraryTable, VariantsDifferFromTheirBaseInTheTunedKeysOnly) {
    using Modes::AdjustmentDictionary;
    using Modes::AdjustmentValue;
    const auto name = [](const char* n) { return AdjustmentValue(std::string(n)); };
    const AdjustmentDictionary darkness{{"Contrast Based On", name("Darkness")}};
    const struct {
        const char* variant;
        const char* base;
        AdjustmentDictionary changed;
    } cases[] = {
        {"Normal Ppr", "Normal", darkness},
        {"Norm Ppr Lab Alt", "Norm Ppr Lab", darkness},
        {"NormalNew Alt", "NormalNew", darkness},
        {"High Contrast Ppr", "High Contrast", darkness},
        {"HC CIE 1 Ppr", "HC CIE 1", darkness},
        {"SimpHDR0 Ppr", "SimpHDR0", darkness},
        {"Norm 4 Alt", "Norm 4", darkness},
        {"Art1",
         "Nature1",
         {{"Alg Color Correction Method", name("Pouli")},
          {"Alg Pouli Post Color Correction Method On/Off", 1.0f},
          {"Alg Pouli Saturation On/Off", 1.0f},
          {"Alg Pouli Saturation Exponent", 0.601974f},
          {"Alg SH Shadows Strength", 0.071711f},
          {"Alg Filmic Strength", 0.2f}}},
        {"Art2", "Art1", {{"Alg Filmic Strength", 0.999342f}, {"CIE Non-CIE Contrast Strength Exponent", 0.726974f}}},
        {"Art5",
         "Art4",
         {{"CIE Contrast K Strength", 0.982289f},
          {"CIE Non-CIE Contrast Strength Scale", 0.89782f},
          {"CIE Halo Strength", 0.980926f},
          {"CIE Halo Maximum Width", 0.991826f}}},
        {"Art6",
         "Art2",
         {{"Alg Brightness Method", name("Shadows and Highlights")},
          {"Alg SH Shadows Strength", 0.925068f},
          {"Alg SH Highlights Strength", 0.0f},
          {"Alg SH Highlights Width", 0.891008f}}},
        {"Low Light 12", "Low Light 11", {{"Alg Filmic Strength", 0.141689f}}},
        {"Art28", "Art27", {{"Alg Color Correction Method", name("Reinhard")}, {"Alg CIE Brighten Only On/Off", 1.0f}}},
        {"Art 14CIE",
         "Art 14",
         {{"Alg Color Correction Method", name("Power")},
          {"Alg Color Correction CIE On/Off", 1.0f},
          {"Alg Color Correction CIE Alpha", 0.5f},
          {"Alg Color Correction CIE Beta", 0.0f}}},
        {"Art25CIE",
         "Art25",
         {{"Alg Color Correction CIE On/Off", 1.0f},
          {"Alg Color Correction CIE Alpha", 0.1f},
          {"Alg Color Correction CIE Beta", 0.0f},
          {"Alg Pouli Post Color Correction Method On/Off", 1.0f}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variant) + " from " + c.base);
        AdjustmentDictionary expected = entry(c.base).parameters();
        for (const auto& [key, value] : c.changed) expected[key] = value;
        EXPECT_EQ(entry(c.variant).parameters(), expected);
    }
}

// ---- look-up ----

TEST(ModeLibraryLookUp, EveryNameFindsItsOwnPosition) {
    for (const Figures::Entry& expected : Figures::kEntries) {
        const ModeLibraryEntry* found = ModeLibrary::modeWithName(expected.name);
        ASSERT_NE(found, nullptr) << expected.name;
        EXPECT_EQ(found->position(), expected.position) << expected.name;
        EXPECT_EQ(found, &library().entries()[expected.position]);
    }
}

// Variants of every name by case, spacing and a last character dropped or added find
// nothing, unless the variant happens to be another entry's name, which it then finds.
TEST(ModeLibraryLookUp, NearMissesFindNothing) {
    std::map<std::string, std::size_t> positions;
    for (const Figures::Entry& e : Figures::kEntries) positions[std::string(e.name)] = e.position;
    int misses = 0;
    for (const Figures::Entry& e : Figures::kEntries) {
        const std::string name(e.name);
        std::string lower = name, upper = name, squeezed;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
        for (char c : name)
            if (c != ' ') squeezed += c;
        const std::string variants[] = {
            lower, upper, squeezed, " " + name, name + " ", name.substr(0, name.size() - 1), name + "X", name + "1"};
        for (const std::string& variant : variants) {
            if (variant == name) continue;
            const auto it = positions.find(variant);
            const ModeLibraryEntry* found = library().find(variant);
            if (it == positions.end()) {
                EXPECT_EQ(found, nullptr) << '"' << variant << '"';
                ++misses;
            } else {
                ASSERT_NE(found, nullptr) << variant;
                EXPECT_EQ(found->position(), it->second);
            }
        }
    }
    EXPECT_GT(misses, 1000);
    EXPECT_EQ(library().find(""), nullptr);
    EXPECT_EQ(library().find(static_cast<const char*>(nullptr)), nullptr);
    for (const char* display : {"Enhance 1", "Clarity 5", "Artistic 12", "Overexposure 1", "Sky 1"})
        EXPECT_EQ(library().find(display), nullptr) << display;
}

TEST(ModeLibraryLookUp, NoTwoNamesDifferOnlyInCaseOrSpacing) {
    std::set<std::string> folded;
    for (const ModeLibraryEntry& e : library().entries()) {
        std::string f;
        for (char c : e.name())
            if (c != ' ') f += static_cast<char>(std::tolower(c));
        EXPECT_TRUE(folded.insert(f).second) << e.name();
    }
}

// Library names and display names are separate: "Low Light 8" and "Fog 4" find the entries
// of those names, not the sets the catalogue shows under them ("LowLight3", "Over Exposure 1").
TEST(ModeLibraryLookUp, LibraryNamesNotDisplayNames) {
    EXPECT_EQ(entry("Low Light 8").position(), 59u);
    EXPECT_EQ(entry("LowLight3").position(), 138u);
    EXPECT_EQ(entry("Fog 4").position(), 107u);
    EXPECT_EQ(entry("Fog 6").position(), 109u);
    EXPECT_EQ(entry("Over Exposure 1").position(), 116u);
    EXPECT_NE(entry("Low Light 8").parameters(), entry("LowLight3").parameters());
    EXPECT_NE(entry("Fog 4").parameters(), entry("Over Exposure 1").parameters());
    EXPECT_EQ(entry("Fog 4").passedPairs().size(), 78u);
}

TEST(ModeLibraryLookUp, ConcurrentFirstLookUpsShareOneLibrary) {
    constexpr int kThreads = 8;
    std::vector<const ModeLibrary*> seen(kThreads);
    std::vector<const ModeLibraryEntry*> found(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([i, &seen, &found] {
                seen[i] = &ModeLibrary::shared();
                found[i] = ModeLibrary::modeWithName("Smooth2 Ppr");
            });
        }
    }
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(seen[i], &ModeLibrary::shared());
        ASSERT_NE(found[i], nullptr);
        EXPECT_EQ(found[i]->position(), 144u);
    }
}

TEST(ModeLibraryLookUp, EachBuildMakesTheSameTableAnew) {
    const ModeLibrary fresh;
    ASSERT_EQ(fresh.size(), library().size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        EXPECT_NE(&fresh.entries()[i], &library().entries()[i]);
        EXPECT_EQ(fresh.entries()[i].name(), library().entries()[i].name());
        EXPECT_EQ(fresh.entries()[i].parameters(), library().entries()[i].parameters());
    }
}

}  // namespace
