// kestrova-mkupdate: makes release keys, and signed update bodies between two
// releases of the program folder (docs/UPDATES.md).
//
//   kestrova-mkupdate --keygen PREFIX
//   kestrova-mkupdate --key SECRET [--program NAME] [--changelog FILE] OLD NEW OUT
#include "compressed_body.h"
#include "delta_encoder.h"
#include "release_folder.h"
#include "update_signature.h"

#include "kestrova/wire/update_body.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace kestrova;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: kestrova-mkupdate --keygen PREFIX\n"
                 "       kestrova-mkupdate --key SECRET [--program NAME] [--changelog FILE] OLD NEW OUT\n");
    return 2;
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool writeFile(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) return false;
    }
    return ::chmod(path.c_str(), mode) == 0;
}

int keygen(const std::string& prefix) {
    updates::KeyPair pair = updates::makeKeyPair();
    if (!writeFile(prefix + ".key", updates::toHex(pair.secretKey) + "\n", 0600) ||
        !writeFile(prefix + ".pub", updates::toHex(pair.publicKey) + "\n")) {
        std::fprintf(stderr, "kestrova-mkupdate: cannot write %s.key / %s.pub\n", prefix.c_str(),
                     prefix.c_str());
        return 1;
    }
    std::printf("public key %s\n", updates::toHex(pair.publicKey).c_str());
    return 0;
}

// Decodes the body against the old files and compares with the new ones.
bool reproduces(const mkupdate::EncodedUpdate& encoded, const std::map<std::string, std::string>& oldByName,
                const std::vector<mkupdate::ReleaseFile>& newFiles) {
    wire::UpdateBodyParse parsed = wire::parseUpdateBody(encoded.body);
    if (!parsed.ok()) return false;
    std::vector<std::string_view> sources;
    for (std::string_view name : parsed.body.sources)
        sources.push_back(oldByName.at(std::string(name)));
    std::map<std::string, std::string> wanted;
    for (const auto& file : newFiles)
        wanted[file.name] = file.bytes;
    for (const wire::UpdateTarget& target : parsed.body.targets) {
        std::string out;
        if (!wire::decodeUpdateTarget(target, sources, [&](std::string_view piece) {
                out.append(piece);
                return true;
            }))
            return false;
        if (out != wanted[std::string(target.name)]) return false;
    }
    return true;
}

int build(const std::string& keyPath, const std::string& program, const std::string& changelog,
          const std::string& oldFolder, const std::string& newFolder, const std::string& out) {
    auto keyText = readFile(keyPath);
    auto key = keyText ? updates::fromHex<64>(keyText->substr(0, 128)) : std::nullopt;
    if (!key) {
        std::fprintf(stderr, "kestrova-mkupdate: %s is not a secret key\n", keyPath.c_str());
        return 1;
    }
    auto oldFiles = mkupdate::readRelease(oldFolder);
    auto newFiles = mkupdate::readRelease(newFolder);
    if (!oldFiles || !newFiles) {
        std::fprintf(stderr, "kestrova-mkupdate: cannot read the release folders\n");
        return 1;
    }
    std::erase_if(*newFiles, [](const auto& file) { return file.name == "changelog.txt"; });
    if (!changelog.empty()) {
        auto text = readFile(changelog);
        if (!text) {
            std::fprintf(stderr, "kestrova-mkupdate: cannot read %s\n", changelog.c_str());
            return 1;
        }
        newFiles->push_back({"changelog.txt", *text});
    }
    mkupdate::EncodedUpdate encoded = mkupdate::encodeUpdate(*oldFiles, *newFiles);
    std::map<std::string, std::string> oldByName;
    for (const auto& file : *oldFiles)
        oldByName[file.name] = file.bytes;
    if (!reproduces(encoded, oldByName, *newFiles)) {
        std::fprintf(stderr,
                     "kestrova-mkupdate: internal error: the body does not reproduce the new files\n");
        return 1;
    }
    std::vector<std::string_view> sources;
    for (const std::string& name : encoded.sources)
        sources.push_back(oldByName[name]);
    updates::Signature signature = updates::signUpdate(*key, sources, encoded.body);
    mkupdate::UpdateManifest manifest{mkupdate::releaseBuilds(oldFolder, program),
                                      mkupdate::releaseBuilds(newFolder, program)};
    std::string packed = updates::compressBody(encoded.body);
    if (packed.empty() || !writeFile(out, encoded.body) || !writeFile(out + ".xz", packed) ||
        !writeFile(out + ".sig", updates::toHex(signature) + "\n") ||
        !writeFile(out + ".builds", mkupdate::writeManifest(manifest))) {
        std::fprintf(stderr, "kestrova-mkupdate: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes (%zu compressed), %zu targets from %zu sources\n", out.c_str(),
                encoded.body.size(), packed.size(), encoded.targets.size(), encoded.sources.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--keygen") return keygen(args[1]);
    std::string key, program = "kestrova", changelog;
    std::vector<std::string> folders;
    for (size_t i = 0; i < args.size(); ++i) {
        bool hasValue = i + 1 < args.size();
        if (args[i] == "--key" && hasValue)
            key = args[++i];
        else if (args[i] == "--program" && hasValue)
            program = args[++i];
        else if (args[i] == "--changelog" && hasValue)
            changelog = args[++i];
        else if (args[i].starts_with("--"))
            return usage();
        else
            folders.push_back(args[i]);
    }
    if (key.empty() || folders.size() != 3) return usage();
    return build(key, program, changelog, folders[0], folders[1], folders[2]);
}
