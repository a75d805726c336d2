// A file of the program folder mapped read-only, whole. Symbolic links are
// not followed: a name of the folder must not reach a file outside it.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrova::updates {

class MappedFile {
  public:
    // nullopt when the file cannot be opened or mapped.
    static std::optional<MappedFile> open(const std::filesystem::path& path);
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

  private:
    MappedFile(void* data, size_t size) : data_(data), size_(size) {}
    void unmap();

    void* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace kestrova::updates
