#include "auth_proof.h"

#include "kestrova/crypto/md5.h"

#include <cstring>

namespace kestrova::connection {
namespace {

crypto::Md5Digest digestOf(const crypto::Md5Digest& first, const void* second, size_t length) {
    crypto::Md5Context context;
    crypto::md5Starts(context);
    crypto::md5Update(context, first.data(), first.size());
    crypto::md5Update(context, second, length);
    crypto::Md5Digest out;
    crypto::md5Finish(context, out.data());
    return out;
}

std::string_view upToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

EncryptedProof makeEncryptedProof(std::string_view password, std::string_view challenge, std::string_view nonce,
                                  const ClientRandom& random) {
    crypto::Md5Digest p = crypto::md5(password.data(), password.size());
    crypto::Md5Digest k1 = digestOf(p, nonce.data(), kNonceBytes);
    EncryptedProof proof;
    crypto::salsa20KeySetup(proof.sessionCipher, k1.data(), 128);
    crypto::salsa20IvSetup(proof.sessionCipher, reinterpret_cast<const uint8_t*>(nonce.data()));

    uint8_t plain[kChallengeBytes + 16];
    std::memcpy(plain, challenge.data(), kChallengeBytes);
    std::memcpy(plain + kChallengeBytes, random.data(), random.size());
    proof.body.resize(sizeof plain);
    crypto::salsa20EncryptBytes(proof.sessionCipher, plain, reinterpret_cast<uint8_t*>(proof.body.data()),
                                sizeof plain);

    crypto::Md5Digest k2 = digestOf(p, random.data(), random.size());
    crypto::salsa20KeySetup(proof.sessionCipher, k2.data(), 128);
    return proof;
}

std::string resumeDigest(std::string_view resumeKey, std::string_view nonce) {
    std::string_view key = upToZero(resumeKey);
    std::string_view tail = upToZero(nonce);
    crypto::Md5Context context;
    crypto::md5Starts(context);
    crypto::md5Update(context, key.data(), key.size());
    crypto::md5Update(context, tail.data(), tail.size());
    std::string out(16, '\0');
    crypto::md5Finish(context, reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

}  // namespace kestrova::connection
