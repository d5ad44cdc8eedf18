// The program's command line between the application and the render job: which arguments
// open the application, which render, and which are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ApplicationMode.h"

namespace {

using namespace ApplicationMode;

TEST(ApplicationMode, ArgumentsChooseTheApplicationOrTheRender) {
    const Command bare = Parse({});
    ASSERT_TRUE(std::holds_alternative<Options>(bare)) << "no photo and no render option: the application";
    EXPECT_EQ(std::get<Options>(bare).device, "phone");
    EXPECT_FALSE(std::get<Options>(bare).camera) << "the default camera";
    EXPECT_TRUE(std::get<Options>(bare).forceTouch);

    const Command chosen =
        Parse({"--device", "pad", "--camera", "none", "--shortcut", "Enhance Photo", "--no-force-touch"});
    ASSERT_TRUE(std::holds_alternative<Options>(chosen));
    EXPECT_FALSE(std::get<Options>(chosen).forceTouch);
    EXPECT_EQ(std::get<Options>(chosen).device, "pad");
    EXPECT_EQ(std::get<Options>(chosen).camera, "none");
    EXPECT_EQ(std::get<Options>(chosen).shortcut, "Enhance Photo");

    const Command headless = Parse({"--headless", "--script", "s.txt", "--screenshots", "shots"});
    ASSERT_TRUE(std::holds_alternative<Options>(headless));
    EXPECT_TRUE(std::get<Options>(headless).headless);
    EXPECT_EQ(std::get<Options>(headless).script, "s.txt");
    EXPECT_EQ(std::get<Options>(headless).screenshots, "shots");

    struct Render {
        std::vector<std::string> arguments;
        std::vector<std::string> passed;
        bool sample;
    };
    for (const Render& r : std::vector<Render>{
             {{"--sample"}, {}, true},
             {{"--sample", "--mode", "Dramatic 2"}, {"--mode", "Dramatic 2"}, true},
             {{"photo.jpg", "out.png"}, {"photo.jpg", "out.png"}, false},
             {{"--mode", "Clarity 1"}, {"--mode", "Clarity 1"}, false},
             {{"--help"}, {"--help"}, false},
         }) {
        const Command command = Parse(r.arguments);
        ASSERT_TRUE(std::holds_alternative<RenderArguments>(command)) << r.arguments.front();
        EXPECT_EQ(std::get<RenderArguments>(command).arguments, r.passed);
        EXPECT_EQ(std::get<RenderArguments>(command).sample, r.sample);
    }
}

TEST(ApplicationMode, MistakesAreRefusedWithTheirReason) {
    struct Mistake {
        std::vector<std::string> arguments;
        std::string named;
    };
    for (const Mistake& m : std::vector<Mistake>{
             {{"--device", "watch"}, "watch"},
             {{"--camera"}, "--camera"},
             {{"--headless"}, "--script"},
             {{"--script", "s.txt"}, "--headless"},
             {{"--device", "pad", "photo.jpg"}, "photo.jpg"},
             {{"--sample", "--headless", "--script", "s.txt"}, "--sample"},
         }) {
        const Command command = Parse(m.arguments);
        ASSERT_TRUE(std::holds_alternative<UsageError>(command)) << m.arguments.front();
        EXPECT_NE(std::get<UsageError>(command).message.find(m.named), std::string::npos)
            << std::get<UsageError>(command).message;
    }
}

}  // namespace
