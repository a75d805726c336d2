// The settings store: one flat namespace of named text values, loaded from
// the registry lazily (each at most once per run, on its first get) and
// written back on RY_SaveSettings and at clean-up.
#pragma once

namespace kestrova::api {

// Writes every setting held in memory (including defaults that were only
// read) to the registry. A setting that cannot be written is skipped.
void saveSettings();

}  // namespace kestrova::api
