// The connection plug-in's Connection against kestrova-server running as a
// child process on a loopback port: sign-in with the right and the wrong
// password, a second sign-in elsewhere, the server killed and restarted, a
// line cut while online and resumed, sign-off, and a real proxy in between.
#include "server_child.h"
#include "server_fixture.h"
#include "support/tinyproxy_process.h"

#include "connection.h"
#include "counting_session_objects.h"
#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/net/platform_hidden_window.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/message_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::e2e::runServerToEnd;
using kestrova::e2e::ServerChild;

namespace {

constexpr const char* kUser = "kim@example.org";
constexpr const char* kPassword = "kim's password";

class AgainstServer : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-e2e-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
        database_ = (home_ / "server.db").string();
        ASSERT_EQ(runServerToEnd({"--db", database_, "--create-account", kUser, kPassword, "--nickname", "Kim"}), 0);
        server_ = std::make_unique<ServerChild>(database_);
        ASSERT_NE(server_->port(), 0);
        clock_ = std::make_unique<platform::VirtualClock>(platform::unixNow());
        kestrova::kit::writeSetting(kestrova::settings::kServerList,
                                    ("127.0.0.1:" + std::to_string(server_->port())).c_str());
        stateWatch_ = RY_VariantSubscribe(&AgainstServer::recordState, names::kConnectionState.name, this);
    }
    void TearDown() override {
        RY_VariantUnsubscribe(stateWatch_);
        connection_.reset();
        window_.reset();
        server_.reset();
        RY_API_Cleanup();
        clock_.reset();
        std::filesystem::remove_all(home_);
    }

    // Stored credentials and a connection that signs in at once, on a real
    // window of the platform.
    void start(const char* password = kPassword) {
        connection_.reset();
        window_.reset();
        kestrova::kit::writeSetting(kestrova::settings::kUser, kUser);
        kestrova::kit::writeSetting(kestrova::settings::kPassword, password);
        window_ = std::make_unique<net::PlatformHiddenWindow>();
        connection_ = std::make_unique<Connection>(ConnectionEnvironment{*window_, alerts_, power_, objects_, false});
    }
    bool until(const std::function<bool()>& done) {
        auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > guard) return false;
            platform::pumpPendingMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    void advance(int seconds) {
        clock_->advance(std::chrono::seconds(seconds));
        platform::pumpPendingMessages();
    }
    int32_t state() const { return bus::get(names::kConnectionState); }
    kit::ServiceFields account() const { return kit::readPrimaryService(); }
    static intptr_t recordState(void* user, void*, void*, HSUBSCRIPTION) {
        static_cast<AgainstServer*>(user)->states_.push_back(bus::get(names::kConnectionState));
        return 0;
    }
    bool passedThrough(int32_t state) const {
        return std::find(states_.begin(), states_.end(), state) != states_.end();
    }
    void signInOnline() {
        start();
        ASSERT_TRUE(until([&] { return state() == kStateOnline; }))
            << "state " << state() << (alerts_.shown.empty() ? "" : ", shown: " + alerts_.shown[0].text);
    }

    std::filesystem::path home_;
    std::string database_;
    std::unique_ptr<ServerChild> server_;
    std::unique_ptr<platform::VirtualClock> clock_;
    std::unique_ptr<net::PlatformHiddenWindow> window_;
    RecordedAlerts alerts_;
    RecordedPower power_;
    CountingSessionObjects objects_;
    std::unique_ptr<Connection> connection_;
    std::vector<int64_t> codes_;
    HSUBSCRIPTION stateWatch_ = nullptr;
    std::vector<int32_t> states_;
};

}  // namespace

TEST_F(AgainstServer, TheRightPasswordSignsInWithTheServersProfile) {
    signInOnline();
    EXPECT_NE(connection_->myId(), 0u);
    EXPECT_EQ(connection_->resumeKey().size(), 32u) << "the resume key opened with the session cipher";
    HSERVICE service = RY_GetPrimaryService();
    RY_ServiceData data{};
    data.size = sizeof data;
    RY_GetServiceData(service, &data);
    EXPECT_STREQ(data.text3, "Kim");
    EXPECT_EQ(data.presence, RY_PRESENCE_ONLINE);
    RY_ReleaseService(service);
    EXPECT_TRUE(alerts_.shown.empty());
}

TEST_F(AgainstServer, TheWrongPasswordIsRefusedAndNotRetried) {
    start("not kim's password");
    ASSERT_TRUE(until([&] { return !alerts_.shown.empty(); }));
    EXPECT_EQ(alerts_.shown[0].caption, "Login Failed");
    EXPECT_NE(alerts_.shown[0].text.find("Wrong e-mail address or password."), std::string::npos);
    ASSERT_TRUE(until([&] { return state() == kStateOffline && !connection_->isConnected(); }));
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_OFFLINE);
    EXPECT_EQ(account().password, "");
    advance(30);
    EXPECT_EQ(state(), kStateOffline);
}

TEST_F(AgainstServer, ASecondSignInOfTheAccountGhostsTheFirst) {
    signInOnline();
    auto elsewhere = server::testing::signIn(server_->port(), {kUser, kPassword, ""});
    ASSERT_TRUE(elsewhere);
    ASSERT_TRUE(until([&] { return state() == kStateOffline && !connection_->isConnected(); }));
    EXPECT_EQ(account().failureReason, kit::kFailureGhosted);
    advance(30);
    EXPECT_EQ(state(), kStateOffline) << "a ghosted client does not come back";
}

TEST_F(AgainstServer, AKilledServerIsSignedInToAgainOnceItIsBack) {
    signInOnline();
    uint16_t port = server_->port();
    server_->kill();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    server_ = std::make_unique<ServerChild>(database_, port);
    ASSERT_EQ(server_->port(), port);
    advance(5);
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
    EXPECT_EQ(objects_.sessionsEnded, 1) << "the new server knows no session: a fresh sign-in";
    EXPECT_EQ(objects_.contactLoads, 2);
}

TEST_F(AgainstServer, ALineCutWhileOnlineResumesWithoutLosingAPendingRequest) {
    signInOnline();
    wire::Packet request("MESG STORED");
    request.setHeader("Count", int32_t{0});
    request.setHeader("Include-self", "0");
    request.setHeader("From-Private", "1700000000.000000");
    connection_->submit(std::move(request), [this](int64_t code, const std::string&) {
        codes_.push_back(code);
        return true;
    });
    // The line goes before the answer is read.
    connection_->onError(0);
    ASSERT_EQ(state(), kStateReconnectWait);
    advance(5);
    ASSERT_TRUE(until([&] { return state() == kStateOnline && !codes_.empty(); }));
    EXPECT_EQ(codes_, std::vector<int64_t>{4}) << "answered by the server, not failed with 100";
    EXPECT_EQ(objects_.sessionsEnded, 0) << "resumed, not started afresh";
    EXPECT_TRUE(passedThrough(kStateResumeSent));
    EXPECT_EQ(objects_.contactLoads, 1);
}

TEST_F(AgainstServer, GoingOfflineEndsTheSessionAndTheNextSignInAsksForStoredMessages) {
    signInOnline();
    EXPECT_FALSE(passedThrough(kStateStoredMessages)) << "the first sign-in of an account has nothing stored";
    connection_->disconnect();
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_EQ(objects_.sessionsEnded, 1);
    states_.clear();
    start();
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
    EXPECT_TRUE(passedThrough(kStateStoredMessages)) << "the server knew when the account was last online";
    EXPECT_EQ(connection_->pending().size(), 0u) << "the stored-messages request was answered";
}

TEST_F(AgainstServer, SignsInThroughTinyproxy) {
    if (!kestrova::testing::TinyproxyProcess::installed()) GTEST_SKIP() << "tinyproxy is not installed";
    kestrova::testing::TinyproxyProcess proxy(home_);
    ASSERT_TRUE(proxy.running());
    kestrova::kit::writeSetting(kestrova::settings::kProxyType, 1);
    kestrova::kit::writeSetting(kestrova::settings::kProxyHost, "127.0.0.1");
    kestrova::kit::writeSetting(kestrova::settings::kProxyPort, proxy.port());
    signInOnline();
    EXPECT_EQ(connection_->resumeKey().size(), 32u);
}
