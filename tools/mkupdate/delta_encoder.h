// Builds an update body from an old release and a new one.
//
// Matching: every 4th position of every old file is entered into a hash
// table under a hash of the 16 bytes there; the new file is then scanned at
// every position, each hit is checked byte by byte and stretched forwards and
// backwards, and becomes a copy when it is long enough to pay for its
// instruction. Before looking anything up the encoder tries the place where
// the last copy would have continued: in a rebuilt binary most differences
// are a few changed bytes (a shifted address, a build stamp) inside long
// runs that still line up, and that guess finds them without a lookup.
//
// NOTE: a hash of a fixed 16-byte window rather than a suffix array: the
// index is a quarter of a slot per old byte, built and searched in linear
// time, and a suffix array's longest matches buy little here because the
// body cannot copy from the file being built; its instructions cost 9 bytes
// each, so short matches are not worth having anyway.
#pragma once

#include "release_folder.h"

#include <string>
#include <vector>

namespace kestrova::mkupdate {

struct EncodedUpdate {
    std::string body;
    std::vector<std::string> sources; // the old files the body copies from, in list order
    std::vector<std::string> targets; // the files it writes
};

// Targets are the new files whose bytes differ from the old file of the same
// name (or that are new); unchanged files are left out. At most 255 old files
// are used as sources.
EncodedUpdate encodeUpdate(const std::vector<ReleaseFile>& oldFiles,
                           const std::vector<ReleaseFile>& newFiles);

} // namespace kestrova::mkupdate
