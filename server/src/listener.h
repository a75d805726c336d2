// Accepts TCP connections and starts a ClientConnection for each.
#pragma once

#include "connection_host.h"

#include <asio.hpp>

#include <string>

namespace kestrova::server {

class Listener {
public:
    Listener(asio::io_context& io, ConnectionHost& host) : acceptor_(io), retryTimer_(io), host_(host) {}

    bool listen(const std::string& address, uint16_t port, std::string& error);
    uint16_t port() const;
    void stop();

private:
    void acceptNext();

    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer retryTimer_;
    ConnectionHost& host_;
    uint64_t nextConnectionId_ = 1;
};

}  // namespace kestrova::server
