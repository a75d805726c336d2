// SIGTERM, SIGINT and SIGHUP end the program the normal way: the main window
// is closed as at a system shutdown, the message loop ends, and the plug-ins
// are stopped and the core state cleaned up in their usual order. Without
// this the default action kills the process at once and, say, the settings
// the server sent are lost.
//
// The signals are blocked in every thread and taken by a thread of their own
// (sigwait), so no handler runs inside arbitrary code. Create the object
// before any other thread starts: threads inherit the blocked set.
#pragma once

#include <atomic>
#include <csignal>
#include <thread>

#include "kestrova/platform/messages.h"

namespace kestrova::shell {

class TerminationSignals {
  public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The window to close on the first signal; null until there is one.
    void setWindow(platform::HWND window) { window_.store(window); }
    // The loop has ended and the shutdown runs: a first signal now has
    // nothing more to start.
    void shutdownStarted() { shuttingDown_.store(true); }

  private:
    void wait();

    sigset_t signals_{};
    sigset_t previousMask_{};
    std::atomic<platform::HWND> window_{nullptr};
    std::atomic<bool> shuttingDown_{false};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace kestrova::shell
