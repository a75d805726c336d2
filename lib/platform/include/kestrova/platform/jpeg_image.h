// JPEG pictures decoded for the image viewer, within bounds: the file's size
// and the picture's dimensions are checked before anything is decoded, and a
// large picture is decoded at a reduced scale.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <variant>
#include <vector>

namespace kestrova::platform {

struct JpegLimits {
    size_t maxFileBytes = 8 * 1024 * 1024;
    int maxWidth = 4096; // pictures beyond these are refused as too large
    int maxHeight = 4096;
    int maxDecodedSide = 1024; // larger pictures are decoded at 1/2, 1/4 or 1/8
};

struct DecodedImage {
    int width = 0; // as decoded (possibly reduced)
    int height = 0;
    int sourceWidth = 0; // as the file says
    int sourceHeight = 0;
    std::vector<uint32_t> pixels; // 0xFFRRGGBB, row by row
};

enum class JpegError {
    kUnreadable, // no such file, or it cannot be read
    kTooLarge,   // the file or the picture beyond the limits
    kDamaged,    // not a JPEG, or one that cannot be decoded
};
const char* jpegErrorText(JpegError error);

// A JPEG file by its name: ".jpg", ".jpeg" or ".jpe" in any case.
bool hasJpegExtension(const std::filesystem::path& path);

std::variant<DecodedImage, JpegError> decodeJpeg(std::span<const uint8_t> bytes,
                                                 const JpegLimits& limits = {});
std::variant<DecodedImage, JpegError> loadJpegFile(const std::filesystem::path& path,
                                                   const JpegLimits& limits = {});

} // namespace kestrova::platform
