#include "server_fixture.h"

#include "kestrova/crypto/md5.h"
#include "kestrova/crypto/salsa20.h"

#include <stdlib.h>

#include <cstring>
#include <random>

namespace kestrova::server::testing {
namespace {

const uint8_t* bytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string text(const uint8_t* bytes, size_t length) { return std::string(reinterpret_cast<const char*>(bytes), length); }

}  // namespace

TempDatabase::TempDatabase() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-server-db-XXXXXX").string();
    if (::mkdtemp(pattern.data())) folder_ = pattern;
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

ServerConfig loopbackConfig() {
    ServerConfig config;
    config.port = 0;
    return config;
}

RunningServer::RunningServer(ServerConfig config, bridges::NetworkFactory networks, const std::string& database) {
    std::string error;
    accounts_ = AccountStore::open(database, error);
    for (const TestAccount& account : {kAnn, kBob, kCat})
        if (!accounts_->findByName(account.name)) accounts_->create(account.name, account.password, account.nickname);
    server_ = std::make_unique<Server>(io_, *accounts_, std::move(config), std::move(networks));
    if (server_->listen(error)) port_ = server_->port();
    thread_ = std::thread([this] { io_.run(); });
}

RunningServer::~RunningServer() {
    if (!server_) return;
    asio::post(io_, [this] {
        server_->stop();
        io_.stop();
    });
    thread_.join();
}

void RunningServer::kill() {
    io_.stop();
    thread_.join();
    server_.reset();
    accounts_.reset();
}

uint64_t RunningServer::idOf(const TestAccount& account) const { return accounts_->findByName(account.name)->id; }

size_t RunningServer::sessionCount() {
    return onServerThread([](Server& server) { return server.sessions().size(); });
}

size_t RunningServer::connectionCount() {
    return onServerThread([](Server& server) { return server.openConnections(); });
}

ClientProof::ClientProof(std::string password) : password_(std::move(password)) {
    std::random_device random;
    for (uint8_t& b : clientRandom_) b = static_cast<uint8_t>(random());
}

std::string ClientProof::answer(const std::string& challengeAndNonce) {
    crypto::Md5Digest p = crypto::md5(password_.data(), password_.size());
    std::string nonce = challengeAndNonce.substr(16, 8);
    crypto::Md5Digest k1 = crypto::md5((text(p.data(), 16) + nonce).data(), 24);
    crypto::Salsa20Context cipher;
    crypto::salsa20KeySetup(cipher, k1.data(), 128);
    crypto::salsa20IvSetup(cipher, bytesOf(nonce));
    std::string plain = challengeAndNonce.substr(0, 16) + text(clientRandom_.data(), 16);
    std::string proof(32, '\0');
    crypto::salsa20EncryptBytes(cipher, bytesOf(plain), reinterpret_cast<uint8_t*>(proof.data()), 32);
    std::string keyInput = text(p.data(), 16) + text(clientRandom_.data(), 16);
    k2_ = crypto::md5(keyInput.data(), keyInput.size());
    return proof;
}

std::string ClientProof::decryptResumeKey(const std::string& iv, const std::string& block) const {
    crypto::Salsa20Context cipher;
    crypto::salsa20KeySetup(cipher, k2_.data(), 128);
    crypto::salsa20IvSetup(cipher, bytesOf(iv));
    std::string plain(block.size(), '\0');
    crypto::salsa20DecryptBytes(cipher, bytesOf(block), reinterpret_cast<uint8_t*>(plain.data()), block.size());
    return plain;
}

std::string resumeDigest(const std::string& resumeKey, const std::string& nonce) {
    std::string input = std::string(resumeKey.c_str()) + std::string(nonce.c_str());
    crypto::Md5Digest digest = crypto::md5(input.data(), input.size());
    return text(digest.data(), digest.size());
}

bool isWireTimestamp(const std::string& text) {
    size_t dot = text.find('.');
    auto number = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos &&
               (part.size() == 1 || part[0] != '0');
    };
    if (dot == std::string::npos) return false;
    std::string_view micros = std::string_view(text).substr(dot + 1);
    return number(std::string_view(text).substr(0, dot)) && number(micros) && micros.size() <= 6;
}

bool isLowerHex(const std::string& text, size_t length) {
    return text.size() == length && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

wire::Packet logonPacket(const std::string& name, uint64_t subId) {
    wire::Packet logon("LOGON");
    logon.setHeader("Protocol-Version", "2.0");
    logon.setHeader("App-Type", "SmartPhone");
    logon.setHeader("Name", name);
    logon.setHeaderVerbatim("Operator", "PC_CLIENT");
    if (subId) logon.setHeader("Sub-Id", subId);
    return logon;
}

wire::Packet challengeAnswer(const std::string& proof, int32_t onlineStatus) {
    wire::Packet auth("AUTH");
    auth.setHeader("Encryption-Type", int32_t(1));
    auth.setHeader("Online-Status", onlineStatus);
    auth.setBody(proof);
    return auth;
}

std::optional<SignedIn> signIn(uint16_t port, const TestAccount& account) {
    SignedIn session;
    session.client = TestClient::connect(port);
    if (!session.client || !session.client->send(logonPacket(account.name))) return std::nullopt;
    std::optional<Received> challenge = session.client->receive();
    if (!challenge || challenge->packet.body().size() != 24) return std::nullopt;
    ClientProof proof(account.password);
    session.client->send(challengeAnswer(proof.answer(challenge->packet.body())));
    std::optional<Received> profile = session.client->receive();
    if (!profile || profile->packet.command() != "SUB PROFILE") return std::nullopt;
    session.received = 2;
    const std::string& body = profile->packet.body();
    size_t ivLength = static_cast<size_t>(profile->packet.headerInt("IV"));
    size_t keyLength = static_cast<size_t>(profile->packet.headerInt("RK"));
    if (ivLength + keyLength > body.size()) return std::nullopt;
    std::string map = body.substr(ivLength, body.size() - ivLength - keyLength);
    auto parsed = wire::parseDataMap({reinterpret_cast<const uint8_t*>(map.data()), map.size()}, session.profileMap);
    if (parsed.status != wire::ParseStatus::Complete || parsed.consumed != map.size()) return std::nullopt;
    session.resumeKey = proof.decryptResumeKey(body.substr(0, ivLength), body.substr(body.size() - keyLength));
    session.sessionKey = proof.sessionKey();
    session.profile = std::move(*profile);
    for (;;) {
        std::optional<Received> next = session.client->receive();
        if (!next) return std::nullopt;
        ++session.received;
        if (next->packet.command() == "P") break;
    }
    return session;
}

}  // namespace kestrova::server::testing
