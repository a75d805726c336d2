#include "kestrova/platform/ico_file.h"

#include "kestrova/platform/icon.h"

namespace kestrova::platform {
namespace {

constexpr size_t kDirectoryHeaderSize = 6;
constexpr size_t kDirectoryEntrySize = 16;
constexpr size_t kInfoHeaderMinSize = 40;
constexpr uint16_t kIconResourceType = 1;
constexpr uint32_t kUncompressed = 0;

// Little-endian reads that fail instead of reading past the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool has(size_t offset, size_t length) const { return offset <= bytes_.size() && length <= bytes_.size() - offset; }
    uint8_t u8(size_t offset) const { return bytes_[offset]; }
    uint16_t u16(size_t offset) const { return uint16_t(bytes_[offset] | bytes_[offset + 1] << 8); }
    uint32_t u32(size_t offset) const { return uint32_t(u16(offset)) | uint32_t(u16(offset + 2)) << 16; }
    std::span<const uint8_t> slice(size_t offset, size_t length) const { return bytes_.subspan(offset, length); }

private:
    std::span<const uint8_t> bytes_;
};

struct DirectoryEntry {
    uint32_t size;
    uint32_t offset;
};

size_t rowStride(int width, int bitsPerPixel) { return (size_t(width) * size_t(bitsPerPixel) + 31) / 32 * 4; }

bool isSupportedDepth(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

uint32_t paletteIndex(std::span<const uint8_t> row, int x, int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return (row[size_t(x) / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[size_t(x) / 2] >> (x % 2 ? 0 : 4)) & 15;
    default: return row[size_t(x)];
    }
}

uint32_t directColor(std::span<const uint8_t> row, int x, int bitsPerPixel) {
    const size_t at = size_t(x) * size_t(bitsPerPixel / 8);
    return rgb(row[at + 2], row[at + 1], row[at]);
}

// One image: header, palette, colour rows, mask rows; all inside `image`.
std::optional<IconImage> parseImage(std::span<const uint8_t> image) {
    const ByteReader in(image);
    if (!in.has(0, kInfoHeaderMinSize)) return std::nullopt;
    const uint32_t headerSize = in.u32(0);
    const int32_t width = int32_t(in.u32(4));
    const int32_t doubledHeight = int32_t(in.u32(8));
    const int bitsPerPixel = in.u16(14);
    const uint32_t compression = in.u32(16);
    const uint32_t colorsUsed = in.u32(32);
    if (headerSize < kInfoHeaderMinSize || compression != kUncompressed || !isSupportedDepth(bitsPerPixel))
        return std::nullopt;
    if (width <= 0 || width > kMaxIconDimension || doubledHeight <= 0 || doubledHeight % 2 != 0 ||
        doubledHeight / 2 > kMaxIconDimension)
        return std::nullopt;
    const int height = doubledHeight / 2;

    std::vector<uint32_t> palette;
    size_t position = headerSize;
    if (bitsPerPixel <= 8) {
        const uint32_t fullPalette = 1u << bitsPerPixel;
        const uint32_t entries = colorsUsed == 0 ? fullPalette : colorsUsed;
        if (entries > fullPalette || !in.has(position, size_t(entries) * 4)) return std::nullopt;
        for (uint32_t k = 0; k < entries; ++k, position += 4)
            palette.push_back(rgb(in.u8(position + 2), in.u8(position + 1), in.u8(position)));
    }
    const size_t colorStride = rowStride(width, bitsPerPixel);
    const size_t maskStride = rowStride(width, 1);
    const size_t colorBytes = colorStride * size_t(height);
    if (!in.has(position, colorBytes) || !in.has(position + colorBytes, maskStride * size_t(height)))
        return std::nullopt;

    IconImage result;
    result.width = width;
    result.height = height;
    result.bitsPerPixel = bitsPerPixel;
    result.pixels.resize(size_t(width) * size_t(height));
    result.andMask.resize(result.pixels.size());
    for (int y = 0; y < height; ++y) {
        const size_t fileRow = size_t(height - 1 - y);  // rows are stored bottom-up
        const auto colorRow = in.slice(position + fileRow * colorStride, colorStride);
        const auto maskRow = in.slice(position + colorBytes + fileRow * maskStride, maskStride);
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            if (bitsPerPixel <= 8) {
                const uint32_t index = paletteIndex(colorRow, x, bitsPerPixel);
                // NOTE: an index past a short palette reads as black rather than past the table.
                result.pixels[at] = index < palette.size() ? palette[index] : 0;
            } else {
                result.pixels[at] = directColor(colorRow, x, bitsPerPixel);
            }
            result.andMask[at] = uint8_t(paletteIndex(maskRow, x, 1));
        }
    }
    return result;
}

}  // namespace

std::optional<IconGroup> parseIconFile(std::span<const uint8_t> bytes) {
    if (bytes.size() > kMaxIconFileSize) return std::nullopt;
    const ByteReader in(bytes);
    if (!in.has(0, kDirectoryHeaderSize) || in.u16(0) != 0 || in.u16(2) != kIconResourceType) return std::nullopt;
    const size_t count = in.u16(4);
    if (count == 0 || count > kMaxIconImages || !in.has(kDirectoryHeaderSize, count * kDirectoryEntrySize))
        return std::nullopt;

    IconGroup group;
    for (size_t k = 0; k < count; ++k) {
        const size_t entry = kDirectoryHeaderSize + k * kDirectoryEntrySize;
        const DirectoryEntry image{in.u32(entry + 8), in.u32(entry + 12)};
        if (!in.has(image.offset, image.size)) continue;
        if (auto parsed = parseImage(in.slice(image.offset, image.size))) group.images.push_back(std::move(*parsed));
    }
    if (group.images.empty()) return std::nullopt;
    return group;
}

}  // namespace kestrova::platform
