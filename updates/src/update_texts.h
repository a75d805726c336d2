// The numbers of the plug-in's texts in resources/updates/strings.txt, and
// the one text that takes numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::updates::texts {

enum Text : uint32_t {
    kOk = 101,
    kAutomaticUpdates = 1000, // also the overview section's title
    kConnecting = 1001,
    kChecking = 1002,
    kDownloadingTitle = 1003,
    kDownloadingFormat = 1004, // "Downloading %d/%d KB (%d %%)"
    kInstalling = 1005,
    kFailedTitle = 1006,
    kCouldNotMap = 1007,
    kCouldNotOpen = 1008,
    kCouldNotWrite = 1009,
    kCouldNotInstall = 1010,
    kInstalledTitle = 1011,
    kRestart = 1012,
    kChangeLogCaption = 1013,
};

// The overview section the plug-in's item lives in (a key, not shown).
inline constexpr char kSectionKey[] = "UPDATES";

// The text of that number.
const std::string& text(Text number);

// The format with each "%d" replaced by the next of the numbers and "%%" by
// "%"; anything else stays as it is. The format comes from a file, so it is
// never handed to printf.
std::string formatNumbers(std::string_view format, std::initializer_list<int64_t> numbers);

} // namespace kestrova::updates::texts
