// Reading ICO files: a directory of images of several sizes and colour
// depths, each a bottom-up device-independent bitmap (1, 4 or 8 bits per
// pixel through a palette, or 24 or 32 bits direct) followed by its AND mask.
// Input comes from files on disk, so every size and offset is checked and the
// whole file is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrova::platform {

struct IconImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down
    std::vector<uint8_t> andMask;  // 1 = transparent, rows top-down

    uint32_t pixel(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool isOpaque(int x, int y) const { return andMask[size_t(y) * size_t(width) + size_t(x)] == 0; }
};

// The images of one icon file, in the order of its directory.
struct IconGroup {
    std::vector<IconImage> images;
};

inline constexpr size_t kMaxIconFileSize = 1024 * 1024;
inline constexpr int kMaxIconDimension = 256;
inline constexpr size_t kMaxIconImages = 64;

// Nothing if the bytes are not an icon file. Images in formats this reader
// does not know (compressed images, PNG) are left out; a file with none left
// is not an icon file.
std::optional<IconGroup> parseIconFile(std::span<const uint8_t> bytes);

}  // namespace kestrova::platform
