#include "handshake.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;

namespace {

crypto::Md5Digest digestOf(const std::string& password) { return crypto::md5(password.data(), password.size()); }

std::string text(const uint8_t* bytes, size_t n) { return std::string(reinterpret_cast<const char*>(bytes), n); }

struct Offer {
    Challenge challenge;
    Nonce nonce;
    std::string body() const { return text(challenge.data(), 16) + text(nonce.data(), 8); }
};

Offer someOffer() {
    Offer offer;
    for (size_t i = 0; i < 16; ++i) offer.challenge[i] = static_cast<uint8_t>(i * 17 + 3);
    for (size_t i = 0; i < 8; ++i) offer.nonce[i] = static_cast<uint8_t>(0xA0 + i);
    return offer;
}

}  // namespace

TEST(ChallengeProof, ClientsProofWithTheRightPasswordIsAcceptedAndYieldsItsRandom) {
    Offer offer = someOffer();
    server::testing::ClientProof client("correct horse");
    std::string proof = client.answer(offer.body());
    auto random = verifyChallengeProof(digestOf("correct horse"), offer.challenge, offer.nonce, proof);
    ASSERT_TRUE(random);

    // Both sides now hold K2: what the server encrypts, the client decrypts.
    Iv iv{1, 2, 3, 4, 5, 6, 7, 8};
    crypto::Md5Digest k2 = sessionKey(digestOf("correct horse"), *random);
    std::string sealed = encryptResumeKey(k2, iv, "0123456789abcdef0123456789abcdef");
    EXPECT_NE(sealed, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(client.decryptResumeKey(text(iv.data(), 8), sealed), "0123456789abcdef0123456789abcdef");
}

TEST(ChallengeProof, WrongPasswordOrOtherChallengeIsRejected) {
    Offer offer = someOffer();
    server::testing::ClientProof client("guess");
    std::string proof = client.answer(offer.body());
    EXPECT_FALSE(verifyChallengeProof(digestOf("correct horse"), offer.challenge, offer.nonce, proof));
    Offer other = offer;
    other.challenge[5] ^= 1;
    EXPECT_FALSE(verifyChallengeProof(digestOf("guess"), other.challenge, other.nonce, proof));
    EXPECT_TRUE(verifyChallengeProof(digestOf("guess"), offer.challenge, offer.nonce, proof));
}

TEST(ChallengeProof, ProofMustBeExactlyThirtyTwoBytes) {
    Offer offer = someOffer();
    server::testing::ClientProof client("pw");
    std::string proof = client.answer(offer.body());
    EXPECT_FALSE(verifyChallengeProof(digestOf("pw"), offer.challenge, offer.nonce, proof + "x"));
    EXPECT_FALSE(verifyChallengeProof(digestOf("pw"), offer.challenge, offer.nonce, proof.substr(0, 31)));
    EXPECT_FALSE(verifyChallengeProof(digestOf("pw"), offer.challenge, offer.nonce, ""));
}

TEST(PlainPassword, ComparesTheDigestOfWhatWasSent) {
    EXPECT_TRUE(verifyPlainPassword(digestOf("secret"), "secret"));
    EXPECT_FALSE(verifyPlainPassword(digestOf("secret"), "Secret"));
    EXPECT_FALSE(verifyPlainPassword(digestOf("secret"), ""));
}

TEST(ResumeProof, IsTheDigestOfKeyAndNonceAsTexts) {
    crypto::Md5Digest proof = resumeProof("key", "nonce");
    crypto::Md5Digest expected = crypto::md5("keynonce", 8);
    EXPECT_EQ(proof, expected);
    EXPECT_EQ(resumeProof(std::string("key\0junk", 8), std::string("nonce\0x", 7)), expected) << "texts end at zero";
    EXPECT_TRUE(sameDigest(text(expected.data(), 16), proof));
    EXPECT_FALSE(sameDigest(text(expected.data(), 15), proof));
}
