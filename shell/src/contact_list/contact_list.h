// ContactList: the home screen of the main window. A tab strip across the
// top chooses the page below it: the overview (made once, and kept while
// hidden) or one group's members (made anew for each group chosen). Both are
// panes of the main window's PaneLayout ("core.window.layout").
#pragma once

#include <memory>

#include "group_page.h"
#include "kestrova/kit/pane_layout.h"
#include "overview/overview_screen.h"
#include "tab_strip.h"

namespace kestrova::shell {

class ContactList final : public TabStripListener {
  public:
    // Needs the main window's variants; null when they are not set.
    static std::unique_ptr<ContactList> create();
    ~ContactList();
    ContactList(const ContactList&) = delete;
    ContactList& operator=(const ContactList&) = delete;

    void showOverview() override;
    void showGroup(HGROUP group) override;

    TabStrip& tabStrip() { return *tabStrip_; }
    GroupPage* groupPage() { return groupPage_.get(); }
    OverviewScreen* overview() { return overview_.get(); }

  private:
    ContactList(platform::HWND mainWindow, kit::PaneLayout& layout);
    bool createTabStrip();
    void closeGroupPage();

    // Declared first so that it goes last: the pages and the strip are
    // taken out of it as they go.
    kit::PaneLayout& layout_;
    platform::HWND mainWindow_;
    std::unique_ptr<TabStrip> tabStrip_;
    std::unique_ptr<GroupPage> groupPage_;
    std::unique_ptr<OverviewScreen> overview_;
};

} // namespace kestrova::shell
