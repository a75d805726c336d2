#include "kestrova/crypto/salsa20.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace kestrova::crypto;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes fromHex(const std::string& text) {
    Bytes bytes;
    for (size_t k = 0; k + 1 < text.size(); k += 2) bytes.push_back(uint8_t(std::stoul(text.substr(k, 2), nullptr, 16)));
    return bytes;
}

struct Vector {
    uint32_t keyBits;
    Bytes key;
    Bytes iv;
    size_t offset;
    Bytes stream;
};

std::vector<Vector> loadVectors() {
    std::ifstream file(KESTROVA_SALSA20_VECTORS);
    std::vector<Vector> vectors;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Vector vector;
        std::string key, iv, stream;
        fields >> vector.keyBits >> key >> iv >> vector.offset >> stream;
        vector.key = fromHex(key);
        vector.iv = fromHex(iv);
        vector.stream = fromHex(stream);
        vectors.push_back(vector);
    }
    return vectors;
}

Salsa20Context contextFor(const Bytes& key, uint32_t keyBits, const Bytes& iv) {
    Salsa20Context context;
    salsa20KeySetup(context, key.data(), keyBits);
    salsa20IvSetup(context, iv.data());
    return context;
}

Bytes keystream(Salsa20Context context, size_t length) {
    Bytes out(length);
    salsa20KeystreamBytes(context, out.data(), out.size());
    return out;
}

Bytes testKey() { return fromHex("0f62b5085bae0154a7fa4da0f34699ec"); }
Bytes testIv() { return fromHex("288ff65dc42b92f9"); }

}  // namespace

TEST(Salsa20, KeystreamMatchesPublishedVectorsForBothKeySizes) {
    const std::vector<Vector> vectors = loadVectors();
    ASSERT_GE(vectors.size(), 16u);
    int keys128 = 0, keys256 = 0;
    for (const Vector& vector : vectors) {
        SCOPED_TRACE(testing::Message() << vector.keyBits << "-bit key, offset " << vector.offset);
        const Bytes stream = keystream(contextFor(vector.key, vector.keyBits, vector.iv), vector.offset + 64);
        EXPECT_EQ(Bytes(stream.begin() + vector.offset, stream.end()), vector.stream);
        (vector.keyBits == 256 ? keys256 : keys128)++;
    }
    EXPECT_GT(keys128, 0);
    EXPECT_GT(keys256, 0);
}

TEST(Salsa20, BlockSizedCallsContinueTheSameStream) {
    Salsa20Context whole = contextFor(testKey(), 128, testIv());
    Salsa20Context pieces = whole;
    const Bytes expected = keystream(whole, 64 * 9);
    Bytes actual;
    for (int block = 0; block < 9; ++block) {
        Bytes piece(64);
        salsa20KeystreamBytes(pieces, piece.data(), piece.size());
        actual.insert(actual.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(actual, expected);
}

TEST(Salsa20, EveryCallStartsOnAFreshBlock) {
    Salsa20Context context = contextFor(testKey(), 128, testIv());
    const Bytes stream = keystream(context, 128);
    Bytes first(10), second(10);
    salsa20KeystreamBytes(context, first.data(), first.size());
    salsa20KeystreamBytes(context, second.data(), second.size());
    EXPECT_EQ(first, Bytes(stream.begin(), stream.begin() + 10));
    // The rest of block 0 is thrown away; the second call starts at block 1.
    EXPECT_EQ(second, Bytes(stream.begin() + 64, stream.begin() + 74));
    EXPECT_NE(second, Bytes(stream.begin() + 10, stream.begin() + 20));
    EXPECT_EQ(context.input[8], 2u);
}

TEST(Salsa20, PartialFinalBlockAdvancesTheCounter) {
    Salsa20Context context = contextFor(Bytes(32, 0x11), 256, testIv());
    Bytes buffer(64 * 5 + 1);
    salsa20KeystreamBytes(context, buffer.data(), buffer.size());
    EXPECT_EQ(context.input[8], 6u);
    EXPECT_EQ(context.input[9], 0u);
}

TEST(Salsa20, CounterCarriesIntoItsHighWordInsideAMultiBlockCall) {
    Salsa20Context context = contextFor(testKey(), 128, testIv());
    context.input[8] = 0xfffffffe;
    Salsa20Context stepwise = context;
    // 19 blocks: two groups of eight through the vector path, three single ones.
    const Bytes whole = keystream(context, 64 * 19);
    Bytes pieces;
    for (int block = 0; block < 19; ++block) {
        Bytes piece(64);
        salsa20KeystreamBytes(stepwise, piece.data(), piece.size());
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(whole, pieces);
    EXPECT_EQ(stepwise.input[8], 17u);
    EXPECT_EQ(stepwise.input[9], 1u);
}

TEST(Salsa20, DecryptingWithAFreshContextRestoresTheInput) {
    Bytes plain(1000);
    for (size_t k = 0; k < plain.size(); ++k) plain[k] = uint8_t(k * 7);
    Salsa20Context encryptor = contextFor(testKey(), 128, testIv());
    Bytes cipher(plain.size());
    salsa20EncryptBytes(encryptor, plain.data(), cipher.data(), plain.size());
    EXPECT_NE(cipher, plain);

    Salsa20Context decryptor = contextFor(testKey(), 128, testIv());
    salsa20DecryptBytes(decryptor, cipher.data(), cipher.data(), cipher.size());  // in place
    EXPECT_EQ(cipher, plain);
}

TEST(Salsa20, ShortKeyIsUsedTwiceWithTheSixteenByteConstant) {
    const Bytes key16 = testKey();
    Bytes key32 = key16;
    key32.insert(key32.end(), key16.begin(), key16.end());
    const Bytes short128 = keystream(contextFor(key16, 128, testIv()), 64);
    const Bytes long256 = keystream(contextFor(key32, 256, testIv()), 64);
    EXPECT_NE(short128, long256);  // only the constants differ
    Salsa20Context anyOtherSize = contextFor(key16, 80, testIv());
    EXPECT_EQ(keystream(anyOtherSize, 64), short128);
}

TEST(Salsa20, IvSetupResetsTheCounter) {
    Salsa20Context context = contextFor(testKey(), 128, testIv());
    const Bytes first = keystream(context, 64);
    Bytes scratch(200);
    salsa20KeystreamBytes(context, scratch.data(), scratch.size());
    salsa20IvSetup(context, testIv().data());
    EXPECT_EQ(keystream(context, 64), first);
}
