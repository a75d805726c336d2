// Icons: small pictures of colour pixels plus a one-bit mask, as the icon
// resources of the program and its plug-ins carry them. Drawing code paints
// an icon by taking its colour where the mask is opaque and leaving the
// background where it is transparent (argbPixels gives exactly that).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kestrova::platform {

// Colours are 0x00RRGGBB.
inline constexpr uint32_t rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}
inline constexpr uint8_t redOf(uint32_t color) { return uint8_t(color >> 16); }
inline constexpr uint8_t greenOf(uint32_t color) { return uint8_t(color >> 8); }
inline constexpr uint8_t blueOf(uint32_t color) { return uint8_t(color); }

class Icon {
public:
    // All pixels black and opaque.
    Icon(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    uint32_t pixel(int x, int y) const { return pixels_[index(x, y)]; }
    void setPixel(int x, int y, uint32_t color) { pixels_[index(x, y)] = color; }
    bool isOpaque(int x, int y) const { return mask_[index(x, y)] == 0; }
    void setOpaque(int x, int y, bool opaque) { mask_[index(x, y)] = opaque ? 0 : 1; }

    // Rows top-down; 0xAARRGGBB with alpha 0xFF where opaque and 0 where not.
    std::vector<uint32_t> argbPixels() const;

private:
    size_t index(int x, int y) const { return size_t(y) * size_t(width_) + size_t(x); }

    int width_;
    int height_;
    std::vector<uint32_t> pixels_;
    // NOTE: kept as the AND mask of the file formats: 1 = transparent, so a
    // zero-filled mask is fully opaque.
    std::vector<uint8_t> mask_;
};

using IconPtr = std::unique_ptr<Icon>;

}  // namespace kestrova::platform
