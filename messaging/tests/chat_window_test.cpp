// The chat window as the user meets it: opening a conversation, typing and
// sending, messages arriving in front and behind, group rights, status
// lines, the chats list, modes and keys, history from the top, and the
// plug-in's stop.
#include <gtest/gtest.h>

#include "chat_scene.h"
#include "chats_list.h"
#include "history_items.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/menu_bar.h"
#include "line_items.h"
#include "message_item.h"
#include "view_scene.h"

namespace kestrova::messaging {
namespace {

using namespace kestrova::platform;
using testing::ChatScene;

class ChatWindowTest : public ChatScene {
  protected:
    static std::string lastShownText(ChatWindow& chat) {
        MessageView& view = chat.view();
        for (size_t i = view.count(); i-- > 0;)
            if (MessageItem* m = view.item(i).asMessage()) return m->snapshot().body;
        return "";
    }
    static std::string lastLine(ChatWindow& chat) {
        MessageView& view = chat.view();
        for (size_t i = view.count(); i-- > 0;)
            if (auto* line = dynamic_cast<LineItem*>(&view.item(i))) return line->text();
        return "";
    }
};

TEST_F(ChatWindowTest, OpeningAChatShowsItInFrontAndOpeningItAgainBringsTheSameWindow) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(foregroundWindow(), chat->hwnd());
    EXPECT_EQ(className(chat->hwnd()), "RY_CHATWINDOW");
    EXPECT_EQ(windowText(chat->hwnd()), "Bob");
    EXPECT_EQ(navBarTextOf(chat->hwnd()), "Bob");
    EXPECT_EQ(ownerOf(chat->hwnd()), main_.hwnd());
    auto bar = menuBarOf(chat->hwnd());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->left.label, "Chats");
    EXPECT_EQ(bar->right.label, "Close");
    EXPECT_TRUE(backKeyOverridden(chat->hwnd()));
    EXPECT_EQ(focusWindow(), chat->textInput().hwnd());
    EXPECT_TRUE(chat->view().hasHistoryMarker()) << "the user's own service keeps history";
    EXPECT_EQ(currentTab(chat->modes().hwnd()), 0);

    setForegroundWindow(main_.hwnd());
    pump();
    EXPECT_EQ(openChat(bob_), chat);
    EXPECT_EQ(plugin_->session()->registry().size(), 1u);
    EXPECT_EQ(foregroundWindow(), chat->hwnd());

    screenshot(*chat, "chat_window_opened");
    arrives(bob_, "Are you coming tonight? The address is www.example.org/party");
    press(VK_UP); // to the messages: the input shows its cue, the newest message its selection
    EXPECT_EQ(focusWindow(), chat->view().hwnd());
    screenshot(*chat, "chat_window_reading");
}

TEST_F(ChatWindowTest, EnterSendsWhatWasTypedToTheConversationAndShiftEnterBreaksTheLine) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    press(VK_RETURN);
    EXPECT_TRUE(sent_.empty()) << "an empty field sends nothing";

    type("see you at eight");
    keyDown(VK_SHIFT);
    press(VK_RETURN);
    keyUp(VK_SHIFT);
    type("bring cake");
    keyDown(VK_CONTROL);
    press(VK_RETURN);
    keyUp(VK_CONTROL);
    std::string typed = chat->textInput().text();
    EXPECT_NE(typed.find("ee you at eight\r\n"), std::string::npos) << typed;
    EXPECT_TRUE(sent_.empty()) << "Ctrl+Enter does nothing";

    press(VK_RETURN);
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0].target, bob_);
    EXPECT_FALSE(sent_[0].isGroup);
    EXPECT_EQ(sent_[0].contentType, "text/plain");
    EXPECT_EQ(sent_[0].body, typed);
    EXPECT_TRUE(sent_[0].complete);
    EXPECT_TRUE(chat->textInput().empty()) << "the field is cleared";
    EXPECT_EQ(lastShownText(*chat), typed) << "the window shows what it sent";
    type("and more");
    press(VK_RETURN);
    ASSERT_EQ(sent_.size(), 2u);
    EXPECT_EQ(sent_[1].body.find("ee you"), std::string::npos)
        << "the next one starts afresh: " << sent_[1].body;
    EXPECT_TRUE(chat->view().item(chat->view().count() - 1).asMessage()->own());
}

TEST_F(ChatWindowTest, AMessageInFrontIsNeverUnreadAndOneBehindWaitsUntilTheWindowIsBack) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    size_t before = chat->view().count();
    arrives(bob_, "are you there?");
    EXPECT_EQ(chat->view().count(), before + 1);
    EXPECT_EQ(lastShownText(*chat), "are you there?");
    EXPECT_EQ(unread(), 0) << "seen at once, never counted";

    arrives(cat_, "a message for another chat");
    EXPECT_EQ(chat->view().count(), before + 1);
    EXPECT_EQ(unread(), 1);

    setForegroundWindow(main_.hwnd());
    pump();
    arrives(bob_, "hello?");
    arrives(bob_, "hello??");
    EXPECT_EQ(chat->view().count(), before + 1) << "behind the main window: not shown";
    EXPECT_EQ(unread(), 3);
    std::vector<ChatsListEntry> entries = chatsListEntries(plugin_->session()->registry());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[entries[0].conversation == bob_ ? 0 : 1].text, "Bob (2)");

    openChat(bob_);
    EXPECT_EQ(chat->view().count(), before + 3);
    EXPECT_EQ(lastShownText(*chat), "hello??");
    EXPECT_EQ(unread(), 1) << "only Cat's message is left";
}

TEST_F(ChatWindowTest, ASilencedMemberCannotTalkUntilANoticeLiftsIt) {
    uint32_t silenced = 8;
    RY_SetGroupMember(group_.get(), me_, &silenced);
    ChatWindow* chat = openGroupChat(group_.get());
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(windowText(chat->hwnd()), "Demo group");
    HWND label = childById(chat->hwnd(), ChatWindow::kLabel);
    EXPECT_TRUE(isVisible(label));
    EXPECT_EQ(windowText(label), "You may not currently talk in this group.");
    EXPECT_FALSE(isVisible(chat->textInput().hwnd()));
    EXPECT_FALSE(isEnabled(chat->textInput().hwnd()));

    uint32_t member = 0;
    RY_SetGroupMember(group_.get(), me_, &member);
    std::string notice("\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00"
                       "Ann",
                       15);
    arrives(bob_, notice, group_.get(), "kestrova/x-admin");
    EXPECT_FALSE(isVisible(label));
    EXPECT_TRUE(isVisible(chat->textInput().hwnd()));
    EXPECT_TRUE(isEnabled(chat->textInput().hwnd()));
    EXPECT_EQ(lastLine(*chat), "Bob reset Ann");

    // A group's message goes to the group.
    setFocus(chat->textInput().hwnd());
    type("thanks");
    press(VK_RETURN);
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0].target, group_.get());
    EXPECT_TRUE(sent_[0].isGroup);
}

TEST_F(ChatWindowTest, StatusLinesFollowTheService) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    setPresence(RY_PRESENCE_OFFLINE);
    pump();
    EXPECT_EQ(lastLine(*chat), "You were disconnected.");
    size_t count = chat->view().count();
    setPresence(RY_PRESENCE_OFFLINE);
    EXPECT_EQ(chat->view().count(), count) << "said once";
    setPresence(RY_PRESENCE_ONLINE);
    EXPECT_EQ(lastLine(*chat), "You have logged in.");
}

TEST_F(ChatWindowTest, TheChatsListPutsContactsFirstAndOpensWhatIsChosen) {
    {
        ModalAnswers answers;
        answers.chooseMenuEntry("Contact List");
        bus::call(names::kMessagingPopupChatsList, main_.hwnd());
        ASSERT_EQ(answers.asked().size(), 1u);
    }
    EXPECT_EQ(chatsListEntries(plugin_->session()->registry()).size(), 0u);

    ChatWindow* bobChat = openChat(bob_);
    arrives(cat_, "one");
    arrives(me_, "from myself elsewhere");
    arrives(bob_, "in the group", group_.get());
    std::vector<ChatsListEntry> entries = chatsListEntries(plugin_->session()->registry());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_FALSE(entries[0].isGroup);
    EXPECT_FALSE(entries[2].isGroup);
    EXPECT_TRUE(entries[3].isGroup);
    EXPECT_EQ(entries[3].text, "Demo group (1)");
    for (const ChatsListEntry& e : entries)
        EXPECT_EQ(e.current, e.conversation == bob_) << e.text;

    {
        ModalAnswers answers;
        answers.chooseMenuEntry("Cat (1)");
        press(VK_F1); // the Chats soft key of the chat window
        ASSERT_EQ(answers.asked().size(), 1u);
    }
    pump();
    ChatWindow* catChat = plugin_->session()->registry().find(cat_);
    ASSERT_NE(catChat, nullptr);
    EXPECT_EQ(foregroundWindow(), catChat->hwnd());
    EXPECT_FALSE(isVisible(bobChat->hwnd())) << "the other chats are put away";
    EXPECT_EQ(lastShownText(*catChat), "one");
}

TEST_F(ChatWindowTest, ArrowsChangeTheModeTypingAnywhereTypesAndBackCloses) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    press(VK_RIGHT);
    EXPECT_EQ(currentTab(chat->modes().hwnd()), 1);
    EXPECT_FALSE(isVisible(chat->textInput().hwnd()));
    EXPECT_TRUE(isVisible(childById(chat->hwnd(), ChatWindow::kVoice)));
    press(VK_RIGHT);
    press(VK_RIGHT);
    EXPECT_EQ(currentTab(chat->modes().hwnd()), 2) << "no wrapping past the last tab";
    EXPECT_TRUE(isVisible(childById(chat->hwnd(), ChatWindow::kPhoto)));
    press(VK_LEFT);
    press(VK_LEFT);
    EXPECT_EQ(currentTab(chat->modes().hwnd()), 0);
    EXPECT_TRUE(isVisible(chat->textInput().hwnd()));

    // The tabs have the focus; typing lands in the text input.
    EXPECT_EQ(focusWindow(), chat->modes().hwnd());
    type("ok");
    EXPECT_EQ(focusWindow(), chat->textInput().hwnd());
    EXPECT_FALSE(chat->textInput().empty());
    // From the messages too; the character of Enter stays there.
    setFocus(chat->view().hwnd());
    sendMessage(chat->view().hwnd(), WM_CHAR, '\r', 1);
    EXPECT_EQ(focusWindow(), chat->view().hwnd());
    type("!");
    EXPECT_EQ(focusWindow(), chat->textInput().hwnd());

    // Back deletes while there is text, then closes the chat.
    for (int i = 0; i < 5; ++i)
        press(VK_ESCAPE);
    EXPECT_EQ(plugin_->session()->registry().size(), 0u);
    EXPECT_FALSE(isWindow(chat->hwnd()));
}

TEST_F(ChatWindowTest, UpOnTheHistoryMarkerAsksForOlderMessagesAfterAQuarterSecond) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    arrives(bob_, "latest");
    press(VK_UP); // from the input to the messages
    EXPECT_EQ(focusWindow(), chat->view().hwnd());
    press(VK_HOME);
    press(VK_UP);
    press(VK_UP);
    press(VK_UP);
    EXPECT_EQ(chat->history().placeholders(), 3);
    EXPECT_TRUE(historyRequests_.empty());
    clock_->advance(std::chrono::milliseconds(260));
    pump();
    ASSERT_EQ(historyRequests_.size(), 1u);
    EXPECT_EQ(historyRequests_[0].count, -3);
    EXPECT_EQ(historyRequests_[0].conversation, bob_);
    int32_t follows[2] = {0, 0};
    historyRequests_[0].callback(historyRequests_[0].context, follows);
    arrives(bob_, "older", nullptr, "text/plain", RY_ORIGIN_HISTORY);
    int32_t done[2] = {8, 0};
    historyRequests_[0].callback(historyRequests_[0].context, done);
    EXPECT_FALSE(chat->view().hasHistoryMarker());
    EXPECT_EQ(chat->view().item(0).asMessage()->snapshot().body, "older");

    bus::set(names::kConnectionState, 0);
    chat->view().prepend(std::make_shared<HistoryMarkerItem>(chat->view()));
    press(VK_UP);
    EXPECT_EQ(chat->history().placeholders(), 0) << "signed out: nothing is asked";
}

TEST_F(ChatWindowTest, StoppingClosesEveryChatAndTakesTheChatsListOffTheBus) {
    openChat(bob_);
    openGroupChat(group_.get());
    EXPECT_EQ(plugin_->session()->registry().size(), 2u);
    EXPECT_TRUE(bus::provided(names::kMessagingPopupChatsList));
    plugin_->Stop();
    EXPECT_EQ(plugin_->started, 0);
    EXPECT_TRUE(findWindows({.className = "RY_CHATWINDOW"}).empty());
    EXPECT_FALSE(bus::provided(names::kMessagingPopupChatsList));
    bus::raise(names::kMessagingChatContact, bob_);
    pump();
    EXPECT_TRUE(findWindows({.className = "RY_CHATWINDOW"}).empty()) << "a stopped plug-in opens nothing";
    plugin_->Start();
    EXPECT_NE(openChat(bob_), nullptr);
}

} // namespace
} // namespace kestrova::messaging
