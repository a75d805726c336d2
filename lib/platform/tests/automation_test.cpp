#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_box.h"
#include "test_window.h"

using namespace testing_windows;

using Automation = WindowTest;

TEST_F(Automation, WindowsAreFoundByClassTitleAndText) {
    HWND top = makeTopLevel("Kestrova");
    HWND child = makeChild(top, 1);
    setWindowText(child, "Sign In");
    EXPECT_EQ(findWindow({"Recording", "Kestrova", std::nullopt}), top);
    EXPECT_EQ(findWindow({std::nullopt, std::nullopt, "Sign In"}), child);
    EXPECT_EQ(findWindow({std::nullopt, "Sign In", std::nullopt}), nullptr);  // a title belongs to a top-level window
    WindowState s = windowState(child);
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(s.text, "Sign In");
}

TEST_F(Automation, TheLineProtocolDrivesInputAndReadsState) {
    HWND top = makeTopLevel("Kestrova");
    createMenuBar(top, {{"Chats", 105}, {"Menu", 103}});
    ModalAnswers answers(true);
    char handle[32];
    std::snprintf(handle, sizeof handle, "0x%zx", reinterpret_cast<size_t>(top));
    EXPECT_EQ(runAutomationCommand("find title=Kestrova", answers), std::string("OK ") + handle);
    EXPECT_EQ(runAutomationCommand("find title=\"No such\"", answers), "ERR not found");
    EXPECT_EQ(runAutomationCommand("softkeys", answers), "OK \"Chats\" \"Menu\"");
    EXPECT_EQ(runAutomationCommand("nav", answers), "OK \"Kestrova\"");
    EXPECT_EQ(runAutomationCommand("softkey 1", answers), "OK");
    EXPECT_EQ(countOf(top, WM_COMMAND), 1u);
    EXPECT_EQ(runAutomationCommand("type hi", answers), "OK");
    EXPECT_EQ(countOf(top, WM_CHAR), 2u);
    EXPECT_EQ(runAutomationCommand("key NOSUCHKEY", answers), "ERR unknown key");
    std::string info = runAutomationCommand(std::string("info ") + handle, answers);
    EXPECT_NE(info.find("text=\"Kestrova\" visible=1"), std::string::npos) << info;
    EXPECT_EQ(runAutomationCommand("bogus", answers), "ERR unknown command");
}

TEST_F(Automation, PlannedAnswersFromTheProtocolAnswerTheNextModal) {
    HWND top = makeTopLevel("Kestrova");
    ModalAnswers answers(true);
    EXPECT_EQ(runAutomationCommand("answer yes", answers), "OK");
    EXPECT_EQ(messageBox(top, "Add this contact?", "Contact Accepted", MB_YESNO), IDYES);
    EXPECT_EQ(runAutomationCommand("modal", answers), "OK messagebox caption=\"Contact Accepted\" text=\"Add this contact?\"");
    EXPECT_EQ(messageBox(top, "again?", "Again", MB_YESNO), IDNO);  // unplanned: dismissed

    // A menu's entries are told as they were, even once its owner destroyed it.
    EXPECT_EQ(runAutomationCommand("choose \"Bob (2)\"", answers), "OK");
    HMENU menu = createPopupMenu();
    appendMenu(menu, MF_STRING | MF_CHECKED, 1, "Contact List");
    appendMenu(menu, MF_SEPARATOR, 0);
    appendMenu(menu, MF_STRING, 100, "Bob (2)");
    EXPECT_EQ(trackPopupMenu(menu, TPM_RETURNCMD, {0, 0}, top), 100);
    destroyMenu(menu);
    EXPECT_EQ(runAutomationCommand("modal", answers), "OK menu \"Contact List\" \"Bob (2)\"");
}

TEST_F(Automation, TheSocketServerAnswersCommandsRunOnTheUserInterfaceThread) {
    HWND top = makeTopLevel("Kestrova");
    auto path = std::filesystem::temp_directory_path() / ("kestrova-auto-" + std::to_string(getpid()));
    auto server = AutomationServer::start(path);
    ASSERT_TRUE(server);
    std::atomic<bool> done{false};
    std::string replies;
    std::thread client([&] {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            std::string script = "ping\nfind title=Kestrova\nclose " + std::to_string(reinterpret_cast<size_t>(top)) + "\n";
            if (::write(fd, script.data(), script.size()) > 0) {
                char buffer[256];
                while (std::count(replies.begin(), replies.end(), '\n') < 3) {
                    ssize_t n = ::read(fd, buffer, sizeof buffer);
                    if (n <= 0) break;
                    replies.append(buffer, static_cast<size_t>(n));
                }
            }
        }
        ::close(fd);
        done = true;
    });
    Msg msg;
    while (!done) {
        if (peekMessage(msg)) dispatchMessage(msg);
        else std::this_thread::yield();
    }
    client.join();
    EXPECT_EQ(replies.substr(0, 8), "OK pong\n");
    EXPECT_NE(replies.find("OK 0x"), std::string::npos);
    EXPECT_FALSE(isWindow(top));  // closed from outside
    server.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
}
