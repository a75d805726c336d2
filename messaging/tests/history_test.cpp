// Paging back through history from the top of a view: presses batched into
// one request, placeholders filled from the bottom up, the end of a request,
// the end of history, and answers nobody asked for.
#include <gtest/gtest.h>

#include "history_items.h"
#include "history_pager.h"
#include "message_item.h"
#include "view_scene.h"

namespace kestrova::messaging {
namespace {

using testing::ViewScene;

// The connection as the pager sees it: what was asked, answered by the test.
struct FakeLink : HistoryLink {
    bool online = true;
    bool present = true;
    bool accept = true;
    bool timerRunning = false;
    int timerStarts = 0;
    std::vector<RY_HistoryRequest> requests;

    bool signedIn() override { return online; }
    bool connectionPresent() override { return present; }
    bool requestHistory(RY_HistoryRequest& request) override {
        requests.push_back(request);
        return accept;
    }
    void startBatchTimer() override {
        timerRunning = true;
        ++timerStarts;
    }
    void stopBatchTimer() override { timerRunning = false; }

    // The connection's answer to the last request.
    void answer(int32_t code, int32_t high = 0) {
        int32_t status[2] = {code, high};
        requests.back().callback(requests.back().context, status);
    }
};

class History : public ViewScene {
  protected:
    void SetUp() override {
        ViewScene::SetUp();
        bob_ = contact("Bob");
        view_->prepend(std::make_shared<HistoryMarkerItem>(*view_));
        show(bob_, "newest shown");
        pager_ = std::make_unique<HistoryPager>(*view_, link_, bob_, false);
        pager_->noteServerTime({1700000500, 7});
    }
    void TearDown() override {
        pager_.reset();
        ViewScene::TearDown();
    }
    // What the view shows from the top: M marker, P placeholder, or a text.
    std::vector<std::string> shown() {
        std::vector<std::string> out;
        for (size_t i = 0; i < view_->count(); ++i) {
            ChatItem& item = view_->item(i);
            if (item.isHistoryMarker())
                out.push_back("M");
            else if (item.isHistoryPlaceholder())
                out.push_back("P");
            else if (MessageItem* m = item.asMessage())
                out.push_back(m->snapshot().body);
            else
                out.push_back("?");
        }
        return out;
    }
    void arrive(const char* text, HCONTACT from = nullptr) {
        HMESSAGE m = message(from ? from : bob_, text, "text/plain", RY_ORIGIN_HISTORY);
        EXPECT_TRUE(pager_->receive(m));
        RY_ReleaseMessage(m);
    }

    HCONTACT bob_ = nullptr;
    FakeLink link_;
    std::unique_ptr<HistoryPager> pager_;
};

using Shown = std::vector<std::string>;

TEST_F(History, ThreeQuickPressesMakeOneRequestAndMessagesFillThePlaceholdersFromTheBottom) {
    pager_->trigger();
    pager_->trigger();
    pager_->trigger();
    EXPECT_EQ(shown(), (Shown{"M", "P", "P", "P", "newest shown"}));
    EXPECT_EQ(link_.timerStarts, 1) << "one batch for the three presses";
    EXPECT_EQ(view_->selection(), 0u) << "the marker stays selected, ready for more";
    EXPECT_TRUE(link_.requests.empty()) << "nothing asked before the batch time";

    pager_->onBatchTimer();
    ASSERT_EQ(link_.requests.size(), 1u);
    const RY_HistoryRequest& asked = link_.requests[0];
    EXPECT_EQ(asked.count, -3);
    EXPECT_EQ(asked.conversation, bob_);
    EXPECT_EQ(asked.isGroup, 0);
    EXPECT_EQ(asked.seconds, 1700000500);
    EXPECT_EQ(asked.microseconds, 7);
    EXPECT_EQ(asked.flag, 1);
    EXPECT_FALSE(link_.timerRunning);
    EXPECT_EQ(pager_->state(), HistoryState::kRequested);

    HMESSAGE early = message(bob_, "too early", "text/plain", RY_ORIGIN_HISTORY);
    EXPECT_FALSE(pager_->receive(early)) << "history nobody is receiving is not shown";
    RY_ReleaseMessage(early);

    link_.answer(0);
    EXPECT_EQ(pager_->state(), HistoryState::kReceiving);
    arrive("second"); // newest first
    arrive("first");
    EXPECT_EQ(shown(), (Shown{"M", "P", "first", "second", "newest shown"}));
    link_.answer(5);
    EXPECT_EQ(pager_->state(), HistoryState::kIdle);
    EXPECT_EQ(shown(), (Shown{"M", "first", "second", "newest shown"})) << "the unused placeholder goes";
    EXPECT_EQ(pager_->placeholders(), 0);
    expectContiguous();

    // History messages of one sender join the bubble below them.
    auto* first = view_->item(1).asMessage();
    auto* second = view_->item(2).asMessage();
    EXPECT_TRUE(first->header());
    EXPECT_FALSE(first->tail());
    EXPECT_FALSE(second->header());
    screenshot("history_paged_back");
}

TEST_F(History, TheEndOfHistoryDropsTheMarkerForGood) {
    pager_->trigger();
    pager_->onBatchTimer();
    link_.answer(0);
    arrive("the very first");
    link_.answer(8);
    EXPECT_EQ(shown(), (Shown{"the very first", "newest shown"}));
    EXPECT_FALSE(view_->hasHistoryMarker());
}

TEST_F(History, AReplyWithMoreMessagesThanPlaceholdersShowsThemAllInOrder) {
    pager_->trigger();
    pager_->onBatchTimer();
    link_.answer(0);
    arrive("three");
    arrive("two");
    arrive("one");
    arrive("zero");
    EXPECT_EQ(shown(), (Shown{"M", "zero", "one", "two", "three", "newest shown"}));
    link_.answer(5);
    EXPECT_EQ(shown(), (Shown{"M", "zero", "one", "two", "three", "newest shown"}));
    expectContiguous();
}

TEST_F(History, NothingIsAskedWhileSignedOutOrWithoutTheConnection) {
    link_.online = false;
    pager_->trigger();
    EXPECT_EQ(shown(), (Shown{"M", "newest shown"}));
    EXPECT_EQ(link_.timerStarts, 0);

    link_.online = true;
    link_.present = false;
    pager_->trigger();
    pager_->onBatchTimer();
    EXPECT_TRUE(link_.requests.empty());
    EXPECT_TRUE(link_.timerRunning) << "the timer tries again until the connection is there";
    link_.present = true;
    pager_->onBatchTimer();
    EXPECT_EQ(link_.requests.size(), 1u);
}

TEST_F(History, ARefusedRequestOrAnEndedSessionTakesThePlaceholdersAwayAndKeepsTheMarker) {
    link_.accept = false;
    pager_->trigger();
    pager_->trigger();
    pager_->onBatchTimer();
    EXPECT_EQ(shown(), (Shown{"M", "newest shown"}));
    EXPECT_EQ(pager_->state(), HistoryState::kIdle);

    link_.accept = true;
    pager_->trigger();
    pager_->onBatchTimer();
    pager_->trigger(); // a press while the request is out starts the next batch
    EXPECT_TRUE(link_.timerRunning);
    link_.answer(100);
    EXPECT_FALSE(link_.timerRunning) << "the session ended: no more batches";
    EXPECT_EQ(shown(), (Shown{"M", "newest shown"}));
    EXPECT_EQ(pager_->placeholders(), 0);
}

TEST_F(History, AnAnswerAfterTheWindowClosedIsIgnored) {
    pager_->trigger();
    pager_->onBatchTimer();
    RY_HistoryRequest asked = link_.requests.back();
    pager_.reset();
    int32_t status[2] = {0, 0};
    asked.callback(asked.context, status);
    status[0] = 8;
    asked.callback(asked.context, status);
    EXPECT_EQ(view_->count(), 3u) << "nothing touched the view";
}

TEST_F(History, TheOldestTimeIsTheEarliestServerTimeSeen) {
    pager_->noteServerTime({1700000600, 0});
    pager_->noteServerTime({1700000500, 3});
    pager_->noteServerTime({1700000500, 9});
    EXPECT_EQ(pager_->oldest().seconds, 1700000500u);
    EXPECT_EQ(pager_->oldest().microseconds, 3u);
}

} // namespace
} // namespace kestrova::messaging
