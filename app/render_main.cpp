// The render job's own program, started by the launcher (launcher.cpp) for a render, its help
// and listings and their mistakes. It links only what a render uses, which is a quarter of the
// whole program's libraries: a start loads them in a tenth of the time.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/ProgramCommand.h"
#include "app/RenderJob.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The names are checked once, by the job itself.
    const ProgramCommand::Command command = ProgramCommand::Read(arguments, RenderJob::ShapeOnly());
    if (const auto* render = std::get_if<ProgramCommand::Render>(&command))
        return RenderJob::Main(render->arguments, std::cout, std::cerr);
    std::cerr << "tavorin: this is the render's program; run tavorin for the rest\n";
    return RenderJob::kExitUsage;
}
