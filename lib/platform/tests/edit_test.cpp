#include <gtest/gtest.h>

#include "control_test_support.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/menu_bar.h"

using namespace testing_windows;

using Edit = WindowTest;

namespace {

HWND field(HWND dialog, uintptr_t id, uint32_t style = 0, Rect rect = Rect::ofSize(10, 10, 200, 24)) {
    return makeControl(dialog, kEditClass, id, style, rect);
}

void setText(HWND edit, const char* text) {
    sendMessage(edit, WM_SETTEXT, 0, reinterpret_cast<LParam>(text));
}

// What the field shows, pixel by pixel.
std::vector<Colour> looks(HWND edit) {
    pumpPendingMessages();
    auto shot = captureWindow(edit);
    std::vector<Colour> pixels;
    for (int y = 0; y < shot->height(); ++y)
        for (int x = 0; x < shot->width(); ++x)
            pixels.push_back(shot->pixel(x, y));
    return pixels;
}

} // namespace

TEST_F(Edit, TypingStopsAtTheLimitCountingCharactersNotBytes) {
    HWND dialog = makeTopLevel();
    HWND edit = field(dialog, 10);
    sendMessage(edit, EM_LIMITTEXT, 5);
    setFocus(edit);
    type("abcdefg");
    EXPECT_EQ(windowText(edit), "abcde");
    EXPECT_EQ(countNotifications(dialog, 10, EN_CHANGE), 5u);
    EXPECT_EQ(countNotifications(dialog, 10, EN_MAXTEXT), 2u);
    // A selection makes room for what replaces it.
    setEditSelection(edit, 1, 3);
    type("\xC3\xA9"); // e acute: two bytes, one character
    EXPECT_EQ(windowText(edit), "a\xC3\xA9"
                                "de");
    type("xy");
    EXPECT_EQ(windowText(edit), "a\xC3\xA9x"
                                "de");
    EXPECT_EQ(editSelection(edit), std::make_pair(3, 3));
    // The program may set a longer text; only typing is limited.
    setText(edit, "a longer text");
    EXPECT_EQ(windowText(edit), "a longer text");
    EXPECT_EQ(editSelection(edit), std::make_pair(13, 13)); // the caret at the end
}

TEST_F(Edit, ShiftSelectsBackDeletesAndAnEmptyFieldLetsBackLeave) {
    HWND dialog = makeTopLevel();
    HWND edit = field(dialog, 10);
    setText(edit, "hello world");
    setFocus(edit);
    for (int i = 0; i < 5; ++i)
        press(VK_LEFT, {VK_SHIFT});
    EXPECT_EQ(editSelection(edit), std::make_pair(6, 11));
    press(VK_ESCAPE); // the phone's Back key
    EXPECT_EQ(windowText(edit), "hello ");
    press(VK_ESCAPE);
    EXPECT_EQ(windowText(edit), "hello");
    press(VK_HOME);
    press(VK_RIGHT, {VK_SHIFT, VK_CONTROL});
    EXPECT_EQ(editSelection(edit), std::make_pair(0, 5));
    press(VK_RIGHT); // without Shift the selection collapses to its end
    EXPECT_EQ(editSelection(edit), std::make_pair(5, 5));
    press(VK_A, {VK_CONTROL});
    press(VK_BACK);
    EXPECT_EQ(windowText(edit), "");
    EXPECT_TRUE(dialogCommandsTo(dialog).empty());
    press(VK_ESCAPE); // nothing left to delete: Back is the dialog's again
    EXPECT_EQ(dialogCommandsTo(dialog), std::vector<int>{IDCANCEL});
}

TEST_F(Edit, BackTakenOverByTheSoftKeyBarDeletesThroughTheFocusedField) {
    HWND dialog = makeTopLevel();
    HWND edit = field(dialog, 10);
    createMenuBar(dialog, {{"OK", IDOK}, {"Cancel", IDCANCEL}});
    overrideBackKey(dialog, true);
    hooks()[dialog] = [](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m == WM_HOTKEY) sendBackToFocusWindow();
        return std::nullopt;
    };
    setFocus(edit);
    type("abc");
    press(VK_ESCAPE);
    press(VK_ESCAPE);
    EXPECT_EQ(windowText(edit), "a");
    EXPECT_EQ(countOf(dialog, WM_HOTKEY), 2u);
}

TEST_F(Edit, APasswordIsMaskedOnScreenAndToAutomationButNotToTheProgram) {
    HWND dialog = makeTopLevel();
    HWND narrow = field(dialog, 10, ES_PASSWORD, Rect::ofSize(10, 10, 100, 24));
    HWND wide = field(dialog, 11, ES_PASSWORD, Rect::ofSize(10, 40, 100, 24));
    HWND plain = field(dialog, 12, 0, Rect::ofSize(10, 70, 100, 24));
    setText(narrow, "iii");
    setText(wide, "WWW");
    setText(plain, "iii");
    auto a = captureWindow(narrow), b = captureWindow(wide), c = captureWindow(plain);
    bool masksAlike = true, plainDiffers = false;
    for (int y = 0; y < a->height(); ++y)
        for (int x = 0; x < a->width(); ++x) {
            masksAlike = masksAlike && a->pixel(x, y) == b->pixel(x, y);
            plainDiffers = plainDiffers || a->pixel(x, y) != c->pixel(x, y);
        }
    EXPECT_TRUE(masksAlike);
    EXPECT_TRUE(plainDiffers);

    EXPECT_EQ(windowText(narrow), "iii"); // WM_GETTEXT: the program signs in with it
    EXPECT_EQ(visibleText(narrow), "\u2022\u2022\u2022");
    EXPECT_EQ(windowState(narrow).text, "\u2022\u2022\u2022");
    EXPECT_EQ(findWindow({std::nullopt, std::nullopt, "iii"}), plain); // no guessing a password by search
    sendMessage(narrow, EM_SETPASSWORDCHAR, '*');
    EXPECT_EQ(visibleText(narrow), "***");
}

TEST_F(Edit, MultiLineTextWrapsScrollsToTheCaretAndLetsFocusOutAtItsEdges) {
    HWND dialog = makeTopLevel();
    HWND above = field(dialog, 10);
    HWND notes = field(dialog, 11, ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, Rect::ofSize(10, 40, 120, 60));
    setFocus(notes);
    type("one two three four five six seven eight nine ten eleven twelve thirteen");
    int lines = static_cast<int>(sendMessage(notes, EM_GETLINECOUNT));
    int first = static_cast<int>(sendMessage(notes, EM_GETFIRSTVISIBLELINE));
    EXPECT_GE(lines, 4);
    EXPECT_GT(first, 0); // the end of the text, where the caret is, is in view
    ScrollInfo info;
    ASSERT_TRUE(getScrollInfo(notes, SB_VERT, info));
    EXPECT_EQ(info.max, lines - 1);
    EXPECT_EQ(info.pos, first);
    EXPECT_EQ(static_cast<int>(info.page), lines - first);

    press(VK_RETURN); // ES_WANTRETURN: a line break, not the dialog's OK
    EXPECT_EQ(windowText(notes).substr(windowText(notes).size() - 2), "\r\n");
    EXPECT_EQ(sendMessage(notes, EM_GETLINECOUNT), lines + 1);
    EXPECT_TRUE(dialogCommandsTo(dialog).empty());

    press(VK_HOME, {VK_CONTROL});
    EXPECT_EQ(sendMessage(notes, EM_GETFIRSTVISIBLELINE), 0);
    mouseWheel(-WHEEL_DELTA); // one notch towards the user: three lines on
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(notes, EM_GETFIRSTVISIBLELINE), 3);
    EXPECT_EQ(editSelection(notes), std::make_pair(0, 0)); // the wheel leaves the caret

    press(VK_DOWN);
    EXPECT_EQ(focusWindow(), notes); // a line below: the field keeps Down
    press(VK_UP);
    press(VK_UP); // on the first line Up moves to the field above
    EXPECT_EQ(focusWindow(), above);
    press(VK_DOWN); // a single-line field never keeps Up and Down
    EXPECT_EQ(focusWindow(), notes);
}

TEST_F(Edit, EnterInsertsALineBreakOnlyWhereTheStyleOrAModifierSaysSo) {
    HWND dialog = makeTopLevel();
    HWND single = field(dialog, 10);
    HWND multi = field(dialog, 11, ES_MULTILINE, Rect::ofSize(10, 40, 200, 60));
    setFocus(single);
    type("a");
    press(VK_RETURN);
    EXPECT_EQ(windowText(single), "a");
    setFocus(multi);
    type("b");
    press(VK_RETURN);
    EXPECT_EQ(windowText(multi), "b");
    press(VK_RETURN, {VK_SHIFT});
    press(VK_RETURN, {VK_CONTROL});
    type("c");
    EXPECT_EQ(windowText(multi), "b\r\n\r\nc");
    EXPECT_EQ(dialogCommandsTo(dialog), (std::vector<int>{IDOK, IDOK}));
    press(VK_ESCAPE);
    press(VK_ESCAPE); // a line break goes as one character
    EXPECT_EQ(windowText(multi), "b\r\n");
}

TEST_F(Edit, InputModesCapitalisationAndSingleLinesKeepTheirPromises) {
    HWND dialog = makeTopLevel();
    HWND cap = makeControl(dialog, kCapEditClass, 10, ES_MULTILINE, Rect::ofSize(10, 10, 200, 40));
    HWND port = field(dialog, 11, 0, Rect::ofSize(10, 60, 200, 24));
    HWND name = field(dialog, 12, 0, Rect::ofSize(10, 90, 200, 24));
    sendMessage(cap, CEM_ENABLEUPCASE, 1);
    setFocus(cap);
    type("hi. ");
    sendMessage(cap, CEM_UPCASENEXTWORD, 1);
    type("there you");
    EXPECT_EQ(windowText(cap), "Hi. There you");

    sendMessage(port, EM_SETINPUTMODE, 0, kInputNumbers);
    EXPECT_EQ(sendMessage(port, EM_GETINPUTMODE), kInputNumbers);
    setFocus(port);
    type("52a2-2");
    EXPECT_EQ(windowText(port), "5222");

    // A single-line field never holds a line break, whoever puts it there.
    setText(name, "two\r\nlines");
    EXPECT_EQ(windowText(name), "twolines");
    sendMessage(name, EM_REPLACESEL, 0, reinterpret_cast<LParam>("\n!"));
    EXPECT_EQ(windowText(name), "twolines!");

    // A narrow field follows the caret sideways.
    HWND narrow = field(dialog, 13, 0, Rect::ofSize(10, 120, 40, 24));
    setFocus(narrow);
    type("far more text than fits");
    size_t moves = countNotifications(dialog, 13, EN_HSCROLL);
    EXPECT_GT(moves, 0u);
    press(VK_HOME);
    EXPECT_EQ(countNotifications(dialog, 13, EN_HSCROLL), moves + 1);
}

TEST_F(Edit, ATapPutsTheCaretAndADragSelects) {
    HWND dialog = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND edit = field(dialog, 10, 0, Rect::ofSize(10, 10, 200, 24));
    setText(edit, "abcdef");
    Rect r = windowRect(edit);
    tap({r.left + 1, r.top + 12});
    pumpPendingMessages();
    EXPECT_EQ(focusWindow(), edit);
    EXPECT_EQ(editSelection(edit), std::make_pair(0, 0));
    pointerDown({r.left + 1, r.top + 12});
    pointerMove({r.right - 2, r.top + 12});
    pointerUp({r.right - 2, r.top + 12});
    pumpPendingMessages();
    EXPECT_EQ(editSelection(edit), std::make_pair(0, 6));
}

TEST_F(Edit, TheCaretBlinksWhileFocusedAndStaysOnWhileTyping) {
    using namespace std::chrono_literals;
    VirtualClock clock;
    HWND dialog = makeTopLevel();
    HWND edit = field(dialog, 10), other = field(dialog, 11, 0, Rect::ofSize(10, 40, 200, 24));
    setFocus(edit);
    type("ab");
    std::vector<Colour> on = looks(edit);
    clock.advance(529ms);
    EXPECT_EQ(looks(edit), on);
    clock.advance(1ms);
    std::vector<Colour> off = looks(edit);
    EXPECT_NE(off, on) << "the caret went";
    clock.advance(530ms);
    EXPECT_EQ(looks(edit), on) << "and came back";
    clock.advance(530ms);
    EXPECT_EQ(looks(edit), off);
    type("c");
    std::vector<Colour> typed = looks(edit);
    clock.advance(529ms);
    EXPECT_EQ(looks(edit), typed) << "typing starts the blink over, with the caret shown";

    setFocus(other);
    std::vector<Colour> unfocused = looks(edit);
    for (int i = 0; i < 3; ++i) {
        clock.advance(530ms);
        EXPECT_EQ(looks(edit), unfocused) << "no caret, no blinking, without the focus";
    }
}
