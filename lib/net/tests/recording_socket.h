// A PacketSocket that records what the socket layer tells it.
#pragma once

#include "kestrova/net/mailbox_window.h"
#include "kestrova/net/packet_socket.h"

#include <string>
#include <vector>

namespace kestrova::testing {

class RecordingSocket : public net::PacketSocket {
public:
    explicit RecordingSocket(net::MailboxWindow& window) : PacketSocket(window) {
        window.setHandler([this](uint32_t m, uintptr_t w, intptr_t l) { return handleMessage(m, w, l); });
    }
    void onConnected() override { ++connects; }
    void onDisconnected() override {
        ++disconnects;
        PacketSocket::onDisconnected();
    }
    void onError(int code) override {
        errors.push_back(code);
        PacketSocket::onError(code);
    }
    void onNetworkReady(bool viaManager) override { networkReports.push_back(viaManager); }
    bool onPacket(wire::Packet& packet) override {
        packets.push_back(packet);
        return true;
    }

    int connects = 0;
    int disconnects = 0;
    std::vector<int> errors;
    std::vector<bool> networkReports;
    std::vector<wire::Packet> packets;
};

}  // namespace kestrova::testing
