// The digests of the sign-in exchange, computed the same way by the client
// and the server. P is the MD5 of the password; keys are MD5(P | salt) (the
// proof key with the server's nonce, the session key with the client's
// random bytes); a resume proves knowledge of the resume key with
// MD5(key | nonce), both taken as texts up to their first zero byte.
#pragma once

#include <cstddef>
#include <string_view>

#include "kestrova/crypto/md5.h"

namespace kestrova::crypto {

Md5Digest passwordKey(const Md5Digest& passwordDigest, const void* salt, size_t length);
Md5Digest resumeDigest(std::string_view resumeKey, std::string_view nonce);

}  // namespace kestrova::crypto
