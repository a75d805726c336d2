#include "update_signature.h"

#include <sodium.h>

#include <cstdlib>

namespace kestrova::updates {
namespace {

// Tells this use of the key from any other it may ever have.
constexpr std::string_view kDomain = "kestrova update body v1\n";

void initialiseSodium() {
    // NOTE: only fails when the system has no source of randomness at all;
    // signing and checking would then be meaningless.
    if (::sodium_init() < 0) std::abort();
}

// Ed25519ph over: the domain, one BLAKE2b-256 digest per source, the body.
void hashMessage(crypto_sign_state& state, std::span<const std::string_view> sources, std::string_view body) {
    initialiseSodium();
    ::crypto_sign_init(&state);
    ::crypto_sign_update(&state, reinterpret_cast<const unsigned char*>(kDomain.data()), kDomain.size());
    for (std::string_view source : sources) {
        unsigned char digest[32];
        ::crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(source.data()),
                             source.size(), nullptr, 0);
        ::crypto_sign_update(&state, digest, sizeof digest);
    }
    ::crypto_sign_update(&state, reinterpret_cast<const unsigned char*>(body.data()), body.size());
}

} // namespace

PublicKey releasePublicKey() {
    static const PublicKey key = [] {
        auto parsed = fromHex<32>(KESTROVA_RELEASE_PUBLIC_KEY);
        // NOTE: the build checks the key's form; a key that does not parse
        // would let no update in, never every update.
        return parsed ? *parsed : PublicKey{};
    }();
    return key;
}

std::string toHex(std::span<const unsigned char> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char byte : bytes) {
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 15]);
    }
    return out;
}

template <size_t N> std::optional<std::array<unsigned char, N>> fromHex(std::string_view hex) {
    if (hex.size() != 2 * N) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::array<unsigned char, N> out{};
    for (size_t i = 0; i < N; ++i) {
        int high = digit(hex[2 * i]), low = digit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return out;
}
template std::optional<PublicKey> fromHex<32>(std::string_view);
template std::optional<SecretKey> fromHex<64>(std::string_view);

KeyPair makeKeyPair() {
    initialiseSodium();
    KeyPair pair;
    ::crypto_sign_keypair(pair.publicKey.data(), pair.secretKey.data());
    return pair;
}

Signature signUpdate(const SecretKey& key, std::span<const std::string_view> sources, std::string_view body) {
    crypto_sign_state state;
    hashMessage(state, sources, body);
    Signature signature{};
    ::crypto_sign_final_create(&state, signature.data(), nullptr, key.data());
    return signature;
}

bool verifyUpdate(const PublicKey& key, const Signature& signature, std::span<const std::string_view> sources,
                  std::string_view body) {
    crypto_sign_state state;
    hashMessage(state, sources, body);
    return ::crypto_sign_final_verify(&state, const_cast<unsigned char*>(signature.data()), key.data()) == 0;
}

} // namespace kestrova::updates
