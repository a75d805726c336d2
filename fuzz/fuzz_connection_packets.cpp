// The connection's handling of whatever the server sends: the first byte
// picks the state the packets arrive in (proxy tunnel, logon, resume,
// online), the rest is a byte stream cut into packets and handed to the
// connection's dispatch as the socket would. Nothing may crash, and the
// published state must stay one of the known values.
#include "connection.h"
#include "fuzz_core_state.h"
#include "session_sync.h"

#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/net/mailbox_window.h"
#include "kestrova/wire/packet_receiver.h"

#include <stdlib.h>

#include <cstdlib>
#include <string_view>

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::fuzz::useOwnSettingsFolder;

namespace {

constexpr int32_t kStates[] = {kStateOffline, kStateProxy, kStateLogonSent, kStateResumeSent, kStateOnline,
                               kStateStoredMessages};

bool knownState(int32_t state) {
    for (int32_t known : {0, 10, 30, 35, 40, 50, 60, 70, 100, 130, 140})
        if (state == known) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    useOwnSettingsFolder();
    // Without a stored password nothing signs in, whatever an earlier input
    // stored with "SETTING".
    kestrova::kit::writeSetting(kestrova::settings::kPassword, "");
    RY_SetVariantLong("connection.state", kStateOffline);
    net::MailboxWindow window;
    RecordedAlerts alerts;
    RecordedPower power;
    SessionSync objects;
    {
        Connection connection(ConnectionEnvironment{window, alerts, power, objects, false});
        objects.attach(connection);
        RY_SetVariantLong("connection.state", kStates[data[0] % std::size(kStates)]);
        wire::ReaderLimits limits;
        limits.maxBody = 64 * 1024;
        wire::PacketReceiver receiver(limits);
        receiver.append(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
        wire::Packet packet;
        while (receiver.next(packet) == wire::ReadStatus::Complete) {
            connection.onPacket(packet);
            if (!knownState(connection.state())) std::abort();
        }
    }
    if (RY_GetVariantLong("connection.state") != kStateOffline) std::abort();
    return 0;
}
