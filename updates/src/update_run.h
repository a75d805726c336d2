// One update check, the download driver: connects to the update server over
// the socket layer, sends the check, reads the answer, and when it carries an
// update decodes and installs it. Progress and the outcome go to the
// overview item through UpdateView.
//
// Everything runs on the user-interface thread; the socket layer's worker
// threads only report to the run's hidden window.
#pragma once

#include "install.h"
#include "update_host.h"
#include "update_signature.h"
#include "update_texts.h"

#include "kestrova/net/packet_socket.h"
#include "kestrova/wire/update_body.h"
#include "kestrova/wire/update_request.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace kestrova::updates {

// The run's state, with the numbers the system gives them.
enum class RunState : int32_t {
    Checking = 0,    // connecting or checking
    Downloading = 1, // body bytes of known length are arriving
    Processing = 2,  // a complete response is being processed
    Failed = 3,
    UpToDate = 4,
    Installed = 5, // new files in place, restart pending
};

struct UpdateRunSetup {
    std::string host;
    int32_t port = kDefaultServerPort;
    std::filesystem::path folder; // the program folder
    std::string programName;      // the program's file name in it
    wire::UpdateCheck check;      // platform, language, subscriber; the modules are read when sending
    PublicKey releaseKey = releasePublicKey();
    wire::UpdateBodyLimits limits;
    InstallStepHook installHook; // tests stop the install part-way
};

class UpdateRun final : public net::PacketSocket {
  public:
    // A download that has received nothing for this long no longer counts
    // as busy, so the next tick replaces it.
    static constexpr uint32_t kStalledAfterMs = 10 * 60 * 1000;

    // The window must outlive the run; the run takes its handler.
    UpdateRun(net::HiddenWindow& window, UpdateView& view, UpdateRunSetup setup);
    ~UpdateRun() override;

    // Shows "Connecting to server..." and starts connecting.
    void start();
    RunState state() const { return state_; }
    // Downloading (and not stalled), or installed: the timer keeps it.
    bool busy() const;

  private:
    void onConnected() override;
    void onDataReceived() override;
    void onDisconnected() override;

    void reportProgress(uint64_t received, int64_t expected);
    void processResponse();
    void installBody();
    void setState(RunState state);
    void fail(texts::Text text);

    UpdateView& view_;
    UpdateRunSetup setup_;
    RunState state_ = RunState::Checking;
    wire::Packet response_;
    uint32_t lastBytesTick_ = 0;
};

} // namespace kestrova::updates
