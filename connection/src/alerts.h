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

// The plug-in's alerts: an error box owned by the main window
// ("core.window.hwnd"), or by no window before there is one.
class WindowAlerts final : public Alerts {
public:
    void showError(const std::string& caption, const std::string& text) override;
};

// Keeps what would have been shown (tests and fuzzing).
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
