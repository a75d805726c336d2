// The overview's unread conversations: one item per contact or group with
// unread messages, saying how many. Activating one asks for its chat.
#pragma once

#include "kestrova/kit/handles.h"
#include "two_line_item.h"

namespace kestrova::shell {

class UnreadContactItem final : public TwoLineItem {
  public:
    UnreadContactItem(SectionList& list, HCONTACT contact)
        : TwoLineItem(list), contact_(kit::OwnedContact::share(contact)) {}

    void activate() override;
    void contextMenu(int x, int y) override;

  private:
    std::string title() const override;
    std::string line() const override;
    const platform::Icon* icon() const override;

    kit::OwnedContact contact_;
};

class UnreadGroupItem final : public TwoLineItem {
  public:
    UnreadGroupItem(SectionList& list, HGROUP group)
        : TwoLineItem(list), group_(kit::OwnedGroup::share(group)) {}

    void activate() override;
    void contextMenu(int x, int y) override;

  private:
    std::string title() const override;
    std::string line() const override;
    const platform::Icon* icon() const override;

    kit::OwnedGroup group_;
};

} // namespace kestrova::shell
