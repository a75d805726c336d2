#include "group_page.h"

#include <algorithm>
#include <vector>

#include "contact_row.h"
#include "group_chat_row.h"
#include "home_texts.h"
#include "kestrova/kit/settings.h"
#include "kestrova/kit/texts.h"
#include "member_info.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr MemberSection kMemberSections[] = {MemberSection::kNearby, MemberSection::kOnline,
                                             MemberSection::kOffline};

bool storedCollapsed(const char* key) {
    std::string name;
    return kit::readSetting(settings::sectionCollapsed(key, name)) != 0;
}

} // namespace

std::unique_ptr<GroupPage> GroupPage::create(HWND parent, HGROUP group) {
    std::unique_ptr<GroupPage> page(new GroupPage(group));
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(group, &data);
    if (!page->createList(parent, data.name ? data.name : "")) return nullptr;
    page->addSections();
    page->groupChanges_ = kit::subscribe(group, [p = page.get()](HGROUP) { p->refresh(); });
    page->unreadChanges_ =
        kit::subscribe(names::kMessagesUnread, [p = page.get()](int32_t) { p->refresh(); });
    return page;
}

GroupPage::GroupPage(HGROUP group) : group_(kit::OwnedGroup::share(group)), groupId_(RY_GetGroupID(group)) {}

GroupPage::~GroupPage() {
    groupChanges_.reset();
    unreadChanges_.reset();
    saveCollapsedFlags();
}

void GroupPage::addSections() {
    if (isChatGroup()) {
        auto chat =
            section(kGroupSectionKey, kit::text(texts::kGroupChat), storedCollapsed(kGroupSectionKey));
        chat->rows.push_back(std::make_unique<GroupChatRow>(*this));
    }
    for (MemberSection which : kMemberSections)
        section(sectionKey(which), kit::text(sectionTitle(which)), storedCollapsed(sectionKey(which)));
}

void GroupPage::saveCollapsedFlags() const {
    for (const auto& each : sections()) {
        std::string name;
        kit::writeSetting(settings::sectionCollapsed(each->key, name), each->collapsed ? 1 : 0);
    }
}

void GroupPage::refresh() {
    dirty_ = true;
    if (hwnd()) invalidateRect(hwnd(), nullptr, true);
}

void GroupPage::prepareRows() {
    if (dirty_) rebuild();
}

void GroupPage::rebuild() {
    for (const auto& each : sections())
        if (each->key != kGroupSectionKey) clearRows(*each);
    uint32_t count = 0;
    RY_GetGroupMembers(group(), nullptr, nullptr, &count);
    std::vector<HCONTACT> contacts(count);
    std::vector<uint32_t> flags(count);
    if (count) RY_GetGroupMembers(group(), contacts.data(), flags.data(), &count);
    for (uint32_t i = 0; i < count; ++i) {
        MemberInfo member = readMember(contacts[i], flags[i]);
        ListSection* target = findSection(sectionKey(member.section()));
        target->rows.push_back(std::make_unique<ContactRow>(*this, std::move(member)));
    }
    for (MemberSection which : kMemberSections) {
        auto& rows = findSection(sectionKey(which))->rows;
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return nicknameBefore(static_cast<const ContactRow&>(*a).member().nickname,
                                  static_cast<const ContactRow&>(*b).member().nickname);
        });
    }
    dirty_ = false;
    layOut();
}

} // namespace kestrova::shell
