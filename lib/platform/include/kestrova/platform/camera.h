// The camera: a still picture taken through the platform's camera dialog,
// saved as a JPEG file whose path comes back. On this platform the "camera"
// is a picture chooser over the user's pictures folder, shown as a modal
// (popup list) so that a test's responder or the automation's `choose`
// answers it; or it is answered without asking, as configured:
//
//   KESTROVA_CAMERA=<file.jpg>     the picture taken is that file
//   KESTROVA_CAMERA=cancel         the user cancels (also: set but empty)
//   KESTROVA_CAMERA=unavailable    the device has no camera
//   KESTROVA_CAMERA=chooser        (or unset) the chooser asks
//
// The picture chosen is copied to the request's folder under its file name,
// as the device's camera saves what it takes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

// The result codes of the camera dialog, as the system has always numbered them.
using HResult = int32_t;
inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1; // the user cancelled
inline constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001);
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005);
inline constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000E);
inline constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057);

struct CameraRequest {
    HWND owner = nullptr;
    std::filesystem::path initialFolder;          // empty: temporaryFolder()
    std::string defaultFileName = "capimage.jpg"; // a plain file name
    int width = 320;
    int height = 240;
};

struct CameraResult {
    HResult code = E_FAIL;
    std::filesystem::path file; // with S_OK: the saved picture
};

// S_OK with the file; S_FALSE when cancelled; E_NOTIMPL without a camera;
// E_INVALIDARG for a bad request or a folder that is not there;
// E_OUTOFMEMORY when the disk is full; E_FAIL when the picture cannot be read.
CameraResult capturePicture(const CameraRequest& request);

struct CameraAnswer {
    enum class Kind { kChooser, kFile, kCancel, kUnavailable };
    Kind kind = Kind::kChooser;
    std::filesystem::path file; // with kFile
};

// "chooser", "cancel" (or empty), "unavailable", else a file's path.
CameraAnswer parseCameraAnswer(std::string_view text);
std::string formatCameraAnswer(const CameraAnswer& answer);
// KESTROVA_CAMERA at first use, or what setCameraAnswer set since.
CameraAnswer cameraAnswer();
void setCameraAnswer(const CameraAnswer& answer);

// $XDG_PICTURES_DIR, else ~/Pictures: what the chooser offers.
std::filesystem::path picturesFolder();
// The chooser shows at most this many pictures, the newest first.
inline constexpr size_t kMaxChooserPictures = 100;

} // namespace kestrova::platform
