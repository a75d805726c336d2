// Loadable modules (shared libraries) and the files beside the program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova::platform {

// An owned handle of a loaded library; unloads it when it goes.
class Module {
public:
    Module() = default;
    static Module load(const std::filesystem::path& path);
    ~Module() { reset(); }
    Module(Module&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
    Module& operator=(Module&& o) noexcept {
        if (this != &o) {
            reset();
            handle_ = std::exchange(o.handle_, nullptr);
        }
        return *this;
    }
    explicit operator bool() const { return handle_ != nullptr; }
    void* symbol(const char* name) const;
    // The raw handle; the module stays loaded for the life of the process.
    void* release() { return std::exchange(handle_, nullptr); }
    void* handle() const { return handle_; }
    void reset();

private:
    void* handle_ = nullptr;
};

// Base address of the module that contains the address (the module's
// identity, as the window framework's class name uses it).
void* moduleBaseOf(const void* address);
// Full path of the module that contains the address.
std::filesystem::path modulePathOf(const void* address);

// The files in the folder whose names match the pattern ("*.so",
// "*.0809.mui"), sorted by name. Only regular files.
std::vector<std::filesystem::path> findFiles(const std::filesystem::path& folder, std::string_view pattern);

}  // namespace kestrova::platform
