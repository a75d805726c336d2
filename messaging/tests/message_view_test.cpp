// The message view as a user meets it: bubbles that join into runs, a
// selection that follows new messages, keys, taps, menus, messages that grow
// while they are shown, and views of a thousand messages or one very long one.
#include <gtest/gtest.h>

#include "history_items.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/clipboard.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/shell_open.h"
#include "line_items.h"
#include "message_item.h"
#include "view_scene.h"

namespace kestrova::messaging {
namespace {

using namespace kestrova::platform;
using testing::ViewScene;

class MessageViewTest : public ViewScene {};

TEST_F(MessageViewTest, MessagesOfOneSenderInARowJoinIntoOneBubbleAndOtherItemsSplitIt) {
    HCONTACT bob = contact("Bob");
    HCONTACT cat = contact("Cat");
    show(bob, "Hi there");
    show(bob, "Are you coming tonight?");
    show(bob, "/me waves");
    show(nullptr, "Yes, at eight. See www.example.org/map for the way");
    show(nullptr, "Bring the cake");
    view_->appendStatusLine("You were disconnected.");
    show(nullptr, "Still there?");
    show(cat, "me too");
    ASSERT_EQ(view_->count(), 8u);

    // Bob's three: one header band at the top, one bottom edge at the end.
    EXPECT_TRUE(messageAt(0).header());
    EXPECT_FALSE(messageAt(0).tail());
    EXPECT_FALSE(messageAt(1).header());
    EXPECT_FALSE(messageAt(1).tail());
    EXPECT_FALSE(messageAt(2).header());
    EXPECT_TRUE(messageAt(2).tail());
    // The user's own two are a run of their own, and own.
    EXPECT_TRUE(messageAt(3).own());
    EXPECT_TRUE(messageAt(3).header());
    EXPECT_TRUE(messageAt(4).tail());
    EXPECT_FALSE(messageAt(0).own());
    // The status line ends the run: the next own message starts a new one.
    EXPECT_NE(dynamic_cast<StatusLineItem*>(&view_->item(5)), nullptr);
    EXPECT_TRUE(messageAt(6).header());
    EXPECT_TRUE(messageAt(7).header());
    EXPECT_EQ(messageAt(0).senderName(), "Bob");
    EXPECT_EQ(messageAt(3).senderName(), "Me");

    expectContiguous();
    // A joined item is one pixel (top edge) and four (gap) shorter than alone.
    const ViewMetrics& m = view_->metrics();
    EXPECT_EQ(view_->item(1).height(m, 240) + 5, [&] {
        messageAt(1).setHeader(true);
        messageAt(1).setTail(true);
        int alone = view_->item(1).height(m, 240);
        messageAt(1).setHeader(false);
        messageAt(1).setTail(false);
        return alone;
    }());
    screenshot("message_view_runs_" + std::to_string(screen().width) + "x" + std::to_string(screen().height));
}

TEST_F(MessageViewTest, TheSelectionFollowsNewMessagesUnlessTheUserMovedAway) {
    HCONTACT bob = contact("Bob");
    for (int i = 0; i < 30; ++i)
        show(bob, "line " + std::to_string(i));
    EXPECT_EQ(view_->selection(), 29u);
    EXPECT_EQ(view_->scrollPosition(), view_->contentHeight() - view_->pageHeight()) << "scrolled to the end";

    setFocus(view_->hwnd());
    press(VK_UP);
    press(VK_UP);
    EXPECT_EQ(view_->selection(), 27u);
    int reading = view_->scrollPosition();
    show(bob, "something new");
    EXPECT_EQ(view_->selection(), 27u) << "the user reads above: the selection stays";
    EXPECT_EQ(view_->scrollPosition(), reading);

    press(VK_END);
    EXPECT_EQ(view_->selection(), 30u);
    show(bob, "and more");
    EXPECT_EQ(view_->selection(), 31u) << "back at the end: it follows again";

    press(VK_HOME);
    EXPECT_EQ(view_->selection(), 0u);
    EXPECT_EQ(view_->scrollPosition(), 0);
    // Without the focus the view always follows.
    setFocus(frame_.hwnd());
    show(bob, "while away");
    EXPECT_EQ(view_->selection(), 32u);
}

TEST_F(MessageViewTest, KeysMoveTheSelectionAndTheChatWindowHearsTheEdges) {
    HCONTACT bob = contact("Bob");
    for (int i = 0; i < 40; ++i)
        show(bob, "message number " + std::to_string(i));
    setFocus(view_->hwnd());
    press(VK_HOME);
    press(VK_UP);
    EXPECT_EQ(host_.calls.back(), "leave up");
    EXPECT_EQ(host_.calls[host_.calls.size() - 2], "key " + std::to_string(VK_UP))
        << "the chat window hears Up before the view moves";

    press(VK_NEXT);
    size_t perPage = view_->selection();
    EXPECT_GT(perPage, 1u);
    EXPECT_LT(perPage, 40u);
    press(VK_NEXT);
    EXPECT_EQ(view_->selection(), 2 * perPage);
    press(VK_PRIOR);
    EXPECT_EQ(view_->selection(), perPage);
    // Whatever is selected is in sight.
    Rect selected = view_->extent(view_->selection());
    EXPECT_GE(selected.top, view_->scrollPosition());
    EXPECT_LE(selected.bottom, view_->scrollPosition() + view_->pageHeight());

    press(VK_END);
    host_.calls.clear();
    press(VK_DOWN);
    EXPECT_EQ(host_.calls, std::vector<std::string>{"leave down"});
    press(VK_LEFT);
    press(VK_RIGHT);
    press(VK_ESCAPE);
    EXPECT_EQ(host_.calls.size(), 4u);
    EXPECT_EQ(host_.calls[1], "key " + std::to_string(VK_LEFT));
    EXPECT_EQ(host_.calls[3], "key " + std::to_string(VK_ESCAPE));
    EXPECT_EQ(view_->selection(), 39u) << "Left, Right and Back do not move the selection";

    keyDown(VK_UP);
    keyDown(VK_UP, true);
    keyUp(VK_UP);
    paint();
    EXPECT_EQ(host_.calls.back(), "key " + std::to_string(VK_UP) + " repeat") << "auto-repeats are marked";
}

TEST_F(MessageViewTest, AMessagesMenuCopiesItsTextAndOpensItsLinksInOrder) {
    HCONTACT bob = contact("Bob");
    show(bob, "plans: www.example.org/plan and https://maps.example/x?y=1\r\nsee you");
    setFocus(view_->hwnd());
    std::vector<MessageItem::MenuEntry> entries = messageAt(0).menuEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, "Copy to Clipboard");
    EXPECT_EQ(entries[1].text, "www.example.org/plan");
    EXPECT_EQ(entries[1].command, 100);
    EXPECT_EQ(entries[2].text, "https://maps.example/x?y=1");

    {
        ModalAnswers answers;
        answers.chooseMenuEntry("Copy to Clipboard");
        press(VK_RETURN);
        ASSERT_EQ(answers.asked().size(), 1u) << "Enter opens the selected item's menu";
        Rect item = view_->extent(0).offset(0, -view_->scrollPosition());
        EXPECT_EQ(answers.asked()[0].at, clientToScreen(view_->hwnd(), {item.left + 5, item.top + 5}))
            << "at the item's top-left corner";
    }
    EXPECT_EQ(clipboardText(), "plans: www.example.org/plan and https://maps.example/x?y=1\r\nsee you");

    clearShellOpenRecord();
    {
        ModalAnswers answers;
        answers.chooseMenuEntry("https://maps.example/x?y=1");
        press(VK_APPS);
    }
    ASSERT_EQ(shellOpenRecord().size(), 1u);
    EXPECT_EQ(shellOpenRecord()[0].target, "https://maps.example/x?y=1");

    // Other content kinds offer their own first entry and no links.
    show(bob, "www.not-a-link.example", "audio/x-speex");
    show(bob, "\xFF\xD8", "image/jpeg");
    show(bob, "x", "application/x-unknown");
    EXPECT_EQ(messageAt(1).menuEntries().size(), 1u);
    EXPECT_EQ(messageAt(1).menuEntries()[0].text, "Play");
    EXPECT_EQ(messageAt(2).menuEntries()[0].text, "View");
    EXPECT_EQ(messageAt(3).menuEntries()[0].text, "Copy to Clipboard");

    // "View" hands the picture, written to the temporary folder, to the shell.
    clearShellOpenRecord();
    {
        ModalAnswers answers(true); // the viewer says the picture is damaged
        messageAt(2).runCommand(kCommandView);
    }
    ASSERT_EQ(shellOpenRecord().size(), 1u);
    EXPECT_EQ(std::filesystem::path(shellOpenRecord()[0].target).filename(), "image.jpg");
}

TEST_F(MessageViewTest, TapsSelectAndADoubleTapPlaysAVoiceMessage) {
    HCONTACT bob = contact("Bob");
    show(bob, "first");
    show(bob, "\x02\x00ab", "audio/x-speex");
    show(bob, "third");
    paint();
    Rect voice = view_->extent(1).offset(0, -view_->scrollPosition());
    Point at = clientToScreen(view_->hwnd(), {voice.left + 60, voice.top + 5});
    tapAt(at);
    EXPECT_EQ(view_->selection(), 1u);
    EXPECT_EQ(focusWindow(), view_->hwnd()) << "a tap gives the view the focus";
    EXPECT_TRUE(host_.played.empty()) << "a single tap only selects";
    tapAt(at);
    ASSERT_EQ(host_.played.size(), 1u) << "the second tap of a double tap plays";
    EXPECT_EQ(host_.played[0], messageAt(1).message());
}

TEST_F(MessageViewTest, AReceivedTextShowsOnlyWhenWholeAndThenPushesLaterItemsDown) {
    HCONTACT bob = contact("Bob");
    HMESSAGE long_ = message(bob, std::string(500, 'a'), "text/plain", RY_ORIGIN_LIVE, false);
    RY_MessageData announce{};
    announce.size = sizeof announce;
    announce.flags = RY_MESSAGE_TOTAL_LENGTH;
    announce.totalLength = 500 + 38 * 512;
    RY_SetMessageData(long_, &announce);
    view_->append(long_);
    view_->appendStatusLine("You have logged in.");
    int before = view_->extent(0).height();
    EXPECT_EQ(messageStateText(messageAt(0).snapshot(), true, unixNow()), "Receiving");

    std::string chunk(512, ' ');
    auto next = [&](int i, bool last) {
        for (size_t j = 0; j < chunk.size(); ++j)
            chunk[j] = (j % 7 == 6) ? ' ' : char('a' + (i + j) % 26);
        RY_ContinueMessage(long_, chunk.data(), static_cast<int32_t>(chunk.size()), last);
    };
    for (int i = 0; i < 37; ++i)
        next(i, false);
    paint();
    EXPECT_EQ(view_->extent(0).height(), before) << "half a text shows no text";
    EXPECT_FALSE(messageAt(0).textShown());
    EXPECT_EQ(messageAt(0).menuEntries().size(), 1u) << "no links of half a text";
    setClipboardText("before");
    messageAt(0).runCommand(kCommandCopy);
    EXPECT_EQ(clipboardText(), "before") << "half a text is not copied either";
    ASSERT_TRUE(messageProgress(messageAt(0).snapshot()));
    EXPECT_EQ(messageProgress(messageAt(0).snapshot())->done, 500 + 37 * 512);
    screenshot("message_view_receiving");

    next(37, true);
    paint();
    EXPECT_TRUE(messageAt(0).textShown());
    EXPECT_GT(view_->extent(0).height(), before * 10) << "the bubble takes the whole text";
    expectContiguous();
    EXPECT_EQ(view_->selection(), 1u);
    EXPECT_EQ(view_->scrollPosition(), view_->contentHeight() - view_->pageHeight())
        << "the end stays in sight while the message above grows";
    EXPECT_EQ(messageAt(0).snapshot().dataLength, 500 + 38 * 512);
    RY_ReleaseMessage(long_);

    // A voice message being recorded grows too, and says so.
    HMESSAGE voice = message(nullptr, "", "audio/x-speex", RY_ORIGIN_LOCAL, false);
    view_->append(voice);
    EXPECT_EQ(messageStateText(messageAt(2).snapshot(), true, unixNow()), "Creating");
    RY_ContinueMessage(voice, "\x02\x00xy", 4, 1);
    EXPECT_EQ(messageStateText(messageAt(2).snapshot(), true, unixNow()), "Sending");
    RY_ServiceData offline{};
    offline.size = sizeof offline;
    offline.flags = RY_SERVICE_PRESENCE;
    offline.presence = RY_PRESENCE_OFFLINE;
    RY_SetServiceData(service_, &offline);
    EXPECT_EQ(messageStateText(messageAt(2).snapshot(), false, unixNow()), "Pending");
    screenshot("message_view_growing");
    RY_ReleaseMessage(voice);
}

TEST_F(MessageViewTest, AVeryLongMessageIsReadScreenByScreenAndCopiedWhole) {
    HCONTACT bob = contact("Bob");
    std::string text;
    while (text.size() < 200 * 1024)
        text += "word" + std::to_string(text.size() % 97) + " ";
    show(bob, "before");
    show(bob, text);
    show(bob, "after");
    const ViewMetrics& m = view_->metrics();
    int tall = view_->extent(1).height();
    EXPECT_GT(tall, 20 * view_->pageHeight());
    // Only the beginning is laid out: a megabyte would stall the view.
    EXPECT_LT(tall, 2 * MessageItem(*view_, messageAt(1).message()).height(m, 240) + 1);

    setFocus(view_->hwnd());
    press(VK_UP); // onto the long one, from below: its end shows first
    EXPECT_EQ(view_->selection(), 1u);
    Rect e = view_->extent(1);
    EXPECT_EQ(view_->scrollPosition(), e.bottom - view_->pageHeight());
    int steps = 0;
    while (view_->selection() == 1 && steps < 1000) {
        press(VK_UP);
        ++steps;
    }
    EXPECT_GT(steps, 20) << "Up scrolls through the message a screen at a time before it moves on";
    EXPECT_EQ(view_->selection(), 0u);
    paint();

    ModalAnswers answers;
    answers.chooseMenuEntry("Copy to Clipboard");
    press(VK_DOWN);
    press(VK_RETURN);
    EXPECT_EQ(clipboardText(), text) << "the menu copies the whole text, not what is shown";
}

TEST_F(MessageViewTest, AThousandMessagesLayOutOneBelowTheOtherAndTapsFindTheirItem) {
    HCONTACT bob = contact("Bob");
    HCONTACT cat = contact("Cat");
    for (int i = 0; i < 1000; ++i) {
        if (i % 100 == 99)
            view_->appendStatusLine("status " + std::to_string(i));
        else
            show(i % 3 ? bob : cat, "message " + std::to_string(i));
    }
    EXPECT_EQ(view_->count(), 1000u);
    expectContiguous();
    EXPECT_EQ(view_->selection(), 999u);
    paint();
    setFocus(view_->hwnd());
    press(VK_HOME);
    paint();
    for (int i = 0; i < 30; ++i)
        press(VK_NEXT);
    size_t middle = view_->selection();
    paint();
    Rect e = view_->extent(middle).offset(0, -view_->scrollPosition());
    tapAt(clientToScreen(view_->hwnd(), {100, e.top + e.height() / 2}));
    EXPECT_EQ(view_->selection(), middle);
    // Scroll-bar requests move the view by pixels.
    int at = view_->scrollPosition();
    sendMessage(view_->hwnd(), WM_VSCROLL, 1, 0);
    EXPECT_EQ(view_->scrollPosition(), at + 15);
    sendMessage(view_->hwnd(), WM_VSCROLL, 3, 0);
    EXPECT_EQ(view_->scrollPosition(), at + 165);
    sendMessage(view_->hwnd(), WM_VSCROLL, makeWParam(5, 0), 0);
    EXPECT_EQ(view_->scrollPosition(), 0);
    sendMessage(view_->hwnd(), WM_VSCROLL, 7, 0);
    EXPECT_EQ(view_->scrollPosition(), view_->contentHeight() - view_->pageHeight());
}

TEST_F(MessageViewTest, AGroupNoticeShowsAsABlueLineAndEndsTheRun) {
    HCONTACT ann = contact("Ann");
    HCONTACT bob = contact("Bob");
    show(bob, "hello");
    std::string body("\x08\0\0\0\x02\0\0\0\0\0\0\0Bob", 15);
    show(ann, body, "kestrova/x-admin");
    show(bob, "hello again");
    auto* notice = dynamic_cast<AdminItem*>(&view_->item(1));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "Ann silenced Bob");
    EXPECT_TRUE(messageAt(2).header()) << "a notice ends the run";
    EXPECT_TRUE(messageAt(0).tail());
    EXPECT_EQ(view_->extent(1).height(), view_->metrics().lineItemHeight);
}

} // namespace
} // namespace kestrova::messaging
