// A connection on a virtual clock against a scripted server on loopback. The
// test thread plays the user-interface thread: every wait pumps the
// connection's hidden window.
#pragma once

#include "connection.h"
#include "connection_fixture.h"
#include "counting_session_objects.h"
#include "support/loopback_peer.h"

#include "kestrova/crypto/md5.h"
#include "kestrova/crypto/salsa20.h"
#include "kestrova/kit/settings.h"
#include "kestrova/net/mailbox_window.h"
#include "kestrova/net/platform_hidden_window.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/wire/data_map.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrova::testing {

inline std::string md5Bytes(const std::string& s) {
    auto d = crypto::md5(s.data(), s.size());
    return std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

inline std::string salsaBytes(const std::string& key16, const std::string& iv8, const std::string& data) {
    crypto::Salsa20Context context;
    crypto::salsa20KeySetup(context, reinterpret_cast<const uint8_t*>(key16.data()), 128);
    crypto::salsa20IvSetup(context, reinterpret_cast<const uint8_t*>(iv8.data()));
    std::string out(data.size(), '\0');
    crypto::salsa20EncryptBytes(context, reinterpret_cast<const uint8_t*>(data.data()),
                                reinterpret_cast<uint8_t*>(out.data()), data.size());
    return out;
}

inline std::string profileMap(const std::string& subId, const std::string& nickname, const std::string& status) {
    return wire::encodeDataMap({{"Nickname", nickname}, {"Status", status}, {"Sub-Id", subId}});
}

class SignInScene : public ConnectionTest {
protected:
    static constexpr const char* kUser = "kim@example.org";
    static constexpr const char* kPassword = "s3cret";
    static constexpr const char* kChallenge = "CHALLENGE-16byte";
    static constexpr const char* kNonce = "nonce-08";

    void SetUp() override {
        ConnectionTest::SetUp();
        clock_ = std::make_unique<platform::VirtualClock>();
        kit::writeSetting(settings::kServerList,
                                    ("127.0.0.1:" + std::to_string(peer_.port())).c_str());
    }
    void TearDown() override {
        connection_.reset();
        window_.reset();
        ConnectionTest::TearDown();
        clock_.reset();
    }

    void storeCredentials(const char* user = kUser, const char* password = kPassword) {
        kit::writeSetting(settings::kUser, user);
        kit::writeSetting(settings::kPassword, password);
    }
    // A closed window stays closed, so each connection gets its own.
    void start() {
        connection_.reset();
        window_.reset();
        if (usePlatformWindow_)
            window_ = std::make_unique<net::PlatformHiddenWindow>();
        else
            window_ = std::make_unique<net::MailboxWindow>();
        connection_ = std::make_unique<connection::Connection>(
            connection::ConnectionEnvironment{*window_, alerts_, power_, sessionObjects(), startedHidden_});
        started();
    }
    // Scenes that test what the session objects do put their own in.
    virtual connection::SessionObjects& sessionObjects() { return objects_; }
    virtual void started() {}
    // Credentials stored, the connection started, and the server has the LOGON.
    std::string startAndTakeLogon() {
        storeCredentials();
        start();
        return takePacket();
    }

    void pump() {
        if (auto* mailbox = dynamic_cast<net::MailboxWindow*>(window_.get())) {
            mailbox->pumpWaiting(std::chrono::milliseconds(2));
            return;
        }
        platform::pumpPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bool until(const std::function<bool()>& done) {
        return pumpUntil([this] { pump(); }, done);
    }
    std::string takePacket() {
        std::optional<std::string> packet;
        EXPECT_TRUE(until([&] { return (packet = peer_.takePacket()).has_value(); })) << "no packet came";
        return packet.value_or("");
    }
    // Pumps a little and says whether anything arrived at the server.
    bool serverHeardNothing() {
        for (int i = 0; i < 20; ++i) pump();
        return peer_.pendingBytes().empty();
    }
    // Sends whole packets and waits until the connection has handled them.
    void serverSends(const std::string& bytes, uint64_t packets = 1) {
        uint64_t before = connection_->packetsHandled();
        ASSERT_TRUE(peer_.send(bytes));
        ASSERT_TRUE(until([&] { return connection_->packetsHandled() >= before + packets; }));
    }
    void serverSendsAndWait(const std::string& bytes, const std::function<bool()>& done) {
        ASSERT_TRUE(peer_.send(bytes));
        ASSERT_TRUE(until(done));
    }
    int32_t state() const { return bus::get(names::kConnectionState); }
    void advance(int seconds) {
        clock_->advance(std::chrono::seconds(seconds));
        pump();
    }

    kit::ServiceFields account() { return kit::readPrimaryService(); }

    // The server's side of the encrypted exchange: sends the challenge, checks
    // the proof with its own keys and keeps R for the session key.
    std::string authenticateEncrypted() {
        std::string challenge = std::string("AUTH\nencryption-type: 1\ncontent-length: 24\n\n") + kChallenge + kNonce;
        EXPECT_TRUE(peer_.send(challenge));
        std::string auth = takePacket();
        std::string head = "AUTH\ncontent-length: 32\nencryption-type: 1\nonline-status: 1\n\n";
        EXPECT_EQ(auth.substr(0, head.size()), head);
        std::string body = auth.substr(head.size());
        EXPECT_EQ(body.size(), 32u);
        std::string p = md5Bytes(kPassword);
        std::string plain = salsaBytes(md5Bytes(p + kNonce), kNonce, body);
        EXPECT_EQ(plain.substr(0, 16), kChallenge) << "the proof does not hold the challenge";
        random_ = plain.substr(16);
        return md5Bytes(p + random_);  // K2
    }

    // Sends the logon profile with a resume key sealed under K2.
    void acceptWithResumeKey(const std::string& k2, const std::string& resumeKey, const std::string& extraHeaders = "") {
        std::string iv = "IV-bytes";
        std::string body = iv + profileMap("4294967301", "Kim", "at work") + salsaBytes(k2, iv, resumeKey);
        peer_.send("SUB PROFILE\ncontent-length: " + std::to_string(body.size()) + "\niv: 8\nrk: " +
                   std::to_string(resumeKey.size()) + "\n" + extraHeaders + "\n" + body);
    }

    // LOGON, encrypted AUTH, profile with resume key: online.
    void signInOnline(const std::string& resumeKey = "resume-key-1") {
        startAndTakeLogon();
        std::string k2 = authenticateEncrypted();
        acceptWithResumeKey(k2, resumeKey);
        ASSERT_TRUE(until([&] { return state() == connection::kStateOnline; }));
    }

    std::unique_ptr<platform::VirtualClock> clock_;
    LoopbackPeer peer_;
    bool usePlatformWindow_ = false;
    std::unique_ptr<net::HiddenWindow> window_;
    connection::RecordedAlerts alerts_;
    connection::RecordedPower power_;
    connection::CountingSessionObjects objects_;
    bool startedHidden_ = false;
    std::unique_ptr<connection::Connection> connection_;
    std::string random_;
};

}  // namespace kestrova::testing
