// What a start of the program is for: the same reading for the program and its launcher, and
// the render alone asking for large pages. The launcher reads the command line's shape without
// the engine's names; where only a name is wrong, the two may differ on whether it renders.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "app/ProgramCommand.h"

namespace {

using namespace ProgramCommand;

std::string KindOf(const Command& command) {
    if (std::holds_alternative<ApplicationMode::Options>(command)) return "application";
    if (std::holds_alternative<ApplicationMode::UsageError>(command)) return "application mistake";
    if (std::holds_alternative<Import>(command)) return "import";
    if (std::holds_alternative<Help>(command)) return "help";
    if (std::holds_alternative<SampleWithPhoto>(command)) return "sample with photo";
    const RenderJob::Command& job = std::get<Render>(command).command;
    if (std::holds_alternative<RenderJob::Options>(job)) return "render";
    if (std::holds_alternative<RenderJob::UsageError>(job)) return "render mistake";
    return "render listing or help";
}

TEST(ProgramCommand, OnlyARenderAsksForLargePagesAndTheLauncherReadsItAsTheProgramDoes) {
    const struct {
        std::vector<std::string> arguments;
        std::string kind;   // as the program reads it
        bool launcherAsks;  // whether the launcher, reading the shape alone, asks for large pages
    } cases[] = {
        {{"photo.jpg", "out.jpg"}, "render", true},
        {{"-q", "--set", "Luminance Style=None", "photo.jpg", "out.jpg"}, "render", true},
        {{"-q", "--mode", "Clarity 1", "photo.jpg"}, "render", true},
        {{"--sample", "-q"}, "render", true},
        {{"--", "--help"}, "render", true},  // a photo named "--help"
        {{}, "application", false},
        {{"--headless", "--script", "s.txt"}, "application", false},
        {{"--device", "pad", "photo.jpg"}, "application mistake", false},
        {{"--device"}, "application mistake", false},
        {{"import", "a.jpg"}, "import", false},
        {{"import"}, "import", false},
        {{"--help"}, "help", false},
        {{"-h"}, "help", false},
        {{"-q", "--help"}, "render listing or help", false},
        {{"--list-modes"}, "render listing or help", false},
        {{"--list-parameters"}, "render listing or help", false},
        {{"--sample", "photo.jpg"}, "sample with photo", false},
        {{"photo.jpg", "--bogus"}, "render mistake", false},
        {{"--set", "Luminance Style", "photo.jpg"}, "render mistake", false},
        {{"a.jpg", "b.jpg", "c.jpg"}, "render mistake", false},
        {{""}, "render mistake", false},
        // Only a name is wrong: the launcher asks, and the program reports the mistake.
        {{"--set", "No Such Parameter=1", "photo.jpg"}, "render mistake", true},
        {{"--set", "Luminance Style=Loud", "photo.jpg"}, "render mistake", true},
        {{"--mode", "Clarity 99", "photo.jpg"}, "render mistake", true},
        {{"photo.jpg", "out.gif"}, "render mistake", true},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& argument : c.arguments) line += " [" + argument + "]";
        const Command program = Read(c.arguments, RenderJob::EngineVocabulary());
        EXPECT_EQ(KindOf(program), c.kind) << line;
        EXPECT_EQ(Renders(program), c.kind == "render") << line;
        const Command launcher = Read(c.arguments, RenderJob::ShapeOnly());
        EXPECT_EQ(Renders(launcher), c.launcherAsks) << line;
        if (c.kind != "render mistake") EXPECT_EQ(KindOf(launcher), c.kind) << line;
    }
}

TEST(ProgramCommand, TheHelpSaysWhatAStartWithoutAPhotoDoes) {
    // No arguments at all start the application; render options alone, or --sample, render the
    // sample photograph (the render job's empty photo).
    EXPECT_EQ(KindOf(Read({}, RenderJob::EngineVocabulary())), "application");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-q"}, {"--sample"}, {"--mode", "Clarity 1", "-o", "out.png"}}) {
        const Command command = Read(arguments, RenderJob::EngineVocabulary());
        ASSERT_EQ(KindOf(command), "render") << arguments.front();
        EXPECT_EQ(std::get<RenderJob::Options>(std::get<Render>(command).command).input, "") << arguments.front();
    }
    // The help says so, read as running text.
    std::ostringstream out;
    RenderJob::PrintUsage(out);
    std::string help;
    for (const char c : out.str())
        if (!(std::isspace(static_cast<unsigned char>(c)) && !help.empty() && help.back() == ' '))
            help += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
    EXPECT_NE(help.find("Without PHOTO, render options alone (or --sample) render a sample photograph from " +
                        std::string(RenderJob::kSampleFolder) + " while no arguments at all start the application"),
              std::string::npos)
        << help;
}

TEST(ProgramCommand, TheRenderJobKeepsItsArgumentsWithoutSample) {
    const Command command = Read({"-q", "--sample", "--mode", "Clarity 1"}, RenderJob::EngineVocabulary());
    ASSERT_TRUE(std::holds_alternative<Render>(command));
    EXPECT_EQ(std::get<Render>(command).arguments, (std::vector<std::string>{"-q", "--mode", "Clarity 1"}));
    const Command import = Read({"import", "--album", "Trip", "a.jpg"}, RenderJob::EngineVocabulary());
    ASSERT_TRUE(std::holds_alternative<Import>(import));
    EXPECT_EQ(std::get<Import>(import).arguments, (std::vector<std::string>{"--album", "Trip", "a.jpg"}));
}

}  // namespace
