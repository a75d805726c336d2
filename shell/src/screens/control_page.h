// ControlPage: a page of a tabbed screen made of controls stacked one under
// the other (check boxes, labels, edit fields), each row as high as the
// screen's dpi asks. It shows and hides its controls; a page with rules of
// its own about what is shown says so in visibleControls().
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tabbed_screen.h"

namespace kestrova::shell {

class ControlPage : public ScreenPage {
  public:
    void show() override;
    void hide() override;
    void place(const platform::Rect& area) override;

  protected:
    explicit ControlPage(platform::HWND screen) : screen_(screen) {}
    platform::HWND addCheckBox(std::string_view label, bool checked);
    platform::HWND addLabel(std::string_view text);
    platform::HWND addEdit(std::string_view text, int limit);
    // The controls shown while the page is: all of them, unless a page
    // says otherwise.
    virtual std::vector<platform::HWND> visibleControls() const { return controls_; }
    bool shown() const { return shown_; }
    // Shows again what visibleControls() names now.
    void refreshVisibility();

  private:
    platform::HWND add(std::string_view className, std::string_view text, uint32_t style);

    platform::HWND screen_;
    std::vector<platform::HWND> controls_;
    bool shown_ = false;
};

bool isChecked(platform::HWND checkBox);

} // namespace kestrova::shell
