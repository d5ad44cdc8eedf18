// Names of the nearest CSS colour keywords.
#include <gtest/gtest.h>

#include <set>

#include "ui/appearance/UIColor+ColorNaming.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

TEST(ColorNamingTest, NamesTheNearestKeyword) {
    struct Case {
        UIColor color;
        const char* name;
    } cases[] = {
        {UIColor::redColor(), "Red"},
        {UIColor::whiteColor(), "White"},
        {UIColor::blackColor(), "Black"},
        {UIColor::colorWithWhite(0.5, 1), "Gray"},
        {UIColor::colorWithRed(1, 0, 0, 0), "Red"},  // alpha plays no part
        {UIColor::cyanColor(), "Aqua"},              // at one distance with "Cyan": the first in table order
        {UIColor::magentaColor(), "Fuchsia"},
        {ColorUtility::colorWithHexString("#2F4F50"), "Dark SlateGray"},
    };
    for (const auto& c : cases) EXPECT_EQ(ColorNaming::colorName(c.color), c.name) << c.name;
}

TEST(ColorNamingTest, ListsDistinctDistancesNearestFirst) {
    const auto& table = ColorNaming::colorNamesDictionary();
    ASSERT_EQ(table.size(), 140u);
    EXPECT_EQ(table.front(), (std::pair<std::string, std::string>{"Alice Blue", "#F0F8FF"}));
    EXPECT_EQ(table.back(), (std::pair<std::string, std::string>{"Yellow Green", "#9ACD32"}));

    EXPECT_EQ(ColorNaming::colorNames(UIColor::redColor(), 0), std::vector<std::string>{"Red"});
    const auto cyan = ColorNaming::colorNames(UIColor::cyanColor(), 140);
    EXPECT_EQ(std::count(cyan.begin(), cyan.end(), "Cyan"), 0);
    EXPECT_EQ(cyan.front(), "Aqua");
    EXPECT_LT(cyan.size(), 140u);
    EXPECT_EQ(std::set<std::string>(cyan.begin(), cyan.end()).size(), cyan.size());
}

}  // namespace
