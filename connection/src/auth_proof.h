// The password proof of the encrypted logon and the digest of a session
// resume. Pure computations; the randomness comes in from outside.
#pragma once

#include "kestrova/crypto/salsa20.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::connection {

inline constexpr size_t kChallengeBytes = 16;
inline constexpr size_t kNonceBytes = 8;

using ClientRandom = std::array<uint8_t, 16>;

struct EncryptedProof {
    std::string body;                      // 32 bytes: challenge and R, encrypted
    crypto::Salsa20Context sessionCipher;  // keyed with K2; the IV is set by each use
};

// P = MD5(password); K1 = MD5(P nonce) keys the cipher with the nonce as IV
// to encrypt challenge and R; the session cipher is then re-keyed with
// K2 = MD5(P R).
EncryptedProof makeEncryptedProof(std::string_view password, std::string_view challenge, std::string_view nonce,
                                  const ClientRandom& random);

// MD5 over the resume key and the server's nonce, each taken up to its first
// zero byte.
std::string resumeDigest(std::string_view resumeKey, std::string_view nonce);

}  // namespace kestrova::connection
