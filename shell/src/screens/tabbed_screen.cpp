#include "tabbed_screen.h"

#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr int kLeftKey = IDOK;
constexpr int kRightKey = IDCANCEL;

int stripHeight() {
    return 21 * screenDpi() / 96;
}

} // namespace

TabbedScreen::~TabbedScreen() = default;

bool TabbedScreen::build(HWND owner, const std::string& caption, const SoftKeys& keys,
                         const PageMaker& makePages) {
    // NOTE: a phone screen takes the whole work area, on every display.
    if (!create(caption, WS_POPUP | WS_CAPTION, workArea(), nullptr, owner)) return false;
    SoftKeyBar bar{{keys.left, kLeftKey}, {keys.right, kRightKey}};
    bar.right.visible = !keys.right.empty();
    createMenuBar(hwnd(), bar);
    overrideBackKey(hwnd(), true);
    strip_ = TabStrip::create(hwnd(), *this);
    if (!strip_) return false;
    pages_ = makePages(hwnd());
    std::vector<std::unique_ptr<Tab>> tabs;
    for (auto& page : pages_) {
        page->hide();
        tabs.push_back(std::make_unique<TextTab>(page->title()));
    }
    placePages();
    strip_->setTabs(std::move(tabs));
    strip_->select(0);
    showWindow(hwnd(), SW_SHOWNORMAL);
    setFocus(strip_->hwnd());
    return true;
}

void TabbedScreen::discard(TabbedScreen* screen) {
    // The window takes its object with it; without one, nothing else will.
    if (isWindow(screen->hwnd()))
        destroyWindow(screen->hwnd());
    else
        delete screen;
}

void TabbedScreen::placePages() {
    Rect client = clientRect(hwnd());
    moveWindow(strip_->hwnd(), {client.left, client.top, client.right, client.top + stripHeight()});
    Rect area{client.left, client.top + stripHeight(), client.right, client.bottom};
    for (auto& page : pages_)
        page->place(area);
    // The strip lays its tabs out for its height.
    strip_->tabChanged();
}

void TabbedScreen::tabChosen(TabStrip&, size_t index) {
    ScreenPage* chosen = pages_[index].get();
    if (chosen == selected_) return;
    if (selected_) selected_->hide();
    selected_ = chosen;
    selected_->show();
}

void TabbedScreen::saveAndClose() {
    for (auto& page : pages_)
        page->save();
    destroyWindow(hwnd());
}

void TabbedScreen::onCommand(HWND hwnd, int id, HWND control, int code) {
    if (control) {
        for (auto& page : pages_)
            page->onControl(id, code);
        return;
    }
    if (id == kLeftKey)
        saveAndClose();
    else if (id == kRightKey)
        destroyWindow(hwnd);
}

void TabbedScreen::onHotKey(HWND, int, int, int key) {
    if (key == VK_TBACK) sendBackToFocusWindow();
}

void TabbedScreen::onSize(HWND, int, int, int) {
    if (strip_) placePages();
}

void TabbedScreen::onDestroy(HWND) {
    closing();
    delete this;
}

} // namespace kestrova::shell
