// The kestrova-server program itself, run as tests and the demo run it.
#include "peer.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace kestrova;
using namespace kestrova::server::testing;

namespace {

std::string serverBinary() {
    const char* bin = std::getenv("KESTROVA_BIN");
    return std::string(bin ? bin : ".") + "/kestrova-server";
}

// A child process with its standard input and output on pipes.
class Child {
public:
    explicit Child(std::vector<std::string> args) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv;
            std::string binary = serverBinary();
            argv.push_back(binary.data());
            for (auto& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(binary.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = ::fdopen(out[0], "r");
    }
    ~Child() {
        if (stdin_ >= 0) ::close(stdin_);
        if (stdout_) std::fclose(stdout_);
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    void write(const std::string& text) {
        if (::write(stdin_, text.data(), text.size()) < 0) return;
        ::close(stdin_);
        stdin_ = -1;
    }
    std::string readLine() {
        char line[256];
        return stdout_ && std::fgets(line, sizeof line, stdout_) ? std::string(line) : std::string();
    }
    void terminate() { ::kill(pid_, SIGTERM); }
    int exitCode() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    FILE* stdout_ = nullptr;
    bool waited_ = false;
};

uint16_t portFrom(const std::string& line) {
    if (line.rfind("port ", 0) != 0) return 0;
    return static_cast<uint16_t>(std::atoi(line.c_str() + 5));
}

}  // namespace

TEST(ServerProgram, CreatesAnAccountThatCanThenSignIn) {
    TempDatabase db;
    {
        Child create({"--db", db.path(), "--create-account", "carol@example.org", "carol's pw", "--nickname", "Carol"});
        EXPECT_EQ(create.readLine(), "created carol@example.org with Sub-Id 1\n");
        EXPECT_EQ(create.exitCode(), 0);
    }
    Child server({"--db", db.path(), "--port", "0"});
    uint16_t port = portFrom(server.readLine());
    ASSERT_NE(port, 0);
    auto session = signIn(port, TestAccount{"carol@example.org", "carol's pw", ""});
    ASSERT_TRUE(session);
    EXPECT_EQ(session->profileMap["Nickname"], "Carol");
    server.terminate();
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(ServerProgram, PasswordMayComeFromStandardInput) {
    std::filesystem::path folder;
    {
        TempDatabase db;
        folder = std::filesystem::path(db.path()).parent_path();
        {
            Child create({"--db", db.path(), "--create-account", "dave@example.org", "-"});
            create.write("dave's pw\n");
            EXPECT_EQ(create.exitCode(), 0);
        }
        Child server({"--db", db.path(), "--port", "0"});
        uint16_t port = portFrom(server.readLine());
        ASSERT_NE(port, 0);
        EXPECT_TRUE(signIn(port, TestAccount{"dave@example.org", "dave's pw", ""}));
        // The server is killed here, leaving its write-ahead log behind.
    }
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the database is gone with its side files";
}

TEST(ServerProgram, ExistingAccountIsNotCreatedTwice) {
    TempDatabase db;
    Child first({"--db", db.path(), "--create-account", "erin@example.org", "pw"});
    EXPECT_EQ(first.exitCode(), 0);
    Child second({"--db", db.path(), "--create-account", "ERIN@example.org", "pw"});
    EXPECT_EQ(second.exitCode(), 1);
}

TEST(ServerProgram, DemoHasContactsAGroupAndAnEchoRobot) {
    TempDatabase db;
    Child server({"--db", db.path(), "--port", "0", "--demo"});
    uint16_t port = portFrom(server.readLine());
    ASSERT_NE(port, 0);
    std::string printed;
    for (int i = 0; i < 5; ++i) printed += server.readLine();
    for (const char* expected : {"demo: ann@example.org / ann", "demo: bob@example.org / bob", "demo: cat@example.org / cat",
                                 "demo: echo@example.org", "demo: group \"Demo group\""})
        EXPECT_NE(printed.find(expected), std::string::npos) << expected << " in\n" << printed;

    auto bob = Peer::signIn(port, TestAccount{"bob@example.org", "bob", ""});
    ASSERT_TRUE(bob);
    auto contacts = dataMap(bob->profile["contacts"]);
    EXPECT_EQ(contacts.size(), 3u) << "ann, cat and the robot";
    EXPECT_EQ(dataMap(bob->profile["group_sub"]).size(), 1u);
    uint64_t echoId = 0;
    for (auto& [id, record] : contacts)
        if (dataMap(record)["Username"] == "echo@example.org") echoId = wire::readDecimalId(id);
    ASSERT_NE(echoId, 0u);

    uint64_t request = bob->send(packet("MESG", {{"Mesg-Target", "0"}, {"Target-Id", std::to_string(echoId)},
                                                 {"Content-Type", "text/plain"}, {"Last", "1"}}, "anyone there?"));
    EXPECT_EQ(bob->codeFor(request), 4u);
    auto reply = bob->expect("MESG");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body(), "anyone there?");
    EXPECT_EQ(reply->headerId("Source-Id"), echoId);
}

TEST(ServerProgram, SeveralProcessesCreateAccountsInOneNewDatabaseAtOnce) {
    // They wait for each other's locks instead of failing with "database is
    // locked", from the very first statement on.
    TempDatabase db;
    std::vector<std::unique_ptr<Child>> creators;
    for (int i = 0; i < 6; ++i) {
        std::string name = "user" + std::to_string(i) + "@example.org";
        std::vector<std::string> args{"--db", db.path(), "--create-account", name, "pw"};
        creators.push_back(std::make_unique<Child>(args));
    }
    for (auto& creator : creators) EXPECT_EQ(creator->exitCode(), 0);
}

TEST(ServerProgram, AddsAListOfAccountsAllOrNone) {
    TempDatabase db;
    std::vector<std::unique_ptr<Child>> importers;
    std::vector<std::string> lists;
    for (int p = 0; p < 3; ++p) {
        importers.push_back(
            std::make_unique<Child>(std::vector<std::string>{"--db", db.path(), "--add-accounts", "-"}));
        std::string list;
        for (int i = 0; i < 300; ++i)
            list += "p" + std::to_string(p) + "-" + std::to_string(i) + "@example.org\tpw " + std::to_string(i) +
                    "\tLoad\n";
        lists.push_back(list);
    }
    for (size_t p = 0; p < importers.size(); ++p) importers[p]->write(lists[p]);
    for (auto& importer : importers) {
        EXPECT_EQ(importer->readLine().rfind("created p", 0), 0u);
        EXPECT_EQ(importer->exitCode(), 0);
    }
    Child faulty({"--db", db.path(), "--add-accounts", "-"});
    faulty.write("new@example.org\tpw\np0-0@example.org\tpw\n");
    EXPECT_EQ(faulty.exitCode(), 1) << "a name that exists already";

    Child server({"--db", db.path(), "--port", "0"});
    uint16_t port = portFrom(server.readLine());
    ASSERT_NE(port, 0);
    auto session = signIn(port, TestAccount{"p2-299@example.org", "pw 299", ""});
    ASSERT_TRUE(session);
    EXPECT_EQ(session->profileMap["Nickname"], "Load");
    EXPECT_FALSE(signIn(port, TestAccount{"new@example.org", "pw", ""})) << "nothing of the faulty list was created";
}

TEST(ServerProgram, BadCommandLineExitsWithUsage) {
    Child server({"--port", "not-a-port"});
    EXPECT_EQ(server.exitCode(), 2);
}
