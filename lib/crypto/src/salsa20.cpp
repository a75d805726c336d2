#include "kestrova/crypto/salsa20.h"

// The vector helpers below are internal and always inlined; the note about the
// calling convention of wide vectors does not concern them.
#pragma GCC diagnostic ignored "-Wpsabi"

#include <bit>
#include <cstring>

namespace kestrova::crypto {
namespace {

constexpr uint8_t kSigma[] = "expand 32-byte k";
constexpr uint8_t kTau[] = "expand 16-byte k";
constexpr size_t kBlockSize = 64;

uint32_t loadLittleEndian(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void storeLittleEndian(uint32_t value, uint8_t* bytes) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

void advanceCounter(uint32_t input[16], uint32_t blocks) {
    const uint64_t counter = (uint64_t(input[9]) << 32 | input[8]) + blocks;
    input[8] = uint32_t(counter);
    input[9] = uint32_t(counter >> 32);
}

template <typename Word>
[[gnu::always_inline]] inline Word rotl(Word value, int shift) {
    return (value << shift) | (value >> (32 - shift));
}

// The twenty rounds over any word type: plain words for one block, or
// vectors that hold the same word of several consecutive blocks.
template <typename Word>
[[gnu::always_inline]] inline void salsa20Rounds(Word x[16]) {
    for (int round = 0; round < 20; round += 2) {
        x[4] ^= rotl(x[0] + x[12], 7);
        x[8] ^= rotl(x[4] + x[0], 9);
        x[12] ^= rotl(x[8] + x[4], 13);
        x[0] ^= rotl(x[12] + x[8], 18);
        x[9] ^= rotl(x[5] + x[1], 7);
        x[13] ^= rotl(x[9] + x[5], 9);
        x[1] ^= rotl(x[13] + x[9], 13);
        x[5] ^= rotl(x[1] + x[13], 18);
        x[14] ^= rotl(x[10] + x[6], 7);
        x[2] ^= rotl(x[14] + x[10], 9);
        x[6] ^= rotl(x[2] + x[14], 13);
        x[10] ^= rotl(x[6] + x[2], 18);
        x[3] ^= rotl(x[15] + x[11], 7);
        x[7] ^= rotl(x[3] + x[15], 9);
        x[11] ^= rotl(x[7] + x[3], 13);
        x[15] ^= rotl(x[11] + x[7], 18);

        x[1] ^= rotl(x[0] + x[3], 7);
        x[2] ^= rotl(x[1] + x[0], 9);
        x[3] ^= rotl(x[2] + x[1], 13);
        x[0] ^= rotl(x[3] + x[2], 18);
        x[6] ^= rotl(x[5] + x[4], 7);
        x[7] ^= rotl(x[6] + x[5], 9);
        x[4] ^= rotl(x[7] + x[6], 13);
        x[5] ^= rotl(x[4] + x[7], 18);
        x[11] ^= rotl(x[10] + x[9], 7);
        x[8] ^= rotl(x[11] + x[10], 9);
        x[9] ^= rotl(x[8] + x[11], 13);
        x[10] ^= rotl(x[9] + x[8], 18);
        x[12] ^= rotl(x[15] + x[14], 7);
        x[13] ^= rotl(x[12] + x[15], 9);
        x[14] ^= rotl(x[13] + x[12], 13);
        x[15] ^= rotl(x[14] + x[13], 18);
    }
}

void keystreamBlock(const uint32_t input[16], uint8_t out[kBlockSize]) {
    uint32_t x[16];
    std::memcpy(x, input, sizeof x);
    salsa20Rounds(x);
    for (int k = 0; k < 16; ++k) storeLittleEndian(x[k] + input[k], out + 4 * k);
}

// NOTE: several blocks at a time, one block per vector lane: the compiler
// maps this onto the machine's SIMD registers, which brings the cipher close
// to the hand-tuned libraries without any assembly of our own. The widest
// form is chosen once at run time from what the processor offers.
typedef uint32_t FourLanes __attribute__((vector_size(16)));
typedef uint32_t EightLanes __attribute__((vector_size(32)));

// The keystream of Lanes consecutive blocks, word k of every block in x[k].
template <typename Vector, size_t Lanes = sizeof(Vector) / 4>
[[gnu::always_inline]] inline void keystreamVectors(const uint32_t input[16], Vector x[16]) {
    Vector start[16];
    const uint64_t counter = uint64_t(input[9]) << 32 | input[8];
    for (int k = 0; k < 16; ++k) start[k] = Vector{} + input[k];
    for (uint32_t lane = 0; lane < Lanes; ++lane) {
        start[8][lane] = uint32_t(counter + lane);
        start[9][lane] = uint32_t((counter + lane) >> 32);
    }
    for (int k = 0; k < 16; ++k) x[k] = start[k];
    salsa20Rounds(x);
    for (int k = 0; k < 16; ++k) x[k] += start[k];
}

template <typename Vector, size_t Lanes = sizeof(Vector) / 4>
[[gnu::always_inline]] inline void keystreamBlocks(const uint32_t input[16], uint32_t out[Lanes][16]) {
    Vector x[16];
    keystreamVectors(input, x);
    for (size_t lane = 0; lane < Lanes; ++lane)
        for (int k = 0; k < 16; ++k) out[lane][k] = x[k][lane];
}

// XORs whole blocks of keystream words into the output.
template <size_t Lanes>
[[gnu::always_inline]] inline void xorWords(const uint8_t* in, const uint32_t words[Lanes][16], uint8_t* out) {
    for (size_t lane = 0; lane < Lanes; ++lane) {
        for (int k = 0; k < 16; ++k) {
            uint8_t keystream[4];
            storeLittleEndian(words[lane][k], keystream);
            uint32_t inWord, key;
            std::memcpy(&inWord, in + lane * kBlockSize + 4 * k, 4);
            std::memcpy(&key, keystream, 4);
            inWord ^= key;
            std::memcpy(out + lane * kBlockSize + 4 * k, &inWord, 4);
        }
    }
}

template <typename Vector, size_t Lanes = sizeof(Vector) / 4>
[[gnu::always_inline]] inline size_t encryptWholeGroups(uint32_t input[16], const uint8_t* in, uint8_t* out,
                                                        size_t length) {
    size_t done = 0;
    for (; length - done >= Lanes * kBlockSize; done += Lanes * kBlockSize) {
        uint32_t words[Lanes][16];
        keystreamBlocks<Vector>(input, words);
        advanceCounter(input, Lanes);
        xorWords<Lanes>(in + done, words, out + done);
    }
    return done;
}

// Turns eight vectors (word k of blocks 0..7, for eight consecutive k) into
// eight vectors (words k..k+7 of one block), with the in-lane shuffles that
// wide vector units do cheaply.
// GCC and clang spell a two-vector shuffle differently.
#if defined(__clang__)
#define SHUFFLE8(a, b, ...) __builtin_shufflevector(a, b, __VA_ARGS__)
#else
#define SHUFFLE8(a, b, ...) __builtin_shuffle(a, b, EightLanes{__VA_ARGS__})
#endif
#define LO32 0, 8, 1, 9, 4, 12, 5, 13
#define HI32 2, 10, 3, 11, 6, 14, 7, 15
#define LO64 0, 1, 8, 9, 4, 5, 12, 13
#define HI64 2, 3, 10, 11, 6, 7, 14, 15
#define LO128 0, 1, 2, 3, 8, 9, 10, 11
#define HI128 4, 5, 6, 7, 12, 13, 14, 15

[[gnu::always_inline]] inline void transposeEightByEight(const EightLanes rows[8], EightLanes columns[8]) {
    EightLanes t[8], u[8];
    for (int pair = 0; pair < 4; ++pair) {
        t[2 * pair] = SHUFFLE8(rows[2 * pair], rows[2 * pair + 1], LO32);
        t[2 * pair + 1] = SHUFFLE8(rows[2 * pair], rows[2 * pair + 1], HI32);
    }
    for (int half = 0; half < 2; ++half) {
        const EightLanes* q = t + 4 * half;
        u[4 * half + 0] = SHUFFLE8(q[0], q[2], LO64);
        u[4 * half + 1] = SHUFFLE8(q[0], q[2], HI64);
        u[4 * half + 2] = SHUFFLE8(q[1], q[3], LO64);
        u[4 * half + 3] = SHUFFLE8(q[1], q[3], HI64);
    }
    for (int k = 0; k < 4; ++k) {
        columns[k] = SHUFFLE8(u[k], u[k + 4], LO128);
        columns[k + 4] = SHUFFLE8(u[k], u[k + 4], HI128);
    }
}

__attribute__((target("avx2"))) size_t encryptGroupsOfEight(uint32_t input[16], const uint8_t* in, uint8_t* out,
                                                           size_t length) {
    if constexpr (std::endian::native != std::endian::little) {
        return encryptWholeGroups<EightLanes>(input, in, out, length);
    } else {
        size_t done = 0;
        for (; length - done >= 8 * kBlockSize; done += 8 * kBlockSize) {
            EightLanes x[16];
            keystreamVectors(input, x);
            advanceCounter(input, 8);
            for (int half = 0; half < 2; ++half) {
                EightLanes columns[8];
                transposeEightByEight(x + 8 * half, columns);
                for (size_t lane = 0; lane < 8; ++lane) {
                    const size_t offset = done + lane * kBlockSize + 32 * half;
                    EightLanes data;
                    std::memcpy(&data, in + offset, sizeof data);
                    data ^= columns[lane];
                    std::memcpy(out + offset, &data, sizeof data);
                }
            }
        }
        return done;
    }
}

size_t encryptGroupsOfFour(uint32_t input[16], const uint8_t* in, uint8_t* out, size_t length) {
    return encryptWholeGroups<FourLanes>(input, in, out, length);
}

using GroupEncryptor = size_t (*)(uint32_t[16], const uint8_t*, uint8_t*, size_t);

GroupEncryptor widestGroupEncryptor() {
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx2")) return encryptGroupsOfEight;
#endif
    return encryptGroupsOfFour;
}

void xorBytes(const uint8_t* in, const uint8_t* keystream, uint8_t* out, size_t length) {
    for (size_t k = 0; k < length; ++k) out[k] = in[k] ^ keystream[k];
}

}  // namespace

void salsa20KeySetup(Salsa20Context& context, const uint8_t* key, uint32_t keyBits) {
    uint32_t* input = context.input;
    for (int k = 0; k < 4; ++k) input[1 + k] = loadLittleEndian(key + 4 * k);
    const uint8_t* constants = kTau;
    if (keyBits == 256) {
        key += 16;
        constants = kSigma;
    }
    for (int k = 0; k < 4; ++k) input[11 + k] = loadLittleEndian(key + 4 * k);
    input[0] = loadLittleEndian(constants + 0);
    input[5] = loadLittleEndian(constants + 4);
    input[10] = loadLittleEndian(constants + 8);
    input[15] = loadLittleEndian(constants + 12);
}

void salsa20IvSetup(Salsa20Context& context, const uint8_t iv[8]) {
    context.input[6] = loadLittleEndian(iv);
    context.input[7] = loadLittleEndian(iv + 4);
    context.input[8] = 0;
    context.input[9] = 0;
}

void salsa20EncryptBytes(Salsa20Context& context, const uint8_t* in, uint8_t* out, size_t length) {
    static const GroupEncryptor encryptGroups = widestGroupEncryptor();
    const size_t done = encryptGroups(context.input, in, out, length);
    in += done;
    out += done;
    length -= done;
    uint8_t keystream[kBlockSize];
    while (length > 0) {
        keystreamBlock(context.input, keystream);
        advanceCounter(context.input, 1);
        const size_t take = length < kBlockSize ? length : kBlockSize;
        xorBytes(in, keystream, out, take);
        in += take;
        out += take;
        length -= take;
    }
}

void salsa20KeystreamBytes(Salsa20Context& context, uint8_t* out, size_t length) {
    std::memset(out, 0, length);
    salsa20EncryptBytes(context, out, out, length);
}

}  // namespace kestrova::crypto
