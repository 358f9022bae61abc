// zoltctl over a venue: every room at once. The link state of one zoltctl process is
// process-wide, so each room is worked on by a zoltctl of its own (`--venue FILE --room NAME`
// and the command), at most eight at a time, and this process collects what they say: the
// backups of backup --all, the lines of status. Also what a room's status is and how it is
// told, and where a room's backups are.
#pragma once

#include "link/Venue.h"

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zolt::ctl {

// Rooms worked on at the same time at most: each holds a link.
constexpr std::size_t kMaxLinksAtOnce = 8;

// What a child program left: its exit code (128 + the signal when a signal ended it) and
// what it wrote.
struct SChildResult {
    int m_nExit = 0;
    std::string m_strOut;
    std::string m_strErr;
};

// Runs program once for each list of arguments, at most kMaxLinksAtOnce at once, with
// standard input from /dev/null and its output collected; done hears each with its index
// as it ends, in the order they end. Returns when all have ended.
void RunChildren(const std::string& program, const std::vector<std::vector<std::string>>& jobs,
                 const std::function<void(std::size_t, const SChildResult&)>& done);

// zoltctl's messages (lines "zoltctl: ...") as one line: the causes after a headline such
// as "Unable to Open Device!", joined by "; ".
std::string MessagesInOneLine(std::string_view messages);

// A name made safe as the start of a file name: letters, digits, "-", "_", ".", spaces and
// UTF-8 text stay; any other character becomes "_".
std::string SafeFileName(std::string_view name);

// The local time now in a strftime format, as it goes into a backup's name
// ("%Y-%m-%d-%H%M%S": 2026-12-01-093000).
std::string LocalTime(const char* format);

// The newest backup in dir of what its backups name as stem (SafeFileName of a room's or a
// port's name): the file stem-<date>[-<time>][-<n>].dat of the latest date, time and
// counter; empty when there is none.
std::string NewestBackup(const std::string& dir, const std::string& stem);

// How a room is: reachable or why not, the mode it plays, and how it compares with its
// newest backup.
struct SRoomStatus {
    std::string m_strRoom;
    std::string m_strPort;
    bool m_bReachable = false;
    std::string m_strReason; // why it is not reachable, or why it could not be compared
    int m_nMode = 0;         // 1..21
    std::string m_strModeName;
    bool m_bCompared = false; // a comparison was asked for (status --against)
    std::string m_strBackup;  // the backup compared with; empty: the room has none
    long m_nDifferences = -1; // settings that differ; -1: not compared
};

// Not reachable, or its comparison could not be made: the status command exits 1.
bool StatusFailed(const SRoomStatus& status);

// One line: "Room 1: reachable, playing mode 1 (Sim mode 1), same as FILE".
void PrintStatusLine(const SRoomStatus& status, std::ostream& out);
// The rooms as one JSON document {"rooms": [...]}, and read back.
void PrintStatusJson(const std::vector<SRoomStatus>& rooms, std::ostream& out);
bool ReadStatusJson(const std::string& text, std::vector<SRoomStatus>& rooms);

// A run over every room of a venue.
struct SVenueRun {
    const SVenue& m_venue;
    std::string m_strProgram;            // the zoltctl each room's child runs
    std::vector<std::string> m_aOptions; // given to every child (--deadline, --wait)
    std::ostream& m_out;
    std::ostream& m_err;
};

// backup --all DIR: every room into DIR/<room>-<date>-<time>.dat, a file that replaces none;
// a line per room as it finishes and a summary. Exit code 1 when a room failed.
int BackupVenue(const SVenueRun& run, const std::string& dir);

// status [--against DIR] [--json]: a line per room as it finishes and a summary, or the
// rooms as JSON in the venue's order. Exit code 1 when a room was not reachable or could
// not be compared.
int StatusOfVenue(const SVenueRun& run, const std::string& against, bool json);

} // namespace zolt::ctl
