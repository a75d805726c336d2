// The message boxes the connection shows: an error icon, a caption and a
// text, owned by the main window.
#pragma once

#include <string>
#include <vector>

namespace kestrova::connection {

class Alerts {
public:
    virtual ~Alerts() = default;
    virtual void showError(const std::string& caption, const std::string& text) = 0;
};

// Keeps what would have been shown.
// FIXME: the plug-in shows these through the platform's message boxes once
// the window system is on main; until then they are only recorded.
class RecordedAlerts final : public Alerts {
public:
    struct Shown {
        std::string caption;
        std::string text;
    };
    void showError(const std::string& caption, const std::string& text) override { shown.push_back({caption, text}); }
    std::vector<Shown> shown;
};

}  // namespace kestrova::connection
