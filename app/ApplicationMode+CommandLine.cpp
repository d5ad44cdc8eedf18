// The application's command line, apart from what runs the application: the program's launcher
// reads it too, before the program's libraries are loaded.
#include <map>

#include "app/ApplicationMode.h"

namespace ApplicationMode {

namespace {

// The application's options that take a value, and the flag.
const std::map<std::string, std::string Options::*> kValueOptions = {
    {"--device", &Options::device},
    {"--shortcut", &Options::shortcut},
    {"--script", &Options::script},
    {"--screenshots", &Options::screenshots},
};

}  // namespace

Command Parse(const std::vector<std::string>& arguments) {
    Options options;
    std::vector<std::string> rest;
    bool application = false, sample = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = kValueOptions.find(argument);
        if (value != kValueOptions.end() || argument == "--camera") {
            if (i + 1 >= arguments.size()) return UsageError{argument + " needs a value"};
            application = true;
            if (argument == "--camera") options.camera = arguments[++i];
            else options.*(value->second) = arguments[++i];
        } else if (argument == "--headless") {
            application = options.headless = true;
        } else if (argument == "--no-force-touch") {
            application = true;
            options.forceTouch = false;
        } else if (argument == "--sample") {
            sample = true;
        } else {
            rest.push_back(argument);
        }
    }
    if (application && (sample || !rest.empty()))
        return UsageError{"the application's options do not go with a render (" + (sample ? "--sample" : rest.front()) +
                          ")"};
    if (!application && (sample || !rest.empty())) return RenderArguments{std::move(rest), sample};
    if (options.device != "phone" && options.device != "pad")
        return UsageError{"--device is phone or pad, not \"" + options.device + "\""};
    if (options.headless && options.script.empty()) return UsageError{"--headless needs --script FILE"};
    if (!options.headless && (!options.script.empty() || !options.screenshots.empty()))
        return UsageError{"--script and --screenshots go with --headless"};
    return options;
}

}  // namespace ApplicationMode
