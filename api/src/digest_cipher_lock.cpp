// MD5, Salsa20 and the audio lock: the exports any thread may call. The
// digest and the cipher work only on the caller's context; the lock is a real
// recursive critical section.
#include "kestrova/api.h"

#include "kestrova/crypto/md5.h"
#include "kestrova/crypto/salsa20.h"

#include <cstring>
#include <mutex>

namespace {

using kestrova::crypto::Md5Context;
using kestrova::crypto::Salsa20Context;

static_assert(sizeof(RY_MD5Context) == sizeof(Md5Context));
static_assert(sizeof(RY_Salsa20Context) == sizeof(Salsa20Context));

// The exported contexts have the library's layout; copying in and out keeps
// the two types apart without aliasing one as the other.
template <class Inner, class Outer, class Work>
void withContext(Outer* outer, Work work) {
    Inner inner;
    std::memcpy(&inner, outer, sizeof inner);
    work(inner);
    std::memcpy(outer, &inner, sizeof inner);
}

// NOTE: the lock lives as long as the process, not the core state: a thread
// that records or plays may still hold it while the user-interface thread
// cleans up, and a lock destroyed under it would let the next one in. It is
// never destroyed, so no exit-time destructor can pull it away either.
std::recursive_mutex& audioLock() {
    static auto* lock = new std::recursive_mutex;
    return *lock;
}

}  // namespace

extern "C" {

void RY_MD5(const void* data, int32_t length, unsigned char out[16]) {
    const auto digest = kestrova::crypto::md5(data, length > 0 ? size_t(length) : 0);
    std::memcpy(out, digest.data(), digest.size());
}

void RY_MD5_Starts(RY_MD5Context* context) {
    withContext<Md5Context>(context, [](Md5Context& c) { kestrova::crypto::md5Starts(c); });
}

void RY_MD5_Update(RY_MD5Context* context, const void* data, int32_t length) {
    if (length <= 0) return;
    withContext<Md5Context>(context, [&](Md5Context& c) { kestrova::crypto::md5Update(c, data, size_t(length)); });
}

void RY_MD5_Finish(RY_MD5Context* context, unsigned char out[16]) {
    withContext<Md5Context>(context, [&](Md5Context& c) { kestrova::crypto::md5Finish(c, out); });
}

void RY_SALSA20_KeySetup(RY_Salsa20Context* context, const unsigned char* key, uint32_t keyBits, uint32_t ivBits) {
    withContext<Salsa20Context>(context, [&](Salsa20Context& c) { kestrova::crypto::salsa20KeySetup(c, key, keyBits); });
}

void RY_SALSA20_IVSetup(RY_Salsa20Context* context, const unsigned char iv[8]) {
    withContext<Salsa20Context>(context, [&](Salsa20Context& c) { kestrova::crypto::salsa20IvSetup(c, iv); });
}

void RY_SALSA20_EncryptBytes(RY_Salsa20Context* context, const unsigned char* in, unsigned char* out,
                             uint32_t length) {
    withContext<Salsa20Context>(context,
                                [&](Salsa20Context& c) { kestrova::crypto::salsa20EncryptBytes(c, in, out, length); });
}

void RY_SALSA20_DecryptBytes(RY_Salsa20Context* context, const unsigned char* in, unsigned char* out,
                             uint32_t length) {
    RY_SALSA20_EncryptBytes(context, in, out, length);
}

void RY_SALSA20_KeystreamBytes(RY_Salsa20Context* context, unsigned char* out, uint32_t length) {
    withContext<Salsa20Context>(context,
                                [&](Salsa20Context& c) { kestrova::crypto::salsa20KeystreamBytes(c, out, length); });
}

void RY_AudioLock() { audioLock().lock(); }

int32_t RY_AudioTryLock() { return audioLock().try_lock() ? 1 : 0; }

void RY_AudioUnlock() { audioLock().unlock(); }

}  // extern "C"
