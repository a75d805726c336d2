// Every standard control on two test screens, drawn at both screen sizes and
// kept as screenshots under build/screenshots/ for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>

#include "control_test_support.h"
#include "kestrova/platform/menu_bar.h"

using namespace testing_windows;

namespace {

std::filesystem::path screenshotFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    auto dir = (bin ? std::filesystem::path(bin).parent_path() : std::filesystem::temp_directory_path()) /
               "screenshots";
    std::filesystem::create_directories(dir);
    return dir;
}

// Sizes in the proportions of the 131 dpi screen.
int px(int at131) {
    return at131 * screenDpi() / 131;
}

struct Column {
    HWND dialog;
    int y = px(6);
    uintptr_t id = 100;

    HWND add(const char* cls, const char* text, uint32_t style, int height, int indent = 0) {
        HWND made =
            makeControl(dialog, cls, id++, style,
                        Rect::ofSize(px(8) + indent, y, screen().width - px(16) - indent, height), text);
        y += height + px(4);
        return made;
    }
    HWND label(const char* text) { return add(kStaticClass, text, 0, chromeLineHeight()); }
    static int chromeLineHeight() { return Font("Tahoma", -(8 * screenDpi()) / 72).lineHeight(); }
};

int fieldHeight() {
    return px(22);
}

HWND formScreen(HWND& focused) {
    HWND dialog = makeTopLevel("Sign In", workArea());
    createMenuBar(dialog, {{"OK", IDOK}, {"Cancel", IDCANCEL}});
    Column c{dialog};
    c.label("E-Mail Address:");
    focused = c.add(kEditClass, "ann@example.com", 0, fieldHeight());
    c.label("Password:");
    c.add(kEditClass, "secret", ES_PASSWORD, fieldHeight());
    HWND remember = c.add(kButtonClass, "Remember me.", BS_AUTOCHECKBOX, fieldHeight());
    sendMessage(remember, BM_SETCHECK, BST_CHECKED);
    c.add(kButtonClass, "Sign in automatically.", BS_AUTOCHECKBOX, fieldHeight());
    c.label("Contact Service:");
    HWND services = c.add(kComboBoxClass, "", CBS_DROPDOWNLIST, fieldHeight());
    for (const char* s : {"Kestrova - ann", "XMPP - ann@jabber.example"})
        addItem(services, s);
    sendMessage(services, CB_SETCURSEL, 0);
    HWND busy = createControl(kBusyIndicatorClass, "", WS_VISIBLE, Rect::ofSize(px(8), c.y, px(20), px(20)),
                              dialog, 90);
    (void)busy;
    createControl(kStaticClass, "Please Wait...", WS_VISIBLE | SS_CENTERIMAGE,
                  Rect::ofSize(px(34), c.y, px(150), px(20)), dialog, 91);
    return dialog;
}

HWND listScreen(HWND& focused) {
    HWND dialog = makeTopLevel("Add a Service", workArea());
    createMenuBar(dialog, {{"OK", IDOK}, {"Cancel", IDCANCEL}});
    Column c{dialog};
    c.label("Select a service type");
    int twoLines = 2 * Column::chromeLineHeight() + px(8);
    HWND types = c.add(kListBoxClass, "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER, 3 * twoLines);
    sendMessage(types, LB_SETITEMHEIGHT, 0, twoLines);
    for (const char* s : {"XMPP\nXMPP / Jabber", "GTalk\nGoogle Talk", "ICQ\nICQ",
                          "AIM\nAOL Instant Messenger", "Yahoo\nYahoo! Messenger"})
        addItem(types, s);
    Icon icon(smallIconSize(), smallIconSize());
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            icon.setPixel(x, y, (x + y) % 5 ? rgb(60, 140, 60) : rgb(250, 250, 250));
    for (int i = 0; i < 5; ++i)
        sendMessage(types, LB_SETITEMICON, static_cast<WParam>(i), reinterpret_cast<LParam>(&icon));
    sendMessage(types, LB_SETCURSEL, 1);
    focused = types;
    HWND notes = c.add(kEditClass, "", ES_MULTILINE | WS_VSCROLL, px(48));
    sendMessage(notes, WM_SETTEXT, 0,
                reinterpret_cast<LParam>("Your group has been created and can be found under the groups tab. "
                                         "You are initially the only member."));
    sendMessage(notes, EM_SETSEL, 0, 9);
    HWND disabled = c.add(kButtonClass, "Connect via HTTPS Proxy", BS_AUTOCHECKBOX, fieldHeight());
    enableWindow(disabled, false);
    HWND bar = c.add(kScrollBarClass, "", 0, systemMetric(SM_CYHSCROLL) * 2);
    ScrollInfo info;
    info.max = 99;
    info.page = 25;
    info.pos = 40;
    setScrollInfo(bar, SB_CTL, info);
    c.add(kStaticClass, "Tabs:\tone\ttwo", 0, Column::chromeLineHeight());
    return dialog;
}

void checkFocusRing(HWND focused) {
    auto shot = captureWindow(focused);
    EXPECT_EQ(shot->pixel(0, shot->height() / 2), Colour(colours::kHighlight)) << className(focused);
}

} // namespace

using ControlGallery = WindowTest;

TEST_F(ControlGallery, EveryControlIsDrawnReadablyAtBothScreenSizes) {
    for (ScreenGeometry geometry : {ScreenGeometry{240, 320, 131}, ScreenGeometry{480, 640, 192}}) {
        ScreenScope scope(geometry);
        std::string size = std::to_string(geometry.width) + "x" + std::to_string(geometry.height);
        HWND focused = nullptr;
        HWND form = formScreen(focused);
        setFocus(focused);
        setEditSelection(focused, 0, 3);
        checkFocusRing(focused);
        EXPECT_TRUE(saveScreenPng(screenshotFolder() / ("controls-form-" + size + ".png")));
        destroyWindow(form);

        HWND lists = listScreen(focused);
        setFocus(focused);
        EXPECT_TRUE(saveScreenPng(screenshotFolder() / ("controls-lists-" + size + ".png")));
        // The field heights follow the dpi.
        EXPECT_EQ(windowRect(childById(lists, 101)).height(), 3 * (2 * Column::chromeLineHeight() + px(8)));
        destroyWindow(lists);

        HWND picker = formScreen(focused);
        HWND combo = childById(picker, 107);
        ASSERT_EQ(className(combo), kComboBoxClass);
        setFocus(combo);
        sendMessage(combo, CB_SHOWDROPDOWN, 1);
        EXPECT_TRUE(saveScreenPng(screenshotFolder() / ("controls-dropdown-" + size + ".png")));
        destroyWindow(picker);
    }
}
