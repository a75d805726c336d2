#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <csignal>
#include <thread>

#include "program_folder.h"

using namespace shell_testing;

namespace {

const std::vector<std::string> kHeadless{"--display", "headless"};
const std::map<std::string, std::string> kExitAtStartup{{"KESTROVA_TEST_EXIT", "startup"}};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> matching(const std::vector<std::string>& lines, const std::string& part) {
    std::vector<std::string> out;
    for (auto& l : lines)
        if (l.find(part) != std::string::npos) out.push_back(l);
    return out;
}

std::vector<std::string> endingWith(const std::vector<std::string>& lines, const std::string& end) {
    std::vector<std::string> out;
    for (auto& l : lines)
        if (l.size() >= end.size() && l.compare(l.size() - end.size(), end.size(), end) == 0) out.push_back(l);
    return out;
}

size_t indexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

// A running copy with the automation socket, to be driven and closed by the test.
struct Running {
    ProgramFolder& program;
    pid_t pid;
    std::string mainWindow;

    Running(ProgramFolder& p, std::vector<std::string> args) : program(p) {
        pid = program.start(with(with(args, kHeadless), {"--automation", program.automationSocket().string()}));
        if (program.waitForLogLine("startup") && waitForAutomation(program.automationSocket())) {
            std::string found = request("find title=Kestrova");
            if (found.rfind("OK ", 0) == 0) mainWindow = found.substr(3);
        }
    }
    std::string request(const std::string& line) { return automationRequest(program.automationSocket(), line); }
    bool visible() { return request("info " + mainWindow).find("visible=1") != std::string::npos; }
    int close() {
        request("close " + mainWindow);
        return program.wait(pid);
    }
};

}  // namespace

TEST(StartUp, PluginsStartInOrderStartupIsRaisedOnceAfterAllAndOnlyStartedOnesAreStopped) {
    ProgramFolder program({"alpha", "beta", "refuses", "noentry", "unfinished"});
    ASSERT_EQ(program.run(kHeadless, kExitAtStartup), 0);
    auto log = program.log();
    EXPECT_EQ(matching(log, " load "),
              (std::vector<std::string>{"alpha load 5", "beta load 5", "refuses load 5", "unfinished load 5"}));
    EXPECT_EQ(endingWith(log, " start"), (std::vector<std::string>{"alpha start", "beta start", "unfinished start"}));
    auto startups = matching(log, "startup ");
    ASSERT_EQ(startups.size(), 3u);  // once per subscribed plug-in
    // The first to hear it finds the main window of the framework (and closes it).
    EXPECT_NE(startups[0].find("window=framework"), std::string::npos) << startups[0];
    for (auto& line : startups) {
        EXPECT_NE(line.find("layout=set display=headless"), std::string::npos) << line;
        EXPECT_GT(indexOf(log, line), indexOf(log, "unfinished start"));
    }
    // The started flag is respected: the plug-in whose Start did not finish is not stopped.
    EXPECT_EQ(endingWith(log, " stop"), (std::vector<std::string>{"alpha stop", "beta stop"}));
    EXPECT_GT(indexOf(log, "alpha stop"), indexOf(log, startups.back()));
    // RY_Exit closed the main window once; later calls found it gone.
    EXPECT_EQ(matching(log, " exit ").size(), 3u);
}

TEST(StartUp, AppRunAtTimeEndsAtOnceBeforeAnythingIsCreated) {
    ProgramFolder program({"alpha"});
    EXPECT_EQ(program.run(with({"AppRunAtTime", "/newinstance"}, kHeadless), kExitAtStartup), 0);
    EXPECT_TRUE(program.log().empty());
}

TEST(StartUp, HelpVersionAndBadOptions) {
    ProgramFolder program({"alpha"});
    EXPECT_EQ(program.run({"--help"}), 0);
    EXPECT_EQ(program.run({"--version"}), 0);
    EXPECT_EQ(program.run({"--screen", "huge"}), 2);
    EXPECT_TRUE(program.log().empty());
}

TEST(StartUp, ALaterStartActivatesTheRunningCopyAndEndsWithoutLoadingAnything) {
    ProgramFolder program({"alpha"});
    Running first(program, {"/hidden"});
    ASSERT_FALSE(first.mainWindow.empty());
    EXPECT_FALSE(first.visible());  // "/hidden"
    pid_t second = program.start(kHeadless, kExitAtStartup);
    EXPECT_EQ(program.wait(second), 0);
    EXPECT_TRUE(program.log(second).empty());
    bool shown = false;
    for (int i = 0; i < 500 && !shown; ++i) {  // bounded wait for the activation to arrive
        shown = first.visible();
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(first.close(), 0);
    EXPECT_EQ(matching(program.log(first.pid), " stop"), (std::vector<std::string>{"alpha stop"}));
}

TEST(StartUp, TermIntAndHupRunTheNormalShutdown) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ProgramFolder program({"alpha"});
        Running running(program, {});
        ASSERT_FALSE(running.mainWindow.empty()) << signal;
        ASSERT_GT(running.pid, 0);
        ASSERT_EQ(::kill(running.pid, signal), 0);
        EXPECT_EQ(program.wait(running.pid), 0) << signal;
        EXPECT_EQ(matching(program.log(running.pid), " stop"), (std::vector<std::string>{"alpha stop"})) << signal;
    }
}

TEST(StartUp, WhatCannotBeSetUpIsSaidAndEndsTheProgramWithAFailure) {
    ProgramFolder program({"alpha"});
    auto scratch = std::filesystem::temp_directory_path() / ("kestrova-startup-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch / "hidden");
    auto plainFile = scratch / "notes.txt";
    std::ofstream(plainFile) << "keep me";

    EXPECT_EQ(program.run(kHeadless, {{"XDG_RUNTIME_DIR", plainFile.string()}}), 1) << "no lock: no answer";
    EXPECT_EQ(program.run(with({"--automation", plainFile.string()}, kHeadless), kExitAtStartup), 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(plainFile)) << "somebody's file is left alone";
    EXPECT_EQ(program.run({"--display", "sdl"}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"}}),
              1);
    EXPECT_TRUE(program.log().empty());

    // A desktop option's value is no switch of the program's; the plug-ins
    // learn the shell's decision.
    auto shot = (scratch / "hidden" / "shot.png").string();
    EXPECT_EQ(program.run(with({"--screenshot", shot}, kHeadless), kExitAtStartup), 0);
    EXPECT_EQ(endingWith(program.log(), "hidden=0").size(), 1u);
    EXPECT_EQ(program.run(with({"/hidden"}, kHeadless), kExitAtStartup), 0);
    EXPECT_EQ(endingWith(program.log(), "hidden=1").size(), 1u);
    std::filesystem::remove_all(scratch);
}

TEST(StartUp, NewInstanceStartsASecondFullCopy) {
    ProgramFolder program({"alpha"});
    Running first(program, {});
    ASSERT_FALSE(first.mainWindow.empty());
    pid_t second = program.start(with({"/newinstance"}, kHeadless), kExitAtStartup);
    EXPECT_EQ(program.wait(second), 0);
    auto log = program.log(second);
    EXPECT_EQ(matching(log, " load ").size(), 1u);
    EXPECT_EQ(matching(log, "startup ").size(), 1u);
    EXPECT_EQ(matching(log, " stop").size(), 1u);
    EXPECT_EQ(first.close(), 0);
}

TEST(StartUp, TheStartUpScreenIsSavedAndExitFromTheSoftKeyMenuEndsTheProgram) {
    ProgramFolder program({"alpha"});
    Running running(program, {});
    ASSERT_FALSE(running.mainWindow.empty());
    EXPECT_EQ(running.request("softkeys"), "OK \"Chats\" \"Menu\"");
    EXPECT_EQ(running.request("nav"), "OK \"\"") << "the main window leaves the bar above its tabs empty";
    auto shots = buildFolder() / "screenshots";
    std::filesystem::create_directories(shots);
    auto png = shots / "kestrova-startup.png";
    std::filesystem::remove(png);
    EXPECT_EQ(running.request("screenshot " + png.string()), "OK");
    EXPECT_TRUE(std::filesystem::exists(png));
    EXPECT_EQ(running.request("choose Exit..."), "OK");
    EXPECT_EQ(running.request("softkey 2"), "OK");
    EXPECT_EQ(program.wait(running.pid), 0);
    EXPECT_EQ(matching(program.log(running.pid), " stop"), (std::vector<std::string>{"alpha stop"}));
}

TEST(StartUp, TheDesktopDisplayStartsUnderAVirtualXServer) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    ProgramFolder program({"alpha"});
    program.setLauncher({"xvfb-run", "-a"});
    // SDL's video driver brings in system libraries (the message bus, X
    // extensions it loads and unloads) that keep memory to the end by design;
    // the other start-up tests check our own code for leaks.
    auto environment = kExitAtStartup;
    environment["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1";
    ASSERT_EQ(program.run({"--display", "sdl"}, environment), 0);
    auto startups = matching(program.log(), "startup ");
    ASSERT_EQ(startups.size(), 1u);
    EXPECT_NE(startups[0].find("display=sdl"), std::string::npos) << startups[0];
}
