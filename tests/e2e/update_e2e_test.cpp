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

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Runs a program; with `firstLine` it is left running and its first line of
// output is read (the server's "listening on" line).
class Child {
  public:
    Child(const std::vector<std::string>& args, std::string* firstLine = nullptr) {
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        pid_ = ::fork();
        EXPECT_GE(pid_, 0);
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            std::vector<char*> argv;
            for (const auto& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
        if (firstLine) {
            char line[512] = {};
            if (std::fgets(line, sizeof line, output_)) *firstLine = line;
        }
    }
    ~Child() {
        // Only ever the one child this object started.
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        wait();
        std::fclose(output_);
    }
    int wait() {
        if (pid_ <= 0) return exitCode_;
        int status = 0;
        if (::waitpid(pid_, &status, 0) == pid_) {
            pid_ = -1;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return exitCode_;
    }

  private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    FILE* output_ = nullptr;
};

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

    Child mkupdate({KESTROVA_MKUPDATE, "--key", KESTROVA_TEST_RELEASE_SECRET, "--changelog",
                    (published.path() / "changelog.txt").string(), oldRelease.path().string(),
                    newRelease.path().string(), (published.path() / "release.kup").string()});
    ASSERT_EQ(mkupdate.wait(), 0);
    EXPECT_LT(fs::file_size(published.path() / "release.kup"), 1000u)
        << "two rebuilt modules and a change log";

    std::string listening;
    Child server({KESTROVA_UPDATE_SERVER, "--updates", published.path().string(), "--port", "0"}, &listening);
    size_t colon = listening.rfind(':');
    ASSERT_NE(colon, std::string::npos) << listening;
    int port = std::atoi(listening.c_str() + colon + 1);
    ASSERT_GT(port, 0);

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
