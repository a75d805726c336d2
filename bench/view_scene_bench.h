// A message view on the headless screen with messages of a few senders, for
// the message-view benchmarks: the same code the chat window shows.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kestrova/api.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "message_view.h"

namespace kestrova::bench {

class ViewBenchScene {
  public:
    ViewBenchScene() {
        char pattern[] = "/tmp/kestrova-bench-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
        ::setenv("KESTROVA_RESOURCES",
                 (platform::programFolder().parent_path() / "bin" / "resources").c_str(), 1);
        for (const char* nick : {"Bob", "Cat", "Dan"}) {
            RY_ContactData data{};
            data.size = sizeof data;
            data.flags = RY_CONTACT_ID | RY_CONTACT_NICKNAME;
            data.contactId = 100 + contacts_.size();
            data.nickname = nick;
            contacts_.push_back(RY_CreateContact(&data));
        }
    }
    ~ViewBenchScene() {
        platform::destroyWindow(frame_);
        for (HMESSAGE m : messages_)
            RY_ReleaseMessage(m);
        for (HCONTACT c : contacts_)
            RY_ReleaseContact(c);
        RY_API_Cleanup();
        std::filesystem::remove_all(home_);
    }

    std::unique_ptr<messaging::MessageView> makeView() {
        auto view = std::make_unique<messaging::MessageView>(
            host_, messaging::ViewMetrics::forDpi(platform::screenDpi()));
        if (!frame_) {
            platform::registerClass({"ViewBenchFrame", &platform::defWindowProc, 0, 0xFFFFFF});
            frame_ = platform::createWindow({"ViewBenchFrame", "Chat", platform::WS_VISIBLE,
                                             platform::workArea(), nullptr, nullptr, 0, nullptr});
        }
        view->create(frame_, platform::clientRect(frame_), 1);
        return view;
    }

    // The i-th message of a conversation: one to three lines of text from
    // one of three senders, or the user's own.
    HMESSAGE message(size_t i) {
        while (messages_.size() <= i)
            messages_.push_back(make(messages_.size()));
        return messages_[i];
    }
    // The text of the i-th message.
    static std::string text(size_t i) {
        static const char* words[] = {"see", "you",  "at", "eight", "tonight",
                                      "the", "cake", "is", "ready", "ok"};
        std::string out;
        for (size_t w = 0; w < 4 + (i * 7) % 18; ++w) {
            if (!out.empty()) out += ' ';
            out += words[(i + w * 3) % 10];
        }
        return out;
    }

  private:
    HMESSAGE make(size_t i) {
        std::string body = text(i);
        RY_MessageData data{};
        data.size = sizeof data;
        data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_CONTENT_TYPE |
                     RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE | RY_MESSAGE_ORIGIN;
        data.messageId = i + 1;
        data.contact = i % 4 == 3 ? nullptr : contacts_[i % 3];
        data.target = contacts_[0];
        data.contentType = "text/plain";
        data.data = body.data();
        data.dataLength = static_cast<int32_t>(body.size());
        data.complete = 1;
        data.origin = data.contact ? RY_ORIGIN_LIVE : RY_ORIGIN_LOCAL;
        return RY_CreateMessage(&data);
    }

    std::filesystem::path home_;
    platform::HWND frame_ = nullptr;
    messaging::ViewHost host_;
    std::vector<HCONTACT> contacts_;
    std::vector<HMESSAGE> messages_;
};

} // namespace kestrova::bench
