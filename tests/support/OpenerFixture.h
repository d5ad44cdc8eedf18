#pragma once
// Handing files to other programs in UI tests: temporary XDG folders and private temporary
// folder, no desktop openers, a root controller in the harness's window, and a real stand-in
// program to register as an opener. The program records its arguments and a copy of the file
// it was given (its first argument after the record folder) into the record folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/UserDefaults.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIViewController.h"
#include "support/AlertHarness.h"
#include "support/ControllerFixture.h"

class OpenerFixture : public ControllerFixture {
protected:
    struct Record {
        std::vector<std::string> arguments;  // after the record folder
        std::string file;                    // the copy's bytes
    };

    void SetUp() override {
        ControllerFixture::SetUp();
        std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-openers-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        for (const char* dir : {"config", "data", "tmp", "record"}) std::filesystem::create_directories(root / dir);
        setEnv("XDG_CONFIG_HOME", (root / "config").string());
        setEnv("XDG_DATA_HOME", (root / "data").string());
        setEnv("TMPDIR", (root / "tmp").string());
        setEnv("TAVORIN_DESKTOP_OPENERS", "0");
        UserDefaults::resetStandardUserDefaults();
        program = root / "opener.sh";
        std::ofstream(program) << "#!/bin/sh\n"
                                  "dir=\"$1\"; shift\n"
                                  "cp \"$1\" \"$dir/file.part\" 2>/dev/null\n"
                                  "printf '%s\\0' \"$@\" > \"$dir/args.part\"\n"
                                  "mv \"$dir/file.part\" \"$dir/file\" 2>/dev/null\n"
                                  "mv \"$dir/args.part\" \"$dir/args\"\n";
        ::chmod(program.c_str(), 0755);
        rootController = std::make_shared<UIViewController>();
        window->setRootViewController(rootController);
        loop.runUntilIdle();
    }
    void TearDown() override {
        while (UIAlertPresentation* shown = UIAlertPresentation::shown()) shown->dismissWithIndex(shown->cancelIndex());
        loop.runUntilIdle();
        rootController.reset();
        ControllerFixture::TearDown();
        for (const auto& [name, value] : saved) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
        UserDefaults::resetStandardUserDefaults();
        std::filesystem::remove_all(root);
    }

    void setEnv(const std::string& name, const std::string& value) {
        if (!saved.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::filesystem::path openersFile() const { return root / "config" / "tavorin" / "openers.json"; }
    void writeOpeners(const std::string& text) const {
        std::filesystem::create_directories(openersFile().parent_path());
        std::ofstream(openersFile(), std::ios::binary) << text;
    }
    // The stand-in program as an opener of the types; `extra` follows the file in its arguments.
    nlohmann::json testOpener(const std::string& id, const std::string& name, const std::vector<std::string>& types,
                              const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> exec = {program.string(), (root / "record").string(), "%f"};
        exec.insert(exec.end(), extra.begin(), extra.end());
        return {{"id", id}, {"name", name}, {"types", types}, {"exec", exec}};
    }
    void registerOpeners(const std::vector<nlohmann::json>& openers) const {
        writeOpeners(nlohmann::json{{"openers", openers}}.dump());
    }

    // Waits for the program's record (a real program runs beside the test; the bound only
    // keeps a broken run from hanging).
    std::optional<Record> waitForRecord() const {
        const auto args = root / "record" / "args";
        for (int i = 0; i < 3000 && !std::filesystem::exists(args); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!std::filesystem::exists(args)) return std::nullopt;
        Record record;
        std::ifstream in(args, std::ios::binary);
        std::string argument;
        while (std::getline(in, argument, '\0')) record.arguments.push_back(argument);
        std::ifstream file(root / "record" / "file", std::ios::binary);
        record.file.assign(std::istreambuf_iterator<char>(file), {});
        return record;
    }
    bool launched() const { return std::filesystem::exists(root / "record" / "args"); }

    // The shown sheet's button titles, in order.
    static std::vector<std::string> shownTitles() {
        std::vector<std::string> titles;
        if (UIAlertPresentation* shown = UIAlertPresentation::shown())
            for (const auto& button : shown->buttons) titles.push_back(button.title);
        return titles;
    }
    void choose(const std::string& title) {
        tapAlertButton(*ui, title);
        loop.runUntilIdle();
    }

    std::filesystem::path root, program;
    std::shared_ptr<UIViewController> rootController;
    std::map<std::string, std::optional<std::string>> saved;
};
