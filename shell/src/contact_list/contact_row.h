// A member's row on a group page: presence icon, name with its role, the
// place and distance, and a last line of news (new messages, status line,
// presence). Activating it asks for a chat with the contact; its menu
// carries the actions of the contact's service.
#pragma once

#include "kestrova/kit/bindings.h"
#include "kestrova/platform/icon.h"
#include "member_info.h"
#include "section_list/list_row.h"

namespace kestrova::shell {

class GroupPage;

class ContactRow final : public ListRow {
  public:
    ContactRow(GroupPage& page, MemberInfo member);

    const MemberInfo& member() const { return member_; }

    void paint(platform::DeviceContext& dc, const platform::Rect& rect) override;
    int height() const override;
    void activate() override;
    void contextMenu(int x, int y) override;
    std::string text() const override;

  private:
    struct Lines {
        std::string name;
        std::optional<RoleSuffix> role;
        std::string place; // empty: no place line
        std::string last;
    };
    Lines lines() const;
    const platform::Icon* icon(int size);

    GroupPage& page_;
    MemberInfo member_;
    platform::IconPtr contactIcon_;
    kit::Subscription changes_;
};

} // namespace kestrova::shell
