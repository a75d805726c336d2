// Every connection test starts from a fresh core state and its own settings
// folder.
#pragma once

#include "kestrova/api.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-conn-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        RY_API_Cleanup();
        std::filesystem::remove_all(home_);
    }
    static std::string settingText(const char* name) {
        std::vector<char> buffer(70000);
        RY_GetSettingString(name, "", buffer.data());
        return buffer.data();
    }
    std::filesystem::path home_;
};
