// The program itself, started by its launcher (launcher.cpp): the application (the camera
// screen in a window, or headless from a script), the render of a photo through the engine (see
// RenderJob.h), or the import of photos into the photo library.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/ApplicationMode.h"
#include "app/ImportJob.h"
#include "app/ProgramCommand.h"
#include "app/RenderJob.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The render job checks its names itself, once, when it runs.
    const ProgramCommand::Command command = ProgramCommand::Read(arguments, RenderJob::ShapeOnly());
    if (const auto* import = std::get_if<ProgramCommand::Import>(&command))
        return ImportJob::Main(import->arguments, std::cout, std::cerr);
    if (const auto* error = std::get_if<ApplicationMode::UsageError>(&command)) {
        std::cerr << "tavorin: " << error->message << "\n";
        ApplicationMode::PrintUsage(std::cerr);
        return ApplicationMode::kExitUsage;
    }
    if (const auto* options = std::get_if<ApplicationMode::Options>(&command))
        return ApplicationMode::Run(*options, std::cerr);
    if (std::holds_alternative<ProgramCommand::SampleWithPhoto>(command)) {
        std::cerr << "tavorin: --sample takes no photo\n";
        return ApplicationMode::kExitUsage;
    }
    if (std::holds_alternative<ProgramCommand::Help>(command)) {
        // Every use of the program: the render, the application, the import.
        const int status = RenderJob::Main({"--help"}, std::cout, std::cerr);
        std::cout << "\n";
        ApplicationMode::PrintUsage(std::cout);
        std::cout << "\n";
        ImportJob::PrintUsage(std::cout);
        return status;
    }
    return RenderJob::Main(std::get<ProgramCommand::Render>(command).arguments, std::cout, std::cerr);
}
