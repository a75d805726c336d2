#include "kestrova/wire/packet_receiver.h"
#include "kestrova/wire/update_request.h"

#include <gtest/gtest.h>

using namespace kestrova::wire;

TEST(UpdateCheckBody, IsWrittenExactlyAndReadBack) {
    UpdateCheck check;
    check.modules = {{"kestrova", 1700000000}, {"libapi.so", -5}, {"nostamp.so", 0}};
    check.platform = "SmartPhone";
    check.language = 2057;
    check.subscriber = 123456789012;
    std::string body = updateCheckBody(check);
    EXPECT_EQ(body, "<?xml version='1.0'?>\n<root>"
                    "<file><name>kestrova</name><build>1700000000</build></file>"
                    "<file><name>libapi.so</name><build>-5</build></file>"
                    "<platform><name>SmartPhone</name><language>2057</language></platform>"
                    "<user><subid>123456789012</subid></user></root>");
    auto parsed = parseUpdateCheckBody(body);
    ASSERT_TRUE(parsed);
    check.modules.pop_back(); // build 0 is not sent
    EXPECT_EQ(*parsed, check);
}

TEST(UpdateCheckBody, PlatformIsCutAndMarkupNeverGetsIn) {
    UpdateCheck check;
    check.platform = std::string(40, 'P') + "<x>";
    std::string body = updateCheckBody(check);
    EXPECT_NE(body.find("<name>" + std::string(32, 'P') + "</name>"), std::string::npos);
    check.platform = "a<b>&\n";
    EXPECT_NE(updateCheckBody(check).find("<name>a_b__"), std::string::npos);
}

TEST(UpdateCheckBody, AnythingButTheExactFormIsRefused) {
    std::string good = updateCheckBody({{{"kestrova", 7}}, "SmartPhone", 1033, 1});
    ASSERT_TRUE(parseUpdateCheckBody(good));
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(parseUpdateCheckBody(good.substr(0, cut))) << cut;
    EXPECT_FALSE(parseUpdateCheckBody(good + " "));
    std::string badBuild = good;
    badBuild.replace(badBuild.find(">7<"), 3, ">7x<");
    EXPECT_FALSE(parseUpdateCheckBody(badBuild));
    UpdateCheckLimits limits;
    limits.maxModules = 0;
    EXPECT_FALSE(parseUpdateCheckBody(good, limits));
}

// The response of the update server is read by the packet reader, with a
// body that runs until the connection closes when no length is given.
TEST(UpdateResponseReading, BodyWithoutLengthRunsUntilTheStreamEnds) {
    ReaderLimits limits;
    limits.bodyUntilClose = true;
    limits.maxBody = 10;
    std::string stream = "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n0123456789";
    for (size_t piece : {size_t(1), size_t(7), stream.size()}) {
        PacketReceiver receiver(limits);
        Packet packet;
        for (size_t from = 0; from < stream.size(); from += piece) {
            receiver.append(std::string_view(stream).substr(from, piece));
            ASSERT_EQ(receiver.next(packet), ReadStatus::Partial);
        }
        EXPECT_TRUE(receiver.reader().readingBodyUntilClose());
        ASSERT_TRUE(receiver.endOfStream());
        ASSERT_EQ(receiver.next(packet), ReadStatus::Complete);
        EXPECT_EQ(packet.command(), "HTTP/1.0 200 OK");
        EXPECT_EQ(packet.body(), "0123456789");
    }
    // One byte past the bound breaks the stream.
    PacketReceiver tooLong(limits);
    Packet packet;
    tooLong.append(stream + "!");
    EXPECT_EQ(tooLong.next(packet), ReadStatus::Error);
    // A length of 0 completes at once; a packet cut in its headers is not
    // completed by the end of the stream.
    PacketReceiver empty(limits);
    empty.append("HTTP/1.0 200 OK\ncontent-length: 0\n\nHTTP/1.0 200");
    EXPECT_EQ(empty.next(packet), ReadStatus::Complete);
    EXPECT_TRUE(packet.body().empty());
    EXPECT_EQ(empty.next(packet), ReadStatus::Partial);
    EXPECT_FALSE(empty.endOfStream());
}
