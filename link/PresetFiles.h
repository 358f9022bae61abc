// The preset files: a one-mode file (*.dia, 2778 bytes: the system block, then the
// working image) and an all-modes file (*.dat, 57019 bytes: slot 0's system-block copy,
// stored modes 1..21, the store-valid flag). Raw byte dumps without header or checksum.
// The dialogs belong to the window; these take the chosen path. UI thread. Failures are
// shown through the notification sink; each returns true on success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

class CDeviceLink;

constexpr std::size_t kOneModeFileSize = 2778;
constexpr std::size_t kAllModesFileSize = 57019;

// The path as written: ".dia" / ".dat" appended unless the path contains it anywhere.
std::string OneModeFilePath(const std::string& chosen);
std::string AllModesFilePath(const std::string& chosen);

// Writes bytes into a temporary file beside path and renames it over path once every
// byte is on disk, so a failed write never leaves a damaged or truncated file behind.
// False, with errno set, when it could not.
bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Writes the system block and the working image. An existing file is replaced only once
// the new one is complete. "MusicFile Write Error" on failure.
bool ExportOneMode(const std::string& chosen);

// Loads the working image from a one-mode file (the file's system block is skipped),
// sets the load sum, commits the shadow and shows the page again; online, the image is
// also written to the processor (command 132, 0). A file that cannot be opened: "File read
// Error"; a short file changes nothing: "MusicFile read Error".
bool ImportOneMode(const std::string& path, CDeviceLink& link);

// Writes the preset store from slot 0's system-block copy on. Callers refresh that copy
// from the system block first. "MusicFile Write Error" on failure.
bool ExportAllModes(const std::string& chosen);

// Loads the preset store, marks it valid, takes the system block from it and the working
// image from the stored mode the system block names (left as it is when that number is
// not 1..21); online, writes all modes and the system block to the processor. Messages as
// for ImportOneMode.
bool ImportAllModes(const std::string& path, CDeviceLink& link);

} // namespace zolt
