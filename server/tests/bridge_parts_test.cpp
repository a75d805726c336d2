// The parts of the bridges that stand alone: header-safe texts, XMPP
// addresses and account fields, the disconnect reasons as the client files
// them, the seal of credentials at rest, and the translation of stanzas.
#include "bridge_support.h"

#include "bridges/credential_seal.h"
#include "bridges/header_text.h"
#include "bridges/xmpp/xmpp_account.h"
#include "bridges/xmpp/xmpp_address.h"
#include "bridges/xmpp/xmpp_disconnect.h"
#include "bridges/xmpp/xmpp_translate.h"

#include <gtest/gtest.h>
#include <strophe.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace kestrova::server;
using namespace kestrova::server::bridges;
using kestrova::server::testing::clientReasonCode;

TEST(BridgeTexts, ControlCharactersBecomeSpacesAndLongTextsAreCutBetweenCharacters) {
    EXPECT_EQ(headerSafe("  Bob\r\nname: forged\0x", 40), "Bob  name: forged");
    EXPECT_EQ(headerSafe(std::string("a\0b\tc\x7f", 6)), "a b c");
    EXPECT_EQ(headerSafe("\r\n"), "");
    // "é" is two bytes: a cut after its first byte backs up before it.
    EXPECT_EQ(headerSafe("abcé", 4), "abc");
    EXPECT_EQ(headerSafe("abcé", 5), "abcé");
    EXPECT_TRUE(isHeaderSafe("Ann B."));
    EXPECT_FALSE(isHeaderSafe("Ann\n"));
}

TEST(XmppAddresses, AddressesAreCheckedFoldedAndCutToTheBareForm) {
    auto jid = xmpp::parseJid("Ann@Example.NET/Phone One");
    ASSERT_TRUE(jid);
    EXPECT_EQ(jid->bare(), "ann@example.net");
    EXPECT_EQ(jid->full(), "ann@example.net/Phone One");
    EXPECT_EQ(xmpp::bareOf("rooms.example.net"), "rooms.example.net");
    for (const char* bad : {"", "@example.net", "ann@", "a b@example.net", "ann@example.net/",
                            "ann@exa\nmple.net", "ann@example.net/x\r\ny", "a<b@example.net"})
        EXPECT_FALSE(xmpp::parseJid(bad)) << bad;
    EXPECT_FALSE(xmpp::parseJid(std::string(1024, 'a') + "@example.net"));
}

TEST(XmppAccounts, TheFormsFieldsGiveTheAccountWithItsDefaults) {
    auto full = xmpp::accountFromFields({{"Username", "Ann@Example.net"}, {"Password", "pw"}});
    ASSERT_TRUE(full);
    EXPECT_EQ(full->address, "ann@example.net");
    EXPECT_EQ(full->server, "Example.net");
    EXPECT_EQ(full->port, 5222);
    EXPECT_EQ(full->resource, "Kestrova");
    EXPECT_EQ(full->nickname, "Ann");
    // A bare node is completed by the server; field names in any case.
    auto node = xmpp::accountFromFields(
        {{"username", "ann"}, {"PASSWORD", "pw"}, {"Server", "xmpp.example.net"}, {"Port", "5223"}});
    ASSERT_TRUE(node);
    EXPECT_EQ(node->address, "ann@xmpp.example.net");
    EXPECT_EQ(node->port, 5223);
    for (RegistrationFields bad :
         {RegistrationFields{{"Username", "ann"}, {"Password", "pw"}},
          RegistrationFields{{"Username", "ann@example.net"}},
          RegistrationFields{{"Username", "ann@example.net/res"}, {"Password", "pw"}},
          RegistrationFields{{"Username", "ann@example.net"}, {"Password", "pw"}, {"Server", "evil host"}},
          RegistrationFields{{"Username", "ann@example.net"}, {"Password", "pw"}, {"Port", "0"}},
          RegistrationFields{{"Username", "ann@example.net"}, {"Password", "pw"}, {"Resource", "a\nb"}}})
        EXPECT_FALSE(xmpp::accountFromFields(bad));
    EXPECT_TRUE(xmpp::isLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(xmpp::isLoopbackHost("[::1]"));
    EXPECT_TRUE(xmpp::isLoopbackHost("localhost"));
    EXPECT_FALSE(xmpp::isLoopbackHost("127.example.net"));
    EXPECT_FALSE(xmpp::isLoopbackHost("10.0.0.1"));
}

TEST(XmppDisconnects, EveryWayALoginEndsGivesAReasonTheClientFilesUnderItsCode) {
    auto reasonFor = [](auto setUp) {
        xmpp::DisconnectFacts facts;
        setUp(facts);
        return xmpp::disconnectReason(facts, "xmpp.example.net", 5222);
    };
    // The library's words when a password is refused and when nobody listens.
    std::string wrongPassword = reasonFor([](auto& f) {
        f.noteLog(false, "xmpp", "SASL SCRAM-SHA-1 auth failed");
        f.noteLog(true, "auth", "Cannot authenticate with known methods");
    });
    EXPECT_EQ(clientReasonCode(wrongPassword), 6) << wrongPassword;
    std::string refused =
        reasonFor([](auto& f) { f.noteLog(false, "xmpp", "connection failed, error 111"); });
    EXPECT_EQ(clientReasonCode(refused), 5);
    EXPECT_NE(refused.find("Connection refused"), std::string::npos) << refused;
    std::string noTls = reasonFor([](auto& f) {
        f.noteLog(true, "xmpp", "TLS is not supported, but set as mandatory for this connection");
    });
    EXPECT_EQ(clientReasonCode(noTls), 5);
    EXPECT_NE(noTls.find("TLS is not supported"), std::string::npos);

    auto afterLogin = [&](std::optional<xmpp::StreamError> error, int socketError, std::string text = {}) {
        return reasonFor([&](auto& f) {
            f.loggedIn = true;
            f.streamError = error;
            f.streamErrorText = text;
            f.socketError = socketError;
        });
    };
    EXPECT_EQ(clientReasonCode(afterLogin(xmpp::StreamError::Conflict, 0)), 1);
    EXPECT_EQ(clientReasonCode(afterLogin(std::nullopt, 104)), 2);
    EXPECT_EQ(clientReasonCode(afterLogin(std::nullopt, 0)), 3);
    EXPECT_EQ(clientReasonCode(afterLogin(xmpp::StreamError::SystemShutdown, 0)), 3);
    EXPECT_EQ(clientReasonCode(afterLogin(xmpp::StreamError::PolicyViolation, 0)), 4);
    std::string other = afterLogin(xmpp::StreamError::Other, 0, "Idle\r\ntoo long");
    EXPECT_EQ(clientReasonCode(other), 0);
    EXPECT_EQ(other, "The connection ended: Idle  too long");
    // The other side's words cannot buy a code they do not deserve.
    EXPECT_EQ(clientReasonCode(afterLogin(xmpp::StreamError::Other, 0, "Unable to authenticate: ha")), 0);
}

TEST(CredentialSeals, SealedCredentialsOpenOnlyWithTheSameKeyFileAndOwner) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kestrova-seal-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string keyFile = (dir / "bridge-key").string();
    std::string error;
    auto seal = CredentialSeal::open(keyFile, error);
    ASSERT_TRUE(seal) << error;
    struct stat info {};
    ASSERT_EQ(::stat(keyFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 32);

    std::string sealed = seal->seal("secret password", "7");
    EXPECT_EQ(sealed.find("secret password"), std::string::npos);
    EXPECT_EQ(seal->unseal(sealed, "7"), "secret password");
    EXPECT_FALSE(seal->unseal(sealed, "8")); // moved to another account's row
    std::string tampered = sealed;
    tampered.back() ^= 1;
    EXPECT_FALSE(seal->unseal(tampered, "7"));

    // The same file after a restart opens it; another key does not.
    auto reopened = CredentialSeal::open(keyFile, error);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->unseal(sealed, "7"), "secret password");
    auto memoryOnly = CredentialSeal::open("", error);
    ASSERT_TRUE(memoryOnly);
    EXPECT_FALSE(memoryOnly->unseal(sealed, "7"));

    std::ofstream((dir / "short-key").string()) << "too short";
    EXPECT_FALSE(CredentialSeal::open((dir / "short-key").string(), error));
    EXPECT_NE(error.find("32 bytes"), std::string::npos);
    std::filesystem::remove_all(dir);
}

namespace {

// Stanzas as a foreign server would send them, through the translation.
class Translation : public ::testing::Test {
  protected:
    void SetUp() override {
        xmpp_initialize();
        ctx_ = xmpp_ctx_new(nullptr, nullptr);
        context_.ownAddress = "ann@example.net";
        context_.rooms = {"lounge@rooms.example.net"};
    }
    void TearDown() override { xmpp_ctx_free(ctx_); }

    std::vector<NetworkEvent> translate(const char* xml) {
        xmpp_stanza_t* stanza = xmpp_stanza_new_from_string(ctx_, xml);
        EXPECT_TRUE(stanza) << xml;
        std::vector<NetworkEvent> events = xmpp::translateStanza(stanza, context_);
        if (stanza) xmpp_stanza_release(stanza);
        return events;
    }
    template <typename Event> Event only(const char* xml) {
        std::vector<NetworkEvent> events = translate(xml);
        EXPECT_EQ(events.size(), 1u) << xml;
        const Event* event = events.size() == 1 ? std::get_if<Event>(&events[0]) : nullptr;
        EXPECT_TRUE(event) << xml;
        return event ? *event : Event{};
    }

    xmpp_ctx_t* ctx_ = nullptr;
    xmpp::TranslateContext context_;
};

} // namespace

TEST_F(Translation, RosterResultsAndPushesBecomeContactListsButForgedPushesAreIgnored) {
    auto roster =
        only<event::RosterChanged>("<iq type='result' id='roster'><query xmlns='jabber:iq:roster'>"
                                   "<item jid='Bob@Example.net' name='Bob&#13;&#10;B' subscription='both'/>"
                                   "<item jid='cat@example.net' subscription='none' ask='subscribe'/>"
                                   "<item jid='bad address@example.net' subscription='both'/>"
                                   "<item jid='ann@example.net' subscription='both'/></query></iq>");
    EXPECT_TRUE(roster.complete);
    ASSERT_EQ(roster.items.size(), 2u);
    EXPECT_EQ(roster.items[0].address, "bob@example.net");
    EXPECT_EQ(roster.items[0].name, "Bob  B");
    EXPECT_EQ(roster.items[0].listState, 0);
    EXPECT_EQ(roster.items[1].listState, 1);
    auto push =
        only<event::RosterChanged>("<iq type='set' from='ann@example.net'><query xmlns='jabber:iq:roster'>"
                                   "<item jid='bob@example.net' subscription='remove'/></query></iq>");
    EXPECT_FALSE(push.complete);
    EXPECT_TRUE(push.items.at(0).removed);
    EXPECT_TRUE(translate("<iq type='set' from='mallory@example.net'><query xmlns='jabber:iq:roster'>"
                          "<item jid='bob@example.net' subscription='remove'/></query></iq>")
                    .empty());
}

TEST_F(Translation, PresencesBecomeStatusesRequestsAndRoomOccupants) {
    auto away = only<event::PresenceChanged>(
        "<presence "
        "from='bob@example.net/laptop'><show>xa</show><status>gone&#10;fishing</status></presence>");
    EXPECT_EQ(away.address, "bob@example.net");
    EXPECT_EQ(away.resource, "laptop");
    EXPECT_EQ(away.status, 2);
    EXPECT_EQ(away.statusText, "gone fishing");
    EXPECT_EQ(
        only<event::PresenceChanged>("<presence from='bob@example.net/x'><show>dnd</show></presence>").status,
        5);
    EXPECT_EQ(only<event::PresenceChanged>("<presence from='bob@example.net/x' type='unavailable'/>").status,
              0);
    auto request = only<event::ContactRequest>("<presence from='dan@example.net' type='subscribe'>"
                                               "<nick xmlns='http://jabber.org/protocol/nick'>Dan</nick>"
                                               "<status>hello</status></presence>");
    EXPECT_EQ(request.nickname, "Dan");
    EXPECT_EQ(request.text, "hello");
    EXPECT_TRUE(translate("<presence from='ann@example.net/other'/>").empty()); // the user's other login
    auto self =
        only<event::OccupantChanged>("<presence from='lounge@rooms.example.net/Annie'>"
                                     "<x xmlns='http://jabber.org/protocol/muc#user'><status code='110'/></x>"
                                     "</presence>");
    EXPECT_TRUE(self.self && self.joined);
    auto left =
        only<event::OccupantChanged>("<presence from='lounge@rooms.example.net/bob' type='unavailable'>"
                                     "<x xmlns='http://jabber.org/protocol/muc#user'/></presence>");
    EXPECT_FALSE(left.self || left.joined);
    EXPECT_EQ(left.nickname, "bob");
    auto refused =
        only<event::OccupantChanged>("<presence from='lounge@rooms.example.net/Annie' type='error'/>");
    EXPECT_TRUE(refused.self && !refused.joined);
}

TEST_F(Translation, MessagesFromPeopleRoomsAndInvitations) {
    auto chat = only<event::MessageReceived>("<message from='bob@example.net/phone' type='chat'><body>hi "
                                             "&lt;there&gt;&#10;line two</body></message>");
    EXPECT_EQ(chat.address, "bob@example.net");
    EXPECT_EQ(chat.text, "hi <there>\nline two"); // a body keeps its line breaks: it is no header
    auto privately = only<event::MessageReceived>(
        "<message from='lounge@rooms.example.net/bob' type='chat'><body>psst</body></message>");
    EXPECT_EQ(privately.address, "lounge@rooms.example.net/bob");
    auto room = only<event::RoomMessage>(
        "<message from='lounge@rooms.example.net/bob' type='groupchat'><body>all</body></message>");
    EXPECT_FALSE(room.history);
    EXPECT_TRUE(
        only<event::RoomMessage>("<message from='lounge@rooms.example.net/bob' type='groupchat'><body>old"
                                 "</body><delay xmlns='urn:xmpp:delay' stamp='2020-01-01T00:00:00Z'/>"
                                 "</message>")
            .history);
    for (const char* nothing :
         {"<message from='lounge@rooms.example.net' type='groupchat'><subject>topic</subject></message>",
          "<message from='bob@example.net' type='error'><body>bounced</body></message>",
          "<message from='bob@example.net' type='chat'><active "
          "xmlns='http://jabber.org/protocol/chatstates'/></message>",
          "<message type='chat'><body>from nobody</body></message>",
          "<iq type='get'><ping xmlns='urn:xmpp:ping'/></iq>", "<unknown/>"})
        EXPECT_TRUE(translate(nothing).empty()) << nothing;
    auto direct = only<event::RoomInvitation>(
        "<message from='bob@example.net/x'><x xmlns='jabber:x:conference' jid='Party@Rooms.example.net' "
        "password='pw'/></message>");
    EXPECT_EQ(direct.room, "party@rooms.example.net");
    EXPECT_EQ(direct.inviter, "bob@example.net");
    EXPECT_EQ(direct.password, "pw");
    auto mediated = only<event::RoomInvitation>(
        "<message from='party@rooms.example.net'><x xmlns='http://jabber.org/protocol/muc#user'>"
        "<invite from='bob@example.net/x'/><password>pw2</password></x></message>");
    EXPECT_EQ(mediated.room, "party@rooms.example.net");
    EXPECT_EQ(mediated.inviter, "bob@example.net");
    EXPECT_EQ(mediated.password, "pw2");
}

TEST(XmppTexts, WhatTheUserTypesIsMadeFitForXml) {
    EXPECT_EQ(xmpp::xmlText("line\nnext\ttab"), "line\nnext\ttab");
    EXPECT_EQ(xmpp::xmlText(std::string("a\0b\x01"
                                        "c",
                                        5)),
              "abc");
    EXPECT_EQ(xmpp::xmlText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(xmpp::xmlText("bad \xC3 end"), "bad \xEF\xBF\xBD end");
    EXPECT_EQ(xmpp::xmlText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // a surrogate
    EXPECT_EQ(xmpp::xmlText("\xEF\xBF\xBE"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // U+FFFE
}
