// A service's item on the overview: its icon with the state's overlay (grey
// while signed out), and up to three lines from its record. Activating it
// signs in or out; its menu is the service's own status menu.
#pragma once

#include <string>
#include <vector>

#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/platform/icon.h"
#include "section_list/list_row.h"

namespace kestrova::shell {

class SectionList;

class ServiceItem final : public ListRow {
  public:
    // Takes its own reference to the service and follows its changes.
    ServiceItem(SectionList& list, HSERVICE service);

    void paint(platform::DeviceContext& dc, const platform::Rect& rect) override;
    int height() const override;
    void activate() override;
    void contextMenu(int x, int y) override;
    std::string text() const override;

  private:
    void readRecord();
    int iconSize() const;

    SectionList& list_;
    kit::OwnedService service_;
    kit::ServiceFields record_;
    std::vector<std::string> lines_;
    platform::IconPtr icon_;    // the service's own; null: the program's mobile icon
    platform::IconPtr overlay_; // the state's, if any
    kit::Subscription changes_;
};

} // namespace kestrova::shell
