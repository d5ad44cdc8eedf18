#pragma once
// A desktop whose `xdg-open` the test writes: a real shell script first in PATH (or none at all)
// for the life of the object, which records its process and arguments and then runs the given
// body ("exit 3", "kill -9 $$"). `waitForOutcome` turns the harness's loop until the program's
// outcome has had time to arrive: an alert shown, or the script ended and reaped.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/uikit/UIAlertPresentation.h"
#include "support/TouchHarness.h"

class FakeXdgOpen {
public:
    // No body: no `xdg-open` anywhere in PATH.
    explicit FakeXdgOpen(std::optional<std::string> body) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-xdg-open-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        if (body) {
            const auto script = folder_ / "xdg-open";
            std::ofstream(script) << "#!/bin/sh\n"
                                     "printf '%s\\n' \"$@\" > '"
                                  << (folder_ / "args").string() << "'\necho $$ > '" << (folder_ / "pid").string()
                                  << "'\n"
                                  << *body << "\n";
            ::chmod(script.c_str(), 0755);
        }
        if (const char* path = std::getenv("PATH")) savedPath_ = path;
        ::setenv("PATH", folder_.c_str(), 1);
    }
    ~FakeXdgOpen() {
        ::setenv("PATH", savedPath_.c_str(), 1);
        std::filesystem::remove_all(folder_);
    }
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

    // The arguments the script was given, a line each.
    std::string arguments() const {
        std::ifstream in(folder_ / "args");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The alert that came of the launch, or null once the script has ended (or never started)
    // and its outcome has had a moment to arrive. A real program runs beside the test; the
    // bound only keeps a broken run from hanging.
    UIAlertPresentation* waitForOutcome(TouchHarness& ui) const {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        std::optional<Clock::time_point> ended;
        while (Clock::now() < deadline) {
            ui.advance(0.01);
            if (UIAlertPresentation* shown = UIAlertPresentation::shown()) return shown;
            if (!ended && hasEnded()) ended = Clock::now();
            if (ended && Clock::now() - *ended > std::chrono::milliseconds(300)) return nullptr;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ADD_FAILURE() << "the stand-in xdg-open never ended";
        return nullptr;
    }

private:
    // Started, ended and reaped; or there is no script to start.
    bool hasEnded() const {
        if (!std::filesystem::exists(folder_ / "xdg-open")) return true;
        std::ifstream in(folder_ / "pid");
        long pid = 0;
        if (!(in >> pid) || pid <= 0) return false;
        return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    }

    std::filesystem::path folder_;
    std::string savedPath_;
};
