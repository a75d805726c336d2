#include "bridges/xmpp/xmpp_network.h"

#include "bridges/xmpp/xmpp_address.h"
#include "bridges/xmpp/xmpp_link.h"

#include <mutex>
#include <thread>
#include <vector>

namespace kestrova::server::bridges::xmpp {
namespace {

// Where a link's events go. Read and cleared on the event loop only, so an
// event posted after its adapter went finds no sink and is dropped.
struct Relay {
    NetworkEventSink sink;
};

// The threads of the links, joined once they finish.
class LinkThreads {
  public:
    ~LinkThreads() {
        for (Running& running : running_)
            running.link->stop();
        for (Running& running : running_)
            running.thread.join();
    }

    void start(const std::shared_ptr<XmppLink>& link) {
        reap();
        running_.push_back({link, std::thread([link] { link->run(); })});
    }

  private:
    struct Running {
        std::shared_ptr<XmppLink> link;
        std::thread thread;
    };

    void reap() {
        for (auto it = running_.begin(); it != running_.end();) {
            if (!it->link->finished()) {
                ++it;
                continue;
            }
            it->thread.join();
            it = running_.erase(it);
        }
    }

    std::vector<Running> running_;
};

class XmppAdapter : public NetworkAdapter {
  public:
    XmppAdapter(std::shared_ptr<XmppLink> link, std::shared_ptr<Relay> relay)
        : link_(std::move(link)), relay_(std::move(relay)) {}
    ~XmppAdapter() override {
        relay_->sink = nullptr;
        link_->stop();
    }

    std::optional<std::string> addressOf(std::string_view text) const override {
        std::optional<Jid> jid = parseJid(text);
        if (!jid || jid->node.empty() || !jid->resource.empty()) return std::nullopt;
        return jid->bare();
    }
    void setPresence(int32_t status) override {
        link_->enqueue([status](XmppLink& link) { link.setPresence(status); });
    }
    void sendMessage(const std::string& address, const std::string& text) override {
        link_->enqueue([address, text](XmppLink& link) { link.sendMessage(address, text, false); });
    }
    void sendRoomMessage(const std::string& room, const std::string& text) override {
        link_->enqueue([room, text](XmppLink& link) { link.sendMessage(room, text, true); });
    }
    void requestContact(const std::string& address, const std::string& text) override {
        link_->enqueue([address, text](XmppLink& link) { link.requestContact(address, text); });
    }
    void answerContact(const std::string& address, bool accepted) override {
        link_->enqueue([address, accepted](XmppLink& link) { link.answerContact(address, accepted); });
    }
    void removeContact(const std::string& address) override {
        link_->enqueue([address](XmppLink& link) { link.removeContact(address); });
    }
    void joinRoom(const std::string& room, const std::string& nickname,
                  const std::string& password) override {
        link_->enqueue(
            [room, nickname, password](XmppLink& link) { link.joinRoom(room, nickname, password); });
    }
    void leaveRoom(const std::string& room) override {
        link_->enqueue([room](XmppLink& link) { link.leaveRoom(room); });
    }

  private:
    std::shared_ptr<XmppLink> link_;
    std::shared_ptr<Relay> relay_;
};

} // namespace

NetworkFactory xmppNetwork(asio::io_context& io) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmpp_initialize(); });
    auto threads = std::make_shared<LinkThreads>();
    return [&io, threads](const BridgeAccount& account, int32_t status,
                          NetworkEventSink sink) -> std::unique_ptr<NetworkAdapter> {
        auto relay = std::make_shared<Relay>(Relay{std::move(sink)});
        auto post = [&io, relay](NetworkEvent event) {
            asio::post(io, [relay, event = std::move(event)]() mutable {
                // A copy: the sink may destroy the adapter, which clears it.
                if (NetworkEventSink sink = relay->sink) sink(std::move(event));
            });
        };
        auto link = std::make_shared<XmppLink>(account, status, std::move(post));
        threads->start(link);
        return std::make_unique<XmppAdapter>(std::move(link), std::move(relay));
    };
}

} // namespace kestrova::server::bridges::xmpp
