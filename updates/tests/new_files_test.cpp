#include "new_files.h"
#include "update_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;
using kestrova::wire::UpdateBodyWriter;

namespace {

// Old kestrova "AAAAold-mainBBBB", old libapi.so "api-1"; the body makes a new
// kestrova from pieces of both, a new plug-in from scratch, and a change log.
struct Scene {
    UpdateFolder folder;
    std::string body;

    Scene() {
        folder.write("kestrova", "AAAAold-mainBBBB");
        folder.write("libapi.so", "api-1");
        ::chmod((folder.path() / "kestrova").c_str(), 0755);
        UpdateBodyWriter writer({"kestrova", "libapi.so"});
        writer.beginTarget("kestrova");
        writer.copy(1, 0, 4);
        writer.literal("new-main");
        writer.copy(1, 12, 4);
        writer.beginTarget("libapi.so");
        writer.copy(2, 0, 4);
        writer.literal("2");
        writer.beginTarget("changelog.txt");
        writer.literal("Better.\n");
        body = writer.finish();
    }
    std::optional<Signature> signature(const std::string& forBody) const {
        return fromHex<64>(signBody(forBody, {"AAAAold-mainBBBB", "api-1"}));
    }
    DecodeResult decode(const std::string& forBody) const {
        return writeNewFiles(folder.path(), forBody, signature(forBody), testPublicKey());
    }
};

} // namespace

TEST(NewFiles, ASignedBodyBuildsEveryTargetBesideTheOldFiles) {
    Scene scene;
    DecodeResult result = scene.decode(scene.body);
    ASSERT_EQ(result.failure, DecodeFailure::None);
    EXPECT_EQ(result.targets, (std::vector<std::string>{"kestrova", "libapi.so", "changelog.txt"}));
    EXPECT_EQ(scene.folder.read("kestrova.new"), "AAAAnew-mainBBBB");
    EXPECT_EQ(scene.folder.read("libapi.so.new"), "api-2");
    EXPECT_EQ(scene.folder.read("changelog.txt.new"), "Better.\n");
    EXPECT_EQ(scene.folder.read("kestrova"), "AAAAold-mainBBBB");
    struct stat info {};
    ASSERT_EQ(::stat((scene.folder.path() / "kestrova.new").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "the program stays executable";
}

TEST(NewFiles, NothingIsWrittenUnlessBodyAndSignatureAreSound) {
    Scene scene;
    auto before = scene.folder.files();
    auto refused = [&](const std::string& body, const std::optional<Signature>& signature,
                       DecodeFailure why) {
        EXPECT_EQ(writeNewFiles(scene.folder.path(), body, signature, testPublicKey()).failure, why);
        EXPECT_EQ(scene.folder.files(), before);
    };
    // Unsigned, signed by another key, signed for other sources, altered.
    refused(scene.body, std::nullopt, DecodeFailure::BadSignature);
    SecretKey stranger = makeKeyPair().secretKey;
    refused(scene.body, fromHex<64>(signBody(scene.body, {"AAAAold-mainBBBB", "api-1"}, stranger)),
            DecodeFailure::BadSignature);
    refused(scene.body, fromHex<64>(signBody(scene.body, {"AAAAold-mainBBBB", "api-0"})),
            DecodeFailure::BadSignature);
    std::string altered = scene.body;
    altered[altered.find("new-main")] = 'N';
    refused(altered, scene.signature(scene.body), DecodeFailure::BadSignature);
    // Truncated anywhere, a traversal name, a copy past a source's end: each
    // signed as it is, and refused all the same.
    for (size_t cut : {size_t(3), scene.body.size() / 2, scene.body.size() - 1})
        refused(scene.body.substr(0, cut), scene.signature(scene.body.substr(0, cut)),
                DecodeFailure::BadBody);
    for (std::string name : {"../escape", "/tmp/abs", "sub/file", "..", "kestrova.old"}) {
        UpdateBodyWriter writer({});
        writer.beginTarget(name);
        writer.literal("x");
        std::string body = writer.finish();
        refused(body, scene.signature(body), DecodeFailure::BadBody);
    }
    UpdateBodyWriter beyond({"libapi.so"});
    beyond.beginTarget("libapi.so");
    beyond.copy(1, 2, 4);
    std::string beyondBody = beyond.finish();
    refused(beyondBody, fromHex<64>(signBody(beyondBody, {"api-1"})), DecodeFailure::BadBody);
}

TEST(NewFiles, SourcesThatCannotBeMappedAndOutputsThatCannotBeCreatedFailCleanly) {
    Scene scene;
    // A source that is missing, or a link to a file outside the folder.
    ::unlink((scene.folder.path() / "libapi.so").c_str());
    auto before = scene.folder.files();
    EXPECT_EQ(scene.decode(scene.body).failure, DecodeFailure::MapFailed);
    EXPECT_EQ(scene.folder.files(), before);
    UpdateFolder outside;
    outside.write("secret", "api-1");
    ASSERT_EQ(::symlink((outside.path() / "secret").c_str(), (scene.folder.path() / "libapi.so").c_str()), 0);
    EXPECT_EQ(scene.decode(scene.body).failure, DecodeFailure::MapFailed);

    // The third target's ".new" cannot be created: the two made before go.
    ::unlink((scene.folder.path() / "libapi.so").c_str());
    scene.folder.write("libapi.so", "api-1");
    std::filesystem::create_directory(scene.folder.path() / "changelog.txt.new");
    before = scene.folder.files();
    EXPECT_EQ(scene.decode(scene.body).failure, DecodeFailure::OpenFailed);
    EXPECT_EQ(scene.folder.files(), before);
}
