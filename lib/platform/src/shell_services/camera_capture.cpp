#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "kestrova/platform/camera.h"
#include "kestrova/platform/jpeg_image.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/text.h"

namespace kestrova::platform {
namespace {

namespace fs = std::filesystem;

// A picture beyond this is more than the device could have saved.
constexpr uintmax_t kMaxPictureFileSize = 32 * 1024 * 1024;

std::mutex gMutex;
std::optional<CameraAnswer> gAnswer;

bool isJpegFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && hasJpegExtension(entry.path()) &&
           isValidUtf8(entry.path().filename().string());
}

std::vector<fs::path> newestPictures(const fs::path& folder) {
    std::vector<std::pair<fs::file_time_type, fs::path>> found;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        if (isJpegFile(*it)) found.emplace_back(it->last_write_time(ec), it->path());
    std::sort(found.begin(), found.end(),
              [](auto& a, auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    std::vector<fs::path> pictures;
    for (size_t i = 0; i < found.size() && i < kMaxChooserPictures; ++i)
        pictures.push_back(found[i].second);
    return pictures;
}

std::string menuText(const fs::path& picture) {
    std::string text;
    for (char c : picture.filename().string())
        text += c == '&' ? std::string("&&") : std::string(1, c);
    return text;
}

// The chooser: the newest pictures as a popup list, which scrolls when they
// are more than the screen holds. Nothing when dismissed.
std::optional<fs::path> choosePicture(HWND owner) {
    auto pictures = newestPictures(picturesFolder());
    UniqueMenu menu(createPopupMenu());
    if (pictures.empty()) appendMenu(menu.get(), MF_STRING | MF_GRAYED, 1, "No pictures");
    for (size_t i = 0; i < pictures.size(); ++i)
        appendMenu(menu.get(), MF_STRING, i + 1, menuText(pictures[i]));
    Rect area = workArea();
    int command = trackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, {area.left, area.top}, owner);
    if (command <= 0 || static_cast<size_t>(command) > pictures.size()) return std::nullopt;
    return pictures[static_cast<size_t>(command) - 1];
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos && isValidUtf8(name);
}

// Saves the picture where the camera was asked to, as the device's camera does.
CameraResult save(const fs::path& picture, const fs::path& target) {
    std::error_code ec;
    if (!fs::is_regular_file(picture, ec)) return {E_FAIL, {}};
    if (fs::file_size(picture, ec) > kMaxPictureFileSize || ec) return {ec ? E_FAIL : E_OUTOFMEMORY, {}};
    if (fs::exists(target, ec) && fs::equivalent(picture, target, ec)) return {S_OK, target};
    fs::copy_file(picture, target, fs::copy_options::overwrite_existing, ec);
    if (ec == std::errc::no_space_on_device) return {E_OUTOFMEMORY, {}};
    if (ec) return {E_FAIL, {}};
    return {S_OK, target};
}

} // namespace

CameraResult capturePicture(const CameraRequest& request) {
    if (request.width <= 0 || request.height <= 0 || !isPlainFileName(request.defaultFileName))
        return {E_INVALIDARG, {}};
    fs::path folder = request.initialFolder.empty() ? temporaryFolder() : request.initialFolder;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return {E_INVALIDARG, {}};

    CameraAnswer answer = cameraAnswer();
    std::optional<fs::path> picture;
    switch (answer.kind) {
    case CameraAnswer::Kind::kUnavailable:
        return {E_NOTIMPL, {}};
    case CameraAnswer::Kind::kCancel:
        return {S_FALSE, {}};
    case CameraAnswer::Kind::kFile:
        picture = answer.file;
        break;
    case CameraAnswer::Kind::kChooser:
        picture = choosePicture(request.owner);
        break;
    }
    if (!picture) return {S_FALSE, {}};
    return save(*picture, folder / request.defaultFileName);
}

CameraAnswer parseCameraAnswer(std::string_view text) {
    if (text.empty() || text == "cancel") return {CameraAnswer::Kind::kCancel, {}};
    if (text == "unavailable") return {CameraAnswer::Kind::kUnavailable, {}};
    if (text == "chooser") return {CameraAnswer::Kind::kChooser, {}};
    return {CameraAnswer::Kind::kFile, fs::path(text)};
}

std::string formatCameraAnswer(const CameraAnswer& answer) {
    switch (answer.kind) {
    case CameraAnswer::Kind::kCancel:
        return "cancel";
    case CameraAnswer::Kind::kUnavailable:
        return "unavailable";
    case CameraAnswer::Kind::kChooser:
        return "chooser";
    default:
        return answer.file.string();
    }
}

CameraAnswer cameraAnswer() {
    std::lock_guard lock(gMutex);
    if (!gAnswer) {
        const char* configured = std::getenv("KESTROVA_CAMERA");
        gAnswer = configured ? parseCameraAnswer(configured) : CameraAnswer{};
    }
    return *gAnswer;
}

void setCameraAnswer(const CameraAnswer& answer) {
    std::lock_guard lock(gMutex);
    gAnswer = answer;
}

fs::path picturesFolder() {
    if (const char* pictures = std::getenv("XDG_PICTURES_DIR"); pictures && *pictures) return pictures;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / "Pictures";
}

} // namespace kestrova::platform
