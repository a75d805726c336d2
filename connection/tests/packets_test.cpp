// Packets other libraries send, settings the server sets, and answers.
#include "send_packet_function.h"
#include "sign_in_scene.h"

#include "kestrova/kit/settings.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;

class ServerPackets : public SignInScene {};

TEST_F(ServerPackets, SettingStoresTheValueUnderItsName) {
    signInOnline();
    serverSends("SETTING\nname: advanced.powersave\nvalue: 1\n\n");
    EXPECT_EQ(kit::readSetting(settings::kPowerSave), 1);
}

TEST_F(ServerPackets, ASettingWithoutNameIsIgnored) {
    signInOnline();
    serverSends("SETTING\nvalue: 1\n\n");
    EXPECT_EQ(settingText(""), "");
}

TEST_F(ServerPackets, ATextResponseHandsItsBodyToTheRequest) {
    signInOnline();
    std::string text;
    int64_t code = -1;
    wire::Packet request("CONTACT ADD");
    request.setHeader("Mesg-Id", uint64_t{4242});
    connection_->submit(std::move(request), [&](int64_t c, const std::string& t) {
        code = c;
        text = t;
        return true;
    });
    EXPECT_EQ(takePacket(), "CONTACT ADD\nmesg-id: 4242\n\n");
    serverSends("RESPONSE\nmesg-id: 4242\ntype: 1\ncontent-length: 7\n\nno such");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(text, "no such");
}

TEST_F(ServerPackets, APacketWithALineBreakInAHeaderIsNeverWrittenAndItsRequestFails) {
    signInOnline();
    wire::Packet detail("CONTACT DETAIL");
    detail.setHeader("Nickname", "Eve\n\nSETTING\nname: connection.servers\nvalue: evil:1");
    EXPECT_FALSE(connection_->send(detail));
    int64_t code = -1;
    wire::Packet request("CONTACT ADD");
    request.setHeader("Name", std::string("eve@example.org\0x", 17));
    connection_->submit(std::move(request), [&](int64_t c, const std::string&) {
        code = c;
        return true;
    });
    EXPECT_EQ(code, kCodeTextBreaksLine) << "a refused write is a failed request, never a pending or sent one";
    EXPECT_TRUE(serverHeardNothing());
    EXPECT_EQ(state(), kStateOnline);
    EXPECT_TRUE(connection_->send(wire::Packet("P")));
    EXPECT_EQ(takePacket(), "P\n\n");
}

TEST_F(ServerPackets, UnknownCommandsAreCountedAndIgnored) {
    signInOnline();
    int32_t before = connection_->packetsReceived();
    serverSends("NO SUCH THING\nx: 1\n\n");
    EXPECT_EQ(connection_->packetsReceived(), before + 1);
    EXPECT_EQ(state(), kStateOnline);
}

TEST_F(ServerPackets, ALaterHandlerForACommandReplacesTheEarlierOne) {
    signInOnline();
    int calls = 0;
    connection_->registerHandler("P", [&](const wire::Packet&) { ++calls; });
    serverSends("P\n\n");
    EXPECT_EQ(calls, 1);
}

class SendPacket : public SignInScene {
protected:
    intptr_t call(const std::string& bytes) {
        RY_PacketBytes argument{bytes.data(), static_cast<uint32_t>(bytes.size())};
        return bus::call(names::kConnectionSendPacket, &argument);
    }
};

TEST_F(SendPacket, WritesTheCallersBytesUnchangedWhileConnected) {
    signInOnline();
    SendPacketFunction function;
    function.setConnection(connection_.get());
    std::string bytes = "PLS SUBMIT\ncontent-length: 3\n\nabc";
    EXPECT_EQ(call(bytes), 1);
    EXPECT_EQ(takePacket(), bytes);
}

TEST_F(SendPacket, DoesNothingWithoutASocket) {
    storeCredentials(kUser, "");
    start();
    SendPacketFunction function;
    function.setConnection(connection_.get());
    EXPECT_EQ(call("P\n\n"), 0);
}

TEST_F(SendPacket, IsGoneOnceItsOwnerIs) {
    { SendPacketFunction function; }
    EXPECT_FALSE(bus::provided(names::kConnectionSendPacket));
}
