// The launcher as people start it, beside stand-ins for the programs that report what they were
// given: the render job's command lines go to the render's program and the rest to the whole
// program, the arguments and exit status pass through unchanged, the tunable for large pages is
// added for a render alone and never over the person's own, and a missing program is reported.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/LargePages.h"
#include "support/ShellRun.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tavorin-launcher-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(TAVORIN_EXECUTABLE, folder / "tavorin");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Each stand-in prints its name, each argument in brackets, then the tunables it sees, and
    // ends with 7.
    void PlaceStandIns() {
        for (const char* name : {TAVORIN_PROGRAM, TAVORIN_RENDER_PROGRAM}) {
            const fs::path program = folder / name;
            std::ofstream(program) << "#!/bin/sh\n"
                                      "echo \"${0##*/}\"\n"
                                      "for a in \"$@\"; do printf '[%s]' \"$a\"; done\n"
                                      "printf '\\n%s\\n' \"${GLIBC_TUNABLES-unset}\"\n"
                                      "exit 7\n";
            fs::permissions(program, fs::perms::owner_all);
        }
    }

    // Runs the copied launcher with the arguments and GLIBC_TUNABLES as given (unset: nullopt).
    shellrun::ShellOutcome Run(const std::vector<std::string>& arguments, const std::optional<std::string>& tunables) {
        std::string command = tunables ? "GLIBC_TUNABLES=" + Quoted(*tunables) + " " : "env -u GLIBC_TUNABLES ";
        command += Quoted((folder / "tavorin").string());
        for (const std::string& argument : arguments) command += " " + Quoted(argument);
        return shellrun::RunShell(command, folder / "stderr.txt");
    }

    fs::path folder;
};

// What the launcher adds for a render: the tunable where the kernel gives large pages only on
// request, nothing under the sanitizers (their allocator takes no tunable).
std::string TunablesForARender(const std::optional<std::string>& given) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return given.value_or("unset");
#else
    std::ifstream enabled("/sys/kernel/mm/transparent_hugepage/enabled");
    const std::string mode = LargePages::KernelMode(std::string(std::istreambuf_iterator<char>(enabled), {}));
    const auto asked = LargePages::TunablesAskingForThem(given ? given->c_str() : nullptr);
    if (mode != "madvise" || !asked) return given.value_or("unset");
    return *asked;
#endif
}

TEST_F(Launcher, StartsTheRightProgramBesideItWithTheSameArgumentsAndTheTunableForARenderAlone) {
    PlaceStandIns();
    const struct {
        std::vector<std::string> arguments;
        std::optional<std::string> tunables;
        const char* program;
        bool render;
    } cases[] = {
        {{"-q", "--set", "Luminance Style=None", "photo.jpg", "out.jpg"}, std::nullopt, TAVORIN_RENDER_PROGRAM, true},
        {{"--mode", "Clarity 1", "it's a photo.jpg"}, "glibc.malloc.check=3", TAVORIN_RENDER_PROGRAM, true},
        {{"photo.jpg"}, "glibc.malloc.hugetlb=0", TAVORIN_RENDER_PROGRAM, true},  // the person's own choice stays
        {{"--sample"}, std::nullopt, TAVORIN_RENDER_PROGRAM, true},
        {{"--list-modes"}, "glibc.malloc.check=3", TAVORIN_RENDER_PROGRAM, false},
        {{"-q", "--help"}, std::nullopt, TAVORIN_RENDER_PROGRAM, false},
        {{"photo.jpg", "--bogus"}, std::nullopt, TAVORIN_RENDER_PROGRAM, false},
        {{}, std::nullopt, TAVORIN_PROGRAM, false},
        {{"--help"}, std::nullopt, TAVORIN_PROGRAM, false},
        {{"import", "a.jpg"}, std::nullopt, TAVORIN_PROGRAM, false},
        {{"--sample", "photo.jpg"}, std::nullopt, TAVORIN_PROGRAM, false},
        {{"--device", "pad", "photo.jpg"}, std::nullopt, TAVORIN_PROGRAM, false},
    };
    for (const auto& c : cases) {
        std::string expected = std::string(c.program) + "\n";
        for (const std::string& argument : c.arguments) expected += "[" + argument + "]";
        expected += "\n" + (c.render ? TunablesForARender(c.tunables) : c.tunables.value_or("unset")) + "\n";
        const shellrun::ShellOutcome run = Run(c.arguments, c.tunables);
        EXPECT_EQ(run.status, 7) << run.err;
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(Launcher, AMissingProgramIsReportedWithTheReasonAndStatusOne) {
    const shellrun::ShellOutcome run = Run({"photo.jpg"}, std::nullopt);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "tavorin: cannot start " + (folder / TAVORIN_RENDER_PROGRAM).string() + ": No such file or directory\n");
}

}  // namespace
