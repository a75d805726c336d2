#include "history_pager.h"

#include <map>
#include <memory>

#include "history_items.h"
#include "message_view.h"

namespace kestrova::messaging {
namespace {

constexpr int32_t kMessagesFollow = 0;
constexpr int32_t kSessionEnded = 100;
constexpr int32_t kNothingOlder = 8;

// The pagers alive, by id: the connection answers a request later, and the
// chat window may have closed meanwhile.
std::map<uint32_t, HistoryPager*>& livePagers() {
    static std::map<uint32_t, HistoryPager*> pagers;
    return pagers;
}

bool earlier(const RY_MessageTime& a, const RY_MessageTime& b) {
    return a.seconds != b.seconds ? a.seconds < b.seconds : a.microseconds < b.microseconds;
}

} // namespace

HistoryPager::HistoryPager(MessageView& view, HistoryLink& link, void* conversation, bool isGroup)
    : view_(view), link_(link), conversation_(conversation), isGroup_(isGroup), id_(RY_GetLUID()) {
    livePagers()[id_] = this;
}

HistoryPager::~HistoryPager() {
    livePagers().erase(id_);
}

void HistoryPager::noteServerTime(RY_MessageTime time) {
    if (earlier(time, oldest_)) oldest_ = time;
}

void HistoryPager::trigger() {
    if (!link_.signedIn()) return;
    bool marker = view_.hasHistoryMarker();
    if (marker) view_.popFront();
    view_.prepend(std::make_shared<HistoryPlaceholderItem>(view_));
    if (marker) view_.prepend(std::make_shared<HistoryMarkerItem>(view_));
    if (placeholders_ == requested_) link_.startBatchTimer();
    ++placeholders_;
}

void HistoryPager::onBatchTimer() {
    if (placeholders_ == 0) {
        link_.stopBatchTimer();
        return;
    }
    if (state_ != HistoryState::kIdle || !link_.connectionPresent()) return;
    state_ = HistoryState::kRequested;
    // NOTE: counted before the call: the connection may answer (offline:
    // 100) before it returns.
    requested_ = placeholders_;
    link_.stopBatchTimer();
    RY_HistoryRequest request{};
    request.count = -placeholders_;
    request.conversation = conversation_;
    request.isGroup = isGroup_;
    request.seconds = static_cast<int32_t>(oldest_.seconds);
    request.microseconds = static_cast<int32_t>(oldest_.microseconds);
    request.flag = 1;
    request.callback = &HistoryPager::onStatus;
    request.context = reinterpret_cast<void*>(static_cast<uintptr_t>(id_));
    // NOTE: a refused request ends like one that brought nothing, instead of
    // leaving "Please Wait" on the screen for good.
    if (!link_.requestHistory(request) && state_ == HistoryState::kRequested) finish(-1, 0);
}

void HistoryPager::onStatus(void* context, const int32_t* status) {
    auto it = livePagers().find(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(context)));
    if (it == livePagers().end() || !status) return;
    if (status[0] == kMessagesFollow && status[1] == 0)
        it->second->state_ = HistoryState::kReceiving;
    else
        it->second->finish(status[0], status[1]);
}

void HistoryPager::finish(int32_t code, int32_t high) {
    if (code == kSessionEnded && high == 0) link_.stopBatchTimer();
    state_ = HistoryState::kIdle;
    bool nothingOlder = code == kNothingOlder && high == 0;
    if (requested_ != 0) {
        removePlaceholders(!nothingOlder);
    } else if (nothingOlder && view_.hasHistoryMarker()) {
        // NOTE: the server says nothing older exists even when every message
        // asked for came: asking again would only bring the same answer.
        view_.popFront();
    }
    requested_ = 0;
}

void HistoryPager::removePlaceholders(bool keepMarker) {
    bool marker = view_.hasHistoryMarker();
    if (marker) view_.popFront();
    while (placeholders_ > 0 && view_.count() > 0 && view_.item(0).isHistoryPlaceholder()) {
        view_.popFront();
        --placeholders_;
    }
    placeholders_ = 0;
    if (marker && keepMarker) view_.prepend(std::make_shared<HistoryMarkerItem>(view_));
    view_.relayout();
    view_.scrollTo(view_.selection());
}

bool HistoryPager::receive(HMESSAGE message) {
    if (state_ != HistoryState::kReceiving) return false;
    if (placeholders_ > 0) --placeholders_;
    if (requested_ > 0) --requested_;
    size_t index = static_cast<size_t>(placeholders_) + (view_.hasHistoryMarker() ? 1 : 0);
    view_.placeHistoryMessage(message, index);
    return true;
}

} // namespace kestrova::messaging
