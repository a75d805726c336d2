// The main window: the exit question, the close button, the screens its
// commands open, the panes it lays out and where the focus goes among them.
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/scroll.h"
#include "main_window_scene.h"
#include "screens/screen_commands.h"
#include "screens/single_screen.h"

namespace shell_testing {
namespace {

using MainWindowTest = MainWindowScene;

// Answers message boxes with the given buttons, in order, and records them.
struct BoxAnswers {
    explicit BoxAnswers(std::vector<int> planned = {}) : buttons(std::move(planned)) {}
    std::vector<int> buttons;
    std::vector<ModalRequest> asked;
    std::function<void()> whileAsked;
    ScopedModalResponder responder{[this](const ModalRequest& request) -> std::optional<int> {
        if (request.kind != ModalKind::kMessageBox) return std::nullopt;
        asked.push_back(request);
        if (whileAsked) whileAsked();
        int button = buttons.empty() ? IDNO : buttons.front();
        if (!buttons.empty()) buttons.erase(buttons.begin());
        return button;
    }};
};

TEST_F(MainWindowTest, ExitAsksWhileTheAccountIsConnectedAndOnlyYesEndsTheProgram) {
    setPrimary(kit::ServiceChange().presence(RY_PRESENCE_AWAY));
    BoxAnswers answers({IDNO, IDCANCEL, IDYES});
    sendMessage(mainWindow(), WM_COMMAND, shell::kCommandExit, 0);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].caption, "Exit Kestrova?");
    EXPECT_EQ(answers.asked[0].text,
              "If you exit, you won't receive any instant messages until you sign in again. Are you sure?");
    EXPECT_EQ(answers.asked[0].style & 0xF, uint32_t{MB_YESNO});
    EXPECT_EQ(answers.asked[0].owner, mainWindow());
    EXPECT_TRUE(isWindow(mainWindow())) << "No keeps the program";

    // The desktop's close button asks the same question.
    closeFromDesktop();
    pumpPendingMessages();
    EXPECT_EQ(answers.asked.size(), 2u);
    EXPECT_TRUE(isWindow(mainWindow())) << "anything but Yes keeps it";

    sendMessage(mainWindow(), WM_COMMAND, shell::kCommandExit, 0);
    EXPECT_EQ(answers.asked.size(), 3u);
    EXPECT_FALSE(window_->hwnd()) << "Yes ends it";
    Msg quit;
    ASSERT_TRUE(peekMessage(quit, true));
    EXPECT_EQ(quit.message, uint32_t{WM_QUIT});
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainWindowTest, OfflineTheProgramEndsWithoutAQuestion) {
    BoxAnswers answers;
    postMessage(mainWindow(), WM_CLOSE);
    pumpPendingMessages();
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_FALSE(window_->hwnd());
}

TEST_F(MainWindowTest, PressingCloseAgainWhileTheQuestionIsOpenAsksNoSecondTime) {
    setPrimary(kit::ServiceChange().presence(RY_PRESENCE_ONLINE));
    BoxAnswers answers({IDYES});
    answers.whileAsked = [this] { sendMessage(mainWindow(), WM_CLOSE); };
    sendMessage(mainWindow(), WM_CLOSE);
    EXPECT_EQ(answers.asked.size(), 1u);
    EXPECT_FALSE(window_->hwnd());
}

TEST_F(MainWindowTest, TheSessionsEndDestroysTheWindowButAnEndThatWasCalledOffDoesNot) {
    sendMessage(mainWindow(), WM_ENDSESSION, 0, 0);
    EXPECT_TRUE(isWindow(mainWindow()));
    sendMessage(mainWindow(), WM_ENDSESSION, 1, 0);
    EXPECT_FALSE(window_->hwnd());
}

// A screen for the command table: made once, shown again while it lives.
struct FakeScreen {
    static inline int made = 0;
    static inline HWND owner = nullptr;
    HWND window = nullptr;
    HWND hwnd() const { return window; }
    static FakeScreen* create(HWND mainWindow) {
        ++made;
        owner = mainWindow;
        static FakeScreen screen;
        screen.window =
            createWindow({"STATIC", "Fake", WS_POPUP, workArea(), nullptr, mainWindow, 0, nullptr});
        return &screen;
    }
};

TEST_F(MainWindowTest, AScreenCommandCreatesItsScreenOnceAndThenBringsItBack) {
    const shell::ScreenCommand table[] = {{shell::kCommandAbout, &shell::SingleScreen<FakeScreen>::open}};
    EXPECT_FALSE(shell::openScreenFor(shell::kCommandSettings, mainWindow(), table));
    ASSERT_TRUE(shell::openScreenFor(shell::kCommandAbout, mainWindow(), table));
    FakeScreen* screen = shell::SingleScreen<FakeScreen>::current();
    ASSERT_TRUE(screen);
    EXPECT_EQ(FakeScreen::owner, mainWindow());
    EXPECT_TRUE(isVisible(screen->hwnd()));
    EXPECT_EQ(foregroundWindow(), screen->hwnd());

    setForegroundWindow(mainWindow());
    shell::openScreenFor(shell::kCommandAbout, mainWindow(), table);
    EXPECT_EQ(FakeScreen::made, 1) << "the open one is brought back";
    EXPECT_EQ(foregroundWindow(), screen->hwnd());

    destroyWindow(screen->hwnd());
    shell::SingleScreen<FakeScreen>::vacate(screen);
    shell::openScreenFor(shell::kCommandAbout, mainWindow(), table);
    EXPECT_EQ(FakeScreen::made, 2) << "a closed screen is made anew";
    destroyWindow(shell::SingleScreen<FakeScreen>::current()->hwnd());
    shell::SingleScreen<FakeScreen>::vacate(shell::SingleScreen<FakeScreen>::current());

    // The dialogs are the connection plug-in's; without it they open nothing.
    std::vector<uint32_t> heard;
    auto onCommand = kit::subscribe(names::kCoreWindowOnCommand, [&](uint32_t id) { heard.push_back(id); });
    for (int command : {shell::kCommandAddService, shell::kCommandAddContact, shell::kCommandJoinGroup,
                        shell::kCommandCreateGroup})
        sendMessage(mainWindow(), WM_COMMAND, static_cast<WParam>(command), 0);
    EXPECT_EQ(heard.size(), 4u);
    EXPECT_EQ(foregroundWindow(), mainWindow());

    // The shell's own table: Settings and About open their screens in front.
    for (int command : {shell::kCommandSettings, shell::kCommandAbout}) {
        sendMessage(mainWindow(), WM_COMMAND, static_cast<WParam>(command), 0);
        HWND front = foregroundWindow();
        ASSERT_NE(front, mainWindow()) << "command " << command << " opened nothing";
        destroyWindow(front);
    }
    EXPECT_EQ(heard.size(), 6u);
}

TEST_F(MainWindowTest, ItIsPublishedOnTheBusFillsTheScreenAndCarriesItsIcons) {
    EXPECT_EQ(bus::get(names::kCoreWindowHwnd), mainWindow());
    EXPECT_EQ(bus::get(names::kCoreWindowLayout), &window_->layout());
    EXPECT_EQ(windowRect(mainWindow()), workArea());
    EXPECT_EQ(windowText(mainWindow()), "Kestrova");
    EXPECT_EQ(navBarTextOf(mainWindow()), "") << "the bar above the tabs stays empty";
    auto* small = reinterpret_cast<const Icon*>(sendMessage(mainWindow(), WM_GETICON, ICON_SMALL, 0));
    auto* large = reinterpret_cast<const Icon*>(sendMessage(mainWindow(), WM_GETICON, ICON_BIG, 0));
    ASSERT_TRUE(small && large);
    EXPECT_EQ(small->width(), smallIconSize());
    EXPECT_EQ(large->width(), largeIconSize());
}

// Panes as the contact list adds them: a bar at the top and a page filling the rest.
class Panes : public MainWindowScene {
  protected:
    HWND pane(uint32_t style = WS_TABSTOP) {
        HWND hwnd = createWindow(
            {"STATIC", "", WS_CHILD | WS_VISIBLE | style, Rect{}, mainWindow(), nullptr, 0, nullptr});
        made_.emplace_back(hwnd);
        return hwnd;
    }
    Rect placed(HWND pane) const {
        Point origin = clientToScreen(mainWindow(), {0, 0});
        return windowRect(pane).offset(-origin.x, -origin.y);
    }
    std::vector<UniqueWindow> made_;
};

TEST_F(Panes, TheStripSitsAtTheBottomAndThePagesFillWhatIsLeftAtAnySize) {
    const Rect client = clientRect(mainWindow());
    const int stripHeight = screenDpi() * 2 / 5;
    EXPECT_EQ(stripHeight, 52);
    EXPECT_EQ(placed(strip()), Rect::ofSize(0, client.height() - stripHeight, client.width(), stripHeight));
    kit::PaneLayout& layout = *bus::get(names::kCoreWindowLayout);
    HWND tabs = pane(), page = pane();
    layout.addTopBar(tabs, 21);
    layout.addFill(page);
    EXPECT_EQ(placed(page), Rect::ofSize(0, 21, client.width(), client.height() - 21 - stripHeight));

    // A new size lays every pane out again.
    moveWindow(mainWindow(), Rect::ofSize(0, 26, 200, 200));
    EXPECT_EQ(placed(strip()), Rect::ofSize(0, 200 - stripHeight, 200, stripHeight));
    EXPECT_EQ(placed(page), Rect::ofSize(0, 21, 200, 200 - 21 - stripHeight));

    // The window's vertical scroll position moves placed panes up.
    setScrollInfo(mainWindow(), SB_VERT, {SIF_RANGE | SIF_PAGE | SIF_POS, 0, 299, 200, 10});
    sendMessage(mainWindow(), WM_SIZE, 0, makeLParam(200, 200));
    EXPECT_EQ(placed(strip()), Rect::ofSize(0, 190 - stripHeight, 200, stripHeight));
}

TEST_F(Panes, TheArrowsMoveTheFocusThroughThePanesAndTheFocusComesBackWithTheWindow) {
    kit::PaneLayout& layout = *bus::get(names::kCoreWindowLayout);
    HWND tabs = pane(), page = pane(), label = pane(0);
    layout.addTopBar(tabs, 21);
    layout.addFill(page);
    layout.insert(label, {.left = 0, .top = 0, .right = 10, .bottom = 10});
    layout.relayout();
    ASSERT_EQ(layout.focusOrder(), (std::vector<HWND>{tabs, page, strip()}));

    // The contact list puts the focus on its first page by handle.
    sendMessage(mainWindow(), WM_NEXTDLGCTL, reinterpret_cast<WParam>(page), 1);
    EXPECT_EQ(focusWindow(), page);
    // The arrows reach the main window as requests for the next and previous pane.
    pressKey(VK_DOWN);
    pumpPendingMessages();
    EXPECT_EQ(focusWindow(), strip()) << "down from the page";
    pressKey(VK_DOWN);
    pumpPendingMessages();
    EXPECT_EQ(focusWindow(), strip()) << "the last pane keeps it: no wrapping";
    sendMessage(mainWindow(), WM_NEXTDLGCTL, 1, 0);
    sendMessage(mainWindow(), WM_NEXTDLGCTL, 1, 0);
    EXPECT_EQ(focusWindow(), tabs);

    // A control inside a pane counts as its pane.
    HWND inside = createWindow({"STATIC", "", WS_CHILD | WS_VISIBLE, Rect{}, page, nullptr, 0, nullptr});
    setFocus(inside);
    sendMessage(mainWindow(), WM_NEXTDLGCTL, 0, 0);
    EXPECT_EQ(focusWindow(), strip());

    // Another window in front: the focus is remembered and comes back with the main window.
    UniqueWindow chat(createWindow(
        {"STATIC", "Chat", WS_POPUP | WS_VISIBLE, workArea(), nullptr, mainWindow(), 0, nullptr}));
    setForegroundWindow(chat.get());
    setFocus(chat.get());
    sendMessage(mainWindow(), WM_NEXTDLGCTL, reinterpret_cast<WParam>(tabs), 1);
    EXPECT_EQ(foregroundWindow(), chat.get())
        << "a focus request from behind does not bring the window forward";
    setNavBarText(mainWindow(), "Kestrova");
    setForegroundWindow(mainWindow());
    EXPECT_EQ(focusWindow(), tabs) << "the pane asked for while the window was behind";
    EXPECT_EQ(navBarTextOf(mainWindow()), "");
    setFocus(page);
    setForegroundWindow(chat.get());
    setForegroundWindow(mainWindow());
    EXPECT_EQ(focusWindow(), page) << "the pane that had the focus when the window went behind";
}

TEST_F(MainWindowTest, ALaterStartShowsTheHiddenWindowAndBringsItsOwnFrontWindowBack) {
    window_.reset();
    for (Msg msg; peekMessage(msg, true);) {
    }
    window_ = shell::MainWindow::create(true);
    ASSERT_TRUE(window_);
    EXPECT_FALSE(isVisible(mainWindow()));
    EXPECT_EQ(bus::get(names::kCoreWindowHwnd), mainWindow()) << "published while hidden";
    const uint32_t activate = registerWindowMessage(shell::kActivateMessage);
    sendMessage(mainWindow(), activate, 0, 0);
    EXPECT_TRUE(isVisible(mainWindow()));
    EXPECT_EQ(foregroundWindow(), mainWindow());

    UniqueWindow chat(createWindow(
        {"STATIC", "Chat", WS_POPUP | WS_VISIBLE, workArea(), nullptr, mainWindow(), 0, nullptr}));
    setForegroundWindow(chat.get());
    sendMessage(mainWindow(), activate, 0, 0);
    EXPECT_EQ(foregroundWindow(), chat.get());
}

} // namespace
} // namespace shell_testing
