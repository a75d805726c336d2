// OverviewScreen: the page behind the home screen's first tab. It lists the
// user's services with their state, the conversations with unread messages,
// and the sections and items that plug-ins put there through the named
// functions "Overview/CreateSection", "Overview/AddStaticItem",
// "Overview/UpdateStaticItem" and "Overview/DeleteItem" (overview_functions.h),
// which are registered for as long as the overview lives.
#pragma once

#include <memory>
#include <vector>

#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"
#include "overview_functions.h"
#include "section_list/section_list.h"

namespace kestrova::shell {

class StaticItem;

class OverviewScreen final : public SectionList {
  public:
    // A hidden child of parent; registers the functions first.
    static std::unique_ptr<OverviewScreen> create(platform::HWND parent);
    ~OverviewScreen() override;

    void refresh();

    // The named functions' work; see overview_functions.h.
    void* createSection(const RY_OverviewSectionArgs& args);
    void* addStaticItem(const RY_OverviewItemArgs& args);
    bool updateStaticItem(const RY_OverviewItemArgs& args);
    bool deleteItem(void* item);

    // The section a handle given out stands for; null for anything else.
    ListSection* sectionOf(void* handle) const;
    StaticItem* findStaticItem(void* item, ListSection** in = nullptr) const;

  protected:
    void onSideKey(uint32_t key) override;

  private:
    OverviewScreen() = default;
    void fillServices();
    void fillMessages();

    // One reference to a section, handed to a plug-in as its handle.
    struct SectionHandle {
        std::shared_ptr<ListSection> section;
    };
    std::vector<std::unique_ptr<SectionHandle>> handles_;
    std::shared_ptr<ListSection> services_;
    std::shared_ptr<ListSection> messages_;
    OverviewFunctions functions_;
    kit::Subscription unreadChanges_;
    kit::Subscription servicesChanged_;
};

} // namespace kestrova::shell
