// The messaging plug-in's session in a test program, with what the shell and
// the connection would put around it: a main window, the user's own account
// (the primary service) with contacts and a group, "connection.state" online,
// the service's "GetMyHandle", a stand-in for the history request, and the
// outgoing messages caught as the connection would take them.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "chat_window.h"
#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "messaging_plugin.h"
#include "view_environment.h"

namespace kestrova::messaging::testing {

class MainWindowStandIn : public ui::WindowBase {
  public:
    bool make() { return create("Kestrova", platform::WS_VISIBLE, platform::workArea(), nullptr); }
};

struct Sent {
    void* target = nullptr;
    bool isGroup = false;
    std::string contentType;
    std::string body;
    bool complete = false;
};

class ChatScene : public ::testing::Test {
  protected:
    void SetUp() override {
        useTestEnvironment();
        char pattern[] = "/tmp/kestrova-chat-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home_.c_str(), 1);
        clock_ = std::make_unique<platform::VirtualClock>(localTime(2024, 6, 15, 10, 0));

        primary_ = kit::OwnedService(RY_GetPrimaryService());
        setPresence(RY_PRESENCE_ONLINE);
        RY_ServiceData account{};
        account.size = sizeof account;
        account.flags = RY_SERVICE_TEXT1 | RY_SERVICE_TEXT3;
        account.text1 = "ann@example.org";
        account.text3 = "Ann";
        RY_SetServiceData(primary_.get(), &account);
        me_ = contact("Ann", 1);
        bob_ = contact("Bob", 2);
        cat_ = contact("Cat", 3);
        group_ = kit::OwnedGroup(RY_GetGroup(7));
        RY_GroupData g{};
        g.size = sizeof g;
        g.flags = RY_GROUP_NAME | RY_GROUP_SERVICE;
        g.name = "Demo group";
        g.service = primary_.get();
        RY_SetGroupData(group_.get(), &g);
        for (HCONTACT member : {me_, bob_, cat_})
            RY_AddGroupMember(group_.get(), member);

        ASSERT_TRUE(main_.make());
        bus::set(names::kCoreWindowHwnd, main_.hwnd());
        bus::set(names::kConnectionState, 100);
        bindings_.push_back(kit::registerFunction(names::kServiceGetMyHandle, primary_.get(),
                                                  [this] { return RY_DuplicateContactHandle(me_); }));
        bindings_.push_back(kit::registerFunction(names::kConnectionRequestMessageHistory,
                                                  [this](const RY_HistoryRequest* request) {
                                                      historyRequests_.push_back(*request);
                                                      return intptr_t{1};
                                                  }));
        outgoing_ = kit::subscribe(names::kMessagesNewOutgoing, [this](HMESSAGE message) {
            RY_MessageData data{};
            data.size = sizeof data;
            RY_GetMessageData(message, &data);
            sent_.push_back(
                {data.target, data.isGroup != 0, data.contentType ? data.contentType : "",
                 std::string(static_cast<const char*>(data.data), static_cast<size_t>(data.dataLength)),
                 data.complete != 0});
        });
        plugin_ = std::make_unique<MessagingPlugin>();
        plugin_->Start();
    }
    void TearDown() override {
        plugin_->Stop();
        plugin_.reset();
        outgoing_.reset();
        bindings_.clear();
        platform::destroyWindow(main_.hwnd());
        for (HCONTACT c : contacts_)
            RY_ReleaseContact(c);
        group_.reset();
        primary_.reset();
        RY_API_Cleanup();
        clock_.reset();
        std::filesystem::remove_all(home_);
    }

    HCONTACT contact(const char* nickname, uint64_t id) {
        contacts_.push_back(makeContact(primary_.get(), nickname, id));
        return contacts_.back();
    }
    void setPresence(int32_t presence) {
        RY_ServiceData data{};
        data.size = sizeof data;
        data.flags = RY_SERVICE_PRESENCE;
        data.presence = presence;
        RY_SetServiceData(primary_.get(), &data);
    }

    // A message arriving as the connection hands it over: "messages.new",
    // the unread list unless someone marked it seen, "messages.new.complete".
    void arrives(HCONTACT from, std::string_view body, HGROUP group = nullptr,
                 const char* type = "text/plain", int32_t origin = RY_ORIGIN_LIVE) {
        RY_MessageData data{};
        data.size = sizeof data;
        data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP |
                     RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE | RY_MESSAGE_ORIGIN |
                     RY_MESSAGE_TIMES;
        data.messageId = RY_GetLUID();
        data.contact = from;
        data.target = group ? static_cast<void*>(group) : static_cast<void*>(me_);
        data.isGroup = group != nullptr;
        data.contentType = type;
        data.data = body.data();
        data.dataLength = static_cast<int32_t>(body.size());
        data.complete = 1;
        data.origin = origin;
        platform::UnixTime now = platform::unixNow();
        data.serverTime = data.localTime = {static_cast<uint32_t>(now.seconds), 0};
        kit::OwnedMessage message(RY_CreateMessage(&data));
        bus::raise(names::kMessagesNew, message.get());
        RY_MessageData after{};
        after.size = sizeof after;
        RY_GetMessageData(message.get(), &after);
        if (!after.noUnread && origin != RY_ORIGIN_HISTORY) RY_UnreadMessageAdd(message.get());
        bus::raise(names::kMessagesNewComplete, message.get());
        pump();
    }

    ChatWindow* openChat(HCONTACT contact) {
        bus::raise(names::kMessagingChatContact, contact);
        pump();
        return plugin_->session()->registry().find(contact);
    }
    ChatWindow* openGroupChat(HGROUP group) {
        bus::raise(names::kMessagingChatGroup, group);
        pump();
        return plugin_->session()->registry().find(group);
    }
    static void pump() { platform::pumpPendingMessages(); }
    static void press(uint32_t key) {
        platform::pressKey(key);
        pump();
    }
    static void type(std::string_view text) {
        platform::typeText(text);
        pump();
    }
    int32_t unread() const { return bus::get(names::kMessagesUnread); }
    void screenshot(ChatWindow& chat, const std::string& name) {
        pump();
        platform::updateAllWindows();
        ASSERT_TRUE(platform::saveScreenPng(
            screenshotFolder() / (name + "_" + platform::formatScreenGeometry(platform::screen()) + ".png")));
    }

    std::filesystem::path home_;
    std::unique_ptr<platform::VirtualClock> clock_;
    kit::OwnedService primary_;
    kit::OwnedGroup group_;
    std::vector<HCONTACT> contacts_;
    HCONTACT me_ = nullptr, bob_ = nullptr, cat_ = nullptr;
    MainWindowStandIn main_;
    std::vector<kit::RegisteredFunction> bindings_;
    kit::Subscription outgoing_;
    std::vector<Sent> sent_;
    std::vector<RY_HistoryRequest> historyRequests_;
    std::unique_ptr<MessagingPlugin> plugin_;
};

} // namespace kestrova::messaging::testing
