// The whole update path: kestrova-mkupdate builds a signed body from two
// release folders, kestrova-update-server serves it, and the client's update
// run fetches it over the socket layer, installs it, and the next start
// finishes the job; a second check then finds the program up to date.
#include "install.h"
#include "recording_host.h"
#include "startup_tasks.h"
#include "update_folder.h"
#include "update_run.h"

#include "kestrova/net/mailbox_window.h"
#include "kestrova/platform/build_stamp.h"
#include "support/loopback_peer.h"
#include "tool_child.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

void copyStamped(const fs::path& from, const fs::path& to, uint32_t stamp) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    ASSERT_TRUE(kestrova::platform::writeBuildStamp(to, stamp));
}

} // namespace

TEST(UpdateEndToEnd, AReleaseBuiltByMkupdateIsServedFetchedInstalledAndThenUpToDate) {
    fs::path bin = std::getenv("KESTROVA_BIN");
    UpdateFolder oldRelease, newRelease, client, published;
    // Two releases made of real modules: the program and libapi.so rebuilt
    // (other stamps, and the program's contents changed), connection.so
    // unchanged, and a change log.
    copyStamped(bin / "kestrova", oldRelease.path() / "kestrova", 1000);
    copyStamped(bin / "libapi.so", oldRelease.path() / "libapi.so", 1000);
    copyStamped(bin / "connection.so", oldRelease.path() / "connection.so", 1000);
    fs::copy_file(bin / "kestrova", newRelease.path() / "kestrova");
    newRelease.write("kestrova", newRelease.read("kestrova") + "a longer program");
    ASSERT_TRUE(kestrova::platform::writeBuildStamp(newRelease.path() / "kestrova", 2000));
    copyStamped(bin / "libapi.so", newRelease.path() / "libapi.so", 2000);
    copyStamped(bin / "connection.so", newRelease.path() / "connection.so", 1000);
    published.write("changelog.txt", "Faster start.\n");
    fs::copy(oldRelease.path(), client.path(), fs::copy_options::recursive);

    kestrova::e2e::ToolChild mkupdate({KESTROVA_MKUPDATE, "--key", KESTROVA_TEST_RELEASE_SECRET,
                                       "--changelog", (published.path() / "changelog.txt").string(),
                                       oldRelease.path().string(), newRelease.path().string(),
                                       (published.path() / "release.kup").string()});
    ASSERT_EQ(mkupdate.wait(), 0);
    EXPECT_LT(fs::file_size(published.path() / "release.kup"), 1000u)
        << "two rebuilt modules and a change log";

    std::string listening;
    kestrova::e2e::ToolChild server(
        {KESTROVA_UPDATE_SERVER, "--updates", published.path().string(), "--port", "0"}, &listening);
    int port = kestrova::e2e::listeningPort(listening);
    ASSERT_GT(port, 0) << listening;

    auto check = [&](RecordingView& view) {
        kestrova::net::MailboxWindow window;
        UpdateRunSetup setup;
        setup.host = "127.0.0.1";
        setup.port = port;
        setup.folder = client.path();
        setup.programName = "kestrova";
        setup.check = {{}, "SmartPhone", 2057, 1};
        setup.releaseKey = testPublicKey();
        UpdateRun run(window, view, setup);
        run.start();
        EXPECT_TRUE(kestrova::testing::pumpUntil([&] { window.pumpWaiting(20ms); },
                                                 [&] {
                                                     return run.state() != RunState::Checking &&
                                                            run.state() != RunState::Downloading &&
                                                            run.state() != RunState::Processing;
                                                 }));
        return run.state();
    };

    RecordingView first;
    ASSERT_EQ(check(first), RunState::Installed) << first.last();
    EXPECT_EQ(first.last(), "New Updates Installed / Restart Kestrova when Convenient");

    // The next start removes the old copies and shows the change log once.
    recoverInstall(client.path());
    EXPECT_EQ(takeChangeLog(client.path()), "Faster start.\n");
    EXPECT_TRUE(client.files() == newRelease.files());

    RecordingView second;
    EXPECT_EQ(check(second), RunState::UpToDate) << second.last();
    EXPECT_EQ(second.last(), "hidden");
}
