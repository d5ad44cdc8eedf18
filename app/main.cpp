// The program's entry: until the application screen exists, its job on the command line is
// to render a photo at full resolution through the engine (see RenderJob.h).
#include <iostream>
#include <string>
#include <vector>

#include "app/ImportJob.h"
#include "app/RenderJob.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments[0] == "import")
        return ImportJob::Main({arguments.begin() + 1, arguments.end()}, std::cout, std::cerr);
    return RenderJob::Main(arguments, std::cout, std::cerr);
}
