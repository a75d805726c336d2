#include "check_request.h"
#include "compressed_body.h"
#include "recording_host.h"
#include "update_folder.h"
#include "update_run.h"

#include "kestrova/net/mailbox_window.h"
#include "support/loopback_peer.h"

#include <gtest/gtest.h>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;
using namespace std::chrono_literals;
using kestrova::testing::LoopbackPeer;
using kestrova::wire::UpdateBodyWriter;

namespace {

// An update run against a scripted update server on loopback, over a program
// folder holding "kestrova" and "libapi.so".
class RunScene {
  public:
    UpdateFolder folder;
    RecordingView view;
    kestrova::net::MailboxWindow window;
    LoopbackPeer server;
    std::unique_ptr<UpdateRun> run;

    RunScene() {
        folder.write("kestrova", "old program");
        folder.write("libapi.so", "old api");
        UpdateRunSetup setup;
        setup.host = "127.0.0.1";
        setup.port = server.port();
        setup.folder = folder.path();
        setup.programName = "kestrova";
        setup.check = {{}, "SmartPhone", 2057, 42};
        setup.releaseKey = testPublicKey();
        run = std::make_unique<UpdateRun>(window, view, setup);
        run->start();
    }
    bool pumpUntil(const std::function<bool()>& done) {
        return kestrova::testing::pumpUntil([&] { window.pumpWaiting(10ms); }, done);
    }
    // Waits for the whole check request and returns it.
    std::string request() {
        std::string expected = *checkRequest("127.0.0.1", {{}, "SmartPhone", 2057, 42});
        EXPECT_TRUE(pumpUntil([&] { return server.pendingBytes().size() >= expected.size(); }));
        return server.takeBytes(expected.size()).value_or("");
    }
    void answer(const std::string& response, bool close = true) {
        request();
        server.send(response);
        if (close) server.dropConnection();
    }
    bool endsIn(RunState state) {
        return pumpUntil([&] { return run->state() == state; });
    }
    // "kestrova" becomes "new program" from pieces of the old one.
    static std::string programUpdate() {
        UpdateBodyWriter writer({"kestrova"});
        writer.beginTarget("kestrova");
        writer.literal("new");
        writer.copy(1, 3, 8);
        return writer.finish();
    }
    static std::string signedResponse(const std::string& body, const std::vector<std::string>& sources,
                                      bool withLength = true) {
        return signedAs(body, sources, body, "", withLength);
    }
    // The signature is made over `body`, `sent` is what goes out, with the
    // Content-Encoding `encoding` when it is not empty.
    static std::string signedAs(const std::string& body, const std::vector<std::string>& sources,
                                const std::string& sent, const std::string& encoding,
                                bool withLength = true) {
        std::string head = "HTTP/1.1 200 OK\r\nKestrova-Signature: " + signBody(body, sources) + "\r\n";
        if (!encoding.empty()) head += "Content-Encoding: " + encoding + "\r\n";
        if (withLength) head += "Content-Length: " + std::to_string(sent.size()) + "\r\n";
        return head + "\r\n" + sent;
    }
};

} // namespace

TEST(UpdateRun, UpToDateMeansNothingTouchedAndTheItemRemoved) {
    RunScene scene;
    auto before = scene.folder.files();
    std::string request = scene.request();
    EXPECT_EQ(request, *checkRequest("127.0.0.1", {{}, "SmartPhone", 2057, 42}));
    scene.server.send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(scene.endsIn(RunState::UpToDate));
    EXPECT_EQ(scene.view.lines,
              (std::vector<std::string>{"Automatic Updates / Connecting to server...",
                                        "Automatic Updates / Checking for updates...", "hidden"}));
    EXPECT_EQ(scene.folder.files(), before);
    EXPECT_FALSE(scene.run->busy());
}

TEST(UpdateRun, ASignedBodyOfUnknownLengthIsInstalledWhenTheServerCloses) {
    RunScene scene;
    scene.answer(RunScene::signedResponse(RunScene::programUpdate(), {"old program"}, false));
    ASSERT_TRUE(scene.endsIn(RunState::Installed));
    EXPECT_EQ(scene.view.last(), "New Updates Installed / Restart Kestrova when Convenient");
    EXPECT_EQ(scene.folder.read("kestrova"), "new program");
    EXPECT_EQ(scene.folder.read("kestrova.old"), "old program");
    EXPECT_TRUE(scene.run->busy()) << "no further check until a restart";
}

TEST(UpdateRun, ACompressedBodyIsExpandedAndThenCheckedAndInstalledAsARawOne) {
    RunScene scene;
    std::string body = RunScene::programUpdate();
    scene.answer(RunScene::signedAs(body, {"old program"}, compressBody(body), "xz"));
    ASSERT_TRUE(scene.endsIn(RunState::Installed));
    EXPECT_EQ(scene.folder.read("kestrova"), "new program");
}

TEST(UpdateRun, ProgressIsShownWhileABodyOfKnownLengthArrives) {
    RunScene scene;
    UpdateBodyWriter writer({});
    writer.beginTarget("big.so");
    writer.literal(std::string(4000, 'x'));
    std::string body = writer.finish();
    std::string response = RunScene::signedResponse(body, {});
    size_t half = response.size() - body.size() / 2;
    scene.answer(response.substr(0, half), false);
    // 2009 of 4017 bytes.
    ASSERT_TRUE(scene.pumpUntil(
        [&] { return scene.view.last() == "Downloading Updates / Downloading 1/3 KB (50 %)"; }));
    EXPECT_EQ(scene.run->state(), RunState::Downloading);
    EXPECT_TRUE(scene.run->busy());
    scene.server.send(response.substr(half));
    ASSERT_TRUE(scene.endsIn(RunState::Installed));
    EXPECT_EQ(scene.folder.read("big.so"), std::string(4000, 'x'));
    EXPECT_NE(std::find(scene.view.lines.begin(), scene.view.lines.end(),
                        "Downloading Updates / Downloading 3/3 KB (100 %)"),
              scene.view.lines.end());
}

TEST(UpdateRun, RefusedResponsesRemoveTheItemAndWriteNothing) {
    struct Case {
        const char* what;
        std::string response;
    };
    std::string body = RunScene::programUpdate();
    const std::vector<Case> cases = {
        {"status without 200", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"},
        {"unsigned", "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body},
        {"signed for other files", RunScene::signedResponse(body, {"another program"})},
        {"malformed header length", "HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\nabcd"},
        {"raw body said to be compressed", RunScene::signedAs(body, {"old program"}, body, "xz")},
        {"unknown encoding", RunScene::signedAs(body, {"old program"}, compressBody(body), "gzip")},
        {"compressed, altered", RunScene::signedAs(body, {"old program"}, compressBody(body + "!"), "xz")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunScene scene;
        auto before = scene.folder.files();
        scene.answer(c.response);
        ASSERT_TRUE(scene.endsIn(RunState::Failed));
        EXPECT_EQ(scene.view.last(), "hidden");
        EXPECT_EQ(scene.folder.files(), before);
    }
}

TEST(UpdateRun, FilesThatCannotBeMappedOrCreatedAreReported) {
    {
        RunScene scene;
        UpdateBodyWriter writer({"missing.so"});
        writer.beginTarget("kestrova");
        writer.literal("x");
        std::string body = writer.finish();
        scene.answer(RunScene::signedResponse(body, {""}));
        ASSERT_TRUE(scene.endsIn(RunState::Failed));
        EXPECT_EQ(scene.view.last(), "Automatic Updates Failed / Could not map file to memory.");
    }
    {
        RunScene scene;
        std::filesystem::create_directory(scene.folder.path() / "kestrova.new");
        scene.answer(RunScene::signedResponse(RunScene::programUpdate(), {"old program"}));
        ASSERT_TRUE(scene.endsIn(RunState::Failed));
        EXPECT_EQ(scene.view.last(), "Automatic Updates Failed / Could not open output file.");
        EXPECT_EQ(scene.folder.read("kestrova"), "old program");
    }
}

TEST(UpdateRun, AConnectionLostMidDownloadKeepsItsTextButLetsTheNextTickCheckAgain) {
    RunScene scene;
    std::string response = RunScene::signedResponse(RunScene::programUpdate(), {"old program"});
    scene.answer(response.substr(0, response.size() - 3), true);
    ASSERT_TRUE(scene.endsIn(RunState::Failed));
    EXPECT_EQ(scene.view.last().rfind("Downloading Updates / Downloading 0/0 KB (", 0), 0u)
        << scene.view.last();
    EXPECT_FALSE(scene.run->busy());
    EXPECT_EQ(scene.folder.read("kestrova"), "old program");
}
