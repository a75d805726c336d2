// TabbedScreen: a full-screen window over the main window with a tab strip
// across the top and one page under it per tab (Settings, About). Selecting
// a tab hides the previous page and shows the chosen one. The left soft key
// saves every page and closes; the right one, when there is one, closes
// without saving. Back goes to the focused control. The screen owns itself:
// it deletes its object when its window is destroyed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kestrova/ui/window_base.h"
#include "tab_strip/tab_strip.h"

namespace kestrova::shell {

// A page of a tabbed screen. Its controls are children of the screen, made
// hidden; the page shows and hides them, and places them in the area under
// the strip.
class ScreenPage {
  public:
    virtual ~ScreenPage() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void save() {}
    // The tab's text.
    virtual std::string title() const = 0;
    virtual void place(const platform::Rect& area) = 0;
    // A control of the page told the screen something (WM_COMMAND).
    virtual void onControl(int /*id*/, int /*code*/) {}
};

class TabbedScreen : public ui::WindowBase, private TabStripListener {
  public:
    struct SoftKeys {
        std::string left;  // saves and closes
        std::string right; // closes; none when empty
    };

    ScreenPage* selectedPage() const { return selected_; }
    TabStrip& tabStrip() { return *strip_; }

    void onCommand(platform::HWND hwnd, int id, platform::HWND control, int code) override;
    void onHotKey(platform::HWND hwnd, int id, int modifiers, int key) override;
    void onSize(platform::HWND hwnd, int type, int width, int height) override;
    void onDestroy(platform::HWND hwnd) override;

  protected:
    TabbedScreen() = default;
    ~TabbedScreen() override;
    // Makes the window, then the pages (each given the window to put its
    // controls on), then their tabs, and shows the first page.
    using PageMaker = std::function<std::vector<std::unique_ptr<ScreenPage>>(platform::HWND screen)>;
    bool build(platform::HWND owner, const std::string& caption, const SoftKeys& keys,
               const PageMaker& makePages);
    // A new screen of that kind, built; null when it cannot be made.
    template <typename Screen>
    static Screen* make(platform::HWND owner, const std::string& caption, const SoftKeys& keys,
                        const PageMaker& makePages) {
        auto* screen = new Screen;
        if (screen->build(owner, caption, keys, makePages)) return screen;
        discard(screen);
        return nullptr;
    }
    // Called as the window goes, before the object is deleted.
    virtual void closing() {}

  private:
    // A screen whose build failed: gone with its window, or deleted.
    static void discard(TabbedScreen* screen);
    void tabChosen(TabStrip& strip, size_t index) override;
    void placePages();
    void saveAndClose();

    std::unique_ptr<TabStrip> strip_;
    std::vector<std::unique_ptr<ScreenPage>> pages_;
    ScreenPage* selected_ = nullptr;
};

} // namespace kestrova::shell
