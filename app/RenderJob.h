#pragma once
// The program's job on the command line: a photo rendered at full resolution through the
// engine with parameters set by name, written as JPEG, PNG or TIFF. The photo goes from the
// decoder to the engine (PhotoRenderer) and from the engine to the encoder, with no view or
// editing model in between.
//
//   tavorin [options] [PHOTO [OUTPUT]]
//
// Parsing checks everything that can be checked without the photo (parameter names, values,
// the output type) so that a mistake is reported before any work is done.
//
// RenderJob+CommandLine.cpp holds the parsing (which the launcher links without the engine),
// RenderJob.cpp the render itself.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace RenderJob {

// Exit codes: 0 done, 1 the work failed (unreadable photo, no device, unwritable output),
// 2 the command line is wrong.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Options {
    std::string input;   // empty: the default sample photograph (an empty name given is refused)
    std::string output;  // empty: beside the current folder, named after the input
    std::string mode;    // a mode by its shown name ("Enhance 1"), or empty
    // Engine parameters in the order given, each with its normalised value.
    std::vector<std::pair<std::string, float>> parameters;
    bool quiet = false;
};

struct Help {};
struct ListParameters {};
struct ListModes {};
struct UsageError {
    std::string message;
};
using Command = std::variant<Options, Help, ListParameters, ListModes, UsageError>;

// What a command line's names are checked against: the modes, the parameters and their values,
// the types of output.
struct Vocabulary {
    // A message when `mode` is not a mode's shown name; empty when it is.
    std::function<std::string(const std::string& mode)> modeError;
    // The parameter's own name and normalised value for NAME=VALUE, or a message.
    std::function<std::variant<std::pair<std::string, float>, std::string>(const std::string& name,
                                                                           const std::string& value)>
        setting;
    std::function<bool(const std::string& output)> knowsOutputType;
};
// The engine's modes, parameters and the image types written.
const Vocabulary& EngineVocabulary();
// Every name taken as given (each parameter at 0): the command line's shape alone, for a
// decision that comes before the engine is loaded; the program then finds a wrong name.
const Vocabulary& ShapeOnly();

Command Parse(const std::vector<std::string>& arguments, const Vocabulary& vocabulary);
Command Parse(const std::vector<std::string>& arguments);  // with the engine's vocabulary

// The normalised value of `text` for parameter `name` (its name in any case): a number from 0
// to 1, On or Off for an on/off parameter, or for an enumerated parameter one of its values by
// name (case ignored). An error message otherwise, with the names that resemble an unknown one.
std::variant<float, std::string> ParameterValue(const std::string& name, const std::string& text);

void PrintUsage(std::ostream& out);
// Every parameter with its default and, for enumerations, the values it takes.
void PrintParameters(std::ostream& out);
// The modes by their shown names, a line per family.
void PrintModes(std::ostream& out);

// Where the default photo is looked for, and the one chosen there: a photograph above
// 12 megapixels when one exists, else the largest. Empty when there is none.
inline constexpr const char* kSampleFolder = "/usr/share/backgrounds";
std::string DefaultPhoto(const std::string& folder = kSampleFolder);
// "<name of the photo>-tavorin.jpg" in the current folder.
std::string DefaultOutput(const std::string& input);

// Runs the job; messages go to `out` (the result) and `err` (progress and errors).
int Run(const Options& options, std::ostream& out, std::ostream& err);

// The whole program: parse, then help, list or run.
int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace RenderJob
