#include "new_files.h"

#include "mapped_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kestrova::updates {
namespace {

constexpr size_t kWriteBlock = 1 << 20;

// An output file written through a buffer, since copies and literals come in
// pieces of any size.
class NewFileWriter {
  public:
    NewFileWriter(int fd) : fd_(fd) { buffer_.reserve(kWriteBlock); }
    ~NewFileWriter() { ::close(fd_); }

    bool append(std::string_view bytes) {
        if (buffer_.size() + bytes.size() > kWriteBlock && !drain()) return false;
        if (bytes.size() >= kWriteBlock) return writeAll(bytes);
        buffer_.append(bytes);
        return true;
    }
    bool finish() { return drain() && ::fsync(fd_) == 0; }

  private:
    bool drain() {
        bool ok = writeAll(buffer_);
        buffer_.clear();
        return ok;
    }
    bool writeAll(std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    int fd_;
    std::string buffer_;
};

// The new file keeps the permissions of the one it replaces.
mode_t modeFor(const std::filesystem::path& replaced) {
    struct stat info {};
    if (::lstat(replaced.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 0777;
    return 0644;
}

DecodeFailure writeTarget(const std::filesystem::path& folder, const wire::UpdateTarget& target,
                          std::span<const std::string_view> sources) {
    std::filesystem::path path = folder / (std::string(target.name) + ".new");
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    modeFor(folder / std::string(target.name)));
    if (fd < 0) return DecodeFailure::OpenFailed;
    NewFileWriter writer(fd);
    bool written = wire::decodeUpdateTarget(target, sources,
                                            [&](std::string_view piece) { return writer.append(piece); });
    return written && writer.finish() ? DecodeFailure::None : DecodeFailure::WriteFailed;
}

} // namespace

void removeNewFiles(const std::filesystem::path& folder, const std::vector<std::string>& targets) {
    for (const std::string& name : targets)
        ::unlink((folder / (name + ".new")).c_str());
}

DecodeResult writeNewFiles(const std::filesystem::path& folder, std::string_view body,
                           const std::optional<Signature>& signature, const PublicKey& key,
                           const wire::UpdateBodyLimits& limits) {
    DecodeResult result;
    wire::UpdateBodyParse parsed = wire::parseUpdateBody(body, limits);
    if (!parsed.ok()) return {DecodeFailure::BadBody, {}};
    if (!signature) return {DecodeFailure::BadSignature, {}};

    std::vector<MappedFile> mapped;
    std::vector<std::string_view> sources;
    std::vector<uint64_t> sizes;
    for (std::string_view name : parsed.body.sources) {
        auto file = MappedFile::open(folder / std::string(name));
        if (!file) return {DecodeFailure::MapFailed, {}};
        sources.push_back(file->bytes());
        sizes.push_back(file->bytes().size());
        mapped.push_back(std::move(*file));
    }
    if (wire::checkCopies(parsed.body, sizes, limits) != wire::UpdateBodyError::None)
        return {DecodeFailure::BadBody, {}};
    if (!verifyUpdate(key, *signature, sources, body)) return {DecodeFailure::BadSignature, {}};

    for (const wire::UpdateTarget& target : parsed.body.targets) {
        DecodeFailure failure = writeTarget(folder, target, sources);
        if (failure == DecodeFailure::WriteFailed) result.targets.emplace_back(target.name);
        if (failure != DecodeFailure::None) {
            removeNewFiles(folder, result.targets);
            return {failure, {}};
        }
        result.targets.emplace_back(target.name);
    }
    return result;
}

} // namespace kestrova::updates
