#include "kestrova/platform/automation.h"

#include "devices/display_internal.h"
#include "kestrova/platform/edit.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {

std::string visibleText(HWND hwnd) { return isPasswordEdit(hwnd) ? editDisplayText(hwnd) : windowText(hwnd); }

std::vector<HWND> findWindows(const WindowQuery& q) {
    std::vector<HWND> found;
    forEachWindow([&](HWND hwnd) {
        if (q.visibleOnly && !isVisible(hwnd)) return;
        if (q.className && className(hwnd) != *q.className) return;
        if (q.title && (parentOf(hwnd) || windowText(hwnd) != *q.title)) return;
        if (q.text && visibleText(hwnd) != *q.text) return;
        found.push_back(hwnd);
    });
    return found;
}

HWND findWindow(const WindowQuery& query) {
    auto all = findWindows(query);
    return all.empty() ? nullptr : all.front();
}

WindowState windowState(HWND hwnd) {
    WindowState s;
    if (!isWindow(hwnd)) return s;
    s.exists = true;
    s.className = className(hwnd);
    s.text = visibleText(hwnd);
    s.visible = isVisible(hwnd);
    s.enabled = isEnabled(hwnd);
    s.focused = focusWindow() == hwnd;
    s.foreground = foregroundWindow() == hwnd;
    s.rect = windowRect(hwnd);
    return s;
}

ModalAnswers::ModalAnswers(bool dismissUnplanned) : dismissUnplanned_(dismissUnplanned) {
    guard_ = std::make_unique<ScopedModalResponder>([this](const ModalRequest& r) { return respond(r); });
}

ModalAnswers::~ModalAnswers() = default;

void ModalAnswers::answerMessageBox(int button) { plans_.push_back({ModalKind::kMessageBox, button, {}}); }

void ModalAnswers::chooseMenuEntry(std::string text) {
    plans_.push_back({ModalKind::kPopupMenu, 0, std::move(text)});
}

std::vector<std::string> ModalAnswers::menuTexts(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < menuItemCount(menu); ++i) {
        auto item = menuItem(menu, static_cast<uint32_t>(i), MF_BYPOSITION);
        if (!item || (item->flags & MF_SEPARATOR)) continue;
        out.push_back(stripMnemonics(item->text));
        if (item->popup)
            for (auto& sub : menuTexts(item->popup)) out.push_back(out.back() + " > " + sub);
    }
    return out;
}

std::optional<int> ModalAnswers::respond(const ModalRequest& request) {
    asked_.push_back(request);
    askedTexts_.push_back(request.kind == ModalKind::kPopupMenu ? menuTexts(request.menu) : std::vector<std::string>{});
    if (!plans_.empty() && plans_.front().kind == request.kind) {
        Plan plan = plans_.front();
        plans_.pop_front();
        if (request.kind == ModalKind::kMessageBox) return plan.button;
        if (plan.entry.empty()) return 0;
        auto command = findMenuCommand(request.menu, plan.entry);
        return command ? static_cast<int>(*command) : 0;
    }
    if (modalsOnScreen()) return std::nullopt;
    if (!dismissUnplanned_) return std::nullopt;
    if (request.kind == ModalKind::kPopupMenu) return 0;
    return (request.style & 0xF) == MB_YESNO ? IDNO : (request.style & 0xF) == MB_OK ? IDOK : IDCANCEL;
}

}  // namespace kestrova::platform
