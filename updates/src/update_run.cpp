#include "update_run.h"

#include "check_request.h"
#include "compressed_body.h"
#include "new_files.h"
#include "update_texts.h"

#include "kestrova/platform/clock.h"

namespace kestrova::updates {
namespace {

wire::ReaderLimits responseLimits(const wire::UpdateBodyLimits& limits) {
    wire::ReaderLimits reader;
    reader.maxBody = limits.maxBody;
    reader.bodyUntilClose = true;
    return reader;
}

} // namespace

UpdateRun::UpdateRun(net::HiddenWindow& window, UpdateView& view, UpdateRunSetup setup)
    : PacketSocket(window, responseLimits(setup.limits)), view_(view), setup_(std::move(setup)) {
    window.setHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return handleMessage(message, wParam, lParam);
    });
}

UpdateRun::~UpdateRun() {
    closeSocket();
    window().setHandler(nullptr);
}

void UpdateRun::start() {
    view_.show(texts::text(texts::kAutomaticUpdates), texts::text(texts::kConnecting));
    bool hostFits = checkRequest(setup_.host, {}).has_value();
    if (!hostFits || setup_.port < 1 || setup_.port > 65535) {
        // Nothing to connect to: the run ends as an unreachable server does.
        view_.hide();
        return;
    }
    startConnect(setup_.host, static_cast<uint16_t>(setup_.port));
}

bool UpdateRun::busy() const {
    if (state_ == RunState::Installed) return true;
    return state_ == RunState::Downloading && platform::tickCount() - lastBytesTick_ < kStalledAfterMs;
}

void UpdateRun::onConnected() {
    view_.show(texts::text(texts::kAutomaticUpdates), texts::text(texts::kChecking));
    wire::UpdateCheck check = setup_.check;
    check.modules = listModuleBuilds(setup_.folder, setup_.programName);
    queueBytes(*checkRequest(setup_.host, check));
    flush();
}

void UpdateRun::onDataReceived() {
    if (state_ != RunState::Checking && state_ != RunState::Downloading) return;
    wire::ReadStatus status = receiver().next(response_);
    if (status == wire::ReadStatus::Error) {
        // A response beyond the reader's bounds is a bad response.
        setState(RunState::Failed);
        view_.hide();
        closeSocket();
        return;
    }
    if (status == wire::ReadStatus::Complete) {
        if (response_.hasHeader("content-length") && !response_.body().empty())
            reportProgress(response_.body().size(), response_.headerInt("content-length"));
        processResponse();
        closeSocket();
        return;
    }
    const wire::PacketReader& reader = receiver().reader();
    if (reader.state() == wire::PacketReader::State::Body && !reader.readingBodyUntilClose())
        reportProgress(reader.packet().body().size(), reader.packet().headerInt("content-length"));
}

void UpdateRun::onDisconnected() {
    if (state_ == RunState::Checking && receiver().endOfStream() &&
        receiver().next(response_) == wire::ReadStatus::Complete) {
        processResponse();
    } else if (state_ == RunState::Checking) {
        // The server could not be reached or said nothing: nothing stays on
        // the overview.
        view_.hide();
    } else if (state_ == RunState::Downloading) {
        // NOTE: the last progress text stays, but the run counts as failed so
        // that the next tick checks again instead of waiting for good.
        setState(RunState::Failed);
    }
    PacketSocket::onDisconnected();
}

void UpdateRun::reportProgress(uint64_t received, int64_t expected) {
    setState(RunState::Downloading);
    lastBytesTick_ = platform::tickCount();
    int64_t percent = expected > 0 ? static_cast<int64_t>(received) * 100 / expected : 0;
    std::string progress =
        texts::formatNumbers(texts::text(texts::kDownloadingFormat),
                             {static_cast<int64_t>(received / 1024), expected / 1024, percent});
    view_.show(texts::text(texts::kDownloadingTitle), progress);
}

void UpdateRun::processResponse() {
    setState(RunState::Processing);
    if (response_.command().find(" 200 ") == std::string::npos) {
        view_.hide();
        return setState(RunState::Failed);
    }
    if (response_.body().empty()) {
        view_.hide();
        return setState(RunState::UpToDate);
    }
    if (response_.hasHeader("content-length") &&
        static_cast<uint64_t>(response_.headerInt("content-length")) != response_.body().size()) {
        view_.hide();
        return setState(RunState::Failed);
    }
    view_.show(texts::text(texts::kAutomaticUpdates), texts::text(texts::kInstalling));
    installBody();
}

void UpdateRun::installBody() {
    std::string_view body = response_.body();
    std::optional<std::string> expanded;
    if (response_.hasHeader(kBodyEncodingHeader)) {
        if (response_.header(kBodyEncodingHeader) == kXzEncoding)
            expanded = expandBody(body, setup_.limits.maxBody);
        // An encoding we do not know, or a stream that does not expand:
        // refused like any other bad response.
        if (!expanded) {
            view_.hide();
            return setState(RunState::Failed);
        }
        body = *expanded;
    }
    auto signature = fromHex<64>(response_.header(kSignatureHeader));
    DecodeResult decoded = writeNewFiles(setup_.folder, body, signature, setup_.releaseKey, setup_.limits);
    switch (decoded.failure) {
    case DecodeFailure::None:
        break;
    case DecodeFailure::MapFailed:
        return fail(texts::kCouldNotMap);
    case DecodeFailure::OpenFailed:
        return fail(texts::kCouldNotOpen);
    case DecodeFailure::WriteFailed:
        return fail(texts::kCouldNotWrite);
    case DecodeFailure::BadBody:
    case DecodeFailure::BadSignature:
        // Refused like any other bad response; nothing was written.
        view_.hide();
        return setState(RunState::Failed);
    }
    if (!installNewFiles(setup_.folder, decoded.targets, setup_.installHook))
        return fail(texts::kCouldNotInstall);
    view_.show(texts::text(texts::kInstalledTitle), texts::text(texts::kRestart));
    setState(RunState::Installed);
}

void UpdateRun::setState(RunState state) {
    state_ = state;
}

void UpdateRun::fail(texts::Text text) {
    view_.show(texts::text(texts::kFailedTitle), texts::text(text));
    setState(RunState::Failed);
}

} // namespace kestrova::updates
