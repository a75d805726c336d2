// Unpredictable bytes from the operating system's random source.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrova::connection {

// False only when the kernel refuses (then the buffer must not be used).
bool fillFromOsRandom(uint8_t* out, size_t length);

}  // namespace kestrova::connection
