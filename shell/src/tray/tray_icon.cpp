#include "tray_icon.h"

#include <array>

#include "kestrova/bus.h"
#include "kestrova/kit/own_module.h"
#include "kestrova/kit/settings.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "screens/screen_texts.h"
#include "shell_commands.h"
#include "tray/desktop_notifier.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr uintptr_t kBlinkTimer = 1;
constexpr uint32_t kBlinkMs = 750;
constexpr int32_t kConnected = 100;

// The one tray icon of the program, for the Settings screen.
TrayIcon* gTrayIcon = nullptr;

std::shared_ptr<const Icon> programIcon(const ResourceName& name) {
    // A missing icon leaves its place empty.
    return loadIcon(kit::ownModule(), name, smallIconSize());
}

bool onSmartPhone() {
    std::array<char, 32> name{};
    RY_GetPlatformName(name.data());
    return std::string(name.data()) == "SmartPhone";
}

} // namespace

std::unique_ptr<TrayIcon> TrayIcon::create() {
    std::unique_ptr<TrayIcon> tray(new TrayIcon);
    if (!tray->WindowBase::create({}, 0, Rect{}, nullptr)) return nullptr;
    tray->record_.owner = tray->hwnd();
    tray->record_.id = kIconId;
    tray->record_.callbackMessage = kCallbackMessage;
    tray->loadIcons();
    tray->desktop_ = DesktopNotifier::connect(tray->hwnd());
    TrayIcon* self = tray.get();
    tray->connectionState_ = kit::subscribe(names::kConnectionState, [self](int32_t) { self->updateIcon(); });
    tray->unreadCount_ = kit::subscribe(names::kMessagesUnread, [self](int32_t) { self->unreadChanged(); });
    tray->updateIcon();
    if (kit::readSetting(settings::kTrayIconShow) != 0) tray->setShown(true);
    gTrayIcon = self;
    return tray;
}

TrayIcon::~TrayIcon() {
    if (gTrayIcon == this) gTrayIcon = nullptr;
    connectionState_.reset();
    unreadCount_.reset();
    removeNotification();
    desktop_.reset();
    setShown(false);
}

void TrayIcon::loadIcons() {
    if (onSmartPhone()) {
        offline_ = programIcon({"SP_OFFLINE"});
        online_ = programIcon({"SP_ONLINE"});
        unread_ = programIcon({"SP_MESSAGES"});
    } else {
        offline_ = programIcon({"KESTORVA_GRAY"});
        online_ = programIcon({{}, 100});
        unread_ = programIcon({"MESSAGE_UNREAD"});
    }
}

void TrayIcon::setShown(bool shown) {
    if (shown == shown_) return;
    notifyTrayIcon(shown ? TrayAction::kAdd : TrayAction::kDelete, record_);
    shown_ = shown;
}

void TrayIcon::updateIcon() {
    bool connected = bus::get(names::kConnectionState) == kConnected;
    // NOTE: the phase comes from the clock, not from counting timer ticks, so
    // the icon blinks in step however late a tick arrives.
    bool unreadPhase = bus::get(names::kMessagesUnread) != 0 && (tickCount() / kBlinkMs) % 2 == 1;
    record_.icon = unreadPhase ? unread_ : connected ? online_ : offline_;
    if (shown_) notifyTrayIcon(TrayAction::kModify, record_);
}

void TrayIcon::unreadChanged() {
    updateIcon();
    if (bus::get(names::kMessagesUnread) != 0) {
        setTimer(hwnd(), kBlinkTimer, kBlinkMs);
        if (!notificationPending_) raiseNotification();
    } else {
        removeNotification();
        killTimer(hwnd(), kBlinkTimer);
    }
}

void TrayIcon::raiseNotification() {
    NotificationRecord record;
    record.classId = kNotificationClass;
    record.id = kNotificationId;
    record.sink = hwnd();
    record.title = kit::text(texts::kNotificationTitle);
    record.text = kit::text(texts::kNotificationText);
    record.buttons = {{kit::text(texts::kOpenKestrova), kOpenCommand},
                      {kit::text(texts::kDismiss), kDismissCommand}};
    record.icon = unread_;
    // The platform's failures are no reason to raise it again and again.
    addNotification(record);
    if (desktop_) desktop_->show(record);
    notificationPending_ = true;
}

void TrayIcon::removeNotification() {
    if (!notificationPending_) return;
    platform::removeNotification(kNotificationClass, kNotificationId);
    if (desktop_) desktop_->withdraw();
    notificationPending_ = false;
}

void TrayIcon::bringProgramForward() {
    postMessage(kBroadcast, registerWindowMessage(kActivateMessage), 0, 0);
}

LResult TrayIcon::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == kCallbackMessage) {
        if (lParam == WM_LBUTTONDOWN || lParam == WM_LBUTTONDBLCLK) bringProgramForward();
        removeNotification();
    } else if (message == WM_COMMAND) {
        if (loWord(wParam) == kOpenCommand) bringProgramForward();
        removeNotification();
    }
    return WindowBase::handleMessage(hwnd, message, wParam, lParam);
}

void TrayIcon::onTimer(HWND, uintptr_t timerId) {
    if (timerId == kBlinkTimer) updateIcon();
}

void showTrayIcon(bool shown) {
    if (gTrayIcon) gTrayIcon->setShown(shown);
}

} // namespace kestrova::shell
