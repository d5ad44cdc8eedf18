// The launcher as people start it, beside a stand-in for the program that reports what it was
// given: the arguments and exit status pass through unchanged, the tunable for large pages is
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

    // The stand-in prints each argument in brackets, then the tunables it sees, and ends with 7.
    void PlaceStandIn() {
        const fs::path program = folder / TAVORIN_PROGRAM;
        std::ofstream(program) << "#!/bin/sh\n"
                                  "for a in \"$@\"; do printf '[%s]' \"$a\"; done\n"
                                  "printf '\\n%s\\n' \"${GLIBC_TUNABLES-unset}\"\n"
                                  "exit 7\n";
        fs::permissions(program, fs::perms::owner_all);
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

TEST_F(Launcher, StartsTheProgramBesideItWithTheSameArgumentsAndTheTunableForARenderAlone) {
    PlaceStandIn();
    const struct {
        std::vector<std::string> arguments;
        std::optional<std::string> tunables;
        bool render;
    } cases[] = {
        {{"-q", "--set", "Luminance Style=None", "photo.jpg", "out.jpg"}, std::nullopt, true},
        {{"--mode", "Clarity 1", "it's a photo.jpg"}, "glibc.malloc.check=3", true},
        {{"photo.jpg"}, "glibc.malloc.hugetlb=0", true},  // the person's own choice stays
        {{}, std::nullopt, false},
        {{"--help"}, std::nullopt, false},
        {{"--list-modes"}, "glibc.malloc.check=3", false},
        {{"import", "a.jpg"}, std::nullopt, false},
        {{"photo.jpg", "--bogus"}, std::nullopt, false},
    };
    for (const auto& c : cases) {
        std::string expected;
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
              "tavorin: cannot start " + (folder / TAVORIN_PROGRAM).string() + ": No such file or directory\n");
}

}  // namespace
