// Unpredictable bytes from the operating system, for challenges, nonces,
// initialisation vectors and resume keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrova::server {

void fillRandom(uint8_t* out, size_t length);

template <size_t N>
std::array<uint8_t, N> randomArray() {
    std::array<uint8_t, N> out;
    fillRandom(out.data(), N);
    return out;
}

// Lower-case hexadecimal text of `bytes` random bytes: a secret that holds no
// zero byte, as the resume key and its nonce must (both are digested as
// NUL-terminated texts).
std::string randomHexText(size_t bytes);

}  // namespace kestrova::server
