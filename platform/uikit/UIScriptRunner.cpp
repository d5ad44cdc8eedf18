#include "platform/uikit/UIScriptRunner.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The words of the line after the command, read as numbers; false unless there are exactly
// `count` finite ones.
bool numbers(std::istringstream& words, std::size_t count, std::vector<double>* out) {
    std::string word;
    while (words >> word) {
        std::size_t used = 0;
        double value = 0;
        try {
            value = std::stod(word, &used);
        } catch (const std::exception&) {
            return false;
        }
        if (used != word.size() || !std::isfinite(value)) return false;
        out->push_back(value);
    }
    return out->size() == count;
}

}  // namespace

bool UIScriptRunner::runFile(const std::string& path, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        if (error) *error = "cannot read the script " + path;
        return false;
    }
    return run(file, error);
}

bool UIScriptRunner::run(std::istream& script, std::string* error) {
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        const std::string reason = runLine(line);
        if (reason.empty()) continue;
        if (error) *error = "line " + std::to_string(number) + ": " + reason;
        return false;
    }
    return true;
}

std::string UIScriptRunner::runLine(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command) || command.starts_with('#')) return {};
    std::vector<double> n;
    if (command == "tap") {
        if (!numbers(words, 2, &n)) return "tap takes x and y";
        driver_.tap({n[0], n[1]});
    } else if (command == "drag") {
        if (!numbers(words, 5, &n) || n[4] < 0) return "drag takes x1 y1 x2 y2 and the seconds (not negative)";
        driver_.drag({n[0], n[1]}, {n[2], n[3]}, n[4]);
    } else if (command == "wait") {
        if (!numbers(words, 1, &n) || n[0] < 0) return "wait takes the seconds (not negative)";
        if (wait_) wait_(n[0]);
        else driver_.wait(n[0]);
    } else if (command == "key") {
        std::string name, extra;
        if (!(words >> name) || (words >> extra)) return "key takes one key name";
        auto press = UIKeyPress::named(name);
        if (!press) return "no key is named " + name;
        driver_.key(*press);
    } else if (command == "shot") {
        std::string name, extra;
        if (!(words >> name) || (words >> extra)) return "shot takes one file name";
        const std::filesystem::path file(name);
        if (file.has_parent_path() || file.extension() != ".png" || file.stem().empty())
            return "a screenshot is a plain file name ending in .png: " + name;
        std::string failure;
        if (!driver_.writeScreenshot((std::filesystem::path(folder_) / file).string(), &failure)) return failure;
    } else {
        return "unknown command " + command;
    }
    return {};
}
