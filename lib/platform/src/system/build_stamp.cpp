#include "kestrova/platform/build_stamp.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace kestrova::platform {
namespace {

constexpr uint32_t kSectionNote = 7;
constexpr uint64_t kMaxFile = 256ull << 20;

template <typename T>
std::optional<T> readAt(std::span<const unsigned char> image, uint64_t offset) {
    if (offset > image.size() || image.size() - offset < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, image.data() + offset, sizeof(T));
    return value;  // NOTE: the host is little-endian, as the image must be
}

uint64_t padded(uint64_t n) { return (n + 3) & ~uint64_t(3); }

std::optional<uint64_t> stampInNotes(std::span<const unsigned char> image, uint64_t offset, uint64_t size) {
    if (offset > image.size() || size > image.size() - offset) return std::nullopt;
    uint64_t end = offset + size;
    constexpr uint32_t kNameSize = sizeof kBuildStampNoteName;
    while (end - offset >= 12) {
        uint32_t namesz = *readAt<uint32_t>(image, offset);
        uint32_t descsz = *readAt<uint32_t>(image, offset + 4);
        uint32_t type = *readAt<uint32_t>(image, offset + 8);
        uint64_t name = offset + 12;
        uint64_t desc = name + padded(namesz);
        uint64_t next = desc + padded(descsz);
        if (next > end || next <= offset) return std::nullopt;
        if (namesz == kNameSize && descsz == 4 && type == kBuildStampNoteType &&
            std::memcmp(image.data() + name, kBuildStampNoteName, kNameSize) == 0)
            return desc;
        offset = next;
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint64_t> findBuildStampOffset(std::span<const unsigned char> image) {
    static const unsigned char kMagic[] = {0x7f, 'E', 'L', 'F', 2 /* 64-bit */, 1 /* little-endian */};
    if (image.size() < 64 || std::memcmp(image.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    uint64_t shoff = *readAt<uint64_t>(image, 0x28);
    uint16_t shentsize = *readAt<uint16_t>(image, 0x3A);
    uint16_t shnum = *readAt<uint16_t>(image, 0x3C);
    if (shentsize < 64) return std::nullopt;
    for (uint16_t i = 0; i < shnum; ++i) {
        uint64_t header = shoff + uint64_t(i) * shentsize;
        auto type = readAt<uint32_t>(image, header + 4);
        auto offset = readAt<uint64_t>(image, header + 0x18);
        auto size = readAt<uint64_t>(image, header + 0x20);
        if (!type || !offset || !size) return std::nullopt;
        if (*type != kSectionNote) continue;
        if (auto found = stampInNotes(image, *offset, *size)) return found;
    }
    return std::nullopt;
}

std::optional<uint32_t> readBuildStamp(std::span<const unsigned char> image) {
    auto offset = findBuildStampOffset(image);
    if (!offset) return std::nullopt;
    return readAt<uint32_t>(image, *offset);
}

namespace {

std::optional<std::vector<unsigned char>> readFile(const std::filesystem::path& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFile) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> data(size);
    if (!in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size))) return std::nullopt;
    return data;
}

}  // namespace

std::optional<uint32_t> readBuildStamp(const std::filesystem::path& module) {
    auto data = readFile(module);
    if (!data) return std::nullopt;
    return readBuildStamp(std::span<const unsigned char>(*data));
}

bool writeBuildStamp(const std::filesystem::path& module, uint32_t stamp) {
    auto data = readFile(module);
    if (!data) return false;
    auto offset = findBuildStampOffset(*data);
    if (!offset) return false;
    std::fstream out(module, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(*offset));
    out.write(reinterpret_cast<const char*>(&stamp), sizeof stamp);
    return bool(out.flush());
}

}  // namespace kestrova::platform
