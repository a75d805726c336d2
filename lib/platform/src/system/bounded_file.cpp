#include "system/bounded_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace kestrova::platform::detail {

std::variant<std::vector<uint8_t>, FileReadError> readBoundedFile(const std::filesystem::path& path,
                                                                  size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FileReadError::kUnreadable;
    std::vector<uint8_t> bytes;
    uint8_t chunk[16384];
    // NOTE: read to the end rather than trust the size seen first, so a file
    // that grows meanwhile is still held to the bound.
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            ::close(fd);
            return FileReadError::kUnreadable;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<size_t>(n) > maxBytes) {
            ::close(fd);
            return FileReadError::kTooLarge;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    return bytes;
}

} // namespace kestrova::platform::detail
