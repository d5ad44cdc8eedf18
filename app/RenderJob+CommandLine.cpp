// The render job's command line read into its options, its names checked against a vocabulary:
// the program checks them against the engine's, the launcher (which decides before the engine
// is loaded) reads the shape alone.
#include <utility>

#include "app/RenderJob.h"

namespace RenderJob {

namespace {

Command Fail(std::string message) { return UsageError{std::move(message)}; }

}  // namespace

const Vocabulary& ShapeOnly() {
    static const Vocabulary shape{
        [](const std::string&) { return std::string(); },
        [](const std::string& name, const std::string&) -> std::variant<std::pair<std::string, float>, std::string> {
            return std::pair(name, 0.0f);
        },
        [](const std::string&) { return true; },
    };
    return shape;
}

Command Parse(const std::vector<std::string>& arguments, const Vocabulary& vocabulary) {
    Options options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            // Only an omitted photo means the sample; an empty name is a slip (an unset
            // shell variable, say) that must not render some other picture.
            if (argument.empty())
                return Fail(positional.empty()
                                ? "the photo's file name is empty (leave it out to use the sample photograph)"
                                : "the output's file name is empty");
            positional.push_back(argument);
            continue;
        }
        // "--name=value" or "--name value".
        std::string option = argument, inlineValue;
        bool hasInlineValue = false;
        if (argument.rfind("--", 0) == 0) {
            if (const size_t equals = argument.find('='); equals != std::string::npos) {
                option = argument.substr(0, equals);
                inlineValue = argument.substr(equals + 1);
                hasInlineValue = true;
            }
        }
        const auto takeValue = [&](std::string& into) -> bool {
            if (hasInlineValue) {
                into = inlineValue;
                return true;
            }
            if (i + 1 >= arguments.size()) return false;
            into = arguments[++i];
            return true;
        };

        if (argument == "--") {
            optionsEnded = true;
        } else if (option == "-h" || option == "--help") {
            return Help{};
        } else if (option == "--list-parameters") {
            return ListParameters{};
        } else if (option == "--list-modes") {
            return ListModes{};
        } else if (option == "-q" || option == "--quiet") {
            options.quiet = true;
        } else if (option == "-o" || option == "--output") {
            if (!takeValue(options.output) || options.output.empty()) return Fail(option + " needs a file name");
        } else if (option == "-m" || option == "--mode") {
            if (!takeValue(options.mode) || options.mode.empty())
                return Fail(option + " needs a mode name such as \"Enhance 1\"");
            if (std::string error = vocabulary.modeError(options.mode); !error.empty()) return Fail(std::move(error));
        } else if (option == "-s" || option == "--set") {
            std::string setting;
            if (!takeValue(setting))
                return Fail(option + " needs NAME=VALUE, for example --set \"CA Saturation Strength=0.7\"");
            const size_t equals = setting.find('=');
            if (equals == std::string::npos) return Fail("\"" + setting + "\" is not NAME=VALUE");
            auto parameter = vocabulary.setting(setting.substr(0, equals), setting.substr(equals + 1));
            if (std::string* error = std::get_if<std::string>(&parameter)) return Fail(std::move(*error));
            options.parameters.push_back(std::get<std::pair<std::string, float>>(std::move(parameter)));
        } else {
            return Fail("unknown option " + option);
        }
    }
    if (positional.size() > 2) return Fail("too many file names: give a photo and at most one output");
    if (!positional.empty()) options.input = positional[0];
    if (positional.size() == 2) {
        if (!options.output.empty()) return Fail("the output is given twice");
        options.output = positional[1];
    }
    if (!options.output.empty() && !vocabulary.knowsOutputType(options.output))
        return Fail("cannot tell the image type of \"" + options.output + "\": end it in .jpg, .png or .tiff");
    return options;
}

}  // namespace RenderJob
