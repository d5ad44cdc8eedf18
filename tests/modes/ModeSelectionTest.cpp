// Selecting a mode against recording stand-ins for the render view and the engine.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modes/ModeLibrary.h"
#include "modes/ModeSelection.h"
#include "modes/ModeLibraryFigures.h"

namespace {

using namespace Modes;

// Records every write in order; value names convert to a recognisable number.
class RecordingSink : public AdjustmentSink {
public:
    std::vector<std::pair<std::string, float>> writes;
    std::vector<std::pair<std::string, std::string>> conversions;

    void setAdjustment(std::string_view name, float value) override {
        writes.emplace_back(name, value);
    }
    float adjustmentValueFromString(std::string_view name, std::string_view valueName) override {
        conversions.emplace_back(name, valueName);
        return 0.875f;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& w : writes) out.push_back(w.first);
        return out;
    }
};

const std::vector<AdjustmentDefault> kDefaults{
    {"Alg Filmic Strength", 0.5f}, {"Tone Mapping P", 0.0f}, {"CA Exposure", 0.5f},
    {"NR On/Off", 0.0f},           {"Gaussian SigmaS", 1.0f}};

TEST(ApplyAdjustments, ResetsWhatTheSetDoesNotNameThenAppliesItsPairs) {
    const AdjustmentDictionary set{{"Alg Filmic Strength", 0.3f},
                                   {"Contrast Based On", std::string("Darkness")},
                                   {"CA Exposure", 0.9f},  // excluded: skipped, not reset
                                   {"LL Beta", 0.25f}};    // no default: passed on, never reset
    RecordingSink sink;
    applyAdjustments(set, &adjustmentsToExcludeFromModes(), kDefaults, sink);
    const std::vector<std::pair<std::string, float>> expected{
        {"Tone Mapping P", 0.0f},      {"Gaussian SigmaS", 1.0f},  // resets, in table order
        {"Alg Filmic Strength", 0.3f}, {"Contrast Based On", 0.875f}, {"LL Beta", 0.25f}};
    EXPECT_EQ(sink.writes, expected);
    EXPECT_EQ(sink.conversions,
              (std::vector<std::pair<std::string, std::string>>{{"Contrast Based On", "Darkness"}}));
}

TEST(ApplyAdjustments, WithoutAnExcludedSetOnlyTheNamedParametersChange) {
    const AdjustmentDictionary set{{"CA Exposure", 0.9f}, {"Tone Mapping P", 0.2f}};
    RecordingSink sink;
    applyAdjustments(set, nullptr, kDefaults, sink);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"CA Exposure", "Tone Mapping P"}));
}

// On a defaults table of every library key that has a default (all but the "LL" keys), the
// neutral "Normal" set resets everything but its own keys and the excluded ones, and applies
// its seven keys that are not excluded.
TEST(ApplyAdjustments, NeutralSetOnTheFullDefaultsTable) {
    std::vector<AdjustmentDefault> defaults;
    for (const auto& key : ModeLibraryFigures::kKeys)
        if (!key.key.starts_with("LL ")) defaults.push_back({std::string(key.key), 0.25f});
    ASSERT_EQ(defaults.size(), 89u);
    RecordingSink sink;
    applyAdjustments(ModeLibrary::modeWithName("Normal")->parameters(),
                     &adjustmentsToExcludeFromModes(), defaults, sink);
    ASSERT_EQ(sink.writes.size(), (89u - 27u - 7u) + 7u);
    for (std::size_t i = 0; i < sink.writes.size(); ++i) {
        const auto& [name, value] = sink.writes[i];
        EXPECT_FALSE(adjustmentsToExcludeFromModes().count(name)) << name;
        if (i < 55) {
            EXPECT_EQ(value, 0.25f) << name;  // resets come first
        }
    }
    EXPECT_EQ(sink.conversions.size(), 2u);  // "Luminance Style" "CIE", "Contrast Based On" "None"
}

TEST(ModeExclusions, TheTwentySevenAreLibraryKeys) {
    const auto& excluded = adjustmentsToExcludeFromModes();
    EXPECT_EQ(excluded.size(), 27u);
    std::size_t found = 0;
    for (const auto& key : ModeLibraryFigures::kKeys) found += excluded.count(std::string(key.key));
    EXPECT_EQ(found, 27u);
}

class RecordingTarget : public ModeSelectionTarget {
public:
    std::vector<std::string> calls;
    const AdjustmentDictionary* applied = nullptr;
    const AdjustmentNameSet* excluded = nullptr;

    void setBrightnessContrastUniqueId(const std::string& id) override { calls.push_back("id " + id); }
    void setBrightnessRange(AdjustmentRange r) override {
        calls.push_back("brightness " + std::to_string(r.minimum) + " " + std::to_string(r.maximum));
    }
    void setContrastRange(AdjustmentRange r) override {
        calls.push_back("contrast " + std::to_string(r.minimum) + " " + std::to_string(r.maximum));
    }
    void setAdjustments(const AdjustmentDictionary& set, const AdjustmentNameSet* ex, bool cache) override {
        applied = &set;
        excluded = ex;
        calls.push_back(cache ? "apply cached" : "apply");
    }
    void updateGraphicsView(bool useCache) override {
        calls.push_back(useCache ? "redraw cached" : "redraw");
    }
};

TEST(ModeSelectionBlock, SelectingSetsIdentifierAndRangesThenAppliesAndRedraws) {
    RecordingTarget target;
    const ModeSelectedBlock block = selectedBlockWithModeAdjustments(
        ModeLibrary::modeWithName("LowLight3")->parameters(),
        [&]() -> ModeSelectionTarget& { return target; });
    const ModeSelection selection{"LowLight3", {0.25f, 0.75f}, {0.0f, 1.0f}};

    block(false, selection);
    EXPECT_TRUE(target.calls.empty());

    block(true, selection);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"id LowLight3", "brightness 0.250000 0.750000",
                                                      "contrast 0.000000 1.000000", "apply cached",
                                                      "redraw"}));
    ASSERT_NE(target.applied, nullptr);
    EXPECT_EQ(*target.applied, ModeLibrary::modeWithName("LowLight3")->parameters());
    EXPECT_EQ(target.excluded, &adjustmentsToExcludeFromModes());
}

}  // namespace
