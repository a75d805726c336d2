// Every string table the build installs reads without a fault, so that no
// module quietly loses its texts, and carries the texts its code shows.
#include "kestrova/platform/string_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace kestrova::platform;

namespace {

StringTableParse installedTable(const std::string& module) {
    std::ifstream in(std::filesystem::path(KESTROVA_RESOURCE_DIR) / module / "strings.txt",
                     std::ios::binary);
    EXPECT_TRUE(in) << module;
    return parseStringTable(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

}  // namespace

TEST(StringTables, EveryInstalledTableIsValid) {
    int tables = 0;
    for (const auto& folder : std::filesystem::directory_iterator(KESTROVA_RESOURCE_DIR)) {
        if (!std::filesystem::exists(folder.path() / "strings.txt")) continue;
        StringTableParse table = installedTable(folder.path().filename().string());
        EXPECT_TRUE(table.ok()) << folder.path() << " line " << table.errorLine << ": " << table.error;
        ++tables;
    }
    EXPECT_GE(tables, 2);
}

TEST(StringTables, TheProgramAndTheConnectionCarryTheirTexts) {
    const auto program = installedTable("kestrova").strings;
    EXPECT_EQ(program.at(102), "Exit Kestrova?");
    EXPECT_EQ(program.at(123), "%d New Messages");
    size_t numbered = 0;
    for (const auto& [number, text] : program) numbered += number >= 102 && number <= 183;
    EXPECT_EQ(numbered, 74u) << "the numbered texts of the program's screens, 102 to 183";
    EXPECT_EQ(program.at(1107), "Are you sure you wish to remove this contact from your contact list?");
    const auto connection = installedTable("connection").strings;
    EXPECT_EQ(connection.at(1000), "Login Failed");
    EXPECT_EQ(connection.at(1027), "This contact will now be able to see your online status.\n\nWould you "
                                   "like to add this contact to your "
                                   "contact list?");
}
