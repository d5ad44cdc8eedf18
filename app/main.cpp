// The program's entry: until the application screen exists, its job on the command line is
// to render a photo at full resolution through the engine (see RenderJob.h).
#include <iostream>
#include <string>
#include <vector>

#include "app/RenderJob.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return RenderJob::Main(arguments, std::cout, std::cerr);
}
