// Friend requests on the overview: the section and its items, the context
// menu with its question, the answers the server confirms or refuses, and
// the end of the session.
#include "service_scene.h"

#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/modal.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::ServiceScene;

class FriendRequestsTest : public ServiceScene {
protected:
    static constexpr uint64_t kAnnId = 77;

    void SetUp() override {
        ServiceScene::SetUp();
        goOnline();
        ann_ = contacts_->add(kAnnId, "ann@example.org", "Ann");
    }
    HSERVICE service() const { return functions_->service(); }

    // The menu answered with the entry of that text; a question answered with `reply`.
    void answerModals(const char* entry, int reply = platform::IDNO) {
        responder_ = std::make_unique<platform::ScopedModalResponder>(
            [this, entry, reply](const platform::ModalRequest& request) -> std::optional<int> {
                if (request.kind == platform::ModalKind::kPopupMenu) {
                    menuAt_ = request.at;
                    return static_cast<int>(platform::findMenuCommand(request.menu, entry).value_or(0));
                }
                questions_.push_back(request);
                return reply;
            });
    }
    void openMenuOf(void* item) {
        RY_OverviewContextMenu at{item, 30, 40};
        bus::raise(names::kOverviewItemOnContextMenu, &at);
    }

    HCONTACT ann_ = nullptr;
    std::unique_ptr<platform::ScopedModalResponder> responder_;
    std::vector<platform::ModalRequest> questions_;
    platform::Point menuAt_;
};

TEST_F(FriendRequestsTest, RequestsShareOneSectionAtTheTopAndShowTheirTextOrTheNickname) {
    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "hi, it's Ann");
    HCONTACT bo = contacts_->add(78, "bo@example.org", "Bo");
    friendRequests_->addFriendRequest(service(), bo, 78, "");
    EXPECT_EQ(overview_->sectionKeys, std::vector<std::string>{"AWAITING_ACCEPTANCE"});
    EXPECT_EQ(overview_->sectionTitles, std::vector<std::string>{"Friend Requests"});
    EXPECT_EQ(overview_->sectionsAtTop, std::vector<uint8_t>{1});
    ASSERT_EQ(overview_->items.size(), 2u);
    auto ann = overview_->items.begin()->second;
    auto boItem = std::next(overview_->items.begin())->second;
    EXPECT_EQ(ann.title, "ann@example.org");
    EXPECT_EQ(ann.text, "hi, it's Ann");
    EXPECT_EQ(ann.iconName, "CONTACT");
    EXPECT_EQ(boItem.text, "Bo");

    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "again");
    EXPECT_EQ(overview_->items.size(), 2u) << "one item per contact";
    EXPECT_EQ(overview_->items.begin()->second.text, "again");
}

TEST_F(FriendRequestsTest, AcceptingAStrangerAsksToAddThemBackAndTheConfirmedAnswerRemovesTheItem) {
    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "hi");
    void* item = overview_->items.begin()->first;
    answerModals("Accept", platform::IDYES);
    openMenuOf(item);
    EXPECT_EQ(menuAt_.x, 30);
    EXPECT_EQ(menuAt_.y, 40);
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0].caption, "Contact Accepted");
    EXPECT_EQ(questions_[0].text, "This contact will now be able to see your online status.\n\nWould you "
                                  "like to add this contact to your "
                                  "contact list?");
    EXPECT_EQ(questions_[0].style & 0xF, platform::MB_YESNO);

    EXPECT_EQ(takeMasked(), "CONTACT ADD\ncontent-length: 44\nmesg-id: #\nname: ann@example.org\n\n"
                            "You just added me - I'd like to add you too.");
    std::string id;
    EXPECT_EQ(takeMasked(&id), "CONTACT ADD RESP\naccepted: 1\nmesg-id: #\nsource-id: 77\n\n");
    EXPECT_EQ(overview_->only().text, "Accepting Contact...");

    respond(id, 0);
    EXPECT_EQ(overview_->deleted, std::vector<void*>{item});
    EXPECT_FALSE(friendRequests_->contains(kAnnId));
}

TEST_F(FriendRequestsTest, AListedContactIsAcceptedWithoutAQuestion) {
    HGROUP contactList = RY_GetGroup(0);
    RY_AddGroupMember(contactList, ann_);
    RY_ReleaseGroup(contactList);
    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "hi");
    answerModals("Accept");
    openMenuOf(overview_->items.begin()->first);
    EXPECT_TRUE(questions_.empty());
    EXPECT_EQ(takeMasked(), "CONTACT ADD RESP\naccepted: 1\nmesg-id: #\nsource-id: 77\n\n");
}

TEST_F(FriendRequestsTest, ARefusedDeclineKeepsTheRequestAndShowsItAgain) {
    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "hi");
    void* item = overview_->items.begin()->first;
    answerModals("Decline");
    openMenuOf(item);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "CONTACT ADD RESP\nmesg-id: #\nsource-id: 77\n\n");
    EXPECT_EQ(overview_->only().text, "Declining Contact...");
    respond(id, 4);
    EXPECT_TRUE(friendRequests_->contains(kAnnId));
    EXPECT_TRUE(overview_->deleted.empty());
    EXPECT_EQ(overview_->only().text, "hi");
}

TEST_F(FriendRequestsTest, ChatOpensTheConversationAndOtherItemsAreNotOurs) {
    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "hi");
    std::vector<HCONTACT> chats;
    kit::Subscription chat =
        kit::subscribe(names::kMessagingChatContact, [&](HCONTACT c) { chats.push_back(c); });
    answerModals("Chat");
    openMenuOf(reinterpret_cast<void*>(0x77));
    EXPECT_TRUE(chats.empty());
    openMenuOf(overview_->items.begin()->first);
    EXPECT_EQ(chats, std::vector<HCONTACT>{ann_});
    EXPECT_TRUE(serverHeardNothing());
}

TEST_F(FriendRequestsTest, TheEndOfTheSessionDropsEveryRequestAndItsItem) {
    friendRequests_->addFriendRequest(service(), ann_, kAnnId, "hi");
    void* item = overview_->items.begin()->first;
    RY_PresenceStatusArgs offline{RY_PRESENCE_OFFLINE};
    callService(names::kServiceSetPresenceStatus, &offline);
    EXPECT_EQ(friendRequests_->size(), 0u);
    EXPECT_EQ(overview_->deleted, std::vector<void*>{item});
    EXPECT_EQ(RY_GetHandleReferenceCount(ann_), 1) << "the request's reference went with it";
}
