// GroupPage: the members of one group, in the sections GROUP (a chat
// group's own row), NEARBY, ONLINE and OFFLINE. Any change to the group, a
// member or the unread messages only marks the page dirty; the rows are
// built again, all at once, when the page next paints.
#pragma once

#include <memory>

#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "section_list/section_list.h"

namespace kestrova::shell {

class GroupPage final : public SectionList {
  public:
    // A hidden child of parent showing the group (a reference is taken).
    static std::unique_ptr<GroupPage> create(platform::HWND parent, HGROUP group);
    ~GroupPage() override;

    HGROUP group() const { return group_.get(); }
    uint64_t groupId() const { return groupId_; }
    bool isChatGroup() const { return groupId_ != 0; }
    // Marks the rows out of date and repaints.
    void refresh();
    bool dirty() const { return dirty_; }

  protected:
    void prepareRows() override;

  private:
    explicit GroupPage(HGROUP group);
    void addSections();
    void rebuild();
    void saveCollapsedFlags() const;

    kit::OwnedGroup group_;
    uint64_t groupId_ = 0;
    bool dirty_ = true;
    kit::Subscription groupChanges_;
    kit::Subscription unreadChanges_;
};

} // namespace kestrova::shell
