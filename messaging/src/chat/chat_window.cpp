#include "chat_window.h"

#include <vector>

#include "chat_window_registry.h"
#include "conversation_facts.h"
#include "history_items.h"
#include "input_buttons.h"
#include "kestrova/bus.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/system_info.h"
#include "kestrova/platform/window.h"
#include "module_resources.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {

constexpr char kChatWindowClass[] = "RY_CHATWINDOW";
constexpr int kSignedIn = 100;
constexpr size_t kMaxNavBarText = 127;
constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;
// Member types in a group that may not talk.
constexpr uint32_t kBanned = 4, kSilenced = 8, kKicked = 16;

RY_MessageData messageData(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    return data;
}

bool isAdminNotice(const RY_MessageData& data) {
    return data.contentType && std::string_view(data.contentType) == "kestrova/x-admin";
}

} // namespace

// --- Opening and building -------------------------------------------------------------

ChatWindow* ChatWindow::open(ChatContext& context, void* conversation, bool isGroup) {
    if (!conversation) return nullptr;
    ChatWindow* window = context.registry().find(conversation);
    if (!window) {
        window = new ChatWindow(context, conversation, isGroup);
        if (!window->build()) {
            // A window that could not be made deletes its object as it goes.
            if (isWindow(window->hwnd()))
                destroyWindow(window->hwnd());
            else
                delete window;
            return nullptr;
        }
    }
    showWindow(window->hwnd(), SW_SHOW);
    setForegroundWindow(window->hwnd());
    return window;
}

ChatWindow::ChatWindow(ChatContext& context, void* conversation, bool isGroup)
    : context_(context), conversation_(conversation, isGroup), metrics_(ViewMetrics::forDpi(screenDpi())) {}

ChatWindow::~ChatWindow() = default;

bool ChatWindow::build() {
    HWND owner = bus::get(names::kCoreWindowHwnd);
    // NOTE: the phone's chat window is a full-screen dialog; here every
    // screen is a phone screen, so the window always takes the work area.
    if (!create({kChatWindowClass, CS_HREDRAW | CS_VREDRAW, 0xFFFFFF}, text(texts::kChatWindowTitle),
                WS_POPUP | WS_CAPTION, workArea(), nullptr, owner))
        return false;
    windowId_ = RY_GetLUID();
    Rect client = clientRect(hwnd());
    view_ = std::make_unique<MessageView>(static_cast<ViewHost&>(*this), metrics_);
    if (!view_->create(hwnd(), client, kView)) return false;
    createMenuBar(hwnd(), {{text(texts::kChats), kChats}, {text(texts::kClose), kClose}});
    overrideBackKey(hwnd(), true);
    context_.registry().add(conversation(), this);

    modes_ = std::make_unique<ModeSelector>(metrics_);
    modes_->create(hwnd(), {}, kModes);
    textInput_.create(hwnd(), {}, kText, metrics_.largeFont);
    voiceButton_ = makeVoiceButton(hwnd(), {}, kVoice, metrics_);
    photoButton_ = makePhotoButton(hwnd(), {}, kPhoto, metrics_);
    label_ =
        createControl(kStaticClass, text(texts::kMayNotTalk), SS_CENTER | SS_NOPREFIX, {}, hwnd(), kLabel);
    layout();

    service_ = kit::OwnedService::share(serviceOfConversation(conversation(), isGroup()));
    history_ =
        std::make_unique<HistoryPager>(*view_, static_cast<HistoryLink&>(*this), conversation(), isGroup());
    HSERVICE primary = RY_GetPrimaryService();
    // Older messages can only be fetched from the user's own service.
    if (service_.get() && service_.get() == primary)
        view_->prepend(std::make_shared<HistoryMarkerItem>(*view_));
    RY_ReleaseService(primary);

    pullUnread();
    refreshTitleAndIcons();
    updateInputMode();
    subscribe();
    setFocus(isEnabled(textInput_.hwnd()) ? textInput_.hwnd() : view_->hwnd());
    return true;
}

void ChatWindow::subscribe() {
    onMessage_ = kit::subscribe(names::kMessagesNew, [this](HMESSAGE message) { onIncoming(message); });
    onContact_ =
        kit::subscribe(names::kContactChanged, [this](HCONTACT contact) { onContactChanged(contact); });
    if (service_) onService_ = kit::subscribe(service_.get(), [this](HSERVICE) { onServiceChanged(); });
}

// From the bottom up: the input area (its controls share one place), the mode
// selector, and the messages above.
void ChatWindow::layout() {
    Rect client = clientRect(hwnd());
    int dpi = metrics_.dpi;
    Rect input{client.left, client.bottom - dpi / 3, client.right, client.bottom};
    Rect modes{client.left, input.top - dpi * 21 / 96, client.right, input.top};
    Rect messages{client.left, client.top, client.right, std::max(client.top, modes.top)};
    moveWindow(view_->hwnd(), messages);
    if (modes_) moveWindow(modes_->hwnd(), modes);
    for (HWND control : {textInput_.hwnd(), voiceButton_ ? voiceButton_->hwnd() : nullptr,
                         photoButton_ ? photoButton_->hwnd() : nullptr, label_})
        if (control) moveWindow(control, input);
}

void ChatWindow::onSize(HWND, int, int, int) {
    if (view_) layout();
}

// --- Destruction ----------------------------------------------------------------------

void ChatWindow::onDestroy(HWND) {
    onMessage_.reset();
    onContact_.reset();
    onService_.reset();
    killTimer(hwnd(), kHistoryTimer);
    context_.registry().remove(conversation());
    history_.reset();
    delete this;
}

// --- Activation and unread messages ---------------------------------------------------

void ChatWindow::onActivate(HWND hwnd, int state, HWND, bool) {
    if (!view_ || !history_) return; // still being made
    if (state == WA_INACTIVE) {
        HWND focus = focusWindow();
        if (focus && isDescendant(hwnd, focus)) focusMemory_ = focus;
        return;
    }
    setNavBarText(hwnd, title_.substr(0, kMaxNavBarText));
    pullUnread();
    if (focusMemory_ && isWindow(focusMemory_) && isDescendant(hwnd, focusMemory_)) setFocus(focusMemory_);
}

void ChatWindow::pullUnread() {
    int32_t count = RY_GetUnreadMessageCount(conversation(), isGroup());
    if (count <= 0) return;
    std::vector<HMESSAGE> messages(static_cast<size_t>(count));
    uint32_t taken = static_cast<uint32_t>(count);
    RY_GetUnreadMessageHandles(conversation(), isGroup(), messages.data(), &taken, 1);
    for (uint32_t i = 0; i < taken; ++i) {
        RY_MessageData data = messageData(messages[i]);
        history_->noteServerTime(data.serverTime);
        view_->append(messages[i]);
        if (isAdminNotice(data)) updateInputMode();
        RY_ReleaseMessage(messages[i]);
    }
}

// --- Messages in and out --------------------------------------------------------------

LResult ChatWindow::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case WM_APP:
        showOutgoing(reinterpret_cast<HMESSAGE>(lParam));
        return 0;
    case WM_CHAR:
        // A character typed where the focus was not an input goes to the
        // input; the characters of Enter, Back and the like stay where they
        // were pressed.
        if (wParam < 0x20 || wParam == 0x7F) return 0;
        if (HWND input = inputControl(); input && input != hwnd && isEnabled(input)) {
            setFocus(input);
            return sendMessage(input, message, wParam, lParam);
        }
        return 0;
    default:
        return WindowBase::handleMessage(hwnd, message, wParam, lParam);
    }
}

void ChatWindow::showOutgoing(HMESSAGE message) {
    if (!message) return;
    RY_MessageData address{};
    address.size = sizeof address;
    address.flags = RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP;
    address.target = conversation();
    address.isGroup = isGroup();
    RY_SetMessageData(message, &address);
    view_->append(message);
    RY_SendMessageEx(message);
}

void ChatWindow::onIncoming(HMESSAGE message) {
    if (!message) return;
    RY_MessageData data = messageData(message);
    if (data.origin == RY_ORIGIN_HISTORY) {
        // A private conversation's history holds the user's own messages too.
        bool ours = isGroup()
                        ? (data.isGroup && data.target == conversation())
                        : (!data.isGroup && (data.contact == conversation() || isOwnContact(data.contact)));
        if (!ours || !history_->receive(message)) return;
        afterShown(message, data);
        return;
    }
    bool ours = data.isGroup ? (isGroup() && data.target == conversation())
                             : (!isGroup() && data.contact == conversation());
    if (!ours) return;
    // Hidden or behind another window: it stays unread until the window is
    // in front again.
    if (foregroundWindow() != hwnd()) return;
    view_->append(message);
    afterShown(message, data);
}

// What every shown incoming message does to the window and to the unread store.
void ChatWindow::afterShown(HMESSAGE message, const RY_MessageData& data) {
    if (isAdminNotice(data)) updateInputMode();
    history_->noteServerTime(data.serverTime);
    RY_MessageData seen{};
    seen.size = sizeof seen;
    seen.flags = RY_MESSAGE_NO_UNREAD;
    seen.noUnread = 1;
    RY_SetMessageData(message, &seen);
}

void ChatWindow::sendTypedText() {
    std::string typed = textInput_.text();
    if (typed.empty()) return;
    std::string body = textMessageBody(typed);
    textInput_.clear();
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE;
    data.messageId = RY_GetLUID();
    data.contentType = "text/plain";
    data.data = body.data();
    data.dataLength = static_cast<int32_t>(body.size());
    data.complete = 1;
    kit::OwnedMessage message(RY_CreateMessage(&data));
    sendMessage(hwnd(), WM_APP, reinterpret_cast<WParam>(textInput_.hwnd()),
                reinterpret_cast<LParam>(message.get()));
}

// --- Title, icons, status lines -------------------------------------------------------

void ChatWindow::onContactChanged(HCONTACT contact) {
    if (contact == conversation()) refreshTitleAndIcons();
    invalidateRect(view_->hwnd(), nullptr, false);
}

void ChatWindow::refreshTitleAndIcons() {
    IconPtr small, large;
    if (isGroup()) {
        small = loadIcon(messagingModule(), {"GROUP"}, kSmallIcon);
        large = loadIcon(messagingModule(), {"GROUP"}, kLargeIcon);
        title_ = groupName(conversation_.group());
    } else {
        small.reset(RY_GetContactIcon(conversation_.contact(), kSmallIcon));
        large.reset(RY_GetContactIcon(conversation_.contact(), kLargeIcon));
        title_ = contactName(conversation_.contact());
    }
    sendMessage(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LParam>(small.get()));
    sendMessage(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LParam>(large.get()));
    smallIcon_ = std::move(small);
    largeIcon_ = std::move(large);
    setWindowText(hwnd(), title_);
    if (foregroundWindow() == hwnd()) setNavBarText(hwnd(), title_.substr(0, kMaxNavBarText));
}

void ChatWindow::onServiceChanged() {
    int32_t state = serviceState(service_.get());
    bool connected = state != 0 && state != 100 && state != 101;
    if (connected == connected_) return;
    connected_ = connected;
    view_->appendStatusLine(text(connected ? texts::kLoggedIn : texts::kDisconnected));
}

// --- Input modes ----------------------------------------------------------------------

HWND ChatWindow::inputControl() const {
    if (label_ && isVisible(label_)) return label_;
    switch (modes_ ? modes_->selected() : ModeSelector::kText) {
    case ModeSelector::kVoice:
        return voiceButton_ ? voiceButton_->hwnd() : nullptr;
    case ModeSelector::kPhoto:
        return photoButton_ ? photoButton_->hwnd() : nullptr;
    default:
        return textInput_.hwnd();
    }
}

bool ChatWindow::mayTalk() {
    if (!isGroup() || !service_) return true;
    kit::OwnedContact me(bus::call(names::kServiceGetMyHandle, service_.get()));
    if (!me) return true;
    uint32_t type = 0;
    if (!RY_GetGroupMember(conversation_.group(), me.get(), &type)) return true;
    return (type & (kBanned | kSilenced | kKicked)) == 0;
}

void ChatWindow::updateInputMode() {
    bool talk = mayTalk();
    int tab = modes_->selected();
    HWND controls[] = {textInput_.hwnd(), voiceButton_ ? voiceButton_->hwnd() : nullptr,
                       photoButton_ ? photoButton_->hwnd() : nullptr};
    bool inputHadFocus = false;
    for (int i = 0; i < 3; ++i) {
        if (!controls[i]) continue;
        inputHadFocus = inputHadFocus || focusWindow() == controls[i];
        bool shown = talk && i == tab;
        showWindow(controls[i], shown ? SW_SHOW : SW_HIDE);
        enableWindow(controls[i], shown);
    }
    if (label_) showWindow(label_, talk ? SW_HIDE : SW_SHOW);
    if (inputHadFocus && !isEnabled(focusWindow())) setFocus(talk ? controls[tab] : view_->hwnd());
}

void ChatWindow::focusInput() {
    HWND input = inputControl();
    if (input && isEnabled(input) && input != label_) setFocus(input);
}

// --- Keys and commands ----------------------------------------------------------------

void ChatWindow::onKey(HWND, uint32_t key, bool down, int, uint32_t flags) {
    if (down) handleKey(key, (flags & kKeyWasDown) != 0);
}

void ChatWindow::handleKey(uint32_t key, bool autoRepeat) {
    switch (key) {
    case VK_ESCAPE:
    case VK_BACK:
        // Posted: the key may come from a child that the close destroys.
        postMessage(hwnd(), WM_CLOSE);
        return;
    case VK_LEFT:
    case VK_RIGHT:
        setFocus(modes_->hwnd());
        sendMessage(modes_->hwnd(), WM_KEYDOWN, key, 1);
        return;
    case VK_UP:
        if (focusWindow() == view_->hwnd() && !autoRepeat && view_->hasHistoryMarker() &&
            view_->selection() == 0)
            history_->trigger();
        return;
    case VK_DOWN:
    case 0x84:
        return;
    default: {
        HWND input = inputControl();
        if (!input || input == label_ || !isEnabled(input)) return;
        setFocus(input);
        sendMessage(input, WM_KEYDOWN, key, 1);
    }
    }
}

void ChatWindow::onHotKey(HWND, int, int, int) {
    // The Back key, taken from the soft-key bar, reaches the focused control
    // as Backspace: it deletes in the text input, and closes the chat from
    // an empty input or anywhere else.
    sendBackToFocusWindow();
}

void ChatWindow::onCommand(HWND hwnd, int id, HWND, int) {
    switch (id) {
    case kClose:
    case kCloseAlso:
        postMessage(hwnd, WM_CLOSE);
        return;
    case kSend:
        sendTypedText();
        return;
    case kChats:
        context_.popupChatsList();
        return;
    default:
        return;
    }
}

LResult ChatWindow::onNextDialogControl(HWND, WParam target, bool isHandle) {
    // Up from the input (or the tabs) goes to the messages; Down from the
    // messages (or the tabs) to the input.
    if (isHandle)
        setFocus(reinterpret_cast<HWND>(target));
    else if (target != 0)
        setFocus(view_->hwnd());
    else
        focusInput();
    return 0;
}

LResult ChatWindow::onNotify(HWND, int id, ui::NotifyHeader* header) {
    if (!header || id != kModes) return 0;
    if (header->code == TCN_SELCHANGE) {
        updateInputMode();
    } else if (header->code == TCN_KEYDOWN) {
        auto* notice = reinterpret_cast<TabKeyDown*>(header);
        handleKey(notice->key, (notice->flags & kKeyWasDown) != 0);
    }
    return 0;
}

void ChatWindow::onTimer(HWND, uintptr_t timerId) {
    if (timerId == kHistoryTimer) history_->onBatchTimer();
}

// --- The view's and the pager's needs -------------------------------------------------

void ChatWindow::viewKey(uint32_t key, bool repeat) {
    handleKey(key, repeat);
}

void ChatWindow::leaveView(bool upwards) {
    if (!upwards) focusInput();
}

void ChatWindow::historyMarkerActivated() {
    history_->trigger();
}

void ChatWindow::queueForPlayback(HMESSAGE message) {
    context_.queueForPlayback(message);
}

bool ChatWindow::signedIn() {
    return bus::get(names::kConnectionState) == kSignedIn;
}

bool ChatWindow::connectionPresent() {
    return bus::provided(names::kConnectionRequestMessageHistory);
}

bool ChatWindow::requestHistory(RY_HistoryRequest& request) {
    return bus::call(names::kConnectionRequestMessageHistory, &request) != 0;
}

void ChatWindow::startBatchTimer() {
    setTimer(hwnd(), kHistoryTimer, HistoryPager::kBatchMs);
}

void ChatWindow::stopBatchTimer() {
    killTimer(hwnd(), kHistoryTimer);
}

} // namespace kestrova::messaging
