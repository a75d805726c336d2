// The desktop display: a phone-sized SDL window showing the composed screen.
#include <SDL.h>
#include <cairo.h>

#include <algorithm>

#include "devices/display_backend.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {
namespace {

std::optional<uint32_t> virtualKeyOf(SDL_Keycode key) {
    switch (key) {
    case SDLK_F1: return VK_F1;
    case SDLK_F2: return VK_F2;
    case SDLK_ESCAPE: return VK_ESCAPE;  // Back
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_APPLICATION:
    case SDLK_MENU: return VK_APPS;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    default:
        // Letters reach controls as keys too (Ctrl+A); their text comes as
        // SDL_TEXTINPUT.
        if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>(VK_A + (key - SDLK_a));
        return std::nullopt;
    }
}

class SdlBackend : public DisplayBackend {
public:
    bool open() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
        ScreenGeometry s = screen();
        screen_ = {s.width, s.height};
        // NOTE: the frame the window manager adds is known only once the
        // window is there; until then a usual title bar is assumed.
        Size size = fitOnDesktop(screen_, usableArea(), {0, kAssumedTitleBar});
        window_ = SDL_CreateWindow("Kestrova", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, size.width, size.height,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
        if (!window_) return false;
        SDL_SetWindowMinimumSize(window_, std::max(1, s.width / 2), std::max(1, s.height / 2));
        fitToFrame();
        lastSize_ = windowSize();
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) return false;
        // The screen keeps its aspect in any window; taps are read in screen pixels.
        SDL_RenderSetLogicalSize(renderer_, s.width, s.height);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, s.width, s.height);
        if (!texture_) return false;
        chooseScaleMode();
        wakeEvent_ = SDL_RegisterEvents(1);
        frame_ = std::make_unique<Bitmap>(s.width, s.height);
        SDL_StartTextInput();
        return true;
    }

    Size windowSize() const override {
        Size size;
        SDL_GetWindowSize(window_, &size.width, &size.height);
        return size;
    }

    ~SdlBackend() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    bool interactive() const override { return true; }

    void pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) handle(e);
    }

    void wait(int timeoutMs) override { SDL_WaitEventTimeout(nullptr, timeoutMs); }

    void wake() override {
        SDL_Event e{};
        e.type = wakeEvent_;
        SDL_PushEvent(&e);
    }

    void idle() override {
        uint64_t generation = screenGeneration();
        if (generation == presented_) return;
        followProgramVisibility();
        composeScreen(*frame_);
        presented_ = screenGeneration();
        cairo_surface_t* surface = frame_->surface();
        cairo_surface_flush(surface);
        SDL_UpdateTexture(texture_, nullptr, cairo_image_surface_get_data(surface),
                          cairo_image_surface_get_stride(surface));
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

private:
    static constexpr int kAssumedTitleBar = 32;

    Size usableArea() const {
        SDL_Rect usable{};
        int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
        if (SDL_GetDisplayUsableBounds(display, &usable) != 0) return {};
        return {usable.w, usable.h};
    }

    // Shrinks the window when it and its frame are taller or wider than the desktop allows.
    void fitToFrame() {
        int top = 0, left = 0, bottom = 0, right = 0;
        if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) return;
        Size fit = fitOnDesktop(screen_, usableArea(), {left + right, top + bottom});
        Size now = windowSize();
        if (fit.height < now.height) SDL_SetWindowSize(window_, fit.width, fit.height);
    }

    // Whole multiples stay sharp; any other scale is smoothed.
    void chooseScaleMode() {
        Size now = windowSize();
        bool whole = now.width % screen_.width == 0 && now.height % screen_.height == 0 &&
                     now.width / screen_.width == now.height / screen_.height;
        SDL_SetTextureScaleMode(texture_, whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }

    void resized(Size requested) {
        Size kept = keepAspect(screen_, lastSize_, requested);
        lastSize_ = kept;
        if (!(kept == requested)) SDL_SetWindowSize(window_, kept.width, kept.height);
        chooseScaleMode();
    }

    // Events of the mouse arrive in screen pixels already (the renderer's
    // logical size); the wheel's pointer position is read in window pixels.
    static Point toScreen(int x, int y) { return {x, y}; }
    Point pointerInScreen() const {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        float logicalX = 0, logicalY = 0;
        SDL_RenderWindowToLogical(renderer_, x, y, &logicalX, &logicalY);
        return {int(logicalX), int(logicalY)};
    }

    static void followModifiers(SDL_Keymod mod) { setModifierKeys(mod & KMOD_SHIFT, mod & KMOD_CTRL); }

    void handle(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT: closeFromDesktop(); break;
        case SDL_KEYDOWN:
            if (auto vk = virtualKeyOf(e.key.keysym.sym)) keyDown(*vk, e.key.repeat != 0);
            break;
        case SDL_KEYUP:
            if (auto vk = virtualKeyOf(e.key.keysym.sym)) keyUp(*vk);
            break;
        case SDL_TEXTINPUT: typeText(e.text.text); break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) pointerDown(toScreen(e.button.x, e.button.y));
            else if (e.button.button == SDL_BUTTON_RIGHT) tapAndHold(toScreen(e.button.x, e.button.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) pointerUp(toScreen(e.button.x, e.button.y));
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.state & SDL_BUTTON_LMASK) pointerMove(toScreen(e.motion.x, e.motion.y));
            break;
        case SDL_MOUSEWHEEL: {
            int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            mouseWheel(notches * WHEEL_DELTA, pointerInScreen());
            break;
        }
        case SDL_WINDOWEVENT:
            presented_ = 0;
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) resized({e.window.data1, e.window.data2});
            // Shift or Ctrl may have been pressed or let go while another
            // window had the keyboard.
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                followModifiers(e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ? SDL_GetModState() : KMOD_NONE);
            break;
        default: break;
        }
    }

    // NOTE: the desktop window shows only while the program shows a window
    // (a program started hidden is no empty phone frame on the desktop; its
    // notification brings it up).
    void followProgramVisibility() {
        bool anyShown = false;
        for (HWND top : topLevelWindows()) anyShown = anyShown || isVisible(top);
        if (anyShown == shown_) return;
        shown_ = anyShown;
        if (shown_)
            SDL_ShowWindow(window_);
        else
            SDL_HideWindow(window_);
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    uint32_t wakeEvent_ = 0;
    Size screen_;
    Size lastSize_;
    bool shown_ = false;
    uint64_t presented_ = ~0ull;
    std::unique_ptr<Bitmap> frame_;
};

}  // namespace

std::unique_ptr<DisplayBackend> makeSdlBackend() {
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->open()) return nullptr;
    return backend;
}

}  // namespace kestrova::platform::detail
