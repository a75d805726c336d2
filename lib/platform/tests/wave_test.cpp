#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <thread>

#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/wave.h"
#include "support/device_files.h"
#include "test_window.h"

using namespace testing_windows;
using namespace device_files;
using namespace std::chrono_literals;

namespace {

// The sizes a voice recorder uses: buffers of two 20 ms frames, ten at a time.
constexpr size_t kBufferBytes = 4 * 320;
constexpr int kBuffers = 10;

struct Wave : WindowTest {
    void SetUp() override {
        WindowTest::SetUp();
        clock = std::make_unique<VirtualClock>();
        window = makeTopLevel("recorder");
        useFiles(inFile(), folder / "out.wav");
    }
    void TearDown() override {
        setAudioSettings({});
        WindowTest::TearDown();
        clock.reset();
    }

    void useFiles(const fs::path& in, const fs::path& out, AudioBackend backend = AudioBackend::kWav) {
        setAudioSettings({backend, in, out});
    }
    fs::path inFile() const { return folder / "in.wav"; }

    std::vector<Received> notifications(uint32_t message) {
        std::vector<Received> out;
        for (auto& r : journal())
            if (r.hwnd == window && r.message == message) out.push_back(r);
        return out;
    }

    TempFolder folder;
    std::unique_ptr<VirtualClock> clock;
    HWND window = nullptr;
};

// Records with ten buffers that go back to the device as they come, and plays
// every filled buffer at once: sound streams through while it is recorded.
struct Loopback {
    explicit Loopback(HWND window) {
        EXPECT_EQ(WaveIn::open(kVoiceFormat, window, in), WaveResult::kOk);
        EXPECT_EQ(WaveOut::open(kVoiceFormat, window, out), WaveResult::kOk);
        for (int i = 0; i < kBuffers; ++i) {
            recording.push_back(std::make_unique<WaveBuffer>());
            recording.back()->data.resize(kBufferBytes);
            in->prepare(*recording.back());
            in->addBuffer(*recording.back());
        }
        hooks()[window] = [this](HWND, uint32_t m, WParam w, LParam l) -> std::optional<LResult> {
            if (m == MM_WIM_DATA && w == in->handle()) filled(*reinterpret_cast<WaveBuffer*>(l));
            if (m == MM_WOM_DONE && w == out->handle()) played(reinterpret_cast<WaveBuffer*>(l));
            return std::nullopt;
        };
    }

    void filled(WaveBuffer& buffer) {
        recorded.insert(recorded.end(), buffer.data.begin(), buffer.data.begin() + buffer.bytesRecorded);
        auto copy = std::make_unique<WaveBuffer>();
        copy->data.assign(buffer.data.begin(), buffer.data.begin() + buffer.bytesRecorded);
        out->prepare(*copy);
        out->write(*copy);
        playing.push_back(std::move(copy));
        if (keepRecording) in->addBuffer(buffer);
    }

    void played(WaveBuffer* buffer) {
        // Buffers come back in the order they were written.
        EXPECT_EQ(buffer, playing.front().get());
        EXPECT_TRUE(buffer->flags & WHDR_DONE);
        EXPECT_FALSE(buffer->flags & WHDR_INQUEUE);
        out->unprepare(*buffer);
        playing.pop_front();
    }

    // Declared before the devices, which go first and may still hold them.
    std::vector<std::unique_ptr<WaveBuffer>> recording;
    std::deque<std::unique_ptr<WaveBuffer>> playing;
    std::unique_ptr<WaveIn> in;
    std::unique_ptr<WaveOut> out;
    std::vector<uint8_t> recorded;
    bool keepRecording = true;
};

} // namespace

TEST_F(Wave, TwoSecondsRecordedFromAFileStreamIntoTheOutputFileByteForByte) {
    auto sound = rampSamples(64000); // two seconds
    writeFile(inFile(), wavBytes(kVoiceFormat, sound));
    Loopback loop(window);
    loop.in->start();
    runFor(*clock, 2000ms);
    EXPECT_EQ(notifications(MM_WIM_DATA).size(), 50u);
    EXPECT_EQ(loop.recorded, sound);
    loop.keepRecording = false;
    loop.in->reset();
    runFor(*clock, 500ms); // the last buffers play out
    EXPECT_TRUE(loop.playing.empty());
    EXPECT_EQ(wavSamples(folder / "out.wav"), sound);
    EXPECT_EQ(notifications(MM_WIM_OPEN).size(), 1u);
    EXPECT_EQ(notifications(MM_WOM_OPEN).size(), 1u);
}

TEST_F(Wave, SoundMovesOnlyWithThePlatformClock) {
    writeFile(inFile(), wavBytes(kVoiceFormat, rampSamples(32000)));
    Loopback loop(window);
    loop.keepRecording = false;
    loop.in->start();
    for (int i = 0; i < 20; ++i)
        pumpPendingMessages();
    EXPECT_TRUE(notifications(MM_WIM_DATA).empty());
    runFor(*clock, 39ms);
    EXPECT_TRUE(notifications(MM_WIM_DATA).empty());
    runFor(*clock, 1ms);
    ASSERT_EQ(notifications(MM_WIM_DATA).size(), 1u); // 40 ms: the first buffer is full
    // Its copy was written to the output at that moment and plays for 40 ms.
    runFor(*clock, 30ms);
    EXPECT_TRUE(notifications(MM_WOM_DONE).empty());
    runFor(*clock, 10ms);
    EXPECT_EQ(notifications(MM_WOM_DONE).size(), 1u);

    // An output that idled does not owe the time: new sound takes its full length.
    runFor(*clock, 400ms);
    size_t done = notifications(MM_WOM_DONE).size();
    EXPECT_TRUE(loop.playing.empty());
    loop.playing.push_back(std::make_unique<WaveBuffer>());
    WaveBuffer& late = *loop.playing.back();
    late.data.assign(kBufferBytes, 0);
    loop.out->prepare(late);
    loop.out->write(late);
    runFor(*clock, 30ms);
    EXPECT_EQ(loop.playing.size(), 1u);
    runFor(*clock, 10ms);
    EXPECT_TRUE(loop.playing.empty());
    EXPECT_EQ(notifications(MM_WOM_DONE).size(), done + 1);
}

TEST_F(Wave, StoppingInTheMiddleReturnsThePartBufferAndResetReturnsTheRest) {
    auto sound = rampSamples(32000);
    writeFile(inFile(), wavBytes(kVoiceFormat, sound));
    Loopback loop(window);
    loop.keepRecording = false;
    loop.in->start();
    runFor(*clock, 60ms);
    loop.in->stop();
    pumpPendingMessages();
    auto data = notifications(MM_WIM_DATA);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(reinterpret_cast<WaveBuffer*>(data[1].lParam)->bytesRecorded, kBufferBytes / 2); // 20 ms of 40
    EXPECT_EQ(loop.in->queued(), 8u);
    EXPECT_EQ(loop.recorded, std::vector<uint8_t>(sound.begin(), sound.begin() + 3 * kBufferBytes / 2));

    // Stopped, nothing is captured; started again, the sound goes on where it stopped.
    runFor(*clock, 100ms);
    EXPECT_EQ(notifications(MM_WIM_DATA).size(), 2u);
    loop.in->start();
    runFor(*clock, 40ms);
    EXPECT_EQ(loop.recorded, std::vector<uint8_t>(sound.begin(), sound.begin() + 5 * kBufferBytes / 2));

    loop.in->reset();
    pumpPendingMessages();
    EXPECT_EQ(loop.in->queued(), 0u);
    data = notifications(MM_WIM_DATA);
    ASSERT_EQ(data.size(), 10u); // every buffer is back
    for (auto& buffer : loop.recording) {
        EXPECT_TRUE(buffer->flags & WHDR_DONE);
        EXPECT_EQ(loop.in->unprepare(*buffer), WaveResult::kOk);
    }
    EXPECT_FALSE(loop.in->started());
}

TEST_F(Wave, ResettingTheOutputKeepsOnlyWhatWasPlayedAndClosingRecallsItsNotifications) {
    std::unique_ptr<WaveOut> out;
    ASSERT_EQ(WaveOut::open(kVoiceFormat, window, out), WaveResult::kOk);
    std::vector<WaveBuffer> buffers(5);
    auto sound = rampSamples(5 * kBufferBytes);
    for (size_t i = 0; i < buffers.size(); ++i) {
        buffers[i].data.assign(sound.begin() + i * kBufferBytes, sound.begin() + (i + 1) * kBufferBytes);
        out->prepare(buffers[i]);
        EXPECT_EQ(out->unprepare(buffers[i]), WaveResult::kOk);
        EXPECT_EQ(out->write(buffers[i]), WaveResult::kUnprepared);
        out->prepare(buffers[i]);
        EXPECT_EQ(out->write(buffers[i]), WaveResult::kOk);
        EXPECT_EQ(out->write(buffers[i]), WaveResult::kInvalidBuffer);
        EXPECT_EQ(out->unprepare(buffers[i]), WaveResult::kStillPlaying);
    }
    runFor(*clock, 60ms);
    out->reset();
    for (auto& buffer : buffers)
        EXPECT_EQ(buffer.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    EXPECT_EQ(wavSamples(folder / "out.wav"),
              std::vector<uint8_t>(sound.begin(), sound.begin() + 3 * kBufferBytes / 2));

    // The device goes before the notifications of the reset were handled:
    // none of them arrives to name a buffer that may be gone, only the close.
    EXPECT_EQ(notifications(MM_WOM_DONE).size(), 1u); // the buffer played at 40 ms
    out.reset();
    pumpPendingMessages();
    EXPECT_EQ(notifications(MM_WOM_DONE).size(), 1u);
    EXPECT_EQ(notifications(MM_WOM_CLOSE).size(), 1u);
}

TEST_F(Wave, OtherFormatsAreRefusedOrConverted) {
    std::unique_ptr<WaveIn> in;
    std::unique_ptr<WaveOut> out;
    EXPECT_EQ(WaveIn::open({1, 8000, 16}, window, in), WaveResult::kBadFormat);
    EXPECT_EQ(WaveOut::open({2, 16000, 16}, window, out), WaveResult::kBadFormat);
    EXPECT_EQ(in, nullptr);

    // A recorded file in a format that cannot be converted refuses the device;
    // one that is not there is no device.
    auto floatWav = wavBytes({1, 16000, 32}, std::vector<uint8_t>(400));
    floatWav[20] = 3; // IEEE float samples
    writeFile(inFile(), floatWav);
    EXPECT_EQ(WaveIn::open(kVoiceFormat, window, in), WaveResult::kBadFormat);
    useFiles(folder / "missing.wav", {});
    EXPECT_EQ(WaveIn::open(kVoiceFormat, window, in), WaveResult::kNoDevice);

    // 8 kHz sound is recorded at 16 kHz.
    writeFile(inFile(), wavBytes({1, 8000, 16}, std::vector<uint8_t>(640, 0x11)));
    useFiles(inFile(), {});
    ASSERT_EQ(WaveIn::open(kVoiceFormat, window, in), WaveResult::kOk);
    WaveBuffer buffer;
    buffer.data.resize(kBufferBytes);
    EXPECT_EQ(in->addBuffer(buffer), WaveResult::kUnprepared);
    in->prepare(buffer);
    in->addBuffer(buffer);
    in->start();
    runFor(*clock, 40ms);
    EXPECT_EQ(std::vector<uint8_t>(buffer.data.begin(), buffer.data.end()),
              std::vector<uint8_t>(kBufferBytes, 0x11));

    // A file that is something else is not written over.
    writeFile(folder / "notes.txt",
              {'h', 'i', '\n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
               0,   0,   0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    useFiles({}, folder / "notes.txt");
    EXPECT_EQ(WaveOut::open(kVoiceFormat, window, out), WaveResult::kNoDevice);
    EXPECT_EQ(readFile(folder / "notes.txt")[0], 'h');
}

TEST_F(Wave, TheNullBackEndRecordsSilenceAndPlaysToNowhereAtTheSamePace) {
    writeFile(inFile(), wavBytes(kVoiceFormat, rampSamples(32000)));
    useFiles(inFile(), folder / "out.wav", AudioBackend::kNull);
    EXPECT_EQ(effectiveAudioBackend(audioSettings()), AudioBackend::kNull);
    Loopback loop(window);
    loop.in->start();
    runFor(*clock, 200ms);
    EXPECT_EQ(notifications(MM_WIM_DATA).size(), 5u);
    EXPECT_EQ(loop.recorded, std::vector<uint8_t>(5 * kBufferBytes, 0));
    EXPECT_EQ(notifications(MM_WOM_DONE).size(), 4u); // the fifth still plays
    EXPECT_FALSE(fs::exists(folder / "out.wav"));
}

TEST(AudioSettings, AutoMeansFilesWhenNamedElseNothingWithoutADesktop) {
    EXPECT_EQ(parseAudioBackend("wav"), AudioBackend::kWav);
    EXPECT_EQ(parseAudioBackend("alsa"), std::nullopt);
    EXPECT_EQ(effectiveAudioBackend({AudioBackend::kAuto, {}, "out.wav"}), AudioBackend::kWav);
    EXPECT_EQ(effectiveAudioBackend({AudioBackend::kAuto, {}, {}}), AudioBackend::kNull); // headless
    EXPECT_EQ(effectiveAudioBackend({AudioBackend::kSdl, {}, "out.wav"}), AudioBackend::kSdl);
}

#ifdef KESTROVA_HAVE_SDL
// SDL's sound without a sound card: its dummy driver takes sound at the pace
// of the real clock, so this waits (generously) for what it plays.
TEST_F(Wave, TheDesktopsSoundDevicePlaysAndRecordsThroughSdl) {
    clock.reset(); // SDL's devices keep real time
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    useFiles({}, {}, AudioBackend::kSdl);
    std::vector<WaveBuffer> buffers(3);
    WaveBuffer recorded; // buffers before the devices that hold them
    std::unique_ptr<WaveOut> out;
    ASSERT_EQ(WaveOut::open(kVoiceFormat, window, out), WaveResult::kOk);
    for (auto& buffer : buffers) {
        buffer.data.assign(kBufferBytes, 0x10);
        out->prepare(buffer);
        out->write(buffer);
    }
    std::unique_ptr<WaveIn> in;
    ASSERT_EQ(WaveIn::open(kVoiceFormat, window, in), WaveResult::kOk);
    recorded.data.resize(kBufferBytes);
    in->prepare(recorded);
    in->addBuffer(recorded);
    in->start();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((notifications(MM_WOM_DONE).size() < 3 || notifications(MM_WIM_DATA).empty()) &&
           std::chrono::steady_clock::now() < deadline) {
        pumpPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(notifications(MM_WOM_DONE).size(), 3u);
    ASSERT_EQ(notifications(MM_WIM_DATA).size(), 1u);
    EXPECT_EQ(recorded.bytesRecorded, kBufferBytes);
}
#endif
