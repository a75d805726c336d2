// The harness's client: prints the connection's state and every message that
// arrives, and carries out the line commands (see docs/HARNESS.md).
#pragma once

#include <string>
#include <vector>

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "outgoing_watch.h"

namespace kestrova::harness {

class SessionDriver {
public:
    SessionDriver();
    ~SessionDriver();
    SessionDriver(const SessionDriver&) = delete;
    SessionDriver& operator=(const SessionDriver&) = delete;

    // Carries out one command line; "quit" ends the message loop.
    void handle(const std::string& line);

private:

    void printState();
    void printContacts();
    void printGroups();
    void send(const std::vector<std::string>& words, bool toGroup, bool sized, bool complete = true);
    void finish(const std::vector<std::string>& words);
    void requestHistory(const std::vector<std::string>& words, bool ofGroup);
    static void onHistoryAnswer(void* context, const int32_t* status);
    // A duplicated handle of the contact of that id, or null.
    HCONTACT findContact(uint64_t contactId);

    int32_t lastState_ = -1;
    bool quitting_ = false;
    kit::Subscription stateWatch_;
    kit::Subscription messageWatch_;
    OutgoingWatch outgoing_;
};

// What one received message looks like in the harness's output.
std::string describeMessage(HMESSAGE message);

}  // namespace kestrova::harness
