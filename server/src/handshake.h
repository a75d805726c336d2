// The computations of the sign-in proofs, as the client performs them in
// mirror image. P is the MD5 of the password; the challenge form proves
// knowledge of P without sending it:
//   K1 = MD5(P | nonce); the client sends Salsa20(K1, iv = nonce) of
//   (challenge | R); both sides then key the session cipher with
//   K2 = MD5(P | R), which later carries the resume key.
// A resume proves knowledge of the resume key: MD5(key | nonce), both taken
// as texts up to their first zero byte.
#pragma once

#include "kestrova/crypto/md5.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server {

using Challenge = std::array<uint8_t, 16>;
using Nonce = std::array<uint8_t, 8>;
using ClientRandom = std::array<uint8_t, 16>;
using Iv = std::array<uint8_t, 8>;

// The client's randomness R when `body` is the proof for this challenge.
std::optional<ClientRandom> verifyChallengeProof(const crypto::Md5Digest& passwordDigest, const Challenge& challenge,
                                                 const Nonce& nonce, std::string_view body);
bool verifyPlainPassword(const crypto::Md5Digest& passwordDigest, std::string_view password);
crypto::Md5Digest sessionKey(const crypto::Md5Digest& passwordDigest, const ClientRandom& clientRandom);
// The resume key as the session cipher, keyed with K2 and set to `iv`, sends it.
std::string encryptResumeKey(const crypto::Md5Digest& sessionKey, const Iv& iv, std::string_view resumeKey);
crypto::Md5Digest resumeProof(std::string_view resumeKey, std::string_view nonce);
bool sameDigest(std::string_view received, const crypto::Md5Digest& expected);

}  // namespace kestrova::server
