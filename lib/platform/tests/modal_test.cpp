#include <gtest/gtest.h>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_box.h"
#include "test_window.h"

using namespace testing_windows;

using Modals = WindowTest;

TEST_F(Modals, PlannedAnswersAnswerMessageBoxesAndMenusInOrder) {
    HWND owner = makeTopLevel();
    ModalAnswers answers;
    answers.answerMessageBox(IDYES);
    answers.chooseMenuEntry("Busy");
    answers.answerMessageBox(IDOK);
    EXPECT_EQ(messageBox(owner, "Are you sure you wish to remove this service?", "Remove Service",
                         MB_YESNO | MB_ICONQUESTION),
              IDYES);
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, 1, "Online");
    appendMenu(menu.get(), MF_STRING, 5, "Busy");
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {0, 0}, owner), 5);
    EXPECT_EQ(messageBox(owner, "text", "caption", MB_OK), IDOK);
    ASSERT_EQ(answers.asked().size(), 3u);
    EXPECT_EQ(answers.asked()[0].caption, "Remove Service");
    EXPECT_EQ(answers.asked()[0].text, "Are you sure you wish to remove this service?");
    EXPECT_EQ(answers.planned(), 0u);
}

TEST_F(Modals, APlanThatIsNeverTakenBlocksNoOtherAndPlansCanBeCleared) {
    HWND owner = makeTopLevel();
    ModalAnswers answers(true);
    answers.answerMessageBox(IDYES);  // no message box comes
    answers.chooseMenuEntry("Away");
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, 1, "Online");
    HMENU more = createPopupMenu();
    appendMenu(more, MF_STRING, 7, "Away");
    appendMenu(more, MF_STRING, 8, "Busy");
    appendMenu(menu.get(), MF_POPUP, reinterpret_cast<uintptr_t>(more), "&More");
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {0, 0}, owner), 7);
    EXPECT_EQ(ModalAnswers::menuTexts(menu.get()),
              (std::vector<std::string>{"Online", "More", "More > Away", "More > Busy"}));
    EXPECT_EQ(runAutomationCommand("unplan", answers), "OK 1");
    EXPECT_EQ(messageBox(owner, "q", "c", MB_YESNO), IDNO) << "the forgotten Yes is not given";
}

TEST_F(Modals, AnUnansweredModalGoesToTheUnansweredHandlerInsteadOfHanging) {
    HWND owner = makeTopLevel();
    std::vector<std::string> unanswered;
    setUnansweredModalHandler([&](const ModalRequest& r) { unanswered.push_back(r.caption); });
    EXPECT_EQ(messageBox(owner, "The server did not allow you to sign in at this time.", "Login Failed", MB_OK), 0);
    setUnansweredModalHandler(nullptr);
    EXPECT_EQ(unanswered, (std::vector<std::string>{"Login Failed"}));
}

TEST_F(Modals, WithDismissingAnswersAnUnplannedModalIsCancelledAndRecorded) {
    HWND owner = makeTopLevel();
    ModalAnswers answers(true);
    EXPECT_EQ(messageBox(owner, "q", "c", MB_YESNO), IDNO);
    EXPECT_EQ(messageBox(owner, "q", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(answers.asked().size(), 2u);
}

TEST_F(Modals, AnUnansweredModalWithoutAHandlerAbortsLoudly) {
    EXPECT_DEATH(
        {
            setUnansweredModalHandler(nullptr);
            messageBox(nullptr, "nobody answers", "Lost", MB_OK);
        },
        "unanswered message box \"Lost\"");
}

using SoftKeys = WindowTest;

TEST_F(SoftKeys, TheLeftCommandKeyPostsItsCommandToTheOwner) {
    HWND owner = makeTopLevel();
    createMenuBar(owner, {{"Chats", 105}, {"Menu", 103, createPopupMenu()}});
    pressSoftKey(owner, 0);
    pumpPendingMessages();
    ASSERT_EQ(countOf(owner, WM_COMMAND), 1u);
    for (auto& r : journal()) {
        if (r.message == WM_COMMAND) {
            EXPECT_EQ(loWord(r.wParam), 105);
        }
    }
}

TEST_F(SoftKeys, TheRightKeyOpensItsPopupAfterInitMenuPopupNamingTheKey) {
    HWND owner = makeTopLevel();
    HMENU popup = createPopupMenu();
    appendMenu(popup, MF_STRING, 40004, "About...");
    createMenuBar(owner, {{"Chats", 105}, {"Menu", 103, popup}});
    EXPECT_EQ(softKeyPopup(owner, 103), popup);
    hooks()[owner] = [](HWND h, uint32_t m, WParam wp, LParam lp) -> std::optional<LResult> {
        // The owner fills the popup when it opens.
        if (m == WM_INITMENUPOPUP && lp == 103)
            appendMenu(reinterpret_cast<HMENU>(wp), MF_STRING, 40005, "E&xit...");
        return std::nullopt;
    };
    ModalAnswers answers;
    answers.chooseMenuEntry("Exit...");
    pressSoftKey(owner, 1);
    pumpPendingMessages();
    bool sawExit = false;
    for (auto& r : journal())
        if (r.hwnd == owner && r.message == WM_COMMAND) sawExit = loWord(r.wParam) == 40005;
    EXPECT_TRUE(sawExit);
}

TEST_F(SoftKeys, HiddenOrDisabledKeysDoNothingAndTheBarGoesWithItsOwner) {
    HWND owner = makeTopLevel();
    HMENU popup = createPopupMenu();
    createMenuBar(owner, {{"OK", 1}, {"Cancel", 2, popup}});
    setSoftKeyVisible(owner, 1, false);
    setSoftKeyEnabled(owner, 0, false);
    pressSoftKey(owner, 0);
    pressSoftKey(owner, 1);  // would abort on an unanswered menu if it opened
    pumpPendingMessages();
    EXPECT_EQ(countOf(owner, WM_COMMAND), 0u);
    setSoftKeyLabel(owner, 0, "Finish");
    EXPECT_EQ(menuBarOf(owner)->left.label, "Finish");
    destroyWindow(owner);
    EXPECT_FALSE(hasMenuBar(owner));
    EXPECT_FALSE(isMenu(popup));
}
