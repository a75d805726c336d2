#include "picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kestrova/platform/paths.h"

namespace kestrova::messaging {
namespace {

bool folderIsPrivate(const std::filesystem::path& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool writeAs(std::string_view bytes, const std::filesystem::path& target) {
    std::string scratch = target.string() + ".XXXXXX";
    int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool written = writeAll(fd, bytes);
    written = (::close(fd) == 0) && written;
    if (written && ::rename(scratch.c_str(), target.c_str()) == 0) return true;
    ::unlink(scratch.c_str());
    return false;
}

} // namespace

std::optional<std::filesystem::path> writePictureFile(std::string_view bytes,
                                                      const std::filesystem::path& folder) {
    if (!folderIsPrivate(folder)) return std::nullopt;
    for (const char* name : {"image.jpg", "image1.jpg"}) {
        std::filesystem::path target = folder / name;
        if (writeAs(bytes, target)) return target;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> writePictureFile(std::string_view bytes) {
    return writePictureFile(bytes, platform::temporaryFolder());
}

} // namespace kestrova::messaging
