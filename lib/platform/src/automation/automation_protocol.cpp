// The automation line protocol: one command per line, one reply line each.
#include <charconv>
#include <cstdio>
#include <map>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "automation/protocol_text.h"

namespace kestrova::platform {
namespace {

using detail::Args;
using detail::controlCommand;
using detail::handleText;
using detail::parseHandle;
using detail::parseInt;
using detail::quote;
using detail::tokenize;

std::optional<uint32_t> keyOf(const std::string& name) {
    static const std::map<std::string, uint32_t> keys = {
        {"F1", VK_F1},       {"F2", VK_F2},         {"SOFT1", VK_F1},   {"SOFT2", VK_F2},
        {"BACK", VK_ESCAPE}, {"ESCAPE", VK_ESCAPE}, {"UP", VK_UP},      {"DOWN", VK_DOWN},
        {"LEFT", VK_LEFT},   {"RIGHT", VK_RIGHT},   {"ENTER", VK_RETURN}, {"ACTION", VK_RETURN},
        {"APPS", VK_APPS},   {"MENU", VK_APPS},     {"TAB", VK_TAB},    {"BACKSPACE", VK_BACK},
        {"DELETE", VK_DELETE}, {"INSERT", VK_INSERT}, {"HOME", VK_HOME}, {"END", VK_END}, {"PAGEUP", VK_PRIOR},
        {"PAGEDOWN", VK_NEXT}, {"SHIFT", VK_SHIFT}, {"CTRL", VK_CONTROL}, {"CONTROL", VK_CONTROL},
        {"SPACE", VK_SPACE},
    };
    if (auto it = keys.find(name); it != keys.end()) return it->second;
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return static_cast<uint32_t>(name[0]);
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
        else if (key == "id") {
            auto id = parseInt(value);
            if (!id || *id < 0) return "ERR bad id";
            q.controlId = static_cast<uintptr_t>(*id);
        }
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
    for (auto& t : answers.askedMenuTexts(answers.asked().size() - 1)) out += " " + quote(t);
    return out;
}

// "SHIFT+ENTER": the modifiers are held around the key.
std::optional<std::vector<uint32_t>> keysOf(const std::string& chord) {
    std::vector<uint32_t> keys;
    size_t from = 0;
    for (;;) {
        size_t plus = chord.find('+', from);
        auto vk = keyOf(chord.substr(from, plus == std::string::npos ? std::string::npos : plus - from));
        if (!vk) return std::nullopt;
        keys.push_back(*vk);
        if (plus == std::string::npos) return keys;
        from = plus + 1;
    }
}

std::string inputCommand(const Args& a) {
    const std::string& c = a[0];
    if ((c == "key" || c == "keydown" || c == "keyup") && a.size() == 2) {
        auto keys = keysOf(a[1]);
        if (!keys) return "ERR unknown key";
        if (c != "keyup")
            for (size_t i = 0; i < keys->size(); ++i) keyDown((*keys)[i]);
        if (c != "keydown")
            for (size_t i = keys->size(); i-- > 0;) keyUp((*keys)[i]);
        return "OK";
    }
    if (c == "wheel" && (a.size() == 2 || a.size() == 4)) {
        auto notches = parseInt(a[1]);
        auto x = a.size() == 4 ? parseInt(a[2]) : std::optional<int>(0);
        auto y = a.size() == 4 ? parseInt(a[3]) : std::optional<int>(0);
        if (!notches || !x || !y) return "ERR bad wheel";
        mouseWheel(*notches * WHEEL_DELTA, {*x, *y});
        return "OK";
    }
    if (c == "softkey" && a.size() == 2) {
        pressKey(a[1] == "2" ? VK_F2 : VK_F1);
        return "OK";
    }
    if (c == "drag" && a.size() == 5) {
        auto x1 = parseInt(a[1]), y1 = parseInt(a[2]), x2 = parseInt(a[3]), y2 = parseInt(a[4]);
        if (!x1 || !y1 || !x2 || !y2) return "ERR bad point";
        // Each step is handled before the next, as a finger gives them time.
        pointerDown({*x1, *y1});
        pumpPendingMessages();
        pointerMove({*x2, *y2});
        pumpPendingMessages();
        pointerUp({*x2, *y2});
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

// The virtual clock of a program started with one: read it, move it on (due
// timers fire before the reply), or set the date.
std::string clockCommand(const Args& a) {
    std::string usage = "ERR usage: clock [advance <ms> | set <unix seconds>]";
    if (a.size() == 3) {
        int64_t value = 0;
        auto [end, ec] = std::from_chars(a[2].data(), a[2].data() + a[2].size(), value);
        if (ec != std::errc() || end != a[2].data() + a[2].size()) return usage;
        bool moved = false;
        if (a[1] == "advance" && value >= 0) moved = advanceVirtualClock(std::chrono::milliseconds(value));
        else if (a[1] == "set") moved = setVirtualUnixTime({value, 0});
        else return usage;
        if (!moved) return "ERR the system clock runs";
        pumpPendingMessages();
    } else if (a.size() != 1) {
        return usage;
    }
    UnixTime now = unixNow();
    return "OK virtual=" + std::string(virtualClockActive() ? "1" : "0") + " unix=" + std::to_string(now.seconds) +
           " tick=" + std::to_string(tickCount());
}

}  // namespace

std::string runAutomationCommand(const std::string& line, ModalAnswers& answers) {
    Args a = tokenize(line);
    if (a.empty()) return "ERR empty";
    const std::string& c = a[0];
    // Let what earlier commands started come to rest first.
    pumpPendingMessages();
    if (c == "ping") return "OK pong";
    if (c == "clock") return clockCommand(a);
    if (c == "type") {
        typeText(line.size() > 5 ? line.substr(5) : std::string());
        pumpPendingMessages();
        return "OK";
    }
    if (std::string r = inputCommand(a); !r.empty()) {
        pumpPendingMessages();
        return r;
    }
    if (std::string r = controlCommand(a); !r.empty()) {
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
        return c == "text" ? "OK " + quote(visibleText(*h)) : describeWindow(*h);
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
    if (c == "unplan" && a.size() == 1) return "OK " + std::to_string(answers.clearPlans());
    if (c == "modal") return lastModal(answers);
    if (c == "close" && a.size() == 2) {
        auto h = parseHandle(a[1]);
        if (!h || !postMessage(*h, WM_CLOSE)) return "ERR no such window";
        pumpPendingMessages();
        return "OK";
    }
    if (c == "desktop" && a.size() == 1) {
        auto size = desktopWindowSize();
        return size ? "OK " + std::to_string(size->width) + "x" + std::to_string(size->height) : "OK none";
    }
    if (c == "closebutton" && a.size() == 1) {
        closeFromDesktop();
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
