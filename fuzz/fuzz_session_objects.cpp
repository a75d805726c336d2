// What the session objects make of whatever the server sends them: message
// chunks ("MESG", "BRIDGE MESG"), profiles ("SUB PROFILE", at logon and
// later), "GROUP UPDATE" and "GROUP ADMIN". The first byte picks the state
// the packets arrive in; the rest is a byte stream cut into packets and
// dispatched by the connection as the socket would. Nothing may crash,
// unfinished messages stay within their bound, and stopping the connection
// leaves no contact behind.
#include "connection.h"
#include "fuzz_core_state.h"
#include "message_sender.h"
#include "session_sync.h"

#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/net/mailbox_window.h"
#include "kestrova/wire/packet_receiver.h"

#include <stdlib.h>

#include <cstdlib>
#include <string_view>
#include <vector>

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::fuzz::useOwnSettingsFolder;

namespace {

constexpr int32_t kStates[] = {kStateLogonSent, kStateLoadingContacts, kStateStoredMessages, kStateOnline};

// Each input starts from an empty group table and empty unread lists
// (cleaning up the whole core state would write the settings every time).
void forgetGroupsAndUnread() {
    uint64_t id = 0;
    while (RY_EnumGroupsBegin(&id)) RY_DeleteGroup(id);
    auto drain = [](void* key, int32_t isGroup) {
        uint32_t count = static_cast<uint32_t>(RY_GetUnreadMessageCount(key, isGroup));
        std::vector<HMESSAGE> messages(count);
        RY_GetUnreadMessageHandles(key, isGroup, messages.data(), &count, 1);
        for (uint32_t i = 0; i < count; ++i) RY_ReleaseMessage(messages[i]);
    };
    for (int32_t isGroup : {0, 1}) {
        for (;;) {
            void* key = nullptr;
            uint32_t count = 1;
            if (isGroup)
                RY_GetUnreadGroups(reinterpret_cast<HGROUP*>(&key), &count);
            else
                RY_GetUnreadContacts(reinterpret_cast<HCONTACT*>(&key), &count);
            if (count == 0) break;
            drain(key, isGroup);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    useOwnSettingsFolder();
    kestrova::kit::writeSetting(kestrova::settings::kPassword, "");
    RY_SetVariantLong("connection.state", kStateOffline);
    net::MailboxWindow window;
    RecordedAlerts alerts;
    RecordedPower power;
    IncomingLimits limits;
    limits.maxPartial = 8;
    limits.maxMessageBytes = 4096;
    SessionSync objects(limits);
    {
        Connection connection(ConnectionEnvironment{window, alerts, power, objects, false});
        objects.attach(connection);
        MessageSender sender(objects.link());
        RY_SetVariantLong("connection.state", kStates[data[0] % std::size(kStates)]);
        wire::ReaderLimits readerLimits;
        readerLimits.maxBody = 64 * 1024;
        wire::PacketReceiver receiver(readerLimits);
        receiver.append(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
        wire::Packet packet;
        while (receiver.next(packet) == wire::ReadStatus::Complete) {
            connection.onPacket(packet);
            if (objects.incoming().partialCount() > limits.maxPartial) std::abort();
        }
    }
    if (objects.contacts().size() != 0 || objects.incoming().partialCount() != 0) std::abort();
    objects.detach();
    forgetGroupsAndUnread();
    return 0;
}
