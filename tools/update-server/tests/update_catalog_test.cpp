#include "update_catalog.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

class PublishedFolder {
  public:
    PublishedFolder() {
        std::string pattern = (fs::temp_directory_path() / "kestrova-catalog-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path = pattern;
    }
    ~PublishedFolder() { fs::remove_all(path); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
    // An update from build 1 to build 2 of the program and its API library.
    void publish(const std::string& name) const {
        write(name, "raw body");
        write(name + ".sig", std::string(128, 'a') + "\n");
        write(name + ".builds", mkupdate::writeManifest({{{"kestrova", 1}, {"libapi.so", 1}},
                                                         {{"kestrova", 2}, {"libapi.so", 2}}}));
    }
    fs::path path;
};

} // namespace

TEST(UpdateCatalog, SendsTheUpdateOnlyToTheBuildsItWasMadeFromAndPrefersItsCompressedForm) {
    PublishedFolder folder;
    folder.publish("2.kup");
    std::string error;
    auto raw = updateserver::UpdateCatalog::load(folder.path, &error);
    ASSERT_TRUE(raw) << error;
    ASSERT_EQ(raw->size(), 1u);
    const updateserver::UpdatePackage* update = raw->answer({{"kestrova", 1}, {"libapi.so", 1}}).update;
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->body, "raw body");
    EXPECT_EQ(update->encoding, "");
    EXPECT_EQ(update->signatureHex, std::string(128, 'a'));
    EXPECT_EQ(raw->answer({{"kestrova", 2}, {"libapi.so", 2}, {"extra.so", 7}}).update, nullptr)
        << "up to date";
    EXPECT_EQ(raw->answer({{"kestrova", 1}, {"libapi.so", 3}}).update, nullptr) << "another mix of builds";
    EXPECT_EQ(raw->answer({}).update, nullptr);

    folder.write("2.kup.xz", "packed body");
    auto packed = updateserver::UpdateCatalog::load(folder.path, &error);
    ASSERT_TRUE(packed) << error;
    update = packed->answer({{"kestrova", 1}, {"libapi.so", 1}}).update;
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->body, "packed body");
    EXPECT_EQ(update->encoding, "xz");
}

TEST(UpdateCatalog, AFolderWithAnIncompletePackageIsNotServed) {
    PublishedFolder folder;
    folder.publish("2.kup");
    folder.write("3.kup", "body without signature");
    std::string error;
    EXPECT_FALSE(updateserver::UpdateCatalog::load(folder.path, &error));
    EXPECT_NE(error.find("3.kup"), std::string::npos) << error;
}
