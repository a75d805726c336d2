// The proof is checked against a computation of the test's own, written
// straight from the algorithm with the crypto primitives.
#include "auth_proof.h"

#include "kestrova/crypto/md5.h"
#include "kestrova/crypto/salsa20.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::connection;

namespace {

std::string bytes(const crypto::Md5Digest& d) { return std::string(reinterpret_cast<const char*>(d.data()), 16); }

std::string md5Of(const std::string& s) { return bytes(crypto::md5(s.data(), s.size())); }

std::string salsa(const std::string& key16, const std::string& iv8, const std::string& data) {
    crypto::Salsa20Context context;
    crypto::salsa20KeySetup(context, reinterpret_cast<const uint8_t*>(key16.data()), 128);
    crypto::salsa20IvSetup(context, reinterpret_cast<const uint8_t*>(iv8.data()));
    std::string out(data.size(), '\0');
    crypto::salsa20EncryptBytes(context, reinterpret_cast<const uint8_t*>(data.data()),
                                reinterpret_cast<uint8_t*>(out.data()), data.size());
    return out;
}

}  // namespace

TEST(EncryptedProof, IsChallengeAndRandomUnderTheNonceKey) {
    std::string challenge = "0123456789abcdef", nonce = "NONCE-01";
    ClientRandom random;
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<uint8_t>(0xA0 + i);
    EncryptedProof proof = makeEncryptedProof("secret", challenge, nonce, random);

    std::string p = md5Of("secret");
    std::string k1 = md5Of(p + nonce);
    std::string r(reinterpret_cast<const char*>(random.data()), random.size());
    EXPECT_EQ(proof.body, salsa(k1, nonce, challenge + r));
}

TEST(EncryptedProof, LeavesTheSessionCipherKeyedWithK2) {
    std::string challenge(16, '\x11'), nonce(8, '\x22');
    ClientRandom random{};
    random.fill(0x5a);
    EncryptedProof proof = makeEncryptedProof("pw", challenge, nonce, random);

    std::string k2 = md5Of(md5Of("pw") + std::string(16, '\x5a'));
    std::string iv = "ivivivIV", plain = "resume-key-bytes";
    crypto::salsa20IvSetup(proof.sessionCipher, reinterpret_cast<const uint8_t*>(iv.data()));
    std::string out(plain.size(), '\0');
    crypto::salsa20EncryptBytes(proof.sessionCipher, reinterpret_cast<const uint8_t*>(plain.data()),
                                reinterpret_cast<uint8_t*>(out.data()), plain.size());
    EXPECT_EQ(out, salsa(k2, iv, plain));
}

TEST(ResumeDigest, IsTheDigestOfKeyAndNonceUpToTheirZeroBytes) {
    EXPECT_EQ(resumeDigest("key", "nonce"), md5Of("keynonce"));
    EXPECT_EQ(resumeDigest(std::string("key\0tail", 8), std::string("no\0nce", 6)), md5Of("keyno"));
    EXPECT_EQ(resumeDigest("", ""), md5Of(""));
}
