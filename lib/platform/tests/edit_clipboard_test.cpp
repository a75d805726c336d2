// The edit control's clipboard keys and messages, and its undo.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "kestrova/platform/clipboard.h"

using namespace testing_windows;

using EditClipboard = WindowTest;

namespace {

HWND field(HWND dialog, uintptr_t id, uint32_t style = 0, int top = 10) {
    return makeControl(dialog, kEditClass, id, style, Rect::ofSize(10, top, 200, 24));
}

void setText(HWND edit, const char* text) {
    sendMessage(edit, WM_SETTEXT, 0, reinterpret_cast<LParam>(text));
}

void pasteFrom(HWND edit, const char* clipboard) {
    ASSERT_TRUE(setClipboardText(clipboard));
    sendMessage(edit, WM_PASTE);
}

} // namespace

TEST_F(EditClipboard, CopyInOneFieldPastesOverTheSelectionOfAnother) {
    HWND dialog = makeTopLevel();
    HWND from = field(dialog, 10), to = field(dialog, 11, 0, 40);
    setFocus(from);
    type("hello w\xC3\xB6rld");
    press(VK_LEFT, {VK_SHIFT, VK_CONTROL});
    press(VK_C, {VK_CONTROL});
    EXPECT_EQ(clipboardText(), "w\xC3\xB6rld");
    EXPECT_EQ(windowText(from), "hello w\xC3\xB6rld"); // copying changes nothing

    setText(to, "say hi!");
    setEditSelection(to, 4, 6);
    setFocus(to);
    size_t updates = countNotifications(dialog, 11, EN_UPDATE);
    press(VK_V, {VK_CONTROL});
    EXPECT_EQ(windowText(to), "say w\xC3\xB6rld!");
    EXPECT_EQ(editSelection(to), std::make_pair(9, 9)); // after what came in
    EXPECT_EQ(countNotifications(dialog, 11, EN_UPDATE), updates + 1);
    EXPECT_EQ(countNotifications(dialog, 11, EN_CHANGE), updates + 1);
    EXPECT_EQ(sendMessage(to, EM_GETMODIFY), 1);
    // Nothing selected, nothing copied: the clipboard keeps what it had.
    sendMessage(to, WM_COPY);
    EXPECT_EQ(clipboardText(), "w\xC3\xB6rld");
}

TEST_F(EditClipboard, CutPasteAndUndoTakeBackWholeSteps) {
    HWND dialog = makeTopLevel();
    HWND edit = field(dialog, 10);
    setFocus(edit);
    type("one two");
    setEditSelection(edit, 3, 7);
    press(VK_X, {VK_CONTROL});
    EXPECT_EQ(windowText(edit), "one");
    EXPECT_EQ(clipboardText(), " two");
    press(VK_Z, {VK_CONTROL});
    EXPECT_EQ(windowText(edit), "one two");
    EXPECT_EQ(editSelection(edit), std::make_pair(3, 7));
    press(VK_Z, {VK_CONTROL}); // again: redone
    EXPECT_EQ(windowText(edit), "one");

    // A word typed on, or deleted on, is one step.
    type(" three");
    press(VK_Z, {VK_CONTROL});
    EXPECT_EQ(windowText(edit), "one");
    press(VK_END);
    type("ness");
    press(VK_BACK);
    press(VK_BACK);
    press(VK_BACK);
    EXPECT_EQ(windowText(edit), "onen");
    EXPECT_EQ(sendMessage(edit, EM_UNDO), 1);
    EXPECT_EQ(windowText(edit), "oneness");
    // Typing somewhere else starts a new step.
    press(VK_HOME);
    type("s");
    press(VK_END);
    type("!");
    press(VK_Z, {VK_CONTROL});
    EXPECT_EQ(windowText(edit), "soneness");

    press(VK_A, {VK_CONTROL});
    press(VK_V, {VK_CONTROL});
    EXPECT_EQ(windowText(edit), " two");
    sendMessage(edit, WM_UNDO);
    EXPECT_EQ(windowText(edit), "soneness");
    EXPECT_EQ(sendMessage(edit, EM_CANUNDO), 1);
    sendMessage(edit, EM_EMPTYUNDOBUFFER);
    EXPECT_EQ(sendMessage(edit, EM_CANUNDO), 0);
    EXPECT_EQ(sendMessage(edit, EM_UNDO), 0);
    EXPECT_EQ(windowText(edit), "soneness");
    // A text the program sets is not the user's to undo.
    type("x");
    setText(edit, "fresh");
    press(VK_Z, {VK_CONTROL});
    EXPECT_EQ(windowText(edit), "fresh");
    setEditSelection(edit, 0, 1);
    sendMessage(edit, WM_CLEAR);
    EXPECT_EQ(windowText(edit), "resh");
    EXPECT_EQ(clipboardText(), " two"); // a clear is not a cut
}

TEST_F(EditClipboard, TheInsertAndDeleteChordsCopyPasteAndCutToo) {
    HWND dialog = makeTopLevel();
    HWND edit = field(dialog, 10);
    setFocus(edit);
    type("one two");
    setEditSelection(edit, 0, 3);
    press(VK_INSERT, {VK_CONTROL});
    EXPECT_EQ(clipboardText(), "one");
    setEditSelection(edit, 7, 7);
    press(VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(windowText(edit), "one twoone");
    setEditSelection(edit, 3, 7);
    press(VK_DELETE, {VK_SHIFT});
    EXPECT_EQ(windowText(edit), "oneone");
    EXPECT_EQ(clipboardText(), " two");
    setEditSelection(edit, 0, 3);
    press(VK_INSERT);
    press(VK_DELETE);
    EXPECT_EQ(windowText(edit), "one") << "Insert alone does nothing, Delete alone deletes";
    EXPECT_EQ(clipboardText(), " two");
}

TEST_F(EditClipboard, ReadOnlyNumberLimitAndPasswordFieldsKeepTheirRules) {
    HWND dialog = makeTopLevel();
    HWND shown = field(dialog, 10, ES_READONLY);
    setText(shown, "read me");
    setEditSelection(shown, 0, 4);
    setFocus(shown);
    press(VK_C, {VK_CONTROL});
    EXPECT_EQ(clipboardText(), "read");
    for (uint32_t key : {VK_X, VK_V, VK_Z})
        press(key, {VK_CONTROL});
    sendMessage(shown, WM_CLEAR);
    EXPECT_EQ(windowText(shown), "read me");
    EXPECT_EQ(countNotifications(dialog, 10, EN_CHANGE), 1u); // the program's text only

    HWND number = field(dialog, 11, ES_NUMBER, 40);
    pasteFrom(number, "12.5");
    EXPECT_EQ(windowText(number), ""); // refused whole, not turned into "125"
    pasteFrom(number, "0125");
    EXPECT_EQ(windowText(number), "0125");

    HWND limited = field(dialog, 12, 0, 70);
    sendMessage(limited, EM_LIMITTEXT, 6);
    setText(limited, "abc");
    pasteFrom(limited, "d\xC3\xA9"
                       "fgh");
    EXPECT_EQ(windowText(limited), "abcd\xC3\xA9"
                                   "f");
    EXPECT_EQ(countNotifications(dialog, 12, EN_MAXTEXT), 1u);
    HWND lines = field(dialog, 13, ES_MULTILINE, 100);
    sendMessage(lines, EM_LIMITTEXT, 3);
    pasteFrom(lines, "ab\ncd");
    EXPECT_EQ(windowText(lines), "ab"); // never half a line break
    HWND upper = field(dialog, 14, ES_UPPERCASE, 130);
    pasteFrom(upper, "gro\xC3\x9F"
                     "e\x01!");
    EXPECT_EQ(windowText(upper), "GRO\xC3\x9F"
                                 "E!"); // control characters go, as typed ones do

    HWND secret = field(dialog, 15, ES_PASSWORD, 160);
    setText(secret, "hunter2");
    ASSERT_TRUE(setClipboardText("before"));
    setFocus(secret);
    press(VK_A, {VK_CONTROL});
    press(VK_C, {VK_CONTROL});
    press(VK_X, {VK_CONTROL});
    EXPECT_EQ(clipboardText(), "before");
    EXPECT_EQ(windowText(secret), "hunter2"); // a cut that cannot copy deletes nothing
    press(VK_V, {VK_CONTROL});
    EXPECT_EQ(windowText(secret), "before"); // pasting into it is fine
}

TEST_F(EditClipboard, LineBreaksBecomeSpacesInOneLineAndStayInMany) {
    HWND dialog = makeTopLevel();
    HWND line = field(dialog, 10);
    pasteFrom(line, "first\r\nsecond\nthird\rfourth\xE2\x80\xA8"
                    "fifth");
    EXPECT_EQ(windowText(line), "first second third fourth fifth");
    HWND lines = makeControl(dialog, kEditClass, 11, ES_MULTILINE, Rect::ofSize(10, 40, 200, 80));
    pasteFrom(lines, "first\nsecond\r\nthird");
    EXPECT_EQ(windowText(lines), "first\r\nsecond\r\nthird");
    EXPECT_EQ(sendMessage(lines, EM_GETLINECOUNT), 3);
}
