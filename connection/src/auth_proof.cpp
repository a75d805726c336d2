#include "auth_proof.h"

#include "kestrova/crypto/sign_in_digests.h"

#include <cstring>

namespace kestrova::connection {
EncryptedProof makeEncryptedProof(std::string_view password, std::string_view challenge, std::string_view nonce,
                                  const ClientRandom& random) {
    crypto::Md5Digest p = crypto::md5(password.data(), password.size());
    crypto::Md5Digest k1 = crypto::passwordKey(p, nonce.data(), kNonceBytes);
    EncryptedProof proof;
    crypto::salsa20KeySetup(proof.sessionCipher, k1.data(), 128);
    crypto::salsa20IvSetup(proof.sessionCipher, reinterpret_cast<const uint8_t*>(nonce.data()));

    uint8_t plain[kChallengeBytes + 16];
    std::memcpy(plain, challenge.data(), kChallengeBytes);
    std::memcpy(plain + kChallengeBytes, random.data(), random.size());
    proof.body.resize(sizeof plain);
    crypto::salsa20EncryptBytes(proof.sessionCipher, plain, reinterpret_cast<uint8_t*>(proof.body.data()),
                                sizeof plain);

    crypto::Md5Digest k2 = crypto::passwordKey(p, random.data(), random.size());
    crypto::salsa20KeySetup(proof.sessionCipher, k2.data(), 128);
    return proof;
}

std::string resumeDigest(std::string_view resumeKey, std::string_view nonce) {
    crypto::Md5Digest digest = crypto::resumeDigest(resumeKey, nonce);
    return std::string(reinterpret_cast<const char*>(digest.data()), digest.size());
}

}  // namespace kestrova::connection
