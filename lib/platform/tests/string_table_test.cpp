#include "kestrova/platform/string_table.h"

#include "kestrova/platform/icon_resources.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

using namespace kestrova::platform;

namespace {

std::map<uint32_t, std::string> parsed(std::string_view text) {
    StringTableParse table = parseStringTable(text);
    EXPECT_TRUE(table.ok()) << "line " << table.errorLine << ": " << table.error;
    return table.strings;
}

// The line a malformed table is refused at; nothing of it is kept.
size_t refusedAt(std::string_view text) {
    StringTableParse table = parseStringTable(text);
    EXPECT_TRUE(table.strings.empty());
    return table.errorLine;
}

}  // namespace

TEST(StringTable, EntriesCommentsBlankLinesEscapesAndLineEnds) {
    const auto strings =
        parsed("# the program's texts\n"
               "\n"
               "102\tExit Kestrova?\r\n"
               "103\tTwo lines:\\nand a\\ttab, a backslash \\\\ and \xE2\x80\x9Cquotes\xE2\x80\x9D\n"
               "0\t\n"
               "65535\tlast");  // no LF at the end
    EXPECT_EQ(strings, (std::map<uint32_t, std::string>{
                           {0, ""},
                           {102, "Exit Kestrova?"},
                           {103, "Two lines:\nand a\ttab, a backslash \\ and \xE2\x80\x9Cquotes\xE2\x80\x9D"},
                           {65535, "last"}}));
    EXPECT_TRUE(parsed("").empty());
    EXPECT_EQ(parsed("7\ta\tb\n").at(7), "a\tb") << "only the first tab ends the number";
}

TEST(StringTable, MalformedTablesAreRefusedWholeAtTheFirstBadLine) {
    EXPECT_EQ(refusedAt("102 Exit\n"), 1u) << "no tab";
    EXPECT_EQ(refusedAt("1\tok\n\tno number\n"), 2u);
    EXPECT_EQ(refusedAt("1\tok\n-1\tnegative\n"), 2u);
    EXPECT_EQ(refusedAt("0x10\thex\n"), 1u);
    EXPECT_EQ(refusedAt("65536\ttoo big\n"), 1u);
    EXPECT_EQ(refusedAt("999999999999999999999\thuge\n"), 1u);
    EXPECT_EQ(refusedAt("5\tone\n5\ttwo\n"), 2u) << "a number twice";
    EXPECT_EQ(refusedAt("5\tends with \\\n"), 1u);
    EXPECT_EQ(refusedAt("5\t\\x41\n"), 1u) << "unknown escape";
    EXPECT_EQ(refusedAt("5\t\xC3\x28\n"), 1u) << "not UTF-8";
    EXPECT_EQ(refusedAt("5\t" + std::string(kMaxStringBytes + 1, 'a')), 1u);
    EXPECT_TRUE(parsed("5\t" + std::string(kMaxStringBytes, 'a')).count(5));
    EXPECT_EQ(refusedAt(std::string(kMaxStringTableBytes + 1, '#')), 1u) << "the whole table is too large";
}

// Points the resources root at a fresh folder for the test's lifetime.
class StringResources : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-strings-XXXXXX";
        root_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_RESOURCES", root_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KESTROVA_RESOURCES");
        std::filesystem::remove_all(root_);
    }
    void writeTable(const std::string& module, const std::string& text) {
        std::filesystem::create_directories(root_ / module);
        std::ofstream(root_ / module / "strings.txt", std::ios::binary) << text;
    }

    std::filesystem::path root_;
};

TEST_F(StringResources, AModulesTableIsReadOnceByModuleAndNumber) {
    writeTable("kestrova", "102\tExit Kestrova?\n");
    EXPECT_EQ(stringTablePath(mainProgramModule()), root_ / "kestrova" / "strings.txt");
    EXPECT_EQ(loadString(mainProgramModule(), 102), "Exit Kestrova?");
    EXPECT_EQ(loadString(mainProgramModule(), 103), "");
    // Kept for the process: a later change of the file is not seen.
    writeTable("kestrova", "102\tchanged\n103\tnew\n");
    EXPECT_EQ(loadString(mainProgramModule(), 102), "Exit Kestrova?");
    EXPECT_EQ(loadString(mainProgramModule(), 103), "");
}

TEST_F(StringResources, AMissingOrMalformedTableHasNoTexts) {
    writeTable("kestrova", "1\tfine\n2 broken\n");
    EXPECT_EQ(loadString(mainProgramModule(), 1), "");
    ::setenv("KESTROVA_RESOURCES", (root_ / "elsewhere").c_str(), 1);
    EXPECT_EQ(loadString(mainProgramModule(), 1), "");
}

TEST_F(StringResources, ATestProgramMayStandInForAPlugIn) {
    writeTable("connection", "1000\tLogin Failed\n");
    ::unsetenv("KESTROVA_RESOURCES");
    standInForModule(root_, "connection");
    EXPECT_EQ(moduleResourceName(mainProgramModule()), "connection");
    EXPECT_EQ(loadString(mainProgramModule(), 1000), "Login Failed");
    standInForModule({}, "kestrova");
    EXPECT_EQ(moduleResourceName(mainProgramModule()), "kestrova");
}
