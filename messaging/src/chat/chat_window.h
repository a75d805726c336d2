// One conversation on the screen: its messages in a message view, the mode
// selector and the input area (text, voice or photo), and a soft-key bar with
// "Chats" and "Close". There is at most one per contact or group; it is made
// when the conversation is opened and goes when the user closes it (its
// messages are not kept: reopening starts with an empty view).
//
// The window keeps the unread bookkeeping in step with what the user saw: a
// message arriving while the window is in front is shown and never becomes
// unread; one arriving while it is hidden waits in the core's unread store
// and is shown when the window comes to the front again. Every message the
// user composes reaches the window as WM_APP (see input_buttons.h), which
// addresses it to the conversation, shows it and sends it.
#pragma once

#include <memory>
#include <string>

#include "chat_context.h"
#include "conversation.h"
#include "history_pager.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/platform/icon.h"
#include "kestrova/ui/window_base.h"
#include "message_view.h"
#include "mode_selector.h"
#include "text_input.h"
#include "view_metrics.h"

namespace kestrova::messaging {

class ChatWindow final : public ui::WindowBase, private ViewHost, private HistoryLink {
  public:
    // Control identifiers of the window's children.
    enum Control : uintptr_t { kView = 1, kModes = 2, kText = 3, kVoice = 4, kPhoto = 5, kLabel = 6 };
    // Soft-key commands.
    enum Command : int { kClose = 8, kCloseAlso = 1, kSend = TextInput::kSendCommand, kChats = 103 };
    static constexpr uintptr_t kHistoryTimer = 1;

    // Opens the conversation's window, or brings its window to the front.
    static ChatWindow* open(ChatContext& context, void* conversation, bool isGroup);

    void* conversation() const { return conversation_.handle(); }
    bool isGroup() const { return conversation_.isGroup(); }
    uint32_t windowId() const { return windowId_; }
    MessageView& view() { return *view_; }
    HistoryPager& history() { return *history_; }
    ModeSelector& modes() { return *modes_; }
    TextInput& textInput() { return textInput_; }
    // The control that takes input in the current mode, or the label.
    platform::HWND inputControl() const;

    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onActivate(platform::HWND hwnd, int state, platform::HWND other, bool minimized) override;
    void onCommand(platform::HWND hwnd, int id, platform::HWND control, int code) override;
    void onDestroy(platform::HWND hwnd) override;
    void onHotKey(platform::HWND hwnd, int id, int modifiers, int key) override;
    void onKey(platform::HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    platform::LResult onNextDialogControl(platform::HWND hwnd, platform::WParam target,
                                          bool isHandle) override;
    platform::LResult onNotify(platform::HWND hwnd, int id, ui::NotifyHeader* header) override;
    void onSize(platform::HWND hwnd, int type, int width, int height) override;
    void onTimer(platform::HWND hwnd, uintptr_t timerId) override;

  private:
    ChatWindow(ChatContext& context, void* conversation, bool isGroup);
    ~ChatWindow() override;
    bool build();
    void layout();
    void subscribe();

    void pullUnread();
    void showOutgoing(HMESSAGE message);
    void onIncoming(HMESSAGE message);
    void afterShown(HMESSAGE message, const RY_MessageData& data);
    void onContactChanged(HCONTACT contact);
    void onServiceChanged();
    void refreshTitleAndIcons();
    void updateInputMode();
    bool mayTalk();
    void sendTypedText();
    void handleKey(uint32_t key, bool autoRepeat);
    void focusInput();

    // ViewHost
    void viewKey(uint32_t key, bool repeat) override;
    void leaveView(bool upwards) override;
    void historyMarkerActivated() override;
    void queueForPlayback(HMESSAGE message) override;
    // HistoryLink
    bool signedIn() override;
    bool connectionPresent() override;
    bool requestHistory(RY_HistoryRequest& request) override;
    void startBatchTimer() override;
    void stopBatchTimer() override;

    ChatContext& context_;
    Conversation conversation_;
    uint32_t windowId_ = 0;
    kit::OwnedService service_;
    ViewMetrics metrics_;
    bool connected_ = true;
    platform::HWND focusMemory_ = nullptr;
    platform::IconPtr smallIcon_;
    platform::IconPtr largeIcon_;
    std::string title_;

    std::unique_ptr<MessageView> view_;
    std::unique_ptr<ModeSelector> modes_;
    TextInput textInput_;
    std::unique_ptr<ui::WindowBase> voiceButton_;
    std::unique_ptr<ui::WindowBase> photoButton_;
    platform::HWND label_ = nullptr;
    std::unique_ptr<HistoryPager> history_;

    kit::Subscription onMessage_;
    kit::Subscription onContact_;
    kit::Subscription onService_;
};

} // namespace kestrova::messaging
