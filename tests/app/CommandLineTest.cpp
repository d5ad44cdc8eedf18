// The command line of the program's render job: options, parameter names and values,
// output types, and the defaults for a missing photo and output.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/RenderJob.h"
#include "engine/AmbrelGraphicsController.h"
#include "platform/imageio/ImageIO.h"

using namespace RenderJob;

namespace {

Command ParseLine(std::vector<std::string> arguments) { return Parse(arguments); }

std::string ErrorOf(const Command& command) {
    const UsageError* error = std::get_if<UsageError>(&command);
    return error ? error->message : "";
}

TEST(CommandLine, OptionsAndFiles) {
    const Command command =
        ParseLine({"--set", "Luminance Style=None with Color Adjustments", "-s", "CA Tone Map = amaro",
                   "--set=CA Saturation Strength=0.7", "-q", "in.jpg", "out.TIFF"});
    const Options* options = std::get_if<Options>(&command);
    ASSERT_NE(options, nullptr) << ErrorOf(command);
    EXPECT_EQ(options->input, "in.jpg");
    EXPECT_EQ(options->output, "out.TIFF");
    EXPECT_TRUE(options->quiet);
    ASSERT_EQ(options->parameters.size(), 3u);
    EXPECT_EQ(options->parameters[0].first, "Luminance Style");
    EXPECT_FLOAT_EQ(options->parameters[0].second, 2.5f / 4.0f);
    EXPECT_EQ(options->parameters[1].first, "CA Tone Map");  // value names in any case
    EXPECT_FLOAT_EQ(options->parameters[1].second,
                    AmbrelGraphicsController::AdjustmentValueFromString("CA Tone Map", "Amaro"));
    EXPECT_FLOAT_EQ(options->parameters[2].second, 0.7f);

    EXPECT_TRUE(std::holds_alternative<Help>(ParseLine({"photo.jpg", "--help"})));
    EXPECT_TRUE(std::holds_alternative<ListParameters>(ParseLine({"--list-parameters"})));
    const Command empty = ParseLine({});
    const Options* defaults = std::get_if<Options>(&empty);
    ASSERT_NE(defaults, nullptr);
    EXPECT_TRUE(defaults->input.empty());
    EXPECT_TRUE(defaults->output.empty());
    const Command dashed = ParseLine({"-o", "x.png", "--", "-photo.jpg"});
    ASSERT_TRUE(std::holds_alternative<Options>(dashed)) << ErrorOf(dashed);
    EXPECT_EQ(std::get<Options>(dashed).input, "-photo.jpg");
}

TEST(CommandLine, MistakesAreReportedWithTheirCause) {
    const struct {
        std::vector<std::string> arguments;
        const char* expected;  // a part of the message
    } cases[] = {
        {{"--set", "Luminance Styl=CIE"}, "unknown parameter \"Luminance Styl\""},
        {{"--set", "Saturation=0.5"}, "CA Saturation Strength"},  // a suggestion
        {{"--set", "CA Tone Map=Amarillo"}, "Amaro"},             // the values it takes
        {{"--set", "CA Saturation Strength=1.5"}, "from 0 to 1"},
        {{"--set", "CA Saturation Strength=nan"}, "from 0 to 1"},
        {{"--set", "CA Saturation Strength="}, "from 0 to 1"},
        {{"--set", "CA Saturation Strength"}, "NAME=VALUE"},
        {{"--set"}, "NAME=VALUE"},
        {{"--mode", "Enhance 99"}, "Enhance 1"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"a.jpg", "b.jpg", "c.jpg"}, "too many"},
        {{"a.jpg", "b.gif"}, "end it in .jpg, .png or .tiff"},
        {{"-o", "x.png", "a.jpg", "b.png"}, "given twice"},
        // An empty name is a slip, never a request for the sample photograph.
        {{""}, "the photo's file name is empty"},
        {{"a.jpg", ""}, "the output's file name is empty"},
        {{"--set", "CA Vignette On/Off=maybe"}, "give On, Off or a number"},
        {{"--set", "CA Saturation Strength=On"}, "from 0 to 1"},
    };
    for (const auto& c : cases) {
        const std::string message = ErrorOf(ParseLine(c.arguments));
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.arguments[0] << ": " << message;
    }
}

TEST(CommandLine, ParameterNamesInAnyCaseAndOnOffValues) {
    const Command command = ParseLine({"--set", "ca saturation STRENGTH=0.25", "--set", "CA Vignette On/Off=On",
                                       "--set", "nr on/off = off", "--set", "CA Grayscale On/Off=1"});
    const Options* options = std::get_if<Options>(&command);
    ASSERT_NE(options, nullptr) << ErrorOf(command);
    const std::vector<std::pair<std::string, float>> expected = {{"CA Saturation Strength", 0.25f},
                                                                 {"CA Vignette On/Off", 1.0f},
                                                                 {"NR On/Off", 0.0f},
                                                                 {"CA Grayscale On/Off", 1.0f}};
    EXPECT_EQ(options->parameters, expected);  // the engine's own spelling of each name
}

TEST(CommandLine, SuggestionsResembleTheNameGiven) {
    const struct {
        const char* given;
        const char* first;  // the closest suggestion, or "" for none at all
    } cases[] = {
        {"Luminance Styl", "Luminance Style"},
        {"level 0 contrast strenght", "Level 0 Contrast Strength"},
        {"saturaton", "CA Saturation Strength"},
        {"Saturation", "CA Saturation Strength"},
        {"tone mapping strength", "CA Tone Map Strength"},
        {"vignete on/off", "CA Vignette On/Off"},
        {"xyzzy", ""},
    };
    for (const auto& c : cases) {
        const auto value = ParameterValue(c.given, "0.5");
        ASSERT_TRUE(std::holds_alternative<std::string>(value)) << c.given;
        const std::string& message = std::get<std::string>(value);
        const size_t open = message.find("(did you mean \"");
        if (!*c.first) {
            EXPECT_EQ(open, std::string::npos) << message;
            continue;
        }
        ASSERT_NE(open, std::string::npos) << message;
        const std::string list = message.substr(open, message.find("?)") - open);
        EXPECT_EQ(list.rfind(std::string("(did you mean \"") + c.first + "\"", 0), 0u) << message;
        // Nothing that merely shares a common word such as "Strength" or "Contrast".
        for (const char* unrelated : {"Alg Filmic Strength", "CIE Halo Strength", "Gaussian SigmaS"})
            EXPECT_EQ(list.find(unrelated), std::string::npos) << c.given << ": " << message;
    }
}

TEST(CommandLine, ModesByTheirShownName) {
    const Command command = ParseLine({"--mode", "fog 3"});
    ASSERT_TRUE(std::holds_alternative<Options>(command)) << ErrorOf(command);
    EXPECT_EQ(std::get<Options>(command).mode, "fog 3");
}

TEST(CommandLine, DefaultPhotoIsALargePhotograph) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavorin-sample-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(DefaultPhoto(folder.string()), "");

    // Not an image, a small image: the largest is taken when none passes 12 megapixels.
    std::ofstream(folder / "a-notes.txt") << "not a picture";
    auto small = platform::ImageBitmap::make(64, 48);
    auto smaller = platform::ImageBitmap::make(32, 24);
    ASSERT_TRUE(small && smaller);
    ASSERT_TRUE(platform::WriteImageFile(*smaller, platform::ImageFileType::PNG, {}, (folder / "b.png").string()));
    ASSERT_TRUE(platform::WriteImageFile(*small, platform::ImageFileType::PNG, {}, (folder / "c.png").string()));
    EXPECT_EQ(DefaultPhoto(folder.string()), (folder / "c.png").string());
    EXPECT_EQ(DefaultPhoto((folder / "missing").string()), "");
    std::filesystem::remove_all(folder);

    EXPECT_EQ(DefaultOutput("/some/where/Wine.jpg"), (std::filesystem::current_path() / "Wine-tavorin.jpg").string());
}

TEST(CommandLine, HelpAndParameterListing) {
    std::ostringstream out, err;
    EXPECT_EQ(Main({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("Usage: tavorin"), std::string::npos);
    out.str("");
    EXPECT_EQ(Main({"--list-parameters"}, out, err), 0);
    EXPECT_NE(out.str().find("Luminance Style: CIE | Local Laplacian | None with Color Adjustments | None"),
              std::string::npos);
    EXPECT_NE(out.str().find("CA Saturation Strength: 0 to 1"), std::string::npos);
    EXPECT_NE(out.str().find("CA Vignette On/Off: Off | On (default Off)"), std::string::npos);
    // The modes by family, in the help and on their own.
    out.str("");
    EXPECT_EQ(Main({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("Modes, by family:\n  Enhance 1, Enhance 2"), std::string::npos);
    out.str("");
    EXPECT_EQ(Main({"--list-modes"}, out, err), 0);
    EXPECT_NE(out.str().find("\n  Fog 1, Fog 2, Fog 3"), std::string::npos);
    EXPECT_EQ(out.str().find("Usage"), std::string::npos);
    EXPECT_EQ(Main({"--set", "Nope=1"}, out, err), kExitUsage);
    EXPECT_NE(err.str().find("tavorin: unknown parameter"), std::string::npos);
}

}  // namespace
