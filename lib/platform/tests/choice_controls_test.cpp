// List box, drop-down list and check box: how the user moves through them
// and what their parent hears.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/icon.h"

using namespace testing_windows;

using ChoiceControls = WindowTest;

namespace {

HWND listOf(HWND dialog, uintptr_t id, int count, uint32_t style = LBS_NOTIFY | WS_VSCROLL) {
    HWND list = makeControl(dialog, kListBoxClass, id, style, Rect::ofSize(10, 40, 150, 100));
    for (int i = 0; i < count; ++i)
        addItem(list, "Item " + std::to_string(i));
    return list;
}

} // namespace

TEST_F(ChoiceControls, ListKeysMoveTheSelectionIntoViewAndOnlyTheUsersChangesAreReported) {
    HWND dialog = makeTopLevel();
    HWND above = makeControl(dialog, kEditClass, 9, 0, Rect::ofSize(10, 10, 150, 24));
    HWND list = listOf(dialog, 10, 30);
    int rows = static_cast<int>(100 / sendMessage(list, LB_GETITEMHEIGHT));
    sendMessage(list, LB_SETCURSEL, 0); // the program's choice: no notification
    setFocus(list);
    press(VK_DOWN);
    press(VK_DOWN);
    EXPECT_EQ(selectedItem(list), 2);
    EXPECT_EQ(countNotifications(dialog, 10, LBN_SELCHANGE), 2u);
    press(VK_END);
    EXPECT_EQ(selectedItem(list), 29);
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), 30 - rows);
    ScrollInfo info;
    ASSERT_TRUE(getScrollInfo(list, SB_VERT, info));
    EXPECT_EQ(info.pos, 30 - rows);
    EXPECT_EQ(static_cast<int>(info.page), rows);
    press(VK_DOWN); // the last row: Down is the dialog's, which moves on (round to the top)
    EXPECT_EQ(selectedItem(list), 29);
    EXPECT_EQ(focusWindow(), above);
    setFocus(list);
    press(VK_PRIOR);
    EXPECT_EQ(selectedItem(list), 29 - (rows - 1));
    press(VK_HOME);
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), 0);
    type("i"); // type-ahead finds the next item starting with the letter
    EXPECT_EQ(selectedItem(list), 1);
    press(VK_HOME);
    press(VK_UP); // on the first row Up moves the focus to the control above
    EXPECT_EQ(focusWindow(), above);
    EXPECT_EQ(countNotifications(dialog, 10, LBN_SETFOCUS), 2u);
    EXPECT_EQ(countNotifications(dialog, 10, LBN_KILLFOCUS), 2u);
}

TEST_F(ChoiceControls, ListItemsKeepTheirDataAndTheSelectionFollowsInsertsAndDeletes) {
    HWND dialog = makeTopLevel();
    HWND list = listOf(dialog, 10, 0, LBS_NOTIFY | LBS_SORT);
    for (const char* name : {"delta", "Alpha", "charlie", "bravo"})
        addItem(list, name);
    EXPECT_EQ(itemTexts(list), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
    sendMessage(list, LB_SETITEMDATA, 2, 4711);
    sendMessage(list, LB_SETCURSEL, 2);
    sendMessage(list, LB_DELETESTRING, 0);
    EXPECT_EQ(selectedItem(list), 1);
    EXPECT_EQ(sendMessage(list, LB_GETITEMDATA, 1), 4711);
    EXPECT_EQ(sendMessage(list, LB_FINDSTRING, static_cast<WParam>(-1), reinterpret_cast<LParam>("DEL")), 2);
    EXPECT_EQ(sendMessage(list, LB_FINDSTRINGEXACT, static_cast<WParam>(-1), reinterpret_cast<LParam>("del")),
              LB_ERR);
    EXPECT_EQ(sendMessage(list, LB_SETCURSEL, 7), LB_ERR);
    EXPECT_EQ(selectedItem(list), -1);
    EXPECT_EQ(sendMessage(list, LB_GETTEXTLEN, 9), LB_ERR);
    EXPECT_TRUE(notificationsTo(dialog).empty());
}

TEST_F(ChoiceControls, TapsSelectRowsDoubleTapsActivateAndTheWheelOnlyScrolls) {
    VirtualClock clock;
    HWND dialog = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND list = listOf(dialog, 10, 30);
    int row = static_cast<int>(sendMessage(list, LB_GETITEMHEIGHT));
    Rect r = windowRect(list);
    tap({r.left + 20, r.top + row * 2 + 2});
    pumpPendingMessages();
    EXPECT_EQ(focusWindow(), list);
    EXPECT_EQ(selectedItem(list), 2);
    tap({r.left + 20, r.top + row * 2 + 2});
    pumpPendingMessages();
    EXPECT_EQ(countNotifications(dialog, 10, LBN_DBLCLK), 1u);
    mouseWheel(-2 * WHEEL_DELTA);
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), 6);
    EXPECT_EQ(selectedItem(list), 2);
    mouseWheel(10 * WHEEL_DELTA);
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), 0); // clamped at the top
    // A tap on the bar below the thumb pages on.
    tap({r.right - 2, r.bottom - 3});
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), 100 / row);
    EXPECT_EQ(selectedItem(list), 2);
}

TEST_F(ChoiceControls, DraggingAListsThumbScrollsItAsTheThumbMoves) {
    HWND dialog = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND list = listOf(dialog, 10, 30);
    sendMessage(list, LB_SETCURSEL, 3);
    int rows = static_cast<int>(100 / sendMessage(list, LB_GETITEMHEIGHT));
    int last = 30 - rows;
    Rect r = windowRect(list);
    int x = r.right - 3;
    pointerDown({x, r.top + 1});
    pointerMove({x, r.top + 1 + 45});
    pumpPendingMessages();
    int midway = static_cast<int>(sendMessage(list, LB_GETTOPINDEX));
    EXPECT_GT(midway, 0);
    EXPECT_LT(midway, last);
    EXPECT_EQ(getScrollPos(list, SB_VERT), midway); // the thumb goes with the rows
    pointerMove({x, r.bottom + 40});
    pointerUp({x, r.bottom + 40});
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), last);
    EXPECT_EQ(selectedItem(list), 3); // scrolling is not choosing
    EXPECT_EQ(captureWindow(), nullptr);
    pointerDown({x, r.bottom - 3}); // the thumb, now at the end: back to the top
    pointerUp({x, r.top - 40});
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(list, LB_GETTOPINDEX), 0);
}

TEST_F(ChoiceControls, ADropDownListCyclesWithLeftAndRightAndChoosesFromItsOpenList) {
    HWND dialog = makeTopLevel("Add a Contact");
    HWND combo = makeControl(dialog, kComboBoxClass, 20, CBS_DROPDOWNLIST, Rect::ofSize(10, 10, 200, 26));
    for (const char* name : {"Kestrova - ann", "XMPP - bob", "ICQ - 1234"})
        addItem(combo, name);
    sendMessage(combo, CB_SETCURSEL, 0);
    setFocus(combo);
    press(VK_RIGHT);
    press(VK_RIGHT);
    EXPECT_EQ(selectedItem(combo), 2);
    press(VK_RIGHT); // round to the first again
    EXPECT_EQ(selectedItem(combo), 0);
    press(VK_LEFT);
    EXPECT_EQ(selectedItem(combo), 2);
    EXPECT_EQ(countNotifications(dialog, 20, CBN_SELCHANGE), 4u);
    EXPECT_EQ(focusWindow(), combo); // Left and Right did not move the focus

    press(VK_RETURN); // the action key opens the list over the screen
    HWND open = droppedList(combo);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(foregroundWindow(), open);
    EXPECT_EQ(sendMessage(combo, CB_GETDROPPEDSTATE), 1);
    EXPECT_EQ(countNotifications(dialog, 20, CBN_DROPDOWN), 1u);
    press(VK_UP);
    press(VK_RETURN);
    EXPECT_EQ(droppedList(combo), nullptr);
    EXPECT_EQ(selectedItem(combo), 1);
    EXPECT_EQ(focusWindow(), combo);
    EXPECT_EQ(countNotifications(dialog, 20, CBN_SELENDOK), 1u);
    EXPECT_EQ(countNotifications(dialog, 20, CBN_SELCHANGE), 5u);
    EXPECT_TRUE(dialogCommandsTo(dialog).empty()); // Enter stayed with the list

    press(VK_RETURN);
    press(VK_DOWN);
    press(VK_ESCAPE); // Back closes the list and changes nothing
    EXPECT_EQ(droppedList(combo), nullptr);
    EXPECT_EQ(selectedItem(combo), 1);
    EXPECT_EQ(countNotifications(dialog, 20, CBN_SELENDCANCEL), 1u);
    EXPECT_EQ(countNotifications(dialog, 20, CBN_CLOSEUP), 2u);
    EXPECT_EQ(foregroundWindow(), dialog);
}

TEST_F(ChoiceControls, ATapOnTheOpenListChooses) {
    HWND dialog = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND combo = makeControl(dialog, kComboBoxClass, 20, CBS_DROPDOWNLIST, Rect::ofSize(10, 10, 200, 26));
    for (const char* name : {"one", "two", "three"})
        addItem(combo, name);
    Rect r = windowRect(combo);
    tap({(r.left + r.right) / 2, r.top + 5}); // the middle opens, the arrows cycle
    pumpPendingMessages();
    HWND open = droppedList(combo);
    ASSERT_NE(open, nullptr);
    HWND list = childrenOf(open).front();
    int row = static_cast<int>(sendMessage(list, LB_GETITEMHEIGHT));
    Rect l = windowRect(list);
    tap({l.left + 20, l.top + 2 * row + 2});
    pumpPendingMessages();
    EXPECT_EQ(droppedList(combo), nullptr);
    EXPECT_EQ(selectedItem(combo), 2);
    tap({r.left + 3, r.top + 5});
    pumpPendingMessages();
    EXPECT_EQ(selectedItem(combo), 1);
}

TEST_F(ChoiceControls, CheckBoxesToggleWithSpaceEnterAndTapsAndTellTheirParent) {
    HWND dialog = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND remember =
        makeControl(dialog, kButtonClass, 30, BS_AUTOCHECKBOX, Rect::ofSize(10, 10, 200, 24), "Remember me.");
    HWND manual = makeControl(dialog, kButtonClass, 31, BS_CHECKBOX, Rect::ofSize(10, 40, 200, 24), "Manual");
    ASSERT_TRUE(isCheckBox(remember));
    setFocus(remember);
    type(" ");
    EXPECT_EQ(sendMessage(remember, BM_GETCHECK), BST_CHECKED);
    press(VK_RETURN); // the action key toggles; the dialog does not see it as OK
    EXPECT_EQ(sendMessage(remember, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_TRUE(dialogCommandsTo(dialog).empty());
    Rect r = windowRect(remember);
    tap({r.left + 5, r.top + 5});
    pumpPendingMessages();
    EXPECT_EQ(sendMessage(remember, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(countNotifications(dialog, 30, BN_CLICKED), 3u);

    press(VK_DOWN); // Up and Down move on from a check box
    EXPECT_EQ(focusWindow(), manual);
    press(VK_RETURN);
    EXPECT_EQ(sendMessage(manual, BM_GETCHECK), BST_UNCHECKED); // its owner decides
    EXPECT_EQ(countNotifications(dialog, 31, BN_CLICKED), 1u);
    sendMessage(manual, BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(sendMessage(manual, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(countNotifications(dialog, 31, BN_CLICKED), 1u);
}
