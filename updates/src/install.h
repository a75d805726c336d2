// Moving decoded ".new" files into place so that a crash at any moment leaves
// a folder the program starts from, and the next start finishes the job.
//
// The install first writes a journal naming its targets (written aside,
// flushed, then renamed into place: from then on the update is committed).
// Each target's current file gets a second name "<name>.old" (a hard link,
// so the file never disappears) and the ".new" file is renamed over it in
// one step. At start, recoverInstall() completes a committed install from
// its journal, and only then removes "*.old" and "*.new" leftovers; an
// install that never committed is undone by that clean-up alone.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::updates {

inline constexpr char kJournalName[] = "kestrova-update.journal";

// Called before each step that changes the folder, with a short name of the
// step (tests stop the process there).
using InstallStepHook = std::function<void(std::string_view step)>;

// False when a file could not be moved; the journal then stays, and the next
// start completes the install.
bool installNewFiles(const std::filesystem::path& folder, const std::vector<std::string>& targets,
                     const InstallStepHook& hook = {});

// At start, before anything else touches the folder.
void recoverInstall(const std::filesystem::path& folder, const InstallStepHook& hook = {});

} // namespace kestrova::updates
