#include "update_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace kestrova::updates::testing {
namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

UpdateFolder::UpdateFolder() {
    char pattern[] = "/tmp/kestrova-updates-XXXXXX";
    path_ = ::mkdtemp(pattern);
}

UpdateFolder::~UpdateFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void UpdateFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string UpdateFolder::read(const std::string& name) const {
    return readText(path_ / name);
}

bool UpdateFolder::has(const std::string& name) const {
    return std::filesystem::exists(path_ / name);
}

std::map<std::string, std::string> UpdateFolder::files() const {
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        out[entry.path().filename().string()] = entry.is_regular_file() ? readText(entry.path()) : "<dir>";
    return out;
}

SecretKey testSecretKey() {
    std::string hex = readText(KESTROVA_TEST_RELEASE_SECRET);
    while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r'))
        hex.pop_back();
    auto key = fromHex<64>(hex);
    EXPECT_TRUE(key);
    return key.value_or(SecretKey{});
}

// An Ed25519 secret key ends with its public key.
PublicKey testPublicKey() {
    SecretKey secret = testSecretKey();
    PublicKey key;
    std::copy(secret.begin() + 32, secret.end(), key.begin());
    return key;
}

std::string signBody(const std::string& body, const std::vector<std::string>& sourceContents,
                     const SecretKey& key) {
    std::vector<std::string_view> views(sourceContents.begin(), sourceContents.end());
    return toHex(signUpdate(key, views, body));
}

} // namespace kestrova::updates::testing
