#include "listener.h"

#include "client_connection.h"

namespace kestrova::server {

bool Listener::listen(const std::string& address, uint16_t port, std::string& error) {
    asio::error_code code;
    asio::ip::address ip = asio::ip::make_address(address, code);
    if (code) {
        error = "not an IP address: " + address;
        return false;
    }
    asio::ip::tcp::endpoint endpoint(ip, port);
    acceptor_.open(endpoint.protocol(), code);
    if (!code) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), code);
    if (!code) acceptor_.bind(endpoint, code);
    if (!code) acceptor_.listen(asio::socket_base::max_listen_connections, code);
    if (code) {
        error = code.message();
        return false;
    }
    acceptNext();
    return true;
}

uint16_t Listener::port() const {
    asio::error_code ignored;
    return acceptor_.local_endpoint(ignored).port();
}

void Listener::stop() {
    asio::error_code ignored;
    acceptor_.close(ignored);
    retryTimer_.cancel();
}

void Listener::acceptNext() {
    acceptor_.async_accept([this](asio::error_code error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (error) {
            // Out of descriptors or the like: wait a little rather than spin.
            retryTimer_.expires_after(std::chrono::milliseconds(100));
            retryTimer_.async_wait([this](asio::error_code e) {
                if (!e) acceptNext();
            });
            return;
        }
        auto connection = std::make_shared<ClientConnection>(std::move(socket), host_, nextConnectionId_++);
        host_.onAccepted(connection);
        connection->start();
        acceptNext();
    });
}

}  // namespace kestrova::server
