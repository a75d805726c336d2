// Signatures of update bodies. An update is code that will run, so the
// program installs only bodies signed by the publisher's release key
// (Ed25519, libsodium). The signature covers the body and the exact contents
// of the files it is built from: a body can neither be altered nor applied
// to files other than those it was made for. The signature travels in the
// response header "Kestrova-Signature" as 128 hexadecimal digits
// (docs/UPDATES.md).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrova::updates {

inline constexpr char kSignatureHeader[] = "Kestrova-Signature";

using PublicKey = std::array<unsigned char, 32>;
using SecretKey = std::array<unsigned char, 64>;
using Signature = std::array<unsigned char, 64>;

// The release key built into this program (CMake KESTROVA_RELEASE_PUBLIC_KEY;
// the test key unless a publisher set their own).
PublicKey releasePublicKey();

std::string toHex(std::span<const unsigned char> bytes);
template <size_t N> std::optional<std::array<unsigned char, N>> fromHex(std::string_view hex);
extern template std::optional<PublicKey> fromHex<32>(std::string_view);
extern template std::optional<SecretKey> fromHex<64>(std::string_view);

struct KeyPair {
    PublicKey publicKey;
    SecretKey secretKey;
};
KeyPair makeKeyPair();

// sources: the contents of the body's source files, in the order of its list.
Signature signUpdate(const SecretKey& key, std::span<const std::string_view> sources, std::string_view body);
bool verifyUpdate(const PublicKey& key, const Signature& signature, std::span<const std::string_view> sources,
                  std::string_view body);

} // namespace kestrova::updates
