// Reading a family of parameter sets from its text.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "modes/ModeSetData.h"

namespace {

using Modes::Data::FormatError;
using Modes::Data::parseFamily;

TEST(ModeSetText, ReadsNamesNumbersGapsAndRepeatedValues) {
    const auto family = parseFamily(
        "# comment\n"
        "family\tShort\n"
        "entries\tOne\tTwo Words\n"
        "images\ta.png\tb.png\n"
        "Luminance Style\t\"CIE\"\t0.125\n"
        "Alg Color Correction Strength\t0.337143 0.171429\t-\n"
        "NR Type\t\"Flow Field Bilateral\"\t\"Flow Field Bilateral\"\n");
    EXPECT_EQ(family.title, "Short");
    ASSERT_EQ(family.entries.size(), 2u);
    const auto& one = family.entries[0];
    const auto& two = family.entries[1];
    EXPECT_EQ(two.name, "Two Words");
    EXPECT_EQ(two.imageName, "b.png");
    ASSERT_EQ(one.pairs.size(), 4u);
    EXPECT_EQ(std::get<std::string>(one.pairs[0].value), "CIE");
    EXPECT_EQ(one.pairs[1].key, "Alg Color Correction Strength");
    EXPECT_EQ(std::get<float>(one.pairs[1].value), 0.337143f);
    EXPECT_EQ(std::get<float>(one.pairs[2].value), 0.171429f);
    EXPECT_EQ(std::get<std::string>(one.pairs[3].value), "Flow Field Bilateral");
    ASSERT_EQ(two.pairs.size(), 2u);
    EXPECT_EQ(std::get<float>(two.pairs[0].value), 0.125f);
}

TEST(ModeSetText, MalformedTextIsRejectedWithItsLine) {
    const std::string head = "family\tF\nentries\tA\tB\nimages\ta\tb\n";
    const struct {
        std::string text;
        std::string_view message;
    } cases[] = {
        {head + "Key\t0.5\n", "line 4: 1 cells for 2 entries"},
        {head + "Key\t0.5\tx\n", "line 4: \"x\" is not a number in [0, 1]"},
        {head + "Key\t0.5\t1.5\n", "is not a number in [0, 1]"},
        {head + "Key\t0.5\t-0.1\n", "is not a number in [0, 1]"},
        {head + "Key\t0.5\t\"open\n", "line 4: unterminated"},
        {head + "Key\t0.5\t\n", "line 4: empty cell"},
        {"family\tF\nKey\t0.5\n", "line 2: parameter before entries and images"},
        {"family\tF\nentries\tA\tB\nimages\ta\n", "line 3: one image name per entry"},
        {"family\tF\n", "no entries"},
    };
    for (const auto& c : cases) {
        try {
            parseFamily(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const FormatError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

}  // namespace
