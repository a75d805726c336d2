// The short buzz of a new message: on 100 ms, off 100 ms, on 100 ms, off,
// played away from the user-interface thread. Patterns asked for while one
// plays follow it rather than interleave with it.
//
// NOTE: the patterns run on one worker thread that this object owns and
// joins when it goes, so no pattern is still running when the plug-in that
// started it stops.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrova::messaging {

class VibrationPatterns {
  public:
    // pocketPc: the vibrator is notification LED 1; otherwise the shell's
    // vibrate and stop calls.
    explicit VibrationPatterns(bool pocketPc);
    ~VibrationPatterns();
    VibrationPatterns(const VibrationPatterns&) = delete;
    VibrationPatterns& operator=(const VibrationPatterns&) = delete;

    void start();
    // Patterns asked for and not finished yet.
    int pending() const;

  private:
    void run();
    void vibrate(bool on);
    // False when the object is going and the pattern should stop.
    bool pause(std::unique_lock<std::mutex>& lock);

    const bool pocketPc_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int pending_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace kestrova::messaging
