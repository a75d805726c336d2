// The texts the update logic shows on the overview item.
#pragma once

namespace kestrova::updates::texts {

inline constexpr char kSectionKey[] = "UPDATES";
inline constexpr char kAutomaticUpdates[] = "Automatic Updates";
inline constexpr char kConnecting[] = "Connecting to server...";
inline constexpr char kChecking[] = "Checking for updates...";
inline constexpr char kDownloadingTitle[] = "Downloading Updates";
inline constexpr char kDownloadingFormat[] = "Downloading %d/%d KB (%d %%)";
inline constexpr char kInstalling[] = "Installing Updates";
inline constexpr char kFailedTitle[] = "Automatic Updates Failed";
inline constexpr char kCouldNotMap[] = "Could not map file to memory.";
inline constexpr char kCouldNotOpen[] = "Could not open output file.";
inline constexpr char kCouldNotWrite[] = "Could not write output file.";
inline constexpr char kCouldNotInstall[] = "Could not move the new files into place.";
inline constexpr char kInstalledTitle[] = "New Updates Installed";
inline constexpr char kRestart[] = "Restart Kestrova when Convenient";
inline constexpr char kChangeLogCaption[] = "Kestrova Updated!";

} // namespace kestrova::updates::texts
