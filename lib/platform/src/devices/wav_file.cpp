#include "kestrova/platform/wav_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "system/bounded_file.h"

namespace kestrova::platform {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kHeaderSize = 44;

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}

struct Chunks {
    std::span<const uint8_t> format;
    std::optional<std::span<const uint8_t>> data;
};

// Walks the chunks after "RIFF....WAVE"; a chunk that claims more than is
// there is cut to the end of the file.
std::optional<Chunks> findChunks(std::span<const uint8_t> bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    Chunks chunks;
    size_t at = 12;
    while (bytes.size() - at >= 8) {
        const uint8_t* header = bytes.data() + at;
        size_t size = std::min<size_t>(le32(header + 4), bytes.size() - at - 8);
        std::span<const uint8_t> body = bytes.subspan(at + 8, size);
        if (std::memcmp(header, "fmt ", 4) == 0 && chunks.format.empty())
            chunks.format = body;
        else if (std::memcmp(header, "data", 4) == 0 && !chunks.data)
            chunks.data = body;
        at += 8 + size + (size & 1);
        if (at > bytes.size()) break;
    }
    if (chunks.format.empty() || !chunks.data) return std::nullopt;
    return chunks;
}

std::optional<WaveFormat> pcmFormat(std::span<const uint8_t> fmt) {
    if (fmt.size() < 16) return std::nullopt;
    uint16_t tag = le16(fmt.data());
    // The extensible form names its sample kind by a GUID whose first two bytes are the plain tag.
    if (tag == kFormatExtensible) tag = fmt.size() >= 26 ? le16(fmt.data() + 24) : 0;
    WaveFormat format{le16(fmt.data() + 2), le32(fmt.data() + 4), le16(fmt.data() + 14)};
    if (tag != kFormatPcm || format.channels < 1 || format.channels > 2) return std::nullopt;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return std::nullopt;
    if (format.samplesPerSecond < 8000 || format.samplesPerSecond > 48000) return std::nullopt;
    return format;
}

int16_t monoSample(const PcmSound& sound, size_t frame) {
    const uint8_t* p = sound.samples.data() + frame * sound.format.blockAlign();
    int sum = 0;
    for (int c = 0; c < sound.format.channels; ++c) {
        sum +=
            sound.format.bitsPerSample == 8 ? (int(p[c]) - 128) * 256 : static_cast<int16_t>(le16(p + 2 * c));
    }
    return static_cast<int16_t>(sum / sound.format.channels);
}

// A file's header is ours to append to when it is the header we write, sizes aside.
bool isOurHeader(const uint8_t* header) {
    std::vector<uint8_t> expected = wavHeader(kVoiceFormat, 0);
    auto same = [&](size_t from, size_t to) {
        return std::memcmp(header + from, expected.data() + from, to - from) == 0;
    };
    return same(0, 4) && same(8, 40);
}

bool writeAll(int fd, const uint8_t* data, size_t size, off_t at) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size, at);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        at += n;
    }
    return true;
}

} // namespace

const char* wavErrorText(WavError error) {
    switch (error) {
    case WavError::kUnreadable:
        return "cannot be read";
    case WavError::kTooLarge:
        return "too large";
    case WavError::kNotWave:
        return "not a WAV file";
    default:
        return "not a PCM format of 1 or 2 channels, 8 or 16 bits, 8000 to 48000 Hz";
    }
}

std::variant<PcmSound, WavError> parseWav(std::span<const uint8_t> bytes) {
    auto chunks = findChunks(bytes);
    if (!chunks) return WavError::kNotWave;
    auto format = pcmFormat(chunks->format);
    if (!format) return WavError::kUnsupportedFormat;
    size_t whole = chunks->data->size() - chunks->data->size() % format->blockAlign();
    return PcmSound{*format, std::vector<uint8_t>(chunks->data->begin(),
                                                  chunks->data->begin() + static_cast<long>(whole))};
}

std::vector<uint8_t> toVoiceFormat(const PcmSound& sound) {
    if (sound.format == kVoiceFormat) return sound.samples;
    const size_t frames = sound.samples.size() / sound.format.blockAlign();
    const uint64_t rate = sound.format.samplesPerSecond, target = kVoiceFormat.samplesPerSecond;
    const size_t outFrames = static_cast<size_t>(frames * target / rate);
    std::vector<uint8_t> out;
    out.reserve(outFrames * 2);
    for (size_t i = 0; i < outFrames; ++i) {
        uint64_t source = i * rate;
        size_t at = static_cast<size_t>(source / target);
        int64_t fraction = static_cast<int64_t>(source % target);
        int a = monoSample(sound, at);
        int b = at + 1 < frames ? monoSample(sound, at + 1) : a;
        put16(out, static_cast<uint16_t>(
                       static_cast<int16_t>(a + (b - a) * fraction / static_cast<int64_t>(target))));
    }
    return out;
}

std::variant<std::vector<uint8_t>, WavError> readVoiceWavFile(const std::filesystem::path& path,
                                                              size_t maxBytes) {
    auto bytes = detail::readBoundedFile(path, maxBytes);
    if (auto* error = std::get_if<detail::FileReadError>(&bytes))
        return *error == detail::FileReadError::kTooLarge ? WavError::kTooLarge : WavError::kUnreadable;
    auto sound = parseWav(std::get<std::vector<uint8_t>>(bytes));
    if (auto* error = std::get_if<WavError>(&sound)) return *error;
    return toVoiceFormat(std::get<PcmSound>(sound));
}

std::vector<uint8_t> wavHeader(const WaveFormat& format, uint32_t dataBytes) {
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, kFormatPcm);
    put16(out, format.channels);
    put32(out, format.samplesPerSecond);
    put32(out, format.bytesPerSecond());
    put16(out, format.blockAlign());
    put16(out, format.bitsPerSample);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    return out;
}

bool appendToVoiceWavFile(const std::filesystem::path& path, std::span<const uint8_t> samples) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    off_t end = info.st_size;
    if (ok && end == 0) {
        auto header = wavHeader(kVoiceFormat, 0);
        ok = writeAll(fd, header.data(), header.size(), 0);
        end = static_cast<off_t>(kHeaderSize);
    } else if (ok) {
        uint8_t header[kHeaderSize];
        ok = end >= off_t(kHeaderSize) && ::pread(fd, header, kHeaderSize, 0) == off_t(kHeaderSize) &&
             isOurHeader(header);
    }
    uint64_t dataBytes = static_cast<uint64_t>(end) - kHeaderSize + samples.size();
    ok = ok && dataBytes <= UINT32_MAX - 36 && writeAll(fd, samples.data(), samples.size(), end);
    if (ok) {
        // Both sizes from the file's real length, so a file cut short by a crash heals at the next append.
        auto header = wavHeader(kVoiceFormat, static_cast<uint32_t>(dataBytes));
        ok = writeAll(fd, header.data() + 4, 4, 4) && writeAll(fd, header.data() + 40, 4, 40);
    }
    ::close(fd);
    return ok;
}

} // namespace kestrova::platform
