// The Salsa20/20 stream cipher with the classic key/IV/encrypt interface.
//
// Every encrypt call starts on a fresh 64-byte keystream block: a final
// partial block still advances the block counter and its unused keystream is
// thrown away. So encrypting 10 bytes and then 10 more is not the same as
// encrypting 20 at once; both peers of the protocol rely on exactly this.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrova::crypto {

// The sixteen words of the Salsa20 input block: constants, key, nonce and the
// 64-bit block counter (words 8 and 9, low word first).
struct Salsa20Context {
    uint32_t input[16];
};

// keyBits 256 takes a 32-byte key; any other value takes 16 bytes, used twice.
void salsa20KeySetup(Salsa20Context& context, const uint8_t* key, uint32_t keyBits);
// Loads the 8-byte nonce and sets the block counter to 0.
void salsa20IvSetup(Salsa20Context& context, const uint8_t iv[8]);
// out = in XOR keystream; in and out may be the same buffer.
void salsa20EncryptBytes(Salsa20Context& context, const uint8_t* in, uint8_t* out, size_t length);
inline void salsa20DecryptBytes(Salsa20Context& context, const uint8_t* in, uint8_t* out, size_t length) {
    salsa20EncryptBytes(context, in, out, length);
}
void salsa20KeystreamBytes(Salsa20Context& context, uint8_t* out, size_t length);

}  // namespace kestrova::crypto
