// The rules by which the view turns messages into text: times, states,
// progress, links, group notices and damaged bytes.
#include <gtest/gtest.h>

#include <string>

#include "admin_notice.h"
#include "displayable_text.h"
#include "link_finder.h"
#include "message_snapshot.h"
#include "message_time.h"
#include "view_environment.h"

namespace kestrova::messaging {
namespace {

using testing::localTime;

class TextRules : public ::testing::Test {
  protected:
    void SetUp() override { testing::useTestEnvironment(); }
};

TEST_F(TextRules, TimesReadAsTodayYesterdayOrADateByTheLocalCalendar) {
    platform::UnixTime now = localTime(2024, 6, 15, 10, 0);
    EXPECT_EQ(messageTimeText(localTime(2024, 6, 15, 0, 0, 5), now), "00:00:05");
    EXPECT_EQ(messageTimeText(localTime(2024, 6, 14, 23, 59), now), "Yesterday, 23:59");
    EXPECT_EQ(messageTimeText(localTime(2024, 6, 14, 0, 0), now), "Yesterday, 00:00");
    EXPECT_EQ(messageTimeText(localTime(2024, 6, 13, 23, 59), now), "13-06-24, 23:59");
    // A message "from the future" (a peer's clock) is a date like any other.
    EXPECT_EQ(messageTimeText(localTime(2024, 6, 16, 8, 5), now), "16-06-24, 08:05");

    // Yesterday across a year's end and across the night clocks go forward.
    EXPECT_EQ(messageTimeText(localTime(2023, 12, 31, 23, 59), localTime(2024, 1, 1, 0, 30)),
              "Yesterday, 23:59");
    EXPECT_EQ(messageTimeText(localTime(2024, 3, 30, 23, 30), localTime(2024, 3, 31, 12, 0)),
              "Yesterday, 23:30");
    EXPECT_EQ(messageTimeText(localTime(2024, 2, 29, 9, 1), localTime(2024, 3, 1, 9, 0)), "Yesterday, 09:01");

    // No time stamp at all reads as the first of January 1970 (in CET), with
    // a two-digit year rather than a negative one.
    EXPECT_EQ(messageTimeText({0, 0}, now), "01-01-70, 01:00");
    EXPECT_EQ(clockTimeText(localTime(2024, 6, 15, 7, 8, 9)), "07:08:09");
}

MessageSnapshot outgoing(int32_t length, int32_t acknowledged, bool complete = true) {
    MessageSnapshot m;
    m.origin = RY_ORIGIN_LOCAL;
    m.dataLength = length;
    m.totalLength = acknowledged;
    m.complete = complete;
    return m;
}

MessageSnapshot incoming(int32_t received, int32_t announced, bool complete,
                         int32_t origin = RY_ORIGIN_LIVE) {
    MessageSnapshot m;
    m.origin = origin;
    m.dataLength = received;
    m.totalLength = announced;
    m.complete = complete;
    return m;
}

TEST_F(TextRules, AnOutgoingMessageIsCreatingThenSendingOrPendingThenItsTime) {
    platform::UnixTime now = localTime(2024, 6, 15, 10, 0);
    MessageSnapshot recording = outgoing(300, 0, false);
    EXPECT_EQ(messageState(recording, true), MessageState::kCreating);
    EXPECT_FALSE(messageProgress(recording)) << "nothing acknowledged yet: no bar";

    MessageSnapshot halfway = outgoing(1300, 512);
    EXPECT_EQ(messageState(halfway, true), MessageState::kSending);
    EXPECT_EQ(messageState(halfway, false), MessageState::kPending);
    ASSERT_TRUE(messageProgress(halfway));
    EXPECT_EQ(messageProgress(halfway)->done, 512);
    EXPECT_EQ(messageProgress(halfway)->total, 1300);

    MessageSnapshot sent = outgoing(1300, 1300);
    sent.localTime = localTime(2024, 6, 15, 9, 58, 7);
    EXPECT_EQ(messageStateText(sent, false, now), "09:58:07");
    EXPECT_FALSE(messageProgress(sent));

    sent.failed = true;
    EXPECT_EQ(messageStateText(sent, true, now), "Failed") << "a failure outranks everything";
    EXPECT_EQ(messageStateText(outgoing(10, 0), true, now), "Sending");
    EXPECT_EQ(messageStateText(outgoing(10, 0), false, now), "Pending");
    EXPECT_EQ(messageStateText(outgoing(10, 0, false), false, now), "Creating");
}

TEST_F(TextRules, AnIncomingMessageIsReceivingWithABarUntilItsLastChunk) {
    platform::UnixTime now = localTime(2024, 6, 15, 10, 0);
    MessageSnapshot photo = incoming(512, 4000, false);
    EXPECT_EQ(messageStateText(photo, true, now), "Receiving");
    ASSERT_TRUE(messageProgress(photo));
    EXPECT_EQ(messageProgress(photo)->done, 512);
    EXPECT_EQ(messageProgress(photo)->total, 4000);

    EXPECT_FALSE(messageProgress(incoming(512, 0, false))) << "no announced length, no bar";
    MessageSnapshot broken = incoming(512, 4000, false);
    broken.failed = true;
    EXPECT_EQ(messageStateText(broken, true, now), "Failed");
    EXPECT_FALSE(messageProgress(broken));

    MessageSnapshot stored = incoming(4000, 4000, true, RY_ORIGIN_WHILE_CONNECTING);
    stored.localTime = localTime(2024, 6, 14, 18, 30);
    EXPECT_EQ(messageStateText(stored, false, now), "Yesterday, 18:30");
    EXPECT_FALSE(messageProgress(stored));
}

std::vector<std::string> links(std::string_view body, size_t max = kMaxLinks) {
    std::vector<std::string> out;
    for (std::string_view link : findLinks(body, max))
        out.emplace_back(link);
    return out;
}

TEST_F(TextRules, LinksRunFromTheirPrefixToTheNextBlankOrLineBreak) {
    using Links = std::vector<std::string>;
    EXPECT_EQ(links("see www.example.org/a?b=c and later https://x.example/p\r\nbye"),
              (Links{"www.example.org/a?b=c", "https://x.example/p"}));
    // The earliest prefix wins; a link ends at the end of the text too.
    EXPECT_EQ(links("http://www.example.org"), (Links{"http://www.example.org"}));
    EXPECT_EQ(links("ftp://ftp.example.org/file"), (Links{"ftp://ftp.example.org/file"}));
    EXPECT_EQ(links("get ftp.example.org\tnow"), (Links{"ftp.example.org"}));
    // A bare line feed or a tab ends a link as a carriage return does.
    EXPECT_EQ(links("www.a.example\nwww.b.example"), (Links{"www.a.example", "www.b.example"}));
    EXPECT_EQ(links("no links here, www. at the end: www."), (Links{"www.", "www."}));
    EXPECT_TRUE(links("").empty());
    EXPECT_TRUE(links("wwwexample http:/ https:").empty());
    // Links directly one after the other are two links only when a blank parts them.
    EXPECT_EQ(links("www.a.examplewww.b.example"), (Links{"www.a.examplewww.b.example"}));
}

TEST_F(TextRules, AMenuOffersAtMostSoManyLinksAndLookingStaysLinear) {
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "www.e" + std::to_string(i) + ".example ";
    std::vector<std::string> found = links(many);
    ASSERT_EQ(found.size(), kMaxLinks);
    EXPECT_EQ(found.front(), "www.e0.example");
    EXPECT_EQ(found.back(), "www.e49.example");

    // A megabyte of prefixes without an "https://" anywhere: every other
    // prefix is looked for once per link, not once per position.
    std::string dense;
    for (int i = 0; i < 100000; ++i)
        dense += "ftp. ";
    EXPECT_EQ(findLinks(dense, 1000000).size(), 100000u);
}

std::string noticeBody(uint32_t action, uint64_t memberId, std::string_view name) {
    std::string body;
    for (int i = 0; i < 4; ++i)
        body.push_back(static_cast<char>(action >> (8 * i)));
    for (int i = 0; i < 8; ++i)
        body.push_back(static_cast<char>(memberId >> (8 * i)));
    body.append(name);
    return body;
}

TEST_F(TextRules, AGroupNoticeNamesTheActorTheActionAndTheMember) {
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(8, 2, "Bob"))), "Ann silenced Bob");
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(16, 2, "Bob"))), "Ann kicked Bob");
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(4, 2, "Bob"))), "Ann banned Bob");
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(2, 2, "Bob"))), "Ann modded Bob");
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(1, 2, "Bob"))), "Ann admined Bob");
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(0, 2, "Bob"))), "Ann reset Bob");
    EXPECT_EQ(adminNoticeText("Ann", parseAdminNotice(noticeBody(3, 2, "Bob"))), "Ann  Bob")
        << "an unknown action has no word";
    // The name ends at a NUL if there is one, else at the end of the body.
    EXPECT_EQ(parseAdminNotice(noticeBody(8, 2, std::string("Bob\0junk", 8))).member, "Bob");
    EXPECT_EQ(parseAdminNotice(noticeBody(8, 2, "")).member, "");
    EXPECT_EQ(parseAdminNotice("\x08short").member, "");
    EXPECT_EQ(parseAdminNotice("").action, 0);
    EXPECT_EQ(parseAdminNotice(noticeBody(8, 2, "B\xFFob")).member, "B\xEF\xBF\xBDob");
}

TEST_F(TextRules, DamagedBytesShowAsReplacementCharactersAndTheRestSurvives) {
    EXPECT_EQ(displayableText("plain"), "plain");
    EXPECT_EQ(displayableText("gr\xC3\xBC\xC3\x9F"), "gr\xC3\xBC\xC3\x9F");
    EXPECT_EQ(displayableText("a\xC3"), "a\xEF\xBF\xBD") << "a sequence cut off at the end";
    EXPECT_EQ(displayableText(std::string("a\0b", 3)), "a\xEF\xBF\xBD"
                                                       "b");
    EXPECT_EQ(displayableText("\xFF\xFE"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
} // namespace kestrova::messaging
