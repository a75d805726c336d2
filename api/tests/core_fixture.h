// Every api test starts from a fresh core state and its own settings folder.
#pragma once

#include "kestrova/api.h"
#include "kestrova/bus_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-api-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        RY_API_Cleanup();
        std::filesystem::remove_all(home_);
    }
    std::filesystem::path home_;
};

// Records the calls a subscription receives.
struct CallLog {
    std::vector<void*> data;
    std::vector<HSUBSCRIPTION> handles;

    static intptr_t record(void* user, void* data, void* extra, HSUBSCRIPTION subscription) {
        auto* log = static_cast<CallLog*>(user);
        log->data.push_back(data);
        log->handles.push_back(subscription);
        return 0;
    }
    size_t count() const { return data.size(); }
};
