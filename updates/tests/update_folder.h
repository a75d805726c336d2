// A program folder in /tmp for one test, and signed update bodies for it.
#pragma once

#include "update_signature.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kestrova::updates::testing {

class UpdateFolder {
  public:
    UpdateFolder();
    ~UpdateFolder();
    UpdateFolder(const UpdateFolder&) = delete;
    UpdateFolder& operator=(const UpdateFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool has(const std::string& name) const;
    // Every file's name and contents.
    std::map<std::string, std::string> files() const;

  private:
    std::filesystem::path path_;
};

// The test release key pair (updates/keys).
SecretKey testSecretKey();
PublicKey testPublicKey();

// The hex signature of a body built from these sources' contents.
std::string signBody(const std::string& body, const std::vector<std::string>& sourceContents,
                     const SecretKey& key = testSecretKey());

} // namespace kestrova::updates::testing
