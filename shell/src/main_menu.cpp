#include "main_menu.h"

#include <array>

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/text.h"
#include "shell_commands.h"
#include "text_format.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

// RY_GetServices fills at most this many.
constexpr uint32_t kMaxServices = 256;
constexpr size_t kLongestAccount = 16;
constexpr size_t kShortenedAccount = 13;

uintptr_t popupId(HMENU menu) {
    return reinterpret_cast<uintptr_t>(menu);
}

HMENU menuOf(std::initializer_list<std::pair<int, uint32_t>> entries) {
    HMENU menu = createPopupMenu();
    for (auto [command, text] : entries)
        appendMenu(menu, MF_STRING, command, kit::text(text));
    return menu;
}

std::string baseNameOf(HSERVICETYPE type) {
    if (!type) return kit::text(kTextProductName);
    RY_ServiceTypeData data{};
    data.size = sizeof data;
    RY_GetServiceTypeData(type, &data);
    return data.shortName ? data.shortName : "";
}

std::vector<kit::OwnedService> allServices() {
    std::array<HSERVICE, kMaxServices> handles{};
    uint32_t count = kMaxServices;
    RY_GetServices(handles.data(), &count);
    std::vector<kit::OwnedService> services;
    for (uint32_t i = 0; i < count; ++i)
        services.emplace_back(handles[i]);
    return services;
}

} // namespace

void createMainMenuBar(HWND owner) {
    HMENU menu = createPopupMenu();
    appendMenu(menu, MF_STRING, kCommandAddService, kit::text(kTextMenuAddService));
    appendMenu(menu, MF_SEPARATOR, 0);
    appendMenu(menu, MF_POPUP, popupId(menuOf({{kCommandAddContact, kTextMenuAddContact}})),
               kit::text(kTextMenuContacts));
    appendMenu(menu, MF_POPUP,
               popupId(menuOf(
                   {{kCommandJoinGroup, kTextMenuJoinGroup}, {kCommandCreateGroup, kTextMenuCreateGroup}})),
               kit::text(kTextMenuGroups));
    appendMenu(menu, MF_SEPARATOR, 0);
    appendMenu(menu, MF_STRING, kCommandSettings, kit::text(kTextMenuSettings));
    appendMenu(menu, MF_STRING, kCommandAbout, kit::text(kTextMenuAbout));
    appendMenu(menu, MF_STRING, kCommandExit, kit::text(kTextMenuExit));
    createMenuBar(owner,
                  {{kit::text(kTextChats), kCommandChats}, {kit::text(kTextMenu), kMenuPopupId, menu}});
}

void ServiceSubmenus::rebuild(HMENU popup) {
    std::vector<kit::OwnedService> services = allServices();
    for (; count_ > 0; --count_)
        deleteMenu(popup, static_cast<uint32_t>(count_ - 1), MF_BYPOSITION);
    for (const kit::OwnedService& service : services) {
        HMENU submenu = bus::call(names::kServiceCreatePopupMenu, service.get());
        if (!submenu) continue;
        const kit::ServiceFields fields = kit::ServiceRecord(service.get()).read();
        const std::string label =
            serviceMenuLabel(baseNameOf(fields.serviceType), fields.userName, fields.nickname);
        insertMenu(popup, static_cast<uint32_t>(count_), MF_BYPOSITION | MF_POPUP, popupId(submenu), label);
        ++count_;
    }
}

std::string serviceMenuLabel(std::string_view base, std::string_view userName, std::string_view nickname) {
    std::u32string account = toCodePoints(userName.empty() ? nickname : userName);
    if (account.size() > kLongestAccount) {
        if (size_t at = account.find(U'@'); at != std::u32string::npos) account.resize(at);
    }
    std::string text = toUtf8(account);
    if (account.size() > kLongestAccount)
        text = fillIn(kit::text(kTextShortened), {toUtf8(account.substr(0, kShortenedAccount))});
    if (text.empty()) return std::string(base);
    return fillIn(kit::text(kTextServiceLabel), {base, text});
}

} // namespace kestrova::shell
