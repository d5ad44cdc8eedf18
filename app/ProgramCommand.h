#pragma once
// What a start of the program is for, read from its command line: the application, the import
// of photos, the help on every use, or the render job (whose own reading then says render, list
// or mistake). The program acts on it, and its launcher decides from it whether the start asks
// for large pages, so that the two read a command line alike.
#include <string>
#include <variant>
#include <vector>

#include "app/ApplicationMode.h"
#include "app/RenderJob.h"

namespace ProgramCommand {

struct Import {
    std::vector<std::string> arguments;  // after "import"
};
// The help on every use of the program (--help or -h alone).
struct Help {};
// --sample with a photo named too.
struct SampleWithPhoto {};
struct Render {
    std::vector<std::string> arguments;  // the render job's, --sample taken out
    RenderJob::Command command;
};
using Command =
    std::variant<ApplicationMode::Options, ApplicationMode::UsageError, Import, Help, SampleWithPhoto, Render>;

Command Read(const std::vector<std::string>& arguments, const RenderJob::Vocabulary& vocabulary);

// Whether the start renders a photo: the one use that asks for large pages (see LargePages.h).
// A listing or a mistake would gain nothing, and the application's allocations are mostly small
// and long-lived, where large pages would cost memory for little time.
bool Renders(const Command& command);

}  // namespace ProgramCommand
