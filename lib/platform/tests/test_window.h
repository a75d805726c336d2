// A window class for tests that records every message it receives and lets a
// test hook in behaviour per window.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace testing_windows {

using namespace kestrova::platform;

struct Received {
    HWND hwnd;
    uint32_t message;
    WParam wParam;
    LParam lParam;
};

using Hook = std::function<std::optional<LResult>(HWND, uint32_t, WParam, LParam)>;

inline std::vector<Received>& journal() {
    static std::vector<Received> j;
    return j;
}
inline std::map<HWND, Hook>& hooks() {
    static std::map<HWND, Hook> h;
    return h;
}
inline Hook& classHook() {
    static Hook h;
    return h;
}

inline LResult recordingProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    journal().push_back({hwnd, message, wParam, lParam});
    if (auto it = hooks().find(hwnd); it != hooks().end())
        if (auto r = it->second(hwnd, message, wParam, lParam)) return *r;
    if (classHook())
        if (auto r = classHook()(hwnd, message, wParam, lParam)) return *r;
    return defWindowProc(hwnd, message, wParam, lParam);
}

inline void registerRecordingClass() {
    registerClass({"Recording", recordingProc, CS_DBLCLKS, 0xffffff});
}

inline HWND makeTopLevel(const std::string& title = "top", Rect rect = Rect::ofSize(0, 26, 240, 268),
                         uint32_t style = WS_VISIBLE) {
    registerRecordingClass();
    return createWindow({"Recording", title, style, rect, nullptr, nullptr, 0, nullptr});
}

inline HWND makeChild(HWND parent, uintptr_t id, Rect rect = Rect::ofSize(0, 0, 50, 20),
                      uint32_t style = WS_VISIBLE | WS_TABSTOP) {
    registerRecordingClass();
    return createWindow({"Recording", "child" + std::to_string(id), WS_CHILD | style, rect, parent, nullptr, id,
                         nullptr});
}

// Messages of one kind that a window received, in order.
inline std::vector<uint32_t> messagesOf(HWND hwnd) {
    std::vector<uint32_t> out;
    for (auto& r : journal())
        if (r.hwnd == hwnd) out.push_back(r.message);
    return out;
}

inline size_t countOf(HWND hwnd, uint32_t message) {
    size_t n = 0;
    for (auto& r : journal()) n += r.hwnd == hwnd && r.message == message;
    return n;
}

// Destroys every window and clears the records between tests.
inline void resetWindows() {
    for (HWND top : topLevelWindows()) destroyWindow(top);
    pumpPendingMessages();
    Msg m;
    while (peekMessage(m, true)) {
    }
    journal().clear();
    hooks().clear();
    classHook() = nullptr;
}

struct WindowTest : ::testing::Test {
    void SetUp() override { resetWindows(); }
    void TearDown() override { resetWindows(); }
};

}  // namespace testing_windows
