#include "kestrova/crypto/sign_in_digests.h"

namespace kestrova::crypto {
namespace {

std::string_view upToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

Md5Digest passwordKey(const Md5Digest& passwordDigest, const void* salt, size_t length) {
    Md5Context context;
    md5Starts(context);
    md5Update(context, passwordDigest.data(), passwordDigest.size());
    md5Update(context, salt, length);
    Md5Digest digest;
    md5Finish(context, digest.data());
    return digest;
}

Md5Digest resumeDigest(std::string_view resumeKey, std::string_view nonce) {
    std::string_view key = upToZero(resumeKey);
    std::string_view salt = upToZero(nonce);
    Md5Context context;
    md5Starts(context);
    md5Update(context, key.data(), key.size());
    md5Update(context, salt.data(), salt.size());
    Md5Digest digest;
    md5Finish(context, digest.data());
    return digest;
}

}  // namespace kestrova::crypto
