// Reading what a start of the program is for (see the header).
#include "app/ProgramCommand.h"

namespace ProgramCommand {

Command Read(const std::vector<std::string>& arguments, const RenderJob::Vocabulary& vocabulary) {
    if (!arguments.empty() && arguments[0] == "import") return Import{{arguments.begin() + 1, arguments.end()}};
    ApplicationMode::Command application = ApplicationMode::Parse(arguments);
    if (auto* error = std::get_if<ApplicationMode::UsageError>(&application)) return std::move(*error);
    if (auto* options = std::get_if<ApplicationMode::Options>(&application)) return std::move(*options);
    auto& render = std::get<ApplicationMode::RenderArguments>(application);
    if (!render.sample && render.arguments.size() == 1 &&
        (render.arguments[0] == "--help" || render.arguments[0] == "-h"))
        return Help{};
    RenderJob::Command command = RenderJob::Parse(render.arguments, vocabulary);
    // The sample photograph is what the render job takes without a photo.
    if (const auto* job = std::get_if<RenderJob::Options>(&command); render.sample && job && !job->input.empty())
        return SampleWithPhoto{};
    return Render{std::move(render.arguments), std::move(command)};
}

bool Renders(const Command& command) {
    const auto* render = std::get_if<Render>(&command);
    return render && std::holds_alternative<RenderJob::Options>(render->command);
}

}  // namespace ProgramCommand
