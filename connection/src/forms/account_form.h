// What the plug-in's two account forms share: a full-screen form with "OK"
// and "Cancel", its fields stacked from the top, and the box that says a
// field is missing.
#pragma once

#include "kestrova/ui/field_stack.h"
#include "kestrova/ui/form_screen.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrova::connection {

class AccountForm : public ui::FormScreen {
  public:
    // Called when the form's window goes (its object with it).
    void setOnGone(std::function<void()> onGone) { onGone_ = std::move(onGone); }

  protected:
    AccountForm() = default;
    // Makes the window owned by the main window, with the plug-in's soft keys.
    bool createAccountForm(uint32_t titleText);
    ui::FieldStack& fields() { return *fields_; }
    // Places the fields; a form with more above them starts them lower.
    virtual void layOut();
    // Stacks the fields from `top` down; returns where they end.
    int arrangeFields(int top);
    int margin() const;
    // An exclamation box over the form: "Missing Information" and the text.
    void sayMissing(uint32_t text);
    // A box over the form with the plug-in's text and caption.
    void say(uint32_t text, uint32_t caption, bool exclamation);

    void onSize(platform::HWND hwnd, int type, int width, int height) override;
    void onFormDestroyed() override;

  private:
    std::unique_ptr<ui::FieldStack> fields_;
    std::function<void()> onGone_;
};

} // namespace kestrova::connection
