// The row of a chat group's own conversation, at the top of its page: the
// group's name and description, or its new messages. Activating it asks for
// the group's chat; its menu can also leave the group.
#pragma once

#include "section_list/list_row.h"

namespace kestrova::shell {

class GroupPage;

class GroupChatRow final : public ListRow {
  public:
    explicit GroupChatRow(GroupPage& page) : page_(page) {}

    void paint(platform::DeviceContext& dc, const platform::Rect& rect) override;
    int height() const override;
    void activate() override;
    void contextMenu(int x, int y) override;
    std::string text() const override;

  private:
    struct Lines {
        std::string name;
        std::string second;
        bool unread = false;
    };
    Lines lines() const;

    GroupPage& page_;
};

} // namespace kestrova::shell
