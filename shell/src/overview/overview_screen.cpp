#include "overview_screen.h"

#include <algorithm>

#include "home_texts.h"
#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "section_list/row_drawing.h"
#include "service_item.h"
#include "static_item.h"
#include "unread_items.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr char kServicesKey[] = "SERVICES";
constexpr char kMessagesKey[] = "MESSAGES";
constexpr uint32_t kMostServices = 256;
constexpr uint32_t kMostUnread = 64;
// A service in this state is not one of the user's accounts to show.
constexpr int32_t kHiddenServicePresence = 101;

std::string textOf(const char* text) {
    return text ? text : "";
}

} // namespace

std::unique_ptr<OverviewScreen> OverviewScreen::create(HWND parent) {
    std::unique_ptr<OverviewScreen> overview(new OverviewScreen);
    if (!overview->createList(parent, {})) return nullptr;
    OverviewScreen* self = overview.get();
    self->functions_ = OverviewFunctions(*self);
    self->unreadChanges_ = kit::subscribe(names::kMessagesUnread, [self](int32_t) { self->fillMessages(); });
    self->servicesChanged_ = kit::subscribe(names::kServicesChanged, [self] { self->fillServices(); });
    // NOTE: the user's own account is listed from the start, before the
    // connection plug-in has filled it (it is made on first asking).
    kit::OwnedService primary(RY_GetPrimaryService());
    self->services_ = self->section(kServicesKey, kit::text(texts::kServices));
    self->fillServices();
    self->messages_ = self->section(kMessagesKey, kit::text(texts::kMessages));
    self->fillMessages();
    return overview;
}

OverviewScreen::~OverviewScreen() {
    functions_ = OverviewFunctions();
    unreadChanges_.reset();
    servicesChanged_.reset();
}

void OverviewScreen::refresh() {
    if (hwnd()) invalidateRect(hwnd(), nullptr, true);
}

void OverviewScreen::fillServices() {
    clearRows(*services_);
    HSERVICE services[kMostServices];
    uint32_t count = kMostServices;
    RY_GetServices(services, &count);
    for (uint32_t i = 0; i < count; ++i) {
        kit::OwnedService service(services[i]);
        if (kit::ServiceRecord(service.get()).read().presence == kHiddenServicePresence) continue;
        services_->rows.push_back(std::make_unique<ServiceItem>(*this, service.get()));
    }
    layOut();
}

void OverviewScreen::fillMessages() {
    clearRows(*messages_);
    if (bus::get(names::kMessagesUnread) != 0) {
        HCONTACT contacts[kMostUnread];
        uint32_t count = kMostUnread;
        RY_GetUnreadContacts(contacts, &count);
        for (uint32_t i = 0; i < count; ++i)
            messages_->rows.push_back(std::make_unique<UnreadContactItem>(*this, contacts[i]));
        HGROUP groups[kMostUnread];
        count = kMostUnread;
        RY_GetUnreadGroups(groups, &count);
        for (uint32_t i = 0; i < count; ++i)
            messages_->rows.push_back(std::make_unique<UnreadGroupItem>(*this, groups[i]));
    } else {
        auto none = std::make_unique<StaticItem>(*this, kit::text(texts::kNoUnreadMessages),
                                                 kit::text(texts::kNoUnreadMessagesText));
        if (const Icon* icon = programIcon("MESSAGE_NONE", metrics().overviewIconSize()))
            none->setIcon(std::make_unique<Icon>(*icon));
        messages_->rows.push_back(std::move(none));
    }
    layOut();
}

void OverviewScreen::onSideKey(uint32_t key) {
    select(0);
    SectionList::onSideKey(key);
}

void* OverviewScreen::createSection(const RY_OverviewSectionArgs& args) {
    auto handle = std::make_unique<SectionHandle>();
    handle->section = section(textOf(args.key), textOf(args.title), false, args.atTop != 0);
    handles_.push_back(std::move(handle));
    layOut();
    return handles_.back().get();
}

ListSection* OverviewScreen::sectionOf(void* handle) const {
    for (const auto& given : handles_)
        if (given.get() == handle) return given->section.get();
    return nullptr;
}

void* OverviewScreen::addStaticItem(const RY_OverviewItemArgs& args) {
    ListSection* target = sectionOf(args.section);
    if (!target) return nullptr;
    auto item = std::make_unique<StaticItem>(*this, textOf(args.title), textOf(args.text));
    item->loadIcon(args.iconModule, args.iconName);
    StaticItem* added = item.get();
    target->rows.push_back(std::move(item));
    layOut();
    return added;
}

StaticItem* OverviewScreen::findStaticItem(void* item, ListSection** in) const {
    for (const auto& each : sections())
        for (const auto& row : each->rows)
            if (auto* found = dynamic_cast<StaticItem*>(row.get());
                found && static_cast<void*>(found) == item) {
                if (in) *in = each.get();
                return found;
            }
    return nullptr;
}

bool OverviewScreen::updateStaticItem(const RY_OverviewItemArgs& args) {
    // NOTE: the handle is looked up rather than trusted, so a plug-in that
    // updates an item it has deleted changes nothing.
    StaticItem* item = findStaticItem(args.item);
    if (!item) return false;
    if (args.title) item->setTitle(args.title);
    if (args.text) item->setText(args.text);
    if (args.iconModule && args.iconName) item->loadIcon(args.iconModule, args.iconName);
    refresh();
    return true;
}

bool OverviewScreen::deleteItem(void* item) {
    ListSection* in = nullptr;
    StaticItem* found = findStaticItem(item, &in);
    if (!found || !removeRow(*in, found)) return false;
    layOut();
    return true;
}

} // namespace kestrova::shell
