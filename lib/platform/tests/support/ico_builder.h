// Builds small ICO files in memory for tests: palette images of 1, 4 or 8
// bits per pixel with their AND masks, written exactly as icon files store
// them (directory, bitmap header, palette, bottom-up rows padded to 4 bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kestrova::testing {

struct PaletteImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 8;
    std::vector<uint32_t> palette;   // 0x00RRGGBB
    std::vector<uint8_t> indices;    // rows top-down
    std::vector<uint8_t> andMask;    // 1 = transparent, rows top-down

    // Every pixel index `fill`, fully opaque.
    static PaletteImage filled(int size, int bitsPerPixel, std::vector<uint32_t> palette, uint8_t fill = 0) {
        PaletteImage image{size, size, bitsPerPixel, std::move(palette), {}, {}};
        image.indices.assign(size_t(size) * size_t(size), fill);
        image.andMask.assign(image.indices.size(), 0);
        return image;
    }
    void set(int x, int y, uint8_t index, bool opaque = true) {
        indices[size_t(y) * size_t(width) + size_t(x)] = index;
        andMask[size_t(y) * size_t(width) + size_t(x)] = opaque ? 0 : 1;
    }
};

inline void putU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
inline void putU32(std::vector<uint8_t>& out, uint32_t value) {
    putU16(out, value & 0xffff);
    putU16(out, value >> 16);
}

inline std::vector<uint8_t> encodeImage(const PaletteImage& image) {
    std::vector<uint8_t> out;
    putU32(out, 40);
    putU32(out, uint32_t(image.width));
    putU32(out, uint32_t(image.height * 2));
    putU16(out, 1);
    putU16(out, uint32_t(image.bitsPerPixel));
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, uint32_t(image.palette.size()));
    putU32(out, 0);
    for (uint32_t color : image.palette) {
        out.push_back(uint8_t(color));
        out.push_back(uint8_t(color >> 8));
        out.push_back(uint8_t(color >> 16));
        out.push_back(0);
    }
    const size_t colorStride = (size_t(image.width) * size_t(image.bitsPerPixel) + 31) / 32 * 4;
    const size_t maskStride = (size_t(image.width) + 31) / 32 * 4;
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(colorStride, 0);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t index = image.indices[size_t(y) * size_t(image.width) + size_t(x)];
            const int bit = x * image.bitsPerPixel;
            row[size_t(bit / 8)] |= uint8_t(index << (8 - image.bitsPerPixel - bit % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < image.width; ++x)
            if (image.andMask[size_t(y) * size_t(image.width) + size_t(x)]) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

inline std::vector<uint8_t> encodeIconFile(const std::vector<PaletteImage>& images) {
    std::vector<uint8_t> out;
    putU16(out, 0);
    putU16(out, 1);
    putU16(out, uint32_t(images.size()));
    std::vector<std::vector<uint8_t>> bodies;
    for (const PaletteImage& image : images) bodies.push_back(encodeImage(image));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t k = 0; k < images.size(); ++k) {
        out.push_back(uint8_t(images[k].width));
        out.push_back(uint8_t(images[k].height));
        out.push_back(uint8_t(images[k].bitsPerPixel < 8 ? 1 << images[k].bitsPerPixel : 0));
        out.push_back(0);
        putU16(out, 1);
        putU16(out, uint32_t(images[k].bitsPerPixel));
        putU32(out, uint32_t(bodies[k].size()));
        putU32(out, offset);
        offset += uint32_t(bodies[k].size());
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline void writeIconFile(const std::filesystem::path& path, const std::vector<PaletteImage>& images) {
    std::filesystem::create_directories(path.parent_path());
    const auto bytes = encodeIconFile(images);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace kestrova::testing
