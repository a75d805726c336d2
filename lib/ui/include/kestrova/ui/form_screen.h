// FormScreen: a full-screen form of a module, the way the phone shows its
// dialogs. A top-level window over the work area, owned by the main window,
// with a two-key soft-key bar: the left key (command 1, also Enter) calls
// onOk, the right key (command 2) closes the form. The form's title stands
// in the navigation bar while it is in front, and the Back key goes to the
// focused field, where it deletes a character, instead of closing the form.
//
// A form is made with new and deletes itself when its window goes; whoever
// keeps a pointer to it hears of that through onFormDestroyed.
#pragma once

#include <string>

#include "kestrova/ui/window_base.h"

namespace kestrova::ui {

class FormScreen : public WindowBase {
  public:
    enum Command : int { kCommandOk = 1, kCommandCancel = 2 };

    // Brings the form to the front.
    void bringToFront();

  protected:
    FormScreen() = default;
    ~FormScreen() override = default;

    // Creates the window over the work area (hidden until bringToFront) and
    // its soft keys. False when the window could not be made.
    bool createForm(const std::string& title, HWND owner, const std::string& okLabel,
                    const std::string& cancelLabel);
    // The title, also in the navigation bar while the form is in front.
    void setTitle(const std::string& title);
    const std::string& title() const { return title_; }
    void close();

    // The left soft key or Enter.
    virtual void onOk() = 0;
    // The window is going; the object is deleted right after.
    virtual void onFormDestroyed() {}

    void onActivate(HWND hwnd, int state, HWND otherWindow, bool minimized) override;
    void onCommand(HWND hwnd, int id, HWND controlHwnd, int notifyCode) override;
    void onDestroy(HWND hwnd) override;
    void onHotKey(HWND hwnd, int id, int modifiers, int key) override;

  private:
    std::string title_;
};

} // namespace kestrova::ui
