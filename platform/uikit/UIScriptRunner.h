#pragma once
// Runs a small text script of input through the input driver, one command a line:
//
//     tap 187 600              a tap at window points
//     drag 40 300 300 300 0.3  a drag from one point to another over so many seconds
//     key VolumeUp             a key by name (see UIKeyPress::named), e.g. "Ctrl+Left"
//     wait 0.5                 lets so many seconds pass
//     shot album.png           writes a screenshot (PNG) into the screenshots folder
//
// Blank lines and lines starting with '#' are skipped. Numbers must be finite, durations not
// negative, and screenshot names plain file names ending in ".png". The run stops at the
// first line it cannot run, with "line N: " and the reason.
#include <functional>
#include <istream>
#include <string>

#include "platform/uikit/UIInputDriver.h"

class UIScriptRunner {
public:
    UIScriptRunner(UIInputDriver& driver, std::string screenshotsFolder)
        : driver_(driver), folder_(std::move(screenshotsFolder)) {}

    // How `wait` lets time pass (the driver's wait unless replaced): the application's headless
    // mode also lets work of other threads land on the way.
    using Wait = std::function<void(NSTimeInterval seconds)>;
    void setWait(Wait wait) { wait_ = std::move(wait); }

    bool run(std::istream& script, std::string* error = nullptr);
    bool runFile(const std::string& path, std::string* error = nullptr);

private:
    // Runs one line; the reason on failure.
    std::string runLine(const std::string& line);

    UIInputDriver& driver_;
    std::string folder_;
    Wait wait_;
};
