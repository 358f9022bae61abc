// The preset files: a one-mode file (*.dia, 2778 bytes: the system block, then the
// working image) and an all-modes file (*.dat, 57019 bytes: slot 0's system-block copy,
// stored modes 1..21, the store-valid flag). Raw byte dumps without header or checksum.
// The dialogs belong to the window; these take the chosen path. UI thread. Failures are
// shown through the notification sink, the message first, then the path and the reason on
// a second line; each returns true on success. Only regular files are read, so a FIFO or a
// device named like a preset never blocks the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

class CDeviceLink;

constexpr std::size_t kOneModeFileSize = 2778;
constexpr std::size_t kAllModesFileSize = 57019;

// A preset file read whole, for inspection; its format is the one its size says.
struct SPresetFile {
    bool m_bAllModes = false;
    std::vector<std::uint8_t> m_abBytes;

    const std::uint8_t* System() const { return m_abBytes.data(); }
    // The image of stored mode 1..21 of an all-modes file; of a one-mode file, mode 0.
    const std::uint8_t* ImageOf(int mode) const;
};

// Reads a regular file of exactly 2778 or 57019 bytes, whatever its name. Anything else
// (a folder, a FIFO, a device, a file of another size) is refused without blocking, with
// "path: reason" in error (the path escaped as PrintableText). Any thread.
bool ReadPresetFile(const std::string& path, SPresetFile& file, std::string& error);

// What an export would write now: the system block and the working image (one mode), or
// the preset store from slot 0's system-block copy on (all modes). Takes the image lock.
SPresetFile PresetFileOfData(bool allModes);

// Reads a regular file of at most maxSize bytes whole (a filter list, a preset to edit).
// Anything else (a folder, a FIFO, a device, a larger file) is refused without blocking,
// with "path: reason" in error. Any thread.
bool ReadRegularFile(const std::string& path, std::size_t maxSize, std::vector<std::uint8_t>& bytes,
                     std::string& error);

// The path as written: ".dia" / ".dat" appended unless the path contains it anywhere.
std::string OneModeFilePath(const std::string& chosen);
std::string AllModesFilePath(const std::string& chosen);

// Writes bytes into a temporary file beside the file path names and renames it over that
// file once every byte is on disk, so a failed write never leaves a damaged or truncated
// file behind. A symbolic link is written through to the file it points to (through a
// chain of links; the file need not exist yet); a replaced file keeps its permissions; a
// file the user may not write, or that is no regular file, is refused. False, with the
// reason, when it could not (a folder that cannot be written is named).
bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::string& reason);

// Writes bytes into a new file stem + extension, or stem-2 + extension, stem-3 ... when
// that name is taken: never over an existing file, even one made while this one is
// written. The name written in path; false with the reason (a folder that cannot be
// written is named) when none could be.
bool WriteNewFile(const std::string& stem, const std::string& extension,
                  const std::vector<std::uint8_t>& bytes, std::string& path, std::string& reason);

// Whether a file could be written at path now (the file ReplaceFile would write, and a new
// file in its folder), so that a long transfer does not end in a file error. False with
// the reason, naming the folder when it is the folder that cannot be written.
bool CheckWritable(const std::string& path, std::string& reason);

// Writes the system block and the working image. An existing file is replaced only once
// the new one is complete, keeping its permissions; a symbolic link is written through
// to its target; a file the user may not write is refused. "MusicFile Write Error" on
// failure.
bool ExportOneMode(const std::string& chosen);

// The load sum an imported image carries in its last byte: the 8-bit sum of the 2712
// bytes as the file holds them.
std::uint8_t LoadSum(const std::uint8_t* image);

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
