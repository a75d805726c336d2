#include <gtest/gtest.h>

#include <unistd.h>

#include "kestrova/platform/instance.h"
#include "kestrova/platform/message_loop.h"

using namespace kestrova::platform;

namespace {

std::string uniqueName(const char* base) { return std::string(base) + "-" + std::to_string(getpid()); }

}  // namespace

TEST(SingleInstance, TheSecondOpenerSeesTheLockHeldAndTheFirstHearsItsMessage) {
    std::string name = uniqueName("KestrovaTest");
    InstanceLock first(name);
    EXPECT_FALSE(first.alreadyExisted());
    std::vector<std::string> heard;
    ASSERT_TRUE(first.listen([&](const std::string& line) { heard.push_back(line); }));
    {
        InstanceLock second(name);
        EXPECT_TRUE(second.alreadyExisted());
        EXPECT_FALSE(second.listen([](const std::string&) {}));
        EXPECT_TRUE(sendToRunningInstance(name, "KESTORVA_ACTIVATE"));
    }
    Msg msg;
    while (heard.empty() && getMessage(msg)) dispatchMessage(msg);
    EXPECT_EQ(heard, (std::vector<std::string>{"KESTORVA_ACTIVATE"}));
}

TEST(SingleInstance, TheLockIsFreeAgainOnceItsHolderIsGone) {
    std::string name = uniqueName("KestrovaTestAgain");
    { InstanceLock first(name); }
    InstanceLock again(name);
    EXPECT_FALSE(again.alreadyExisted());
    EXPECT_FALSE(sendToRunningInstance(name, "anyone?"));
}
