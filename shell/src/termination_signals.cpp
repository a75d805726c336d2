#include "termination_signals.h"

#include <pthread.h>
#include <unistd.h>

#include "kestrova/platform/message_loop.h"

namespace kestrova::shell {

TerminationSignals::TerminationSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
    thread_ = std::thread([this] { wait(); });
}

TerminationSignals::~TerminationSignals() {
    stopping_.store(true);
    // Wakes the waiting thread; it sees stopping_ and ends.
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
    // A signal that came meanwhile is left pending and acted on when the mask
    // is restored: the shutdown is done by now.
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void TerminationSignals::wait() {
    bool closing = false;
    for (;;) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) continue;
        if (stopping_.load()) return;
        // NOTE: a second signal while the shutdown runs ends the process at
        // once, so a plug-in that hangs while stopping cannot keep it alive.
        if (closing) ::_exit(128 + signal);
        closing = true;
        if (shuttingDown_.load()) continue;
        platform::HWND window = window_.load();
        if (!window) ::_exit(128 + signal); // no plug-in runs yet that would need stopping
        platform::postMessage(window, platform::WM_ENDSESSION, 1, 0);
    }
}

} // namespace kestrova::shell
