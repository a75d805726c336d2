// Bridge credentials at rest. The password of an account on another network
// must be usable by the server (it logs in there on the user's behalf), so
// it cannot be stored as a digest the way Kestrova passwords are. It is
// sealed instead: authenticated encryption (XChaCha20-Poly1305, libsodium)
// under a key that lives outside the database, in a key file readable by the
// server's user only. A copy of the database alone (a backup, a stolen file)
// yields no credentials; whoever holds both the database and the key file
// does. Each sealed value is bound to its owner, so it cannot be moved to
// another account's row and opened there.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server::bridges {

class CredentialSeal {
  public:
    // Reads the 32-byte key from `keyFile`, creating the file (mode 0600)
    // with a fresh key when it does not exist. An empty path keeps a fresh
    // key in memory only: what is sealed then cannot be opened after a
    // restart. Nothing, with a message in `error`, when the file cannot be
    // used.
    static std::unique_ptr<CredentialSeal> open(const std::string& keyFile, std::string& error);
    ~CredentialSeal();
    CredentialSeal(const CredentialSeal&) = delete;
    CredentialSeal& operator=(const CredentialSeal&) = delete;

    std::string seal(std::string_view plain, std::string_view owner) const;
    // Nothing when the bytes were not sealed with this key for this owner.
    std::optional<std::string> unseal(std::string_view sealed, std::string_view owner) const;

  private:
    CredentialSeal() = default;
    std::array<uint8_t, 32> key_{};
};

} // namespace kestrova::server::bridges
