// The status strip: what it says in each connection state, its icon and
// animation, and the account's status menu behind it.
#include "status_strip/status_content.h"

#include "kestrova/platform/input.h"
#include "main_window_scene.h"
#include "status_strip/progress_animation.h"
#include "status_strip/status_strip.h"

namespace shell_testing {
namespace {

using shell::StripContent;
using shell::stripContent;
using shell::StripIcon;

class StripTexts : public CoreTest {
  protected:
    kit::ServiceFields ann() const {
        kit::ServiceFields fields;
        fields.userName = "ann@example.org";
        fields.nickname = "Ann";
        fields.statusText = "At the lake";
        fields.desiredStatus = RY_PRESENCE_ONLINE;
        return fields;
    }
};

TEST_F(StripTexts, EveryStateOnTheWayNamesItselfOverTheUnreadCountOrWhatIsBeingFetched) {
    struct Case {
        int32_t state;
        StripContent shown;
    };
    const Case cases[] = {
        {0, {StripIcon::kOffline, "Not Connected", "No Messages"}},
        {10, {StripIcon::kProgress, "Dialing", "No Messages"}},
        {30, {StripIcon::kProgress, "Connecting", "No Messages"}},
        {35, {StripIcon::kProgress, "Connecting via Proxy...", "No Messages"}},
        {40, {StripIcon::kProgress, "Logging In", "No Messages"}},
        {50, {StripIcon::kProgress, "Synchronizing", "Retrieving Contacts..."}},
        {60, {StripIcon::kProgress, "Synchronizing", "Retrieving Groups..."}},
        {70, {StripIcon::kProgress, "Synchronizing", "Retrieving Messages..."}},
        {130, {StripIcon::kProgress, "Reconnect Pending...", "No Messages"}},
        {140, {StripIcon::kProgress, "Resuming Session", "No Messages"}},
        {77, {StripIcon::kNone, "Unknown State", "No Messages"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stripContent(c.state, 0, ann()), c.shown) << "state " << c.state;
    // Unread messages take the second line in every state.
    EXPECT_EQ(stripContent(70, 1, ann()).secondLine, "1 New Message");
    EXPECT_EQ(stripContent(0, 12, ann()).secondLine, "12 New Messages");
}

TEST_F(StripTexts, OnlineTheStripShowsWhoIAmHowIChoseToBeSeenAndMyStatusLine) {
    kit::ServiceFields me = ann();
    EXPECT_EQ(stripContent(100, 0, me), (StripContent{StripIcon::kOnline, "Ann - Online", "At the lake"}));
    EXPECT_EQ(stripContent(100, 2, me),
              (StripContent{StripIcon::kMessagesWaiting, "Ann - Online", "2 New Messages"}));
    const std::pair<int32_t, const char*> presences[] = {{RY_PRESENCE_OFFLINE, "Ann - Online"},
                                                         {RY_PRESENCE_AWAY, "Ann - Away"},
                                                         {RY_PRESENCE_INVISIBLE, "Ann - Invisible"},
                                                         {RY_PRESENCE_BUSY, "Ann - Busy"},
                                                         {4, "Ann"}};
    for (auto [presence, line] : presences) {
        me.desiredStatus = presence;
        EXPECT_EQ(stripContent(100, 0, me).firstLine, line) << presence;
    }
    me.nickname.clear();
    me.statusText.clear();
    me.desiredStatus = RY_PRESENCE_BUSY;
    EXPECT_EQ(stripContent(100, 0, me),
              (StripContent{StripIcon::kOnline, "ann@example.org - Busy", "No Messages"}))
        << "the user name without a nickname; no status line";
}

TEST(ProgressAnimation, TheStatesOnTheWayAnimateExceptTheWaitForAProxy) {
    for (int32_t state : {10, 30, 40, 50, 60, 70, 130, 140})
        EXPECT_TRUE(shell::animatesIn(state)) << state;
    for (int32_t state : {0, 35, 100, 77})
        EXPECT_FALSE(shell::animatesIn(state)) << state;
}

TEST(ProgressAnimation, TheBrightDotGoesRoundOnceInAllFrames) {
    Bitmap first(32, 32), later(32, 32), again(32, 32);
    for (auto [bitmap, frame] : {std::pair{&first, 0}, {&later, 3}, {&again, shell::kProgressFrames}}) {
        bitmap->clear(rgb(0, 0, 0));
        DeviceContext dc(*bitmap);
        shell::drawProgressFrame(dc, Rect::ofSize(0, 0, 32, 32), frame);
    }
    // The head starts at the top; three frames on it stands a quarter round, to the right.
    auto brightness = [](const Bitmap& b, int x, int y) { return b.pixel(x, y).r + b.pixel(x, y).g; };
    EXPECT_GT(brightness(first, 16, 5), brightness(first, 28, 16));
    EXPECT_GT(brightness(later, 28, 16), brightness(later, 16, 5));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(first.pixel(x, y), again.pixel(x, y)) << "frames repeat";
}

class Strip : public MainWindowScene {
  protected:
    std::string text() const { return windowText(strip()); }
    shell::StatusStrip& status() { return *window_->statusStrip(); }
    VirtualClock clock_;
};

TEST_F(Strip, ItFollowsTheConnectionTheAccountAndTheUnreadCountAndAnimatesOnTheWay) {
    EXPECT_EQ(text(), "Not Connected\nNo Messages");
    EXPECT_FALSE(status().animating());

    setState(40);
    EXPECT_EQ(text(), "Logging In\nNo Messages");
    ASSERT_TRUE(status().animating());
    const int frame = status().frame();
    clock_.advance(std::chrono::milliseconds(150));
    pumpPendingMessages();
    EXPECT_EQ(status().frame(), (frame + 1) % shell::kProgressFrames) << "one frame every 150 ms";
    setState(50);
    clock_.advance(std::chrono::milliseconds(150));
    pumpPendingMessages();
    EXPECT_EQ(status().frame(), (frame + 2) % shell::kProgressFrames) << "the timer runs on, not restarted";

    setPrimary(kit::ServiceChange()
                   .userName("ann@example.org")
                   .nickname("Ann")
                   .statusText("At the lake")
                   .desiredStatus(RY_PRESENCE_AWAY));
    setState(100);
    EXPECT_EQ(text(), "Ann - Away\nAt the lake");
    EXPECT_FALSE(status().animating());
    clock_.advance(std::chrono::milliseconds(450));
    pumpPendingMessages();
    EXPECT_EQ(status().frame(), (frame + 2) % shell::kProgressFrames) << "stopped";

    setUnread(1);
    EXPECT_EQ(text(), "Ann - Away\n1 New Message");
    setPrimary(kit::ServiceChange().nickname("Annie"));
    EXPECT_EQ(text(), "Annie - Away\n1 New Message") << "a change of the account shows at once";
    setState(35);
    EXPECT_FALSE(status().animating()) << "the wait for a proxy shows the wheel standing";
    setState(130);
    EXPECT_TRUE(status().animating());
}

TEST_F(Strip, TheStatusMenuOpensByKeyByDoubleTapAndOnRequestAndItsChoiceGoesToTheService) {
    kit::OwnedService primary(RY_GetPrimaryService());
    std::vector<uint32_t> handled;
    int made = 0;
    auto create = kit::registerFunction(names::kServiceCreatePopupMenu, primary.get(), [&] {
        ++made;
        return menuWith({{40200, "Online"}, {40201, "Away"}});
    });
    auto handle = kit::registerFunction(names::kServiceHandlePopupMenu, primary.get(), [&](uint32_t command) {
        handled.push_back(command);
        return 0;
    });
    ModalAnswers answers;
    answers.chooseMenuEntry("Away");
    setFocus(strip());
    pressKey(VK_RETURN);
    pumpPendingMessages();
    ASSERT_EQ(answers.asked().size(), 1u);
    const Point stripOrigin = clientToScreen(strip(), {0, 0});
    EXPECT_EQ(answers.asked()[0].at, (Point{stripOrigin.x + 5, stripOrigin.y + 5}));
    EXPECT_TRUE(answers.asked()[0].style & TPM_BOTTOMALIGN);
    EXPECT_FALSE(isMenu(answers.asked()[0].menu)) << "destroyed after use";

    answers.chooseMenuEntry("");
    const Point inside{stripOrigin.x + 30, stripOrigin.y + 10};
    tap(inside);
    tap(inside);
    pumpPendingMessages();
    ASSERT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(answers.asked()[1].at, inside);

    answers.chooseMenuEntry("Online");
    tapAndHold(inside);
    pumpPendingMessages();
    EXPECT_EQ(answers.asked().size(), 3u);
    EXPECT_EQ(handled, (std::vector<uint32_t>{40201, 0, 40200})) << "dismissing hands over 0";
    EXPECT_EQ(made, 3);
}

} // namespace
} // namespace shell_testing
