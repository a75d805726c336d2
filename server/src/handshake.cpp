#include "handshake.h"

#include "kestrova/crypto/salsa20.h"
#include "kestrova/crypto/sign_in_digests.h"

#include <cstring>

namespace kestrova::server {
namespace {

bool constantTimeEqual(const uint8_t* a, const uint8_t* b, size_t length) {
    uint8_t difference = 0;
    for (size_t i = 0; i < length; ++i) difference |= a[i] ^ b[i];
    return difference == 0;
}

}  // namespace

std::optional<ClientRandom> verifyChallengeProof(const crypto::Md5Digest& passwordDigest, const Challenge& challenge,
                                                 const Nonce& nonce, std::string_view body) {
    if (body.size() != challenge.size() + sizeof(ClientRandom)) return std::nullopt;
    crypto::Md5Digest k1 = crypto::passwordKey(passwordDigest, nonce.data(), nonce.size());
    crypto::Salsa20Context cipher;
    crypto::salsa20KeySetup(cipher, k1.data(), 128);
    crypto::salsa20IvSetup(cipher, nonce.data());
    std::array<uint8_t, 32> plain;
    crypto::salsa20DecryptBytes(cipher, reinterpret_cast<const uint8_t*>(body.data()), plain.data(), plain.size());
    if (!constantTimeEqual(plain.data(), challenge.data(), challenge.size())) return std::nullopt;
    ClientRandom clientRandom;
    std::memcpy(clientRandom.data(), plain.data() + challenge.size(), clientRandom.size());
    return clientRandom;
}

bool verifyPlainPassword(const crypto::Md5Digest& passwordDigest, std::string_view password) {
    crypto::Md5Digest digest = crypto::md5(password.data(), password.size());
    return constantTimeEqual(digest.data(), passwordDigest.data(), digest.size());
}

crypto::Md5Digest sessionKey(const crypto::Md5Digest& passwordDigest, const ClientRandom& clientRandom) {
    return crypto::passwordKey(passwordDigest, clientRandom.data(), clientRandom.size());
}

std::string encryptResumeKey(const crypto::Md5Digest& key, const Iv& iv, std::string_view resumeKey) {
    crypto::Salsa20Context cipher;
    crypto::salsa20KeySetup(cipher, key.data(), 128);
    crypto::salsa20IvSetup(cipher, iv.data());
    std::string out(resumeKey.size(), '\0');
    crypto::salsa20EncryptBytes(cipher, reinterpret_cast<const uint8_t*>(resumeKey.data()),
                                reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

crypto::Md5Digest resumeProof(std::string_view resumeKey, std::string_view nonce) {
    return crypto::resumeDigest(resumeKey, nonce);
}

bool sameDigest(std::string_view received, const crypto::Md5Digest& expected) {
    return received.size() == expected.size() &&
           constantTimeEqual(reinterpret_cast<const uint8_t*>(received.data()), expected.data(), expected.size());
}

}  // namespace kestrova::server
