#pragma once
// A command run through the shell as a person runs the program: its standard output, its
// standard error (sent to a file, read back and removed) and its exit status.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace shellrun {

struct ShellOutcome {
    int status = -1;  // -1: did not exit on its own
    std::string out;
    std::string err;
};

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `command` must not redirect its standard error: it goes to `errFile`.
inline ShellOutcome RunShell(const std::string& command, const std::filesystem::path& errFile) {
    ShellOutcome outcome;
    FILE* pipe = popen((command + " 2>'" + errFile.string() + "'").c_str(), "r");
    if (!pipe) return outcome;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) outcome.out += buffer;
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadText(errFile);
    std::filesystem::remove(errFile);
    return outcome;
}

}  // namespace shellrun
