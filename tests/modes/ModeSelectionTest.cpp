// Applying a parameter set: the writes it makes, carried out by recording stand-ins for the
// engine.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <utility>
#include <vector>

#include "modes/ModeLibrary.h"
#include "modes/ModeSelection.h"
#include "modes/ModeLibraryFigures.h"

namespace {

using namespace Modes;

// Carries out the writes of a set on an engine stand-in, as the render view does: a number as
// it is, a value name through the engine's conversion.
template <class Engine>
void applyAdjustments(const AdjustmentDictionary& adjustments, const AdjustmentNameSet* excluded,
                      const std::vector<AdjustmentDefault>& defaults, Engine& engine) {
    for (const AdjustmentWrite& write : adjustmentWrites(adjustments, excluded, defaults)) {
        const float* number = std::get_if<float>(&write.value);
        engine.setAdjustment(
            write.name,
            number ? *number : engine.adjustmentValueFromString(write.name, std::get<std::string>(write.value)));
    }
}

// Records every write in order; value names convert to a recognisable number.
class RecordingSink {
public:
    std::vector<std::pair<std::string, float>> writes;
    std::vector<std::pair<std::string, std::string>> conversions;

    void setAdjustment(std::string_view name, float value) { writes.emplace_back(name, value); }
    float adjustmentValueFromString(std::string_view name, std::string_view valueName) {
        conversions.emplace_back(name, valueName);
        return 0.875f;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& w : writes) out.push_back(w.first);
        return out;
    }
};

// The parameters that the editing model keeps out of modes.
const AdjustmentNameSet kExcluded{"CA Grayscale On/Off",
                                  "CA Grayscale Coefficients",
                                  "CA Grayscale At End On/Off",
                                  "CA Temperature",
                                  "CA Photo Filter On/Off",
                                  "CA Photo Filter Strength",
                                  "CA Photo Filter R",
                                  "CA Photo Filter G",
                                  "CA Photo Filter B",
                                  "CA Shadows Strength",
                                  "CA Shadows Width",
                                  "CA Highlights Strength",
                                  "CA Highlights Width",
                                  "CA Exposure",
                                  "CA Saturation Strength",
                                  "CA Contrast Strength",
                                  "CA Effect Strength",
                                  "CA Tone Map",
                                  "CA Tone Map Strength",
                                  "CA Vignette On/Off",
                                  "CA Vignette Begin",
                                  "CA Vignette End",
                                  "CA Vignette Black On/Off",
                                  "NR On/Off",
                                  "NR Flow Field Bilateral SigmaR",
                                  "NR Flow Field Bilateral SigmaS",
                                  "NR Type"};

// A defaults table of every library key that has a default (all but the "LL" keys).
std::vector<AdjustmentDefault> libraryDefaults(float value) {
    std::vector<AdjustmentDefault> defaults;
    for (const auto& key : ModeLibraryFigures::kKeys)
        if (!key.key.starts_with("LL ")) defaults.push_back({std::string(key.key), value});
    return defaults;
}

const AdjustmentDictionary& parametersOf(std::string_view name) {
    return ModeLibrary::modeWithName(name)->parameters();
}

const std::vector<AdjustmentDefault> kDefaults{{"Alg Filmic Strength", 0.5f},
                                               {"Tone Mapping P", 0.0f},
                                               {"CA Exposure", 0.5f},
                                               {"NR On/Off", 0.0f},
                                               {"Gaussian SigmaS", 1.0f}};

TEST(ApplyAdjustments, ResetsWhatTheSetDoesNotNameThenAppliesItsPairs) {
    const AdjustmentDictionary set{{"Alg Filmic Strength", 0.3f},
                                   {"Contrast Based On", std::string("Darkness")},
                                   {"CA Exposure", 0.9f},  // excluded: skipped, not reset
                                   {"LL Beta", 0.25f}};    // no default: passed on, never reset
    RecordingSink sink;
    applyAdjustments(set, &kExcluded, kDefaults, sink);
    const std::vector<std::pair<std::string, float>> expected{{"Tone Mapping P", 0.0f},
                                                              {"Gaussian SigmaS", 1.0f},  // resets, in table order
                                                              {"Alg Filmic Strength", 0.3f},
                                                              {"Contrast Based On", 0.875f},
                                                              {"LL Beta", 0.25f}};
    EXPECT_EQ(sink.writes, expected);
    EXPECT_EQ(sink.conversions, (std::vector<std::pair<std::string, std::string>>{{"Contrast Based On", "Darkness"}}));
}

TEST(ApplyAdjustments, WithoutAnExcludedSetOnlyTheNamedParametersChange) {
    const AdjustmentDictionary set{{"CA Exposure", 0.9f}, {"Tone Mapping P", 0.2f}};
    RecordingSink sink;
    applyAdjustments(set, nullptr, kDefaults, sink);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"CA Exposure", "Tone Mapping P"}));
}

// The neutral "Normal" set resets everything but its own keys and the excluded ones, and
// applies its seven keys that are not excluded.
TEST(ApplyAdjustments, NeutralSetOnTheFullDefaultsTable) {
    const std::vector<AdjustmentDefault> defaults = libraryDefaults(0.25f);
    ASSERT_EQ(defaults.size(), 89u);
    RecordingSink sink;
    applyAdjustments(ModeLibrary::modeWithName("Normal")->parameters(), &kExcluded, defaults, sink);
    ASSERT_EQ(sink.writes.size(), (89u - 27u - 7u) + 7u);
    for (std::size_t i = 0; i < sink.writes.size(); ++i) {
        const auto& [name, value] = sink.writes[i];
        EXPECT_FALSE(kExcluded.count(name)) << name;
        if (i < 55) {
            EXPECT_EQ(value, 0.25f) << name;  // resets come first
        }
    }
    EXPECT_EQ(sink.conversions.size(), 2u);  // "Luminance Style" "CIE", "Contrast Based On" "None"
}

// An engine holding a value per parameter with a default; value names convert to 0.6.
class ValueEngine {
public:
    explicit ValueEngine(const std::vector<AdjustmentDefault>& defaults) {
        for (const auto& row : defaults) values[row.name] = row.value;
    }
    std::map<std::string, float> values;

    void setAdjustment(std::string_view name, float value) {
        auto it = values.find(std::string(name));
        if (it != values.end()) it->second = value;  // "LL" names change nothing
    }
    float adjustmentValueFromString(std::string_view, std::string_view) { return 0.6f; }
};

// Two modes in a row: what the second names takes its value, what only the first named
// returns to its default, and what modes leave alone keeps the user's value throughout.
TEST(ApplyAdjustments, SecondSetUndoesWhatOnlyTheFirstNamed) {
    const auto defaults = libraryDefaults(0.25f);
    ValueEngine engine(defaults);
    engine.setAdjustment("CA Exposure", 0.9f);  // the user's own adjustments
    engine.setAdjustment("NR On/Off", 0.0f);

    applyAdjustments(parametersOf("Norm Ppr Lab AltCX"), &kExcluded, defaults, engine);
    EXPECT_EQ(engine.values["Alg Pouli Saturation Exponent"], 0.55f);
    EXPECT_EQ(engine.values["Alg Color Correction Strength"], 0.07f);  // its first value
    EXPECT_EQ(engine.values["Alg Color Correction Method"], 0.6f);

    applyAdjustments(parametersOf("Normal"), &kExcluded, defaults, engine);
    EXPECT_EQ(engine.values["Alg Pouli Saturation Exponent"], 0.25f);
    EXPECT_EQ(engine.values["Alg Pouli Saturation On/Off"], 0.25f);
    EXPECT_EQ(engine.values["Alg Color Correction Method"], 0.25f);
    EXPECT_EQ(engine.values["Alg Color Correction Strength"], 0.171429f);
    EXPECT_EQ(engine.values["CIE Contrast K Strength"], 0.5f);
    EXPECT_EQ(engine.values["CA Exposure"], 0.9f);
    EXPECT_EQ(engine.values["NR On/Off"], 0.0f);

    // A long set after a short one: every key it names that modes may change takes its value.
    applyAdjustments(parametersOf("Dehaze Alt"), &kExcluded, defaults, engine);
    for (const auto& [key, value] : parametersOf("Dehaze Alt")) {
        if (kExcluded.count(key) || key.starts_with("LL ")) continue;
        const float* number = std::get_if<float>(&value);
        EXPECT_EQ(engine.values[key], number ? *number : 0.6f) << key;
    }
    EXPECT_EQ(engine.values["CA Exposure"], 0.9f);
    EXPECT_FALSE(engine.values.count("LL Beta"));
}

}  // namespace
