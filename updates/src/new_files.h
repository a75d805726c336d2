// Decoding an update body into ".new" files beside the files they replace.
//
// Everything is checked before the first byte is written: the body's whole
// structure, the mapping of every source, every copy against its source,
// and the signature over the body and the sources. A failure afterwards
// (a file that cannot be created or written) removes the ".new" files made
// so far, so a failed update leaves the folder as it was.
#pragma once

#include "update_signature.h"

#include "kestrova/wire/update_body.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::updates {

enum class DecodeFailure {
    None,
    BadBody,      // malformed, or a copy outside its source
    BadSignature, // missing, or not made by the release key for these files
    MapFailed,    // a source file could not be opened or mapped
    OpenFailed,   // a ".new" file could not be created
    WriteFailed,  // a ".new" file could not be written completely
};

struct DecodeResult {
    DecodeFailure failure = DecodeFailure::None;
    std::vector<std::string> targets; // names written as "<name>.new"
};

DecodeResult writeNewFiles(const std::filesystem::path& folder, std::string_view body,
                           const std::optional<Signature>& signature, const PublicKey& key,
                           const wire::UpdateBodyLimits& limits = {});

// Removes "<name>.new" of each name.
void removeNewFiles(const std::filesystem::path& folder, const std::vector<std::string>& targets);

} // namespace kestrova::updates
