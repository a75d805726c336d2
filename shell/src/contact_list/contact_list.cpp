#include "contact_list.h"

#include "group_table.h"
#include "home_texts.h"
#include "kestrova/bus.h"
#include "kestrova/kit/settings.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/screen.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

void nameContactsGroup() {
    kit::OwnedGroup contacts(RY_GetGroup(kContactsGroupId));
    const std::string& name = kit::text(texts::kContacts);
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = RY_GROUP_NAME;
    data.name = name.c_str();
    RY_SetGroupData(contacts.get(), &data);
}

void focusLater(HWND mainWindow, HWND pane) {
    postMessage(mainWindow, WM_NEXTDLGCTL, reinterpret_cast<WParam>(pane), 1);
}

} // namespace

std::unique_ptr<ContactList> ContactList::create() {
    HWND mainWindow = bus::get(names::kCoreWindowHwnd);
    kit::PaneLayout* layout = bus::get(names::kCoreWindowLayout);
    if (!mainWindow || !layout) return nullptr;
    std::unique_ptr<ContactList> list(new ContactList(mainWindow, *layout));
    nameContactsGroup();
    if (!list->createTabStrip()) return nullptr;
    list->showOverview();
    if (list->overview_) focusLater(mainWindow, list->overview_->hwnd());
    return list;
}

ContactList::ContactList(HWND mainWindow, kit::PaneLayout& layout)
    : layout_(layout), mainWindow_(mainWindow) {}

ContactList::~ContactList() {
    closeGroupPage();
    if (overview_) layout_.remove(overview_->hwnd());
    overview_.reset();
    if (tabStrip_) layout_.remove(tabStrip_->hwnd());
    tabStrip_.reset();
    layout_.relayout();
}

bool ContactList::createTabStrip() {
    bool tabPerGroup = kit::readSetting(settings::kTabPerGroup) != 0;
    tabStrip_ = TabStrip::create(mainWindow_, tabPerGroup, *this);
    if (!tabStrip_) return false;
    HWND strip = tabStrip_->hwnd();
    layout_.addTopBar(strip, 21 * screenDpi() / 96);
    tabStrip_->fillTabs();
    // The strip's height is its own from now on.
    layout_.remove(strip);
    layout_.addTopBar(strip, clientRect(strip).height());
    return true;
}

void ContactList::closeGroupPage() {
    if (!groupPage_) return;
    layout_.remove(groupPage_->hwnd());
    groupPage_.reset();
}

void ContactList::showOverview() {
    // NOTE: the strip chooses its tab again whenever the groups change; the
    // overview shown already keeps the focus where the user has it.
    if (!groupPage_ && overview_) {
        overview_->refresh();
        return;
    }
    closeGroupPage();
    if (!overview_) {
        overview_ = OverviewScreen::create(mainWindow_);
        if (!overview_) return;
        overview_->setSideKeyTarget(tabStrip_->hwnd());
    }
    showWindow(overview_->hwnd(), SW_SHOW);
    layout_.addFill(overview_->hwnd());
    focusLater(mainWindow_, tabStrip_->hwnd());
    overview_->refresh();
}

void ContactList::showGroup(HGROUP group) {
    if (groupPage_ && groupPage_->groupId() == RY_GetGroupID(group)) return;
    closeGroupPage();
    groupPage_ = GroupPage::create(mainWindow_, group);
    if (!groupPage_) return;
    groupPage_->setSideKeyTarget(tabStrip_->hwnd());
    // NOTE: the overview stays, hidden, so that nothing paints or takes the
    // focus behind the page.
    if (overview_) {
        showWindow(overview_->hwnd(), SW_HIDE);
        layout_.remove(overview_->hwnd());
    }
    showWindow(groupPage_->hwnd(), SW_SHOW);
    layout_.addFill(groupPage_->hwnd());
    focusLater(mainWindow_, tabStrip_->hwnd());
    groupPage_->refresh();
}

} // namespace kestrova::shell
