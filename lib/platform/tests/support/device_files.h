// Files the device tests feed the platform: a private folder, WAV files of
// any format, JPEG pictures of one colour, and a clock that moves in the
// steps a device timer sees.
#pragma once

#include <turbojpeg.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "kestrova/platform/clock.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/wav_file.h"

namespace device_files {

using namespace kestrova::platform;
namespace fs = std::filesystem;

// A fresh folder, removed with everything in it when the object goes.
class TempFolder {
  public:
    TempFolder() {
        static int serial = 0;
        path_ = fs::temp_directory_path() /
                ("kestrova-devices-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

// Sets an environment variable while it lives; the earlier value comes back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

inline void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A WAV file's bytes: the plain header and the samples.
inline std::vector<uint8_t> wavBytes(const WaveFormat& format, const std::vector<uint8_t>& samples) {
    std::vector<uint8_t> bytes = wavHeader(format, static_cast<uint32_t>(samples.size()));
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

// Voice-format samples that differ from byte to byte, so that any loss,
// repetition or shift shows.
inline std::vector<uint8_t> rampSamples(size_t bytes) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return out;
}

// The samples of a voice-format WAV file (empty if it is none).
inline std::vector<uint8_t> wavSamples(const fs::path& path) {
    auto sound = parseWav(readFile(path));
    if (!std::holds_alternative<PcmSound>(sound)) return {};
    return std::get<PcmSound>(sound).samples;
}

// A baseline JPEG of one colour.
inline std::vector<uint8_t> jpegBytes(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_444, 90, 0);
    std::vector<uint8_t> out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(compressor);
    return out;
}

// The same picture with the size its frame header claims changed.
inline std::vector<uint8_t> withClaimedSize(std::vector<uint8_t> jpeg, int width, int height) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    }
    return jpeg;
}

// Moves the virtual clock in the 10 ms steps a device's timer sees, handling
// what each step makes due.
inline void runFor(VirtualClock& clock, std::chrono::milliseconds duration) {
    for (auto left = duration; left.count() > 0; left -= std::chrono::milliseconds(10)) {
        clock.advance(std::min(left, std::chrono::milliseconds(10)));
        pumpPendingMessages();
    }
}

inline fs::path screenshotFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    auto dir = (bin ? fs::path(bin).parent_path() : fs::temp_directory_path()) / "screenshots";
    fs::create_directories(dir);
    return dir;
}

} // namespace device_files
