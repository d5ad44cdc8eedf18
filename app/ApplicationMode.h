#pragma once
// The program's application mode: with no photo and no render option the program opens the
// camera screen in a window (or runs it headless from a script). Its options:
//
//   --device phone|pad        the device profile (phone: 375 x 667 points at scale 2)
//   --no-force-touch          a screen without force (no peek and pop)
//   --camera SOURCE           simulated, v4l2[:/dev/videoN], lavfi:GRAPH or none (default: the
//                             first webcam that opens, else the simulated camera)
//   --shortcut TYPE           a home-screen shortcut handed to the application once launched
//   --headless --script FILE --screenshots DIR
//                             no window: the script's input on the manual clock
//
// `--sample` renders the sample photograph (the render job without a photo).
//
// ApplicationMode+CommandLine.cpp holds the reading of the command line (which the launcher
// links without the application), ApplicationMode.cpp the running.
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ApplicationMode {

inline constexpr int kExitUsage = 2;

struct Options {
    std::string device = "phone";
    bool forceTouch = true;
    std::optional<std::string> camera;
    std::string shortcut;
    bool headless = false;
    std::string script;
    std::string screenshots;
};

// The arguments for the render job (`--sample` taken out), when they are not the application's.
struct RenderArguments {
    std::vector<std::string> arguments;
    bool sample = false;
};
struct UsageError {
    std::string message;
};
using Command = std::variant<Options, RenderArguments, UsageError>;

Command Parse(const std::vector<std::string>& arguments);
void PrintUsage(std::ostream& out);

// Runs the application with the options; the exit status.
int Run(const Options& options, std::ostream& err);

}  // namespace ApplicationMode
