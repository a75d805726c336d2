// A SessionObjects that only counts what the connection gave it: for tests
// of the connection's own behaviour, apart from what the session's objects
// do with it.
#pragma once

#include "session_objects.h"

namespace kestrova::connection {

class CountingSessionObjects final : public SessionObjects {
public:
    void loadContacts(HDATAMAP) override { ++contactLoads; }
    void loadGroupsAndOwnData(HDATAMAP) override { ++groupLoads; }
    void applyProfileUpdate(const wire::Packet&) override { ++profileUpdates; }
    void receiveMessageChunk(const wire::Packet&) override { ++messageChunks; }
    void endSession() override { ++sessionsEnded; }
    void removeAll() override { ++removals; }

    int contactLoads = 0;
    int groupLoads = 0;
    int profileUpdates = 0;
    int messageChunks = 0;
    int sessionsEnded = 0;
    int removals = 0;
};

}  // namespace kestrova::connection
