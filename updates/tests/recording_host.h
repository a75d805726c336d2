// The program around the update logic as tests see it: settings in members,
// and every overview change recorded as a line.
#pragma once

#include "update_host.h"

#include <string>
#include <vector>

namespace kestrova::updates::testing {

class RecordingHost : public UpdateHost {
  public:
    std::string host = "127.0.0.1";
    int32_t port = 80;
    int64_t last = 0;
    int32_t level = 0;
    int32_t powerSave = 0;
    std::string platform = "SmartPhone";
    int32_t language = 2057;
    int64_t subscriber = 42;

    std::string serverHost() override { return host; }
    int32_t serverPort() override { return port; }
    int64_t lastCheck() override { return last; }
    void setLastCheck(int64_t seconds) override { last = seconds; }
    int32_t migrationLevel() override { return level; }
    void setMigrationLevel(int32_t value) override { level = value; }
    void setPowerSave(int32_t value) override { powerSave = value; }
    std::string platformName() override { return platform; }
    int32_t languageId() override { return language; }
    int64_t subscriberId() override { return subscriber; }
};

class RecordingView : public UpdateView {
  public:
    std::vector<std::string> lines;
    bool shown = false;

    void show(std::string_view title, std::string_view text) override {
        lines.push_back(std::string(title) + " / " + std::string(text));
        shown = true;
    }
    void hide() override {
        lines.push_back("hidden");
        shown = false;
    }
    std::string last() const { return lines.empty() ? "" : lines.back(); }
};

} // namespace kestrova::updates::testing
