#pragma once
// Points the user's configuration folder at a fresh temporary directory for one test and
// makes the program's user defaults read from there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

#include "platform/foundation/UserDefaults.h"

class ConfigHomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-config-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) previous_ = old;
        ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
        UserDefaults::resetStandardUserDefaults();
    }
    void TearDown() override {
        UserDefaults::resetStandardUserDefaults();
        if (previous_) ::setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(home_);
    }

    std::filesystem::path storeFile() const { return home_ / "tavorin" / "defaults.json"; }
    void writeStore(const std::string& text) const {
        std::filesystem::create_directories(storeFile().parent_path());
        std::ofstream(storeFile(), std::ios::binary) << text;
    }
    std::string readStore() const {
        std::ifstream in(storeFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Files in the store's folder other than the store itself.
    std::vector<std::string> otherFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(storeFile().parent_path()))
            if (entry.path() != storeFile()) names.push_back(entry.path().filename().string());
        return names;
    }

    std::filesystem::path home_;
    std::optional<std::string> previous_;
};
