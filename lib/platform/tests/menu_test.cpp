#include <gtest/gtest.h>

#include "kestrova/platform/menu.h"
#include "kestrova/platform/modal.h"
#include "test_window.h"

using namespace testing_windows;

TEST(Menus, EntriesAreInsertedAndDeletedByPositionAndSubmenusGoWithTheirEntry) {
    UniqueMenu menu(createPopupMenu());
    HMENU sub = createPopupMenu();
    appendMenu(sub, MF_STRING, 11, "Inner");
    appendMenu(menu.get(), MF_STRING, 1, "First");
    appendMenu(menu.get(), MF_SEPARATOR, 0);
    appendMenu(menu.get(), MF_STRING | MF_GRAYED, 3, "Greyed");
    insertMenu(menu.get(), 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<uintptr_t>(sub), "Service");
    ASSERT_EQ(menuItemCount(menu.get()), 4);
    EXPECT_EQ(subMenu(menu.get(), 0), sub);
    EXPECT_EQ(menuItem(menu.get(), 1, MF_BYPOSITION)->text, "First");
    EXPECT_TRUE(menuItem(menu.get(), 2, MF_BYPOSITION)->flags & MF_SEPARATOR);
    EXPECT_TRUE(deleteMenu(menu.get(), 0, MF_BYPOSITION));
    EXPECT_FALSE(isMenu(sub));
    EXPECT_EQ(menuItemCount(menu.get()), 3);
    EXPECT_FALSE(deleteMenu(menu.get(), 9, MF_BYPOSITION));
}

TEST(Menus, CheckAndEnableReportThePreviousStateByCommand) {
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, 7, "Online");
    EXPECT_EQ(checkMenuItem(menu.get(), 7, MF_CHECKED), 0);
    EXPECT_EQ(checkMenuItem(menu.get(), 7, MF_UNCHECKED), static_cast<int>(MF_CHECKED));
    EXPECT_EQ(enableMenuItem(menu.get(), 7, MF_GRAYED), 0);
    EXPECT_TRUE(menuItem(menu.get(), 7, MF_BYCOMMAND)->flags & MF_GRAYED);
    EXPECT_EQ(checkMenuItem(menu.get(), 99, MF_CHECKED), -1);
}

TEST(Menus, RemovingKeepsTheSubmenuForTheCaller) {
    UniqueMenu menu(createPopupMenu());
    UniqueMenu sub(createPopupMenu());
    appendMenu(menu.get(), MF_POPUP, reinterpret_cast<uintptr_t>(sub.get()), "Sub");
    EXPECT_TRUE(removeMenu(menu.get(), 0, MF_BYPOSITION));
    EXPECT_TRUE(isMenu(sub.get()));
}

TEST(Menus, CommandsAreFoundByTextThroughSubmenusIgnoringMnemonicsAndGreyedEntries) {
    UniqueMenu menu(createPopupMenu());
    HMENU sub = createPopupMenu();
    appendMenu(sub, MF_STRING, 40032, "Add a Contact...");
    appendMenu(menu.get(), MF_POPUP, reinterpret_cast<uintptr_t>(sub), "&Contacts");
    appendMenu(menu.get(), MF_STRING, 40005, "E&xit...");
    appendMenu(menu.get(), MF_STRING | MF_GRAYED, 40006, "Greyed");
    EXPECT_EQ(findMenuCommand(menu.get(), "Exit..."), 40005u);
    EXPECT_EQ(findMenuCommand(menu.get(), "Add a Contact..."), 40032u);
    EXPECT_EQ(findMenuCommand(menu.get(), "Greyed"), std::nullopt);
}

using Tracking = WindowTest;

TEST_F(Tracking, TrackingTellsTheOwnerFirstAndReturnsOrPostsTheChosenCommand) {
    HWND owner = makeTopLevel();
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, 55, "Accept");
    ScopedModalResponder answer([](const ModalRequest& r) -> std::optional<int> {
        EXPECT_EQ(r.kind, ModalKind::kPopupMenu);
        return static_cast<int>(*findMenuCommand(r.menu, "Accept"));
    });
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {10, 10}, owner), 55);
    EXPECT_EQ(countOf(owner, WM_INITMENUPOPUP), 1u);
    EXPECT_EQ(countOf(owner, WM_COMMAND), 0u);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_NONOTIFY, {10, 10}, owner), 1);
    pumpPendingMessages();
    EXPECT_EQ(countOf(owner, WM_INITMENUPOPUP), 1u);
    ASSERT_EQ(countOf(owner, WM_COMMAND), 1u);
    for (auto& r : journal()) {
        if (r.message == WM_COMMAND) {
            EXPECT_EQ(loWord(r.wParam), 55);
        }
    }
}
