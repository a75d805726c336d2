// The re-exported digest and cipher keep their contexts in the exported
// layout; the audio lock is a real recursive lock across threads.
#include "core_fixture.h"

#include <cstring>
#include <thread>

namespace {

std::string hex(const unsigned char* bytes, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t k = 0; k < length; ++k) (text += digits[bytes[k] >> 4]) += digits[bytes[k] & 15];
    return text;
}

int32_t tryLockOnAnotherThread() {
    int32_t result = -1;
    std::thread([&] {
        result = RY_AudioTryLock();
        if (result) RY_AudioUnlock();
    }).join();
    return result;
}

}  // namespace

using Digest = CoreTest;

TEST_F(Digest, OneCallAndPiecesGiveTheSameKnownDigests) {
    unsigned char out[16];
    RY_MD5("abc", 3, out);
    EXPECT_EQ(hex(out, 16), "900150983cd24fb0d6963f7d28e17f72");
    RY_MD5("", 0, out);
    EXPECT_EQ(hex(out, 16), "d41d8cd98f00b204e9800998ecf8427e");

    std::string data(128, 'q');
    RY_MD5(data.data(), int32_t(data.size()), out);
    const std::string whole = hex(out, 16);
    RY_MD5Context context;
    RY_MD5_Starts(&context);
    RY_MD5_Update(&context, data.data(), 1);
    RY_MD5_Update(&context, data.data() + 1, 63);
    RY_MD5_Update(&context, data.data(), -5);  // ignored
    RY_MD5_Update(&context, data.data() + 64, 64);
    EXPECT_EQ(context.count[0], 128u);
    RY_MD5_Finish(&context, out);
    EXPECT_EQ(hex(out, 16), whole);
}

using Cipher = CoreTest;

TEST_F(Cipher, KeySetupFollowsTheStandardLayoutAndDecryptRestores) {
    const unsigned char key[32] = {0, 0, 0x20};
    const unsigned char iv[8] = {};
    RY_Salsa20Context context;
    RY_SALSA20_KeySetup(&context, key, 256, 64);
    RY_SALSA20_IVSetup(&context, iv);
    EXPECT_EQ(context.input[0], 0x61707865u);  // "expa"
    EXPECT_EQ(context.input[1], 0x200000u);
    EXPECT_EQ(context.input[8], 0u);
    unsigned char stream[64];
    RY_SALSA20_KeystreamBytes(&context, stream, 64);
    EXPECT_EQ(hex(stream, 8), "c29ba0da9ebebfac");  // a published 256-bit vector
    EXPECT_EQ(context.input[8], 1u);

    std::string text = "attack at dawn, again and again";
    RY_Salsa20Context encryptor, decryptor;
    RY_SALSA20_KeySetup(&encryptor, key, 128, 64);
    RY_SALSA20_IVSetup(&encryptor, iv);
    decryptor = encryptor;
    std::string cipher(text.size(), '\0');
    RY_SALSA20_EncryptBytes(&encryptor, reinterpret_cast<const unsigned char*>(text.data()),
                            reinterpret_cast<unsigned char*>(cipher.data()), uint32_t(text.size()));
    EXPECT_NE(cipher, text);
    RY_SALSA20_DecryptBytes(&decryptor, reinterpret_cast<const unsigned char*>(cipher.data()),
                            reinterpret_cast<unsigned char*>(cipher.data()), uint32_t(cipher.size()));
    EXPECT_EQ(cipher, text);
}

using AudioLock = CoreTest;

TEST_F(AudioLock, AnotherThreadCannotTakeItWhileHeldAndTheHolderCanAgain) {
    RY_AudioLock();
    EXPECT_EQ(tryLockOnAnotherThread(), 0);
    EXPECT_EQ(RY_AudioTryLock(), 1);  // recursive on the holding thread
    RY_AudioUnlock();
    EXPECT_EQ(tryLockOnAnotherThread(), 0);  // still held once
    RY_AudioUnlock();
    EXPECT_EQ(tryLockOnAnotherThread(), 1);
}

TEST_F(AudioLock, OutlivesTheCoreStateWhileAThreadHoldsIt) {
    RY_AudioLock();
    RY_API_Cleanup();
    EXPECT_EQ(tryLockOnAnotherThread(), 0);
    RY_AudioUnlock();
    EXPECT_EQ(tryLockOnAnotherThread(), 1);
}
