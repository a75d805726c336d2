// Automation: finding windows, reading their state, driving input and
// answering modals, as a user would. Tests use it in-process; the program
// offers it over a Unix socket (docs/AUTOMATION.md) when asked to.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/modal.h"

namespace kestrova::platform {

struct WindowQuery {
    std::optional<std::string> className;
    std::optional<std::string> title;  // text of a top-level window
    std::optional<std::string> text;   // text of any window
    bool visibleOnly = false;
};

// A window's text as automation reads and matches it. A password edit reads
// as one mask character per character: scripts and tests see how much was
// typed, never the password itself (the program reads it with WM_GETTEXT).
std::string visibleText(HWND hwnd);

std::vector<HWND> findWindows(const WindowQuery& query);
HWND findWindow(const WindowQuery& query);

struct WindowState {
    bool exists = false;
    std::string className;
    std::string text;  // visibleText
    bool visible = false;
    bool enabled = false;
    bool focused = false;
    bool foreground = false;
    Rect rect;  // screen coordinates
};
WindowState windowState(HWND hwnd);

// Planned answers for the modals to come, in order. While it lives it is the
// modal responder; a modal it has no plan for is left to the fallback
// (interactive display, else the unanswered handler), or, with
// dismissUnplanned, is dismissed (0, IDCANCEL or IDNO) and recorded.
class ModalAnswers {
public:
    explicit ModalAnswers(bool dismissUnplanned = false);
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    void answerMessageBox(int button);
    // Chooses the entry with this text; an empty text dismisses the menu.
    void chooseMenuEntry(std::string text);
    size_t planned() const { return plans_.size(); }
    // Every modal that was asked, in order, answered or not.
    const std::vector<ModalRequest>& asked() const { return asked_; }
    // The texts of the entries of the menus asked, flattened with submenus.
    static std::vector<std::string> menuTexts(HMENU menu);
    // The entries of the index-th modal asked, read when it was asked (a
    // menu is gone once it has been answered); empty for a message box.
    const std::vector<std::string>& askedMenuTexts(size_t index) const { return askedTexts_[index]; }

private:
    struct Plan {
        ModalKind kind;
        int button;
        std::string entry;
    };
    std::optional<int> respond(const ModalRequest& request);

    std::deque<Plan> plans_;
    std::vector<ModalRequest> asked_;
    std::vector<std::vector<std::string>> askedTexts_;
    bool dismissUnplanned_;
    std::unique_ptr<ScopedModalResponder> guard_;
};

// Serves the automation line protocol on a Unix socket. Commands run on the
// thread that started the server (the user-interface thread).
class AutomationServer {
public:
    static std::unique_ptr<AutomationServer> start(const std::filesystem::path& socketPath);
    ~AutomationServer();
    AutomationServer(const AutomationServer&) = delete;
    AutomationServer& operator=(const AutomationServer&) = delete;
    const std::filesystem::path& path() const;

    struct Impl;

private:
    explicit AutomationServer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Runs one protocol command line on the calling (user-interface) thread and
// returns the reply line ("OK ..." or "ERR ...").
std::string runAutomationCommand(const std::string& line, ModalAnswers& answers);

}  // namespace kestrova::platform
