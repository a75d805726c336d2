#include "credential_seal.h"

#include <sodium.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrova::server::bridges {
namespace {

constexpr size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;

const unsigned char* bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

bool readKey(int fd, std::array<uint8_t, 32>& key) {
    size_t got = 0;
    while (got < key.size()) {
        ssize_t n = ::read(fd, key.data() + got, key.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    uint8_t extra;
    return ::read(fd, &extra, 1) == 0; // exactly 32 bytes, nothing more
}

bool writeKey(int fd, const std::array<uint8_t, 32>& key) {
    size_t put = 0;
    while (put < key.size()) {
        ssize_t n = ::write(fd, key.data() + put, key.size() - put);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        put += static_cast<size_t>(n);
    }
    return ::fsync(fd) == 0;
}

} // namespace

std::unique_ptr<CredentialSeal> CredentialSeal::open(const std::string& keyFile, std::string& error) {
    if (sodium_init() < 0) {
        error = "the cryptography library cannot start";
        return nullptr;
    }
    std::unique_ptr<CredentialSeal> seal(new CredentialSeal);
    if (keyFile.empty()) {
        crypto_aead_xchacha20poly1305_ietf_keygen(seal->key_.data());
        return seal;
    }
    int fd = ::open(keyFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        bool read = readKey(fd, seal->key_);
        ::close(fd);
        if (read) return seal;
        error = keyFile + " is not a key of 32 bytes";
        return nullptr;
    }
    if (errno != ENOENT) {
        error = keyFile + ": " + std::strerror(errno);
        return nullptr;
    }
    // O_EXCL: two servers starting on the same database must not each write
    // a key of their own.
    fd = ::open(keyFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = keyFile + ": " + std::strerror(errno);
        return nullptr;
    }
    crypto_aead_xchacha20poly1305_ietf_keygen(seal->key_.data());
    bool written = writeKey(fd, seal->key_);
    ::close(fd);
    if (!written) {
        ::unlink(keyFile.c_str());
        error = keyFile + ": the key could not be written";
        return nullptr;
    }
    return seal;
}

CredentialSeal::~CredentialSeal() {
    sodium_memzero(key_.data(), key_.size());
}

std::string CredentialSeal::seal(std::string_view plain, std::string_view owner) const {
    std::string out(kNonceBytes + plain.size() + kTagBytes, '\0');
    auto* nonce = reinterpret_cast<unsigned char*>(out.data());
    randombytes_buf(nonce, kNonceBytes);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + kNonceBytes, &length, bytes(plain), plain.size(),
                                               bytes(owner), owner.size(), nullptr, nonce, key_.data());
    out.resize(kNonceBytes + length);
    return out;
}

std::optional<std::string> CredentialSeal::unseal(std::string_view sealed, std::string_view owner) const {
    if (sealed.size() < kNonceBytes + kTagBytes) return std::nullopt;
    std::string plain(sealed.size() - kNonceBytes - kTagBytes, '\0');
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &length, nullptr, bytes(sealed) + kNonceBytes,
            sealed.size() - kNonceBytes, bytes(owner), owner.size(), bytes(sealed), key_.data()) != 0)
        return std::nullopt;
    plain.resize(length);
    return plain;
}

} // namespace kestrova::server::bridges
