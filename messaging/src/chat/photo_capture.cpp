#include "photo_capture.h"

#include <fstream>
#include <vector>

#include "kestrova/platform/message_box.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "outgoing_message.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {

PhotoOutcome box(uint32_t caption, uint32_t message, uint32_t icon) {
    PhotoOutcome outcome;
    outcome.caption = text(caption);
    outcome.text = text(message);
    outcome.icon = icon;
    return outcome;
}

// The whole file when it is smaller than the bound; nothing when it cannot
// be read. tooLarge tells a file at or over the bound.
bool readPhoto(const std::filesystem::path& file, std::vector<char>& bytes, bool& tooLarge) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.resize(kMaxPhotoBytes);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return false;
    bytes.resize(static_cast<size_t>(in.gcount()));
    tooLarge = bytes.size() == kMaxPhotoBytes;
    return true;
}

} // namespace

PhotoOutcome photoOutcome(const CameraResult& result) {
    switch (result.code) {
    case S_OK: {
        std::vector<char> bytes;
        bool tooLarge = false;
        if (!readPhoto(result.file, bytes, tooLarge))
            return box(texts::kCaptureFailed, texts::kSavedFileNotOpened, MB_ICONINFORMATION);
        if (tooLarge) return box(texts::kError, texts::kImageTooLarge, MB_ICONERROR);
        PhotoOutcome outcome;
        outcome.message = makeOutgoingMessage("image/jpeg", {bytes.data(), bytes.size()});
        return outcome;
    }
    case S_FALSE:
        return {};
    case E_NOTIMPL:
        return box(texts::kComingSoon, texts::kPhotoNotSupported, MB_ICONINFORMATION);
    case E_OUTOFMEMORY:
        return box(texts::kCaptureFailed, texts::kNotEnoughMemory, MB_ICONERROR);
    case E_INVALIDARG:
        return box(texts::kCaptureFailed, texts::kInvalidArgument, MB_ICONERROR);
    default:
        return box(texts::kCaptureFailed, texts::kUnknownError, MB_ICONERROR);
    }
}

// FIXME: where a V4L2 camera is present it could take a real 320x240
// picture; the platform's camera offers its picture chooser only.
void captureAndSendPhoto(HWND chatWindow, HWND button) {
    CameraRequest request;
    request.owner = chatWindow;
    PhotoOutcome outcome = photoOutcome(capturePicture(request));
    if (outcome.message.get())
        sendMessage(chatWindow, WM_APP, reinterpret_cast<WParam>(button),
                    reinterpret_cast<LParam>(outcome.message.get()));
    else if (!outcome.text.empty())
        messageBox(button, outcome.text, outcome.caption, MB_OK | outcome.icon);
}

} // namespace kestrova::messaging
