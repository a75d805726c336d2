#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "kestrova/platform/module.h"

using namespace kestrova::platform;

namespace {

std::filesystem::path binFolder() { return std::getenv("KESTROVA_BIN") ? std::getenv("KESTROVA_BIN") : "."; }

}  // namespace

TEST(Modules, ALibraryIsLoadedItsExportsFoundAndItIsUnloadedWhenTheOwnerGoes) {
    auto path = binFolder() / "../tests/libplatform_test_module.so";
    Module module = Module::load(path);
    ASSERT_TRUE(module) << path;
    auto answer = reinterpret_cast<int (*)()>(module.symbol("TestModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(module.symbol("NoSuchExport"), nullptr);
    EXPECT_NE(moduleBaseOf(reinterpret_cast<void*>(answer)), moduleBaseOf(reinterpret_cast<void*>(&binFolder)));
    EXPECT_EQ(modulePathOf(reinterpret_cast<void*>(answer)).filename(), "libplatform_test_module.so");
}

TEST(Modules, AMissingOrBrokenLibraryDoesNotLoad) {
    auto dir = std::filesystem::temp_directory_path() / "kestrova-module-test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "broken.so") << "not a library";
    EXPECT_FALSE(Module::load(dir / "broken.so"));
    EXPECT_FALSE(Module::load(dir / "missing.so"));
    std::filesystem::remove_all(dir);
}

TEST(Modules, DirectorySearchMatchesThePatternAndSortsByName) {
    auto dir = std::filesystem::temp_directory_path() / "kestrova-search-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "sub.so");
    for (auto name : {"b.so", "a.so", "c.txt", "x.0809.mui", "y.0409.mui"}) std::ofstream(dir / name) << "x";
    auto names = [](const std::vector<std::filesystem::path>& paths) {
        std::vector<std::string> out;
        for (auto& p : paths) out.push_back(p.filename().string());
        return out;
    };
    EXPECT_EQ(names(findFiles(dir, "*.so")), (std::vector<std::string>{"a.so", "b.so"}));
    EXPECT_EQ(names(findFiles(dir, "*.0809.mui")), (std::vector<std::string>{"x.0809.mui"}));
    EXPECT_TRUE(findFiles(dir / "missing", "*").empty());
    std::filesystem::remove_all(dir);
}
