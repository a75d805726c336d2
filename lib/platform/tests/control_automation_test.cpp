// The automation protocol on the standard controls, and the busy indicator.
#include <gtest/gtest.h>

#include <cstdio>

#include "control_test_support.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/clock.h"

using namespace testing_windows;
using namespace std::chrono_literals;

using ControlAutomation = WindowTest;

namespace {

std::string handle(HWND hwnd) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%zx", reinterpret_cast<size_t>(hwnd));
    return text;
}

// A tab control as the owners draw them: it answers the tab query.
LResult tabsProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == TCM_GETCURSEL) return 2;
    return defWindowProc(hwnd, message, wParam, lParam);
}

} // namespace

TEST_F(ControlAutomation, ScriptsReadAndSetWhatTheControlsHold) {
    HWND dialog = makeTopLevel("Sign In");
    HWND user = makeControl(dialog, kEditClass, 1, 0, Rect::ofSize(10, 10, 200, 24));
    HWND pass = makeControl(dialog, kEditClass, 2, ES_PASSWORD, Rect::ofSize(10, 40, 200, 24));
    HWND remember =
        makeControl(dialog, kButtonClass, 3, BS_AUTOCHECKBOX, Rect::ofSize(10, 70, 200, 24), "Remember me.");
    HWND services = makeControl(dialog, kComboBoxClass, 4, CBS_DROPDOWNLIST, Rect::ofSize(10, 100, 200, 24));
    HWND types =
        makeControl(dialog, kListBoxClass, 5, LBS_NOTIFY | WS_VSCROLL, Rect::ofSize(10, 130, 200, 40));
    for (const char* s : {"Kestrova - ann", "XMPP - \"bob\""})
        addItem(services, s);
    for (const char* s : {"XMPP", "ICQ", "GTalk", "AIM", "Yahoo"})
        addItem(types, s);
    sendMessage(user, EM_LIMITTEXT, 50);
    ModalAnswers answers(true);
    auto run = [&](const std::string& line) { return runAutomationCommand(line, answers); };

    EXPECT_EQ(run("settext " + handle(user) + " \"ann@example.com\""), "OK");
    EXPECT_EQ(run("text " + handle(user)), "OK \"ann@example.com\"");
    EXPECT_EQ(run("edit " + handle(user)),
              "OK sel=15,15 limit=50 mode=3 password=0 readonly=0 lines=1 first=0");
    EXPECT_EQ(run("select " + handle(user) + " 0 3"), "OK");
    EXPECT_EQ(run("selection " + handle(user)), "OK 0 3");

    setFocus(pass);
    EXPECT_EQ(run("type s3cret"), "OK");
    EXPECT_EQ(run("text " + handle(pass)), "OK \"\u2022\u2022\u2022\u2022\u2022\u2022\"");
    EXPECT_EQ(run("key SHIFT+LEFT"), "OK");
    EXPECT_EQ(run("selection " + handle(pass)), "OK 5 6");
    EXPECT_EQ(run("key BACK"), "OK");
    EXPECT_EQ(windowText(pass), "s3cre");
    EXPECT_EQ(run("key CTRL+A"), "OK");
    EXPECT_EQ(run("selection " + handle(pass)), "OK 0 5");

    EXPECT_EQ(run("check " + handle(remember)), "OK 0");
    EXPECT_EQ(run("click " + handle(remember)), "OK");
    EXPECT_EQ(run("check " + handle(remember)), "OK 1");
    EXPECT_EQ(countNotifications(dialog, 3, BN_CLICKED), 1u);
    EXPECT_EQ(run("setcheck " + handle(remember) + " 0"), "OK");
    EXPECT_EQ(sendMessage(remember, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(run("check " + handle(user)), "ERR not a check box");

    EXPECT_EQ(run("items " + handle(services)), "OK \"Kestrova - ann\" \"XMPP - \\\"bob\\\"\"");
    EXPECT_EQ(run("select " + handle(services) + " 1"), "OK");
    EXPECT_EQ(run("selection " + handle(services)), "OK 1");
    EXPECT_EQ(countNotifications(dialog, 4, CBN_SELCHANGE), 1u); // chosen as a user would
    EXPECT_EQ(run("select " + handle(services) + " 7"), "ERR no such item");

    EXPECT_EQ(run("select " + handle(types) + " 4"), "OK");
    EXPECT_EQ(countNotifications(dialog, 5, LBN_SELCHANGE), 1u);
    int rows = static_cast<int>(40 / sendMessage(types, LB_GETITEMHEIGHT));
    auto scrolled = [&](int pos) {
        return "OK pos=" + std::to_string(pos) + " min=0 max=4 page=" + std::to_string(rows);
    };
    EXPECT_EQ(run("scroll " + handle(types)), scrolled(5 - rows)); // the chosen item came into view
    setFocus(types);
    EXPECT_EQ(run("wheel 1"), "OK"); // one notch away from the user: three rows back
    EXPECT_EQ(run("scroll " + handle(types)), scrolled(std::max(0, 5 - rows - 3)));
    Rect r = windowRect(types);
    std::string barX = std::to_string(r.right - 2);
    EXPECT_EQ(run("drag " + barX + " " + std::to_string(r.top + 13) + " " + barX + " " +
                  std::to_string(r.bottom + 20)),
              "OK"); // the thumb, one row down (6 to 20 pixels in), to past the end
    EXPECT_EQ(run("scroll " + handle(types)), scrolled(5 - rows));

    registerClass({"Tabs", tabsProc, 0, std::nullopt});
    HWND tabs = createWindow(
        {"Tabs", "", WS_CHILD | WS_VISIBLE, Rect::ofSize(0, 0, 50, 20), dialog, nullptr, 6, nullptr});
    EXPECT_EQ(currentTab(tabs), 2);
    EXPECT_EQ(run("selection " + handle(tabs)), "OK 2");
    EXPECT_EQ(run("items " + handle(tabs)), "ERR not a list");
    EXPECT_EQ(run("edit 0x4"), "ERR no such window");
}

TEST_F(ControlAutomation, TabControlsTellTheirParentThroughWmNotify) {
    HWND dialog = makeTopLevel();
    HWND tabs = makeChild(dialog, 7);
    uint32_t code = 0;
    HWND from = nullptr;
    hooks()[dialog] = [&](HWND, uint32_t m, WParam, LParam l) -> std::optional<LResult> {
        if (m != WM_NOTIFY) return std::nullopt;
        auto* header = reinterpret_cast<NotifyHeader*>(l);
        code = header->code;
        from = header->from;
        return 0;
    };
    notifyTabParent(tabs, TCN_SELCHANGE);
    EXPECT_EQ(code, TCN_SELCHANGE);
    EXPECT_EQ(from, tabs);
    EXPECT_EQ(static_cast<int32_t>(TCN_SELCHANGE), -551);
}

TEST_F(ControlAutomation, TheBusyIndicatorTurnsOnlyWhileItIsShown) {
    VirtualClock clock;
    HWND dialog = makeTopLevel();
    HWND busy = createControl(kBusyIndicatorClass, "", WS_VISIBLE, Rect::ofSize(100, 100, 32, 32), dialog, 8);
    auto before = captureWindow(busy);
    clock.advance(std::chrono::milliseconds(kBusyStepMs * 3));
    for (int i = 0; i < 3; ++i) {
        clock.advance(std::chrono::milliseconds(kBusyStepMs));
        pumpPendingMessages();
    }
    int frame = static_cast<int>(sendMessage(busy, BIM_GETFRAME));
    EXPECT_GE(frame, 3);
    auto after = captureWindow(busy);
    bool moved = false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            moved = moved || before->pixel(x, y) != after->pixel(x, y);
    EXPECT_TRUE(moved);
    showWindow(busy, SW_HIDE);
    clock.advance(1s);
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(busy, BIM_GETFRAME), frame);
    showWindow(busy, SW_SHOW);
    clock.advance(std::chrono::milliseconds(kBusyStepMs));
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(busy, BIM_GETFRAME), (frame + 1) % kBusyFrames);
}
