#include "shell_services/image_viewer.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/jpeg_image.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {
namespace {

constexpr char kCaption[] = "Pictures";

struct ViewerState {
    std::unique_ptr<Bitmap> picture;
};

std::unique_ptr<Bitmap> toBitmap(const DecodedImage& image) {
    auto bitmap = std::make_unique<Bitmap>(image.width, image.height);
    cairo_surface_t* surface = bitmap->surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const size_t row = static_cast<size_t>(image.width) * sizeof(uint32_t);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(data + static_cast<size_t>(y) * stride,
                    image.pixels.data() + static_cast<size_t>(y) * image.width, row);
    cairo_surface_mark_dirty(surface);
    return bitmap;
}

// The picture as large as fits, never enlarged, centred.
Rect fitted(const Bitmap& picture, const Rect& area) {
    double scale =
        std::min({1.0, double(area.width()) / picture.width(), double(area.height()) / picture.height()});
    int width = std::max(1, static_cast<int>(picture.width() * scale));
    int height = std::max(1, static_cast<int>(picture.height() * scale));
    return Rect::ofSize(area.left + (area.width() - width) / 2, area.top + (area.height() - height) / 2,
                        width, height);
}

void paint(HWND hwnd, const ViewerState& state) {
    PaintScope scope(hwnd);
    Rect client = clientRect(hwnd);
    scope.dc().fillRect(client, rgb(0, 0, 0));
    scope.dc().drawBitmapScaled(*state.picture, fitted(*state.picture, client));
}

LResult viewerProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_CREATE) {
        setUserData(hwnd, reinterpret_cast<intptr_t>(reinterpret_cast<CreateParams*>(lParam)->createParam));
        return 0;
    }
    auto* state = reinterpret_cast<ViewerState*>(userData(hwnd));
    switch (message) {
    case WM_PAINT:
        if (!state) break;
        paint(hwnd, *state);
        return 0;
    case WM_COMMAND:
        if (loWord(wParam) == IDOK || loWord(wParam) == IDCANCEL) destroyWindow(hwnd);
        return 0;
    case WM_CLOSE:
        destroyWindow(hwnd);
        return 0;
    case WM_NCDESTROY:
        setUserData(hwnd, 0);
        delete state;
        break;
    default:
        break;
    }
    return defWindowProc(hwnd, message, wParam, lParam);
}

std::string refusal(JpegError error) {
    switch (error) {
    case JpegError::kTooLarge:
        return "The picture is too large to be shown.";
    case JpegError::kDamaged:
        return "The picture is damaged and cannot be shown.";
    default:
        return "The picture could not be opened.";
    }
}

} // namespace

HWND showImageViewer(const std::filesystem::path& file, HWND owner) {
    auto decoded = loadJpegFile(file);
    if (auto* error = std::get_if<JpegError>(&decoded)) {
        messageBox(owner, refusal(*error), kCaption, MB_OK | MB_ICONERROR);
        return nullptr;
    }
    auto state = std::make_unique<ViewerState>();
    state->picture = toBitmap(std::get<DecodedImage>(decoded));
    registerClass({kImageViewerClass, viewerProc, 0, std::nullopt});
    // The viewer is a program of its own on the device: owned by nobody, it
    // stays when the window that opened the picture goes.
    HWND viewer = createWindow({kImageViewerClass, file.filename().string(), WS_POPUP | WS_CAPTION,
                                workArea(), nullptr, nullptr, 0, state.get()});
    if (!viewer) return nullptr;
    state.release(); // the window owns it now; freed at WM_NCDESTROY
    createMenuBar(viewer, {{"Close", IDCANCEL}, {"", 0, nullptr, false, false}});
    showWindow(viewer, SW_SHOW);
    setFocus(viewer);
    return viewer;
}

} // namespace kestrova::platform::detail
