// Builds an update body from an old release and a new one.
//
// Matching: every 4th position of every old file is entered into a hash
// table under a hash of the 16 bytes there. Each new file is then parsed for
// the smallest body: a dynamic program over its positions weighs, at every
// position, extending a literal (1 byte), opening one (6) and copying (9, to
// the end of the matching run) from the alignments seen lately. In a rebuilt
// binary most differences are a byte or two (a shifted address) inside runs
// that still line up with the same old bytes, so those alignments are tried
// everywhere and a short match between two changes is used only when it is
// cheaper than carrying the bytes as a literal. New alignments come from the
// hash table, checked byte by byte and followed backwards.
//
// NOTE: a hash of a fixed 16-byte window rather than a suffix array: the
// index is a quarter of a slot per old byte, built and searched in linear
// time, and a suffix array's longest matches buy little here because the
// body cannot copy from the file being built; its instructions cost 9 bytes
// each, so short matches are not worth having anyway. The parse keeps about
// 30 bytes per byte of the file being encoded.
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
