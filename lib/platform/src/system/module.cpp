#include "kestrova/platform/module.h"

#include <dlfcn.h>
#include <fnmatch.h>

#include <algorithm>

namespace kestrova::platform {

Module Module::load(const std::filesystem::path& path) {
    Module m;
    m.handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m;
}

void* Module::symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

void Module::reset() {
    if (handle_) ::dlclose(std::exchange(handle_, nullptr));
}

void* moduleBaseOf(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info)) return nullptr;
    return info.dli_fbase;
}

std::filesystem::path modulePathOf(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info) || !info.dli_fname) return {};
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    if (!ec) return path;
    // The main program reports its name as given on the command line.
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

std::vector<std::filesystem::path> findFiles(const std::filesystem::path& folder, std::string_view pattern) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    std::string glob(pattern);
    for (auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (::fnmatch(glob.c_str(), entry.path().filename().c_str(), 0) == 0) out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace kestrova::platform
