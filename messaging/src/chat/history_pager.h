// Paging back through a conversation's history from the top of its view.
// Each press of Up on the history marker (or a tap on it) puts a "Please
// Wait" placeholder under the marker; presses within 250 ms become one
// request to the connection for that many older messages, which arrive
// newest first and take the placeholders' places from the bottom up, so the
// view ends in time order. When the request ends, placeholders left over go;
// the marker goes for good once the server says there is nothing older.
//
// Request state: idle -> requested (the timer asked) -> receiving (the
// server said messages follow) -> idle (any other answer).
#pragma once

#include <cstdint>

#include "kestrova/api.h"

namespace kestrova::messaging {

class MessageView;

// What the pager needs of the world around its chat window.
class HistoryLink {
  public:
    virtual ~HistoryLink() = default;
    // Signed in: "connection.state" is 100.
    virtual bool signedIn() = 0;
    // The connection plug-in is there to ask.
    virtual bool connectionPresent() = 0;
    // "Connection/RequestMessageHistory"; true when the request was made.
    virtual bool requestHistory(RY_HistoryRequest& request) = 0;
    // Timer 1 of the chat window, every 250 ms until stopped.
    virtual void startBatchTimer() = 0;
    virtual void stopBatchTimer() = 0;
};

enum class HistoryState { kIdle, kRequested, kReceiving };

class HistoryPager {
  public:
    static constexpr uint32_t kBatchMs = 250;

    HistoryPager(MessageView& view, HistoryLink& link, void* conversation, bool isGroup);
    ~HistoryPager();
    HistoryPager(const HistoryPager&) = delete;
    HistoryPager& operator=(const HistoryPager&) = delete;

    // Up on the selected marker, or the marker activated. Nothing while
    // signed out.
    void trigger();
    // Timer 1.
    void onBatchTimer();
    // A history message ("messages.new" with origin 3); false when none was
    // asked for, and the message is not shown.
    bool receive(HMESSAGE message);
    // The oldest server time this window has shown: history starts there.
    void noteServerTime(RY_MessageTime time);

    HistoryState state() const { return state_; }
    int placeholders() const { return placeholders_; }
    int requested() const { return requested_; }
    RY_MessageTime oldest() const { return oldest_; }

  private:
    static void onStatus(void* context, const int32_t* status);
    void finish(int32_t code, int32_t high);
    void removePlaceholders(bool keepMarker);

    MessageView& view_;
    HistoryLink& link_;
    void* conversation_;
    bool isGroup_;
    uint32_t id_;
    HistoryState state_ = HistoryState::kIdle;
    int placeholders_ = 0;
    int requested_ = 0;
    RY_MessageTime oldest_{0x7FFFFFFF, 0};
};

} // namespace kestrova::messaging
