// The program's entry: the application (the camera screen in a window, or headless from a
// script), the render of a photo through the engine (see RenderJob.h), or the import of photos
// into the photo library.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/ApplicationMode.h"
#include "app/ImportJob.h"
#include "app/RenderJob.h"
#include "platform/foundation/LargePages.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments[0] == "import")
        return ImportJob::Main({arguments.begin() + 1, arguments.end()}, std::cout, std::cerr);
    const ApplicationMode::Command command = ApplicationMode::Parse(arguments);
    if (const auto* error = std::get_if<ApplicationMode::UsageError>(&command)) {
        std::cerr << "tavorin: " << error->message << "\n";
        ApplicationMode::PrintUsage(std::cerr);
        return ApplicationMode::kExitUsage;
    }
    if (const auto* options = std::get_if<ApplicationMode::Options>(&command))
        return ApplicationMode::Run(*options, std::cerr);
    const auto& render = std::get<ApplicationMode::RenderArguments>(command);
    if (render.sample) {
        // The sample photograph is what the render job takes without a photo.
        const auto parsed = RenderJob::Parse(render.arguments);
        if (const auto* job = std::get_if<RenderJob::Options>(&parsed); job && !job->input.empty()) {
            std::cerr << "tavorin: --sample takes no photo\n";
            return ApplicationMode::kExitUsage;
        }
    } else if (render.arguments.size() == 1 && (render.arguments[0] == "--help" || render.arguments[0] == "-h")) {
        // Every use of the program: the render, the application, the import.
        const int status = RenderJob::Main(render.arguments, std::cout, std::cerr);
        std::cout << "\n";
        ApplicationMode::PrintUsage(std::cout);
        std::cout << "\n";
        ImportJob::PrintUsage(std::cout);
        return status;
    }
    // A photo's render works on pictures of many megabytes, each fresh: before anything is
    // allocated, and only for a render (a listing or a usage error would start twice for
    // nothing). The application's own allocations are mostly small and long-lived, where large
    // pages would cost memory for little time.
    if (std::holds_alternative<RenderJob::Options>(RenderJob::Parse(render.arguments)))
        LargePages::RestartAskingForThem(argv);
    return RenderJob::Main(render.arguments, std::cout, std::cerr);
}
