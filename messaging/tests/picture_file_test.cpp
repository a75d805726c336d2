// A received picture written where the viewer opens it, safely: the fixed
// name never leads the bytes somewhere else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "picture_file.h"

namespace kestrova::messaging {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PictureFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-picture-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        fs::permissions(folder_, fs::perms::owner_all);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(PictureFile, APlantedLinkUnderTheNameIsReplacedNotWrittenThrough) {
    fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, folder_ / "image.jpg");
    auto written = writePictureFile("\xFF\xD8 picture", folder_);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, folder_ / "image.jpg");
    EXPECT_FALSE(fs::is_symlink(*written));
    EXPECT_EQ(contents(*written), "\xFF\xD8 picture");
    EXPECT_EQ(contents(victim), "precious") << "the link's target is untouched";
    // Nothing else is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

TEST_F(PictureFile, WhenTheNameCannotBeTakenTheSecondOneIsAndAFolderOfOthersIsNotUsed) {
    fs::create_directory(folder_ / "image.jpg");
    auto written = writePictureFile("second", folder_);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->filename(), "image1.jpg");
    EXPECT_EQ(contents(*written), "second");

    fs::remove(folder_ / "image1.jpg");
    fs::create_directory(folder_ / "image1.jpg");
    EXPECT_FALSE(writePictureFile("third", folder_)) << "neither name: the caller beeps";

    fs::path shared = folder_ / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::owner_all | fs::perms::others_write | fs::perms::others_exec);
    EXPECT_FALSE(writePictureFile("x", shared)) << "others may write there";
    fs::create_directory_symlink(folder_, folder_ / "elsewhere");
    EXPECT_FALSE(writePictureFile("x", folder_ / "elsewhere")) << "the folder itself is a link";
}

} // namespace
} // namespace kestrova::messaging
