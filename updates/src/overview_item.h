// The plug-in's one item on the shell's overview, in the section "UPDATES"
// ("Automatic Updates"), through the overview's named functions. The section
// is created with the first item; when the overview cannot make it, nothing
// is shown. The item shows the "DOWNLOAD" icon of the module given.
#pragma once

#include "update_host.h"

namespace kestrova::updates {

class OverviewItem final : public UpdateView {
  public:
    explicit OverviewItem(void* iconModule) : iconModule_(iconModule) {}
    ~OverviewItem() override;
    OverviewItem(const OverviewItem&) = delete;
    OverviewItem& operator=(const OverviewItem&) = delete;

    void show(std::string_view title, std::string_view text) override;
    void hide() override;
    bool shown() const { return item_ != nullptr; }

  private:
    void* iconModule_;
    void* section_ = nullptr;
    void* item_ = nullptr;
};

} // namespace kestrova::updates
