#include "check_request.h"
#include "check_schedule.h"
#include "recording_host.h"
#include "update_folder.h"
#include "updater.h"

#include "kestrova/net/mailbox_window.h"
#include "kestrova/platform/build_stamp.h"
#include "kestrova/platform/clock.h"
#include "support/loopback_peer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;
using namespace std::chrono_literals;
using kestrova::net::MailboxWindow;

TEST(CheckRequest, GoesOutAsTheServerExpectsItByteForByte) {
    kestrova::wire::UpdateCheck check{{{"kestrova", 1700000000}}, "SmartPhone", 2057, 77};
    std::string body =
        "<?xml version='1.0'?>\n<root><file><name>kestrova</name><build>1700000000</build></file>"
        "<platform><name>SmartPhone</name><language>2057</language></platform>"
        "<user><subid>77</subid></user></root>";
    EXPECT_EQ(checkRequest("updates.example.org", check),
              "POST /u.php HTTP/1.0\ncontent-length: " + std::to_string(body.size()) +
                  "\ncontent-type: text/xml\nhost: updates.example.org\n\n" + body);
    for (std::string_view host : {std::string_view("evil\r\nx: y"), std::string_view("a\nb"),
                                  std::string_view("a\0b", 3), std::string_view()})
        EXPECT_FALSE(checkRequest(host, check));
}

TEST(CheckRequest, ListsTheProgramAndItsLibrariesWithTheirBuildStamps) {
    const char* bin = std::getenv("KESTROVA_BIN");
    ASSERT_NE(bin, nullptr);
    UpdateFolder folder;
    auto stamped = [&](const std::string& name, uint32_t stamp) {
        std::filesystem::copy_file(std::filesystem::path(bin) / "libapi.so", folder.path() / name);
        ASSERT_TRUE(kestrova::platform::writeBuildStamp(folder.path() / name, stamp));
    };
    stamped("kestrova", 3000000000u); // above 2^31: sent as a negative number
    stamped("libapi.so", 111);
    stamped("Upper.SO", 333);
    stamped("connection.so", 0);     // no build: left out
    stamped("kestrova-server", 444); // neither the program nor a library
    folder.write("plain.so", "not a module");
    folder.write("notes.txt", "text");
    auto modules = listModuleBuilds(folder.path(), "kestrova");
    EXPECT_EQ(modules, (std::vector<kestrova::wire::ModuleBuild>{
                           {"Upper.SO", 333}, {"kestrova", -1294967296}, {"libapi.so", 111}}));
}

TEST(CheckSchedule, ChecksWhenTheLastCheckIsMoreThanAnHourAwayInEitherDirection) {
    const int64_t now = 1'700'000'000;
    EXPECT_FALSE(decideTick(now, now - 3600, false, RunActivity::None).startCheck);
    EXPECT_TRUE(decideTick(now, now - 3601, false, RunActivity::None).startCheck);
    EXPECT_TRUE(decideTick(now, 0, false, RunActivity::None).startCheck);
    EXPECT_TRUE(decideTick(now, now + 7200, false, RunActivity::None).startCheck)
        << "clock moved back two hours";
    // A busy run (downloading, or installed) is kept and nothing starts.
    TickDecision busy = decideTick(now, 0, true, RunActivity::Busy);
    EXPECT_FALSE(busy.dropRun || busy.startCheck);
    TickDecision ended = decideTick(now, now, true, RunActivity::None);
    EXPECT_TRUE(ended.dropRun);
    EXPECT_FALSE(ended.startCheck);
}

namespace {

uint16_t closedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace

TEST(Updater, TheFiveMinuteTimerOnThePlatformClockStartsAtMostOneCheckAnHour) {
    kestrova::platform::VirtualClock clock;
    UpdateFolder folder;
    RecordingHost host;
    host.port = closedPort();
    host.last = kestrova::platform::unixNow().seconds - 600; // checked ten minutes ago
    RecordingView view;
    MailboxWindow timer;
    MailboxWindow* runWindow = nullptr;
    UpdaterSetup setup;
    setup.folder = folder.path();
    setup.programName = "kestrova";
    Updater updater(
        timer,
        [&] {
            auto window = std::make_unique<MailboxWindow>();
            runWindow = window.get();
            return window;
        },
        host, view, setup);
    EXPECT_EQ(timer.timerPeriod(), kCheckTimerPeriodMs);

    clock.advance(std::chrono::milliseconds(kCheckTimerPeriodMs - 1));
    EXPECT_EQ(timer.pump(), 0);
    clock.advance(1ms);
    EXPECT_EQ(timer.pump(), 1);
    EXPECT_EQ(updater.run(), nullptr) << "the last check is only 15 minutes old";

    for (int tick = 0; tick < 10; ++tick) { // 50 minutes later it is more than an hour
        clock.advance(std::chrono::milliseconds(kCheckTimerPeriodMs));
        timer.pump();
    }
    ASSERT_NE(updater.run(), nullptr);
    EXPECT_EQ(host.last, kestrova::platform::unixNow().seconds);
    EXPECT_EQ(view.lines.front(), "Automatic Updates / Connecting to server...");

    // The server cannot be reached: the item goes and the run stays at 0.
    ASSERT_TRUE(
        kestrova::testing::pumpUntil([&] { runWindow->pumpWaiting(20ms); }, [&] { return !view.shown; }));
    EXPECT_EQ(updater.run()->state(), RunState::Checking);

    // The next tick drops that run; a clock set back two hours starts a check.
    clock.setUnixTime({host.last - 7200, 0});
    clock.advance(std::chrono::milliseconds(kCheckTimerPeriodMs));
    timer.pump();
    ASSERT_NE(updater.run(), nullptr);
    EXPECT_EQ(host.last, kestrova::platform::unixNow().seconds);
    updater.stopRun();
    EXPECT_EQ(updater.run(), nullptr);
}
