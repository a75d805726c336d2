// The automation line protocol: one command per line, one reply line each.
#include <charconv>
#include <cstdio>
#include <map>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "automation/protocol_text.h"

namespace kestrova::platform {
namespace {

using detail::parseInt;
using detail::quote;

std::vector<std::string> tokenize(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        std::string token;
        bool quoted = false;
        while (i < line.size() && (quoted || line[i] != ' ')) {
            char c = line[i++];
            if (c == '"') quoted = !quoted;
            else if (c == '\\' && i < line.size()) {
                char n = line[i++];
                token += n == 'n' ? '\n' : n;
            } else token += c;
        }
        out.push_back(std::move(token));
    }
    return out;
}

std::string handleText(HWND hwnd) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%zx", reinterpret_cast<size_t>(hwnd));
    return buffer;
}

std::optional<HWND> parseHandle(const std::string& text) {
    size_t value = 0;
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x")) {
        digits.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return reinterpret_cast<HWND>(value);
}

std::optional<uint32_t> keyOf(const std::string& name) {
    static const std::map<std::string, uint32_t> keys = {
        {"F1", VK_F1},       {"F2", VK_F2},         {"SOFT1", VK_F1},   {"SOFT2", VK_F2},
        {"BACK", VK_ESCAPE}, {"ESCAPE", VK_ESCAPE}, {"UP", VK_UP},      {"DOWN", VK_DOWN},
        {"LEFT", VK_LEFT},   {"RIGHT", VK_RIGHT},   {"ENTER", VK_RETURN}, {"ACTION", VK_RETURN},
        {"APPS", VK_APPS},   {"MENU", VK_APPS},     {"TAB", VK_TAB},    {"BACKSPACE", VK_BACK},
        {"DELETE", VK_DELETE}, {"HOME", VK_HOME},   {"END", VK_END},    {"PAGEUP", VK_PRIOR},
        {"PAGEDOWN", VK_NEXT},
    };
    if (auto it = keys.find(name); it != keys.end()) return it->second;
    if (auto n = parseInt(name); n && *n > 0 && *n < 256) return static_cast<uint32_t>(*n);
    return std::nullopt;
}

std::optional<int> buttonOf(const std::string& name) {
    if (name == "ok") return IDOK;
    if (name == "cancel") return IDCANCEL;
    if (name == "yes") return IDYES;
    if (name == "no") return IDNO;
    return parseInt(name);
}

std::string describeWindow(HWND hwnd) {
    WindowState s = windowState(hwnd);
    if (!s.exists) return "ERR no such window";
    char rect[64];
    std::snprintf(rect, sizeof rect, "%d,%d,%d,%d", s.rect.left, s.rect.top, s.rect.right, s.rect.bottom);
    return "OK class=" + quote(s.className) + " text=" + quote(s.text) + " visible=" + (s.visible ? "1" : "0") +
           " enabled=" + (s.enabled ? "1" : "0") + " focused=" + (s.focused ? "1" : "0") +
           " foreground=" + (s.foreground ? "1" : "0") + " rect=" + rect;
}

std::string findCommand(const std::vector<std::string>& args) {
    WindowQuery q;
    for (size_t i = 1; i < args.size(); ++i) {
        auto eq = args[i].find('=');
        if (eq == std::string::npos) return "ERR expected key=value";
        std::string key = args[i].substr(0, eq), value = args[i].substr(eq + 1);
        if (key == "class") q.className = value;
        else if (key == "title") q.title = value;
        else if (key == "text") q.text = value;
        else if (key == "visible") q.visibleOnly = value == "1";
        else return "ERR unknown key " + key;
    }
    HWND found = findWindow(q);
    return found ? "OK " + handleText(found) : "ERR not found";
}

std::string lastModal(const ModalAnswers& answers) {
    if (answers.asked().empty()) return "OK none";
    const ModalRequest& r = answers.asked().back();
    if (r.kind == ModalKind::kMessageBox) return "OK messagebox caption=" + quote(r.caption) + " text=" + quote(r.text);
    std::string out = "OK menu";
    for (auto& t : ModalAnswers::menuTexts(r.menu)) out += " " + quote(t);
    return out;
}

using Args = std::vector<std::string>;

std::string inputCommand(const Args& a) {
    const std::string& c = a[0];
    if ((c == "key" || c == "keydown" || c == "keyup") && a.size() == 2) {
        auto vk = keyOf(a[1]);
        if (!vk) return "ERR unknown key";
        if (c == "key") pressKey(*vk);
        else if (c == "keydown") keyDown(*vk);
        else keyUp(*vk);
        return "OK";
    }
    if (c == "softkey" && a.size() == 2) {
        pressKey(a[1] == "2" ? VK_F2 : VK_F1);
        return "OK";
    }
    if ((c == "tap" || c == "hold") && a.size() == 3) {
        auto x = parseInt(a[1]), y = parseInt(a[2]);
        if (!x || !y) return "ERR bad point";
        if (c == "tap") tap({*x, *y});
        else tapAndHold({*x, *y});
        return "OK";
    }
    return {};
}

}  // namespace

std::string runAutomationCommand(const std::string& line, ModalAnswers& answers) {
    Args a = tokenize(line);
    if (a.empty()) return "ERR empty";
    const std::string& c = a[0];
    // Let what earlier commands started come to rest first.
    pumpPendingMessages();
    if (c == "ping") return "OK pong";
    if (c == "type") {
        typeText(line.size() > 5 ? line.substr(5) : std::string());
        pumpPendingMessages();
        return "OK";
    }
    if (std::string r = inputCommand(a); !r.empty()) {
        pumpPendingMessages();
        return r;
    }
    if (c == "windows") {
        std::string out = "OK";
        for (HWND top : topLevelWindows()) out += " " + handleText(top);
        return out;
    }
    if (c == "children" && a.size() == 2) {
        auto h = parseHandle(a[1]);
        if (!h || !isWindow(*h)) return "ERR no such window";
        std::string out = "OK";
        for (HWND child : childrenOf(*h)) out += " " + handleText(child);
        return out;
    }
    if (c == "find") return findCommand(a);
    if ((c == "info" || c == "text") && a.size() == 2) {
        auto h = parseHandle(a[1]);
        if (!h || !isWindow(*h)) return "ERR no such window";
        return c == "text" ? "OK " + quote(windowText(*h)) : describeWindow(*h);
    }
    if (c == "foreground") return "OK " + handleText(foregroundWindow());
    if (c == "focus") return "OK " + handleText(focusWindow());
    if (c == "nav") return "OK " + quote(foregroundWindow() ? navBarTextOf(foregroundWindow()) : "");
    if (c == "softkeys") {
        auto bar = foregroundWindow() ? menuBarOf(foregroundWindow()) : std::nullopt;
        if (!bar) return "OK";
        auto label = [](const SoftKey& k) { return k.visible ? quote(k.label) : std::string("-"); };
        return "OK " + label(bar->left) + " " + label(bar->right);
    }
    if (c == "answer" && a.size() == 2) {
        auto button = buttonOf(a[1]);
        if (!button) return "ERR unknown button";
        answers.answerMessageBox(*button);
        return "OK";
    }
    if (c == "choose") {
        answers.chooseMenuEntry(a.size() > 1 ? a[1] : std::string());
        return "OK";
    }
    if (c == "modal") return lastModal(answers);
    if (c == "close" && a.size() == 2) {
        auto h = parseHandle(a[1]);
        if (!h || !postMessage(*h, WM_CLOSE)) return "ERR no such window";
        pumpPendingMessages();
        return "OK";
    }
    if (c == "screenshot" && a.size() == 2) return saveScreenPng(a[1]) ? "OK" : "ERR cannot write";
    if (c == "shot" && a.size() == 3) {
        auto h = parseHandle(a[1]);
        if (!h || !isWindow(*h)) return "ERR no such window";
        return saveWindowPng(*h, a[2]) ? "OK" : "ERR cannot write";
    }
    if (std::string r = detail::deviceCommand(a); !r.empty()) return r;
    return "ERR unknown command";
}

}  // namespace kestrova::platform
