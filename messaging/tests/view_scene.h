// A message view on the headless screen, in a window of its own, with the
// core API's contacts and messages to show and a host that records what the
// view asked of its chat window. One scene per test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kestrova/api.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "kestrova/ui/window_base.h"
#include "message_view.h"
#include "view_environment.h"

namespace kestrova::messaging::testing {

// What the view asked of its chat window.
struct RecordingHost : ViewHost {
    std::vector<std::string> calls;
    std::vector<HMESSAGE> played;
    void viewKey(uint32_t key, bool repeat) override {
        calls.push_back("key " + std::to_string(key) + (repeat ? " repeat" : ""));
    }
    void leaveView(bool upwards) override { calls.push_back(upwards ? "leave up" : "leave down"); }
    void historyMarkerActivated() override { calls.push_back("history"); }
    void queueForPlayback(HMESSAGE message) override {
        calls.push_back("play");
        played.push_back(message);
    }
};

// The top-level window the view lives in.
class Frame : public ui::WindowBase {
  public:
    bool make(const platform::Rect& rect) {
        return create("Chat", platform::WS_VISIBLE | platform::WS_CLIPCHILDREN, rect, nullptr);
    }
};

class ViewScene : public ::testing::Test {
  protected:
    void SetUp() override {
        useTestEnvironment();
        char pattern[] = "/tmp/kestrova-messaging-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home_.c_str(), 1);
        clock_ = std::make_unique<platform::VirtualClock>(localTime(2024, 6, 15, 10, 0));
        RY_ServiceData service{};
        service.size = sizeof service;
        service.flags = RY_SERVICE_TEXT1 | RY_SERVICE_TEXT3 | RY_SERVICE_PRESENCE;
        service.text1 = "me@example.org";
        service.text3 = "Me";
        service.presence = RY_PRESENCE_ONLINE;
        service_ = RY_CreateService(&service);
        ASSERT_TRUE(frame_.make(platform::workArea()));
        platform::Rect client = platform::clientRect(frame_.hwnd());
        view_ = std::make_unique<MessageView>(host_, ViewMetrics::forDpi(platform::screenDpi()));
        ASSERT_TRUE(view_->create(frame_.hwnd(), client, 1));
    }
    void TearDown() override {
        view_.reset();
        platform::destroyWindow(frame_.hwnd());
        for (HCONTACT contact : contacts_)
            RY_ReleaseContact(contact);
        RY_ReleaseService(service_);
        RY_API_Cleanup();
        clock_.reset();
        std::filesystem::remove_all(home_);
    }

    HCONTACT contact(const char* nickname) {
        contacts_.push_back(makeContact(service_, nickname, 100 + contacts_.size()));
        return contacts_.back();
    }

    // A message as the connection makes one: from a contact (null: the
    // user's own), complete, with the clock's time. The caller releases it.
    HMESSAGE message(HCONTACT from, std::string_view body, const char* type = "text/plain",
                     int32_t origin = RY_ORIGIN_LIVE, bool complete = true) {
        RY_MessageData data{};
        data.size = sizeof data;
        data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_CONTENT_TYPE |
                     RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE | RY_MESSAGE_ORIGIN | RY_MESSAGE_TIMES;
        data.messageId = RY_GetLUID();
        data.contact = from;
        data.target = from ? from : (contacts_.empty() ? contact("Bob") : contacts_.front());
        data.contentType = type;
        data.data = body.data();
        data.dataLength = static_cast<int32_t>(body.size());
        data.complete = complete;
        data.origin = from ? origin : RY_ORIGIN_LOCAL;
        platform::UnixTime now = platform::unixNow();
        data.serverTime = data.localTime = {static_cast<uint32_t>(now.seconds), 0};
        return RY_CreateMessage(&data);
    }
    // Shows a message at the end of the view and lets go of it.
    void show(HCONTACT from, std::string_view body, const char* type = "text/plain",
              int32_t origin = RY_ORIGIN_LIVE) {
        HMESSAGE m = message(from, body, type, origin);
        view_->append(m);
        RY_ReleaseMessage(m);
    }

    void paint() { platform::pumpPendingMessages(); }
    // Input as the device delivers it, handled before the call returns.
    void press(uint32_t key) {
        platform::pressKey(key);
        platform::pumpPendingMessages();
    }
    void tapAt(platform::Point screen) {
        platform::tap(screen);
        platform::pumpPendingMessages();
    }
    void screenshot(const std::string& name) {
        paint();
        ASSERT_TRUE(platform::saveScreenPng(screenshotFolder() / (name + ".png")));
    }
    MessageItem& messageAt(size_t index) {
        MessageItem* item = view_->item(index).asMessage();
        EXPECT_NE(item, nullptr) << "item " << index << " is not a message";
        return *item;
    }
    // Every item starts where the one above it ends.
    void expectContiguous() {
        int top = 0;
        for (size_t i = 0; i < view_->count(); ++i) {
            platform::Rect e = view_->extent(i);
            EXPECT_EQ(e.top, top) << "item " << i;
            EXPECT_EQ(e.height(), view_->item(i).height(view_->metrics(), e.width())) << "item " << i;
            top = e.bottom;
        }
        EXPECT_EQ(view_->contentHeight(), top);
    }

    std::filesystem::path home_;
    std::unique_ptr<platform::VirtualClock> clock_;
    HSERVICE service_ = nullptr;
    std::vector<HCONTACT> contacts_;
    RecordingHost host_;
    Frame frame_;
    std::unique_ptr<MessageView> view_;
};

} // namespace kestrova::messaging::testing
