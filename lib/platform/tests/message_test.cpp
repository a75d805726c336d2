#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <unistd.h>

#include "test_window.h"

using namespace testing_windows;

using Messages = WindowTest;

namespace {

std::vector<uint32_t> userMessagesOf(HWND hwnd) {
    std::vector<uint32_t> out;
    for (auto m : messagesOf(hwnd))
        if (m >= WM_USER) out.push_back(m);
    return out;
}

}  // namespace

TEST_F(Messages, PostedMessagesArriveInTheOrderTheyWerePosted) {
    HWND w = makeTopLevel();
    for (uint32_t i = 0; i < 5; ++i) postMessage(w, WM_USER + i, i, 0);
    pumpPendingMessages();
    EXPECT_EQ(userMessagesOf(w), (std::vector<uint32_t>{WM_USER, WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
}

TEST_F(Messages, SendOnTheSameThreadCallsTheProcedureAtOnce) {
    HWND w = makeTopLevel();
    hooks()[w] = [](HWND, uint32_t m, WParam wp, LParam) -> std::optional<LResult> {
        if (m == WM_USER) return static_cast<LResult>(wp * 2);
        return std::nullopt;
    };
    EXPECT_EQ(sendMessage(w, WM_USER, 21), 42);
}

TEST_F(Messages, SendFromAWorkerBlocksUntilTheUiThreadHandledItAndReturnsTheResult) {
    HWND w = makeTopLevel();
    std::atomic<bool> workerReturned{false};
    bool blockedWhileHandled = false;
    hooks()[w] = [&](HWND, uint32_t m, WParam wp, LParam) -> std::optional<LResult> {
        if (m != WM_APP) return std::nullopt;
        blockedWhileHandled = !workerReturned.load();
        return static_cast<LResult>(wp + 1);
    };
    LResult result = 0;
    std::thread worker([&] {
        result = sendMessage(w, WM_APP, 41);
        workerReturned = true;
    });
    Msg msg;
    while (!workerReturned) {
        if (peekMessage(msg)) dispatchMessage(msg);
        else std::this_thread::yield();
    }
    worker.join();
    EXPECT_TRUE(blockedWhileHandled);
    EXPECT_EQ(result, 42);
}

TEST_F(Messages, SentMessagesAreHandledBeforeQueuedPostsAndPostsAfterASendComeAfterIt) {
    HWND w = makeTopLevel();
    std::atomic<bool> sending{false};
    std::thread worker([&] {
        postMessage(w, WM_USER + 1);
        sending = true;
        sendMessage(w, WM_USER + 2);
        postMessage(w, WM_USER + 3);
    });
    // The send must be waiting before the loop looks at the queue, or the
    // post is simply first. The worker blocks in the send, so a pause after
    // it announced the send leaves it waiting there.
    while (!sending) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Msg msg;
    while (userMessagesOf(w).size() < 3) {
        if (getMessage(msg)) dispatchMessage(msg);
    }
    worker.join();
    EXPECT_EQ(userMessagesOf(w), (std::vector<uint32_t>{WM_USER + 2, WM_USER + 1, WM_USER + 3}));
}

TEST_F(Messages, SendToAWindowWhoseThreadEndedReturnsZeroInsteadOfHanging) {
    HWND orphan = nullptr;
    std::thread owner([&] { orphan = makeTopLevel("orphan"); });
    owner.join();
    EXPECT_TRUE(isWindow(orphan));
    EXPECT_EQ(sendMessage(orphan, WM_USER, 1, 1), 0);
    EXPECT_FALSE(postMessage(orphan, WM_USER));
}

TEST_F(Messages, TwoThreadsSendingToEachOtherDoNotLockUp) {
    HWND ui = makeTopLevel("ui");
    std::atomic<HWND> workerWindow{nullptr};
    std::atomic<bool> done{false};
    LResult workerResult = 0;
    std::thread worker([&] {
        HWND mine = makeTopLevel("worker");
        hooks()[mine] = [](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
            if (m == WM_APP + 1) return 7;
            return std::nullopt;
        };
        workerWindow = mine;
        workerResult = sendMessage(ui, WM_APP);
        destroyWindow(mine);
        done = true;
    });
    LResult nested = 0;
    hooks()[ui] = [&](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m != WM_APP) return std::nullopt;
        nested = sendMessage(workerWindow, WM_APP + 1);
        return nested + 1;
    };
    Msg msg;
    while (!done) {
        if (peekMessage(msg)) dispatchMessage(msg);
        else std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(nested, 7);
    EXPECT_EQ(workerResult, 8);
}

TEST_F(Messages, MessagesToADestroyedWindowAreDropped) {
    HWND w = makeTopLevel();
    postMessage(w, WM_USER);
    hooks()[w] = [](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        EXPECT_NE(m, WM_USER);
        return std::nullopt;
    };
    destroyWindow(w);
    pumpPendingMessages();
}

TEST_F(Messages, RegisteredMessagesAreStablePerNameAndBroadcastReachesTopLevelWindowsOnly) {
    uint32_t a = registerWindowMessage("KESTORVA_ACTIVATE");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(registerWindowMessage("KESTORVA_ACTIVATE"), a);
    EXPECT_NE(registerWindowMessage("SOMETHING_ELSE"), a);
    HWND one = makeTopLevel("one");
    HWND two = makeTopLevel("two");
    HWND child = makeChild(one, 1);
    postMessage(kBroadcast, a, 0, 0);
    pumpPendingMessages();
    EXPECT_EQ(countOf(one, a), 1u);
    EXPECT_EQ(countOf(two, a), 1u);
    EXPECT_EQ(countOf(child, a), 0u);
}

TEST_F(Messages, TheLoopEndsWithTheQuitCodeAfterEarlierPosts) {
    HWND w = makeTopLevel();
    postMessage(w, WM_USER);
    postQuitMessage(3);
    EXPECT_EQ(runMessageLoop(), 3);
    EXPECT_EQ(countOf(w, WM_USER), 1u);
    Msg msg;
    while (peekMessage(msg)) {
        EXPECT_NE(msg.message, WM_QUIT);  // quit was consumed
        dispatchMessage(msg);
    }
}

TEST_F(Messages, TranslateTurnsControlKeysIntoCharacters) {
    HWND w = makeTopLevel();
    Msg down{w, WM_KEYDOWN, VK_BACK, 1, 0};
    translateMessage(down);
    translateMessage(Msg{w, WM_KEYDOWN, VK_LEFT, 1, 0});
    pumpPendingMessages();
    ASSERT_EQ(countOf(w, WM_CHAR), 1u);
    for (auto& r : journal()) {
        if (r.message == WM_CHAR) {
            EXPECT_EQ(r.wParam, WParam(VK_BACK));
        }
    }
}

using DialogKeys = WindowTest;

TEST_F(DialogKeys, TabAndArrowsMoveBetweenTabStopsAndSkipDisabledOnes) {
    HWND dlg = makeTopLevel();
    HWND a = makeChild(dlg, 1);
    HWND b = makeChild(dlg, 2);
    HWND c = makeChild(dlg, 3);
    enableWindow(b, false);
    setFocus(a);
    EXPECT_TRUE(isDialogMessage(dlg, Msg{a, WM_KEYDOWN, VK_TAB, 1, 0}));
    EXPECT_EQ(focusWindow(), c);
    EXPECT_TRUE(isDialogMessage(dlg, Msg{c, WM_KEYDOWN, VK_DOWN, 1, 0}));
    EXPECT_EQ(focusWindow(), a);  // wraps
    EXPECT_TRUE(isDialogMessage(dlg, Msg{a, WM_KEYDOWN, VK_UP, 1, 0}));
    EXPECT_EQ(focusWindow(), c);
}

TEST_F(DialogKeys, ControlsThatWantArrowsKeepThemAndEnterBecomesOk) {
    HWND dlg = makeTopLevel();
    HWND list = makeChild(dlg, 1);
    hooks()[list] = [](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m == WM_GETDLGCODE) return DLGC_WANTARROWS;
        return std::nullopt;
    };
    setFocus(list);
    EXPECT_FALSE(isDialogMessage(dlg, Msg{list, WM_KEYDOWN, VK_DOWN, 1, 0}));
    EXPECT_TRUE(isDialogMessage(dlg, Msg{list, WM_KEYDOWN, VK_RETURN, 1, 0}));
    bool sawOk = false;
    for (auto& r : journal())
        if (r.hwnd == dlg && r.message == WM_COMMAND && loWord(r.wParam) == IDOK) sawOk = true;
    EXPECT_TRUE(sawOk);
    EXPECT_FALSE(isDialogMessage(dlg, Msg{list, WM_KEYDOWN, 'A', 1, 0}));
}

namespace {

// The next message for `hwnd` with this number, waiting for it as the loop does.
Msg waitForMessage(HWND hwnd, uint32_t message) {
    Msg msg;
    while (getMessage(msg)) {
        dispatchMessage(msg);
        if (msg.hwnd == hwnd && msg.message == message) return msg;
    }
    return msg;
}

}  // namespace

// With no timer to end the wait, a loop that did not wait on the descriptor
// itself, or that a post from another thread could not wake from that wait,
// would never return.
TEST_F(Messages, AWatchedDescriptorWakesTheLoopWhileReadableAndAPostStillWakesIt) {
    HWND w = makeTopLevel();
    pumpPendingMessages();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_TRUE(watchReadable(w, ends[0], WM_APP));
    auto postFromAnotherThread = [w] {
        std::thread poster([w] { postMessage(w, WM_USER + 7); });
        waitForMessage(w, WM_USER + 7);
        poster.join();
    };

    std::thread writer([&] { EXPECT_EQ(::write(ends[1], "ab", 2), 2); });
    Msg readable = waitForMessage(w, WM_APP);
    writer.join();
    EXPECT_EQ(readable.wParam, static_cast<WParam>(ends[0]));
    // Left unread, it is told again; read, it is quiet.
    waitForMessage(w, WM_APP);
    char bytes[2];
    ASSERT_EQ(::read(ends[0], bytes, 2), 2);
    journal().clear();
    postFromAnotherThread();
    EXPECT_EQ(countOf(w, WM_APP), 0u);

    // Unwatched, or its window gone, the descriptor is nobody's business.
    EXPECT_TRUE(unwatchReadable(w, ends[0]));
    ASSERT_EQ(::write(ends[1], "c", 1), 1);
    postFromAnotherThread();
    EXPECT_EQ(countOf(w, WM_APP), 0u);
    ASSERT_TRUE(watchReadable(w, ends[0], WM_APP));
    destroyWindow(w);
    EXPECT_FALSE(unwatchReadable(w, ends[0]));
    ::close(ends[0]);
    ::close(ends[1]);
}
