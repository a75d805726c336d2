// The multi-block forms of the cipher, chosen at run time; declared here so
// that the tests can hold each against the one-block form on any processor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrova::crypto::lanes {

// Each encrypts as many whole groups (of 8 or 4 blocks) as length holds,
// advances the block counter, and returns the bytes done.
size_t encryptGroupsOfEight(uint32_t input[16], const uint8_t* in, uint8_t* out, size_t length);
size_t encryptGroupsOfFour(uint32_t input[16], const uint8_t* in, uint8_t* out, size_t length);
// Whether this processor runs the eight-block form.
bool eightLanesAvailable();

}  // namespace kestrova::crypto::lanes
