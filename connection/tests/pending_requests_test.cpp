#include "pending_requests.h"

#include <gtest/gtest.h>

using namespace kestrova::connection;

namespace {

std::shared_ptr<PendingRequest> request(std::vector<int64_t>& codes, bool finishOnFirst = true) {
    auto r = std::make_shared<PendingRequest>();
    r->handler = [&codes, finishOnFirst](int64_t code, const std::string&) {
        codes.push_back(code);
        return finishOnFirst || code != 0;
    };
    return r;
}

}  // namespace

TEST(ResponseCode, ReadsFourAndEightByteBigEndianBodies) {
    EXPECT_EQ(responseCode(std::string("\x00\x00\x00\x04", 4)), 4);
    EXPECT_EQ(responseCode(std::string("\x00\x00\x00\x01\x00\x00\x00\x02", 8)), 4294967298LL);
    EXPECT_EQ(responseCode(std::string("\xff\xff\xff\xff", 4)), 4294967295LL);
}

TEST(ResponseCode, AnyOtherLengthIsZero) {
    EXPECT_EQ(responseCode(""), 0);
    EXPECT_EQ(responseCode(std::string("\x00\x00\x04", 3)), 0);
    EXPECT_EQ(responseCode(std::string("\x00\x00\x00\x00\x04", 5)), 0);
}

TEST(PendingTable, AnAnswerFinishesTheRequestOnce) {
    std::vector<int64_t> codes;
    PendingTable table;
    table.insert(40000, request(codes));
    EXPECT_TRUE(table.answer(40000, 4, ""));
    EXPECT_FALSE(table.answer(40000, 4, ""));
    EXPECT_EQ(codes, std::vector<int64_t>{4});
    EXPECT_EQ(table.size(), 0u);
}

TEST(PendingTable, AHandlerThatIsNotDoneKeepsItsRequestPending) {
    std::vector<int64_t> codes;
    PendingTable table;
    table.insert(7, request(codes, false));
    table.answer(7, 0, "");
    EXPECT_TRUE(table.contains(7));
    table.answer(7, 4, "");
    EXPECT_FALSE(table.contains(7));
    EXPECT_EQ(codes, (std::vector<int64_t>{0, 4}));
}

TEST(PendingTable, AnswersForUnknownIdsAreIgnored) {
    std::vector<int64_t> codes;
    PendingTable table;
    table.insert(1, request(codes));
    EXPECT_FALSE(table.answer(2, 4, ""));
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(table.size(), 1u);
}

TEST(PendingTable, FailingAllAnswersEveryRequestWithTheCodeAndEmpties) {
    std::vector<int64_t> codes;
    PendingTable table;
    table.insert(3, request(codes, false));
    table.insert(1, request(codes));
    table.failAll(100);
    EXPECT_EQ(codes, (std::vector<int64_t>{100, 100}));
    EXPECT_EQ(table.size(), 0u);
}

TEST(PendingTable, RequestsComeBackInIdOrder) {
    std::vector<int64_t> codes;
    PendingTable table;
    auto a = request(codes), b = request(codes), c = request(codes);
    table.insert(32770, c);
    table.insert(32768, a);
    table.insert(32769, b);
    auto ordered = table.inIdOrder();
    ASSERT_EQ(ordered.size(), 3u);
    EXPECT_EQ(ordered[0], a);
    EXPECT_EQ(ordered[1], b);
    EXPECT_EQ(ordered[2], c);
}
