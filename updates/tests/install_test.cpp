#include "install.h"
#include "update_folder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;

namespace {

const std::vector<std::string> kTargets = {"kestrova", "libapi.so", "changelog.txt"};

void prepare(const UpdateFolder& folder) {
    folder.write("kestrova", "old program");
    folder.write("libapi.so", "old api");
    folder.write("kestrova.new", "new program");
    folder.write("libapi.so.new", "new api");
    folder.write("changelog.txt.new", "log");
}

// Runs the install in a child that dies (as a power cut would) just before
// its step number `stopAt`; true when the install finished first.
bool installDyingAt(const UpdateFolder& folder, int stopAt) {
    pid_t child = ::fork();
    if (child == 0) {
        int step = 0;
        bool ok = installNewFiles(folder.path(), kTargets, [&](std::string_view) {
            if (step++ == stopAt) ::_exit(3);
        });
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status) == 0;
}

} // namespace

TEST(Install, ACrashAtAnyStepLeavesAStartableProgramAndTheNextStartFinishesOrUndoesIt) {
    int steps = 0;
    {
        UpdateFolder folder;
        prepare(folder);
        ASSERT_TRUE(installNewFiles(folder.path(), kTargets, [&](std::string_view) { ++steps; }));
        EXPECT_EQ(folder.read("kestrova"), "new program");
        EXPECT_EQ(folder.read("kestrova.old"), "old program"); // removed at the next start
        EXPECT_FALSE(folder.has(kJournalName));
    }
    ASSERT_GE(steps, 8);
    for (int stopAt = 0; stopAt <= steps; ++stopAt) {
        SCOPED_TRACE("stopped before step " + std::to_string(stopAt));
        UpdateFolder folder;
        prepare(folder);
        bool finished = installDyingAt(folder, stopAt);
        EXPECT_EQ(finished, stopAt == steps);
        // Whenever it stopped, the program is there, whole, in one version.
        std::string program = folder.read("kestrova");
        EXPECT_TRUE(program == "old program" || program == "new program") << program;

        recoverInstall(folder.path());
        auto files = folder.files();
        bool committed = stopAt > 0; // the journal is the first step
        if (committed) {
            EXPECT_EQ(files,
                      (std::map<std::string, std::string>{
                          {"kestrova", "new program"}, {"libapi.so", "new api"}, {"changelog.txt", "log"}}));
        } else {
            EXPECT_EQ(files, (std::map<std::string, std::string>{{"kestrova", "old program"},
                                                                 {"libapi.so", "old api"}}));
        }
    }
}

TEST(Install, RecoveryThatIsItselfInterruptedIsSimplyRunAgain) {
    UpdateFolder folder;
    prepare(folder);
    installDyingAt(folder, 3); // committed, one file replaced part-way
    for (int stopAt = 0; stopAt < 4; ++stopAt) {
        pid_t child = ::fork();
        if (child == 0) {
            int step = 0;
            recoverInstall(folder.path(), [&](std::string_view) {
                if (step++ == stopAt) ::_exit(3);
            });
            ::_exit(0);
        }
        ::waitpid(child, nullptr, 0);
        EXPECT_TRUE(folder.read("kestrova") == "old program" || folder.read("kestrova") == "new program");
    }
    recoverInstall(folder.path());
    EXPECT_EQ(folder.files(),
              (std::map<std::string, std::string>{
                  {"kestrova", "new program"}, {"libapi.so", "new api"}, {"changelog.txt", "log"}}));
}

TEST(Install, StartUpRemovesLeftoversButOnlyAfterFinishingAnInstall) {
    UpdateFolder folder;
    folder.write("kestrova", "program");
    folder.write("connection.so.old", "stale");
    folder.write("messaging.so.new", "half-written, never committed");
    folder.write(std::string(kJournalName) + ".new", "torn journal");
    recoverInstall(folder.path());
    EXPECT_EQ(folder.files(), (std::map<std::string, std::string>{{"kestrova", "program"}}));
}
