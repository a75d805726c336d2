// A scripted client for protocol tests: a blocking TCP socket that sends
// packets or raw bytes and hands back each received packet together with the
// exact bytes it arrived as. Every wait gives up after a generous guard time,
// so a server that never answers fails the test instead of hanging it.
#pragma once

#include "kestrova/wire/packet_reader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server::testing {

struct Received {
    wire::Packet packet;
    std::string raw;
};

class TestClient {
public:
    // receiveBuffer > 0 shrinks the socket's receive buffer (a slow reader).
    static std::unique_ptr<TestClient> connect(uint16_t port, int receiveBuffer = 0);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool send(const wire::Packet& packet);
    bool sendRaw(std::string_view bytes);
    // The next packet, or nothing when the server closed or went silent.
    std::optional<Received> receive();
    // True when the server closes the connection (data before the close is
    // discarded); false when it stays open through the guard time.
    bool waitForClose();
    // True when nothing but the close arrives.
    bool closesWithoutData();
    void disconnect();

private:
    explicit TestClient(int fd) : fd_(fd) {}
    // Reads once; false on close, error or guard time.
    bool readMore();

    int fd_;
    std::string buffer_;
    wire::PacketReader reader_;
};

}  // namespace kestrova::server::testing
