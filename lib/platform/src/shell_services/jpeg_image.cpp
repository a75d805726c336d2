#include "kestrova/platform/jpeg_image.h"

#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <memory>

#include "system/bounded_file.h"

namespace kestrova::platform {
namespace {

struct DecompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Decompressor = std::unique_ptr<void, DecompressorDeleter>;

// The largest scale that brings both sides within the bound (1/8 at least).
tjscalingfactor scaleFor(int width, int height, int maxSide) {
    tjscalingfactor best{1, 8};
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor& f = factors[i];
        if (f.num > f.denom) continue;
        if (TJSCALED(width, f) > maxSide || TJSCALED(height, f) > maxSide) continue;
        if (f.num * best.denom > best.num * f.denom) best = f;
    }
    return best;
}

} // namespace

const char* jpegErrorText(JpegError error) {
    switch (error) {
    case JpegError::kUnreadable:
        return "cannot be read";
    case JpegError::kTooLarge:
        return "too large";
    default:
        return "damaged";
    }
}

bool hasJpegExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg" || extension == ".jpe";
}

std::variant<DecodedImage, JpegError> decodeJpeg(std::span<const uint8_t> bytes, const JpegLimits& limits) {
    if (bytes.size() > limits.maxFileBytes) return JpegError::kTooLarge;
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return JpegError::kDamaged;
    Decompressor decompressor(tjInitDecompress());
    if (!decompressor) return JpegError::kDamaged;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(decompressor.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                            &width, &height, &subsampling, &colourspace) != 0)
        return JpegError::kDamaged;
    if (width <= 0 || height <= 0) return JpegError::kDamaged;
    if (width > limits.maxWidth || height > limits.maxHeight) return JpegError::kTooLarge;

    tjscalingfactor scale = scaleFor(width, height, limits.maxDecodedSide);
    DecodedImage image;
    image.sourceWidth = width;
    image.sourceHeight = height;
    image.width = TJSCALED(width, scale);
    image.height = TJSCALED(height, scale);
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    // In memory a 0xAARRGGBB word is B, G, R, A on a little-endian machine.
    const int format = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    // TJFLAG_LIMITSCANS refuses progressive files with absurdly many scans,
    // which would take ages to decode.
    int failed = tjDecompress2(decompressor.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                               reinterpret_cast<unsigned char*>(image.pixels.data()), image.width, 0,
                               image.height, format, TJFLAG_LIMITSCANS);
    // NOTE: a warning (a file cut short, stray bytes) still leaves a picture
    // to show, with grey where data was missing; only a fatal error refuses it.
    if (failed && tjGetErrorCode(decompressor.get()) == TJERR_FATAL) return JpegError::kDamaged;
    return image;
}

std::variant<DecodedImage, JpegError> loadJpegFile(const std::filesystem::path& path,
                                                   const JpegLimits& limits) {
    auto bytes = detail::readBoundedFile(path, limits.maxFileBytes);
    if (auto* error = std::get_if<detail::FileReadError>(&bytes))
        return *error == detail::FileReadError::kTooLarge ? JpegError::kTooLarge : JpegError::kUnreadable;
    return decodeJpeg(std::get<std::vector<uint8_t>>(bytes), limits);
}

} // namespace kestrova::platform
