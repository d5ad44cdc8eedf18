// The program as people start it: a small launcher that links none of the program's libraries.
// It decides whether this start renders a photo, asks the C library for large pages if so (its
// tunables are read only when a process starts: see LargePages.h), and starts the program,
// installed beside it, with the same arguments. Deciding here, before the program's couple of
// hundred libraries are loaded, spares a render loading and relocating all of them a second
// time.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/ProgramCommand.h"
#include "platform/foundation/LargePages.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (ProgramCommand::Renders(ProgramCommand::Read(arguments, RenderJob::ShapeOnly())))
        LargePages::AskForThemInEnvironment();
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        std::fprintf(stderr, "tavorin: cannot find the program: /proc/self/exe: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string own(self, static_cast<size_t>(length));
    const std::string program = own.substr(0, own.rfind('/') + 1) + TAVORIN_PROGRAM;
    execv(program.c_str(), argv);
    std::fprintf(stderr, "tavorin: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}
