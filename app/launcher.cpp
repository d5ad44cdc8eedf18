// The program as people start it: a small launcher that links none of the program's libraries.
// It decides what this start is for, asks the C library for large pages if it renders a photo
// (its tunables are read only when a process starts: see LargePages.h), and starts, from beside
// itself and with the same arguments, the render job's own program for the render job's command
// lines, the whole program for the rest. Deciding here, before any of the program's libraries
// are loaded, spares a render loading them a second time, and the render's program loads only
// the libraries a render uses.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include <unistd.h>

#include "app/ProgramCommand.h"
#include "platform/foundation/LargePages.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ProgramCommand::Command command = ProgramCommand::Read(arguments, RenderJob::ShapeOnly());
    if (ProgramCommand::Renders(command)) LargePages::AskForThemInEnvironment();
    const char* name =
        std::holds_alternative<ProgramCommand::Render>(command) ? TAVORIN_RENDER_PROGRAM : TAVORIN_PROGRAM;
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        std::fprintf(stderr, "tavorin: cannot find the program: /proc/self/exe: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string own(self, static_cast<size_t>(length));
    const std::string program = own.substr(0, own.rfind('/') + 1) + name;
    execv(program.c_str(), argv);
    std::fprintf(stderr, "tavorin: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}
