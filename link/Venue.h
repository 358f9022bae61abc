// The venue: the rooms one desk reaches, each a processor behind a port of its own, and the
// desk's keys for the rooms behind the venue's network, read from a TOML file:
//
//     ca = "venue-ca.crt"
//     cert = "desk.crt"
//     key = "desk.key"
//     [[room]]
//     name = "Room 1"
//     port = "tls://10.0.0.11:3001"
//
// The keys are optional (a venue of local serial ports needs none); a key path that is not
// absolute is taken relative to the folder of the file. zoltctl and the window read the
// same file through ReadVenue. Any thread.
#pragma once

#include "link/NetworkPort.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zolt {

struct SVenueRoom {
    std::string m_strName; // as the file gives it: printable, unique within the venue
    std::string m_strPort; // the port's name for the transport opener
    int m_nLine = 0;       // the line of its [[room]] in the file
};

struct SVenue {
    std::string m_strPath; // the file read
    // The desk's keys for the network ports (the venue's CA, the desk's certificate and
    // private key), as paths; empty when the file names none.
    std::string m_strCa;
    std::string m_strCert;
    std::string m_strKey;
    std::vector<SVenueRoom> m_aRooms; // in the order of the file, at least one

    // The room called name, or null.
    const SVenueRoom* Room(std::string_view name) const;
    // "Room 1, Room 2, Room 3": the rooms' names for a message.
    std::string RoomNames() const;
};

// A venue file larger than this is no venue file (a thousand rooms take about 60 KiB).
constexpr std::size_t kMaxVenueFileSize = 1024 * 1024;

// Reads the venue file at path. False with error when it cannot be used: two lines, the
// first saying the venue could not be read, the second the cause with the file and, where
// one line is to blame, its number ("venue.toml:7: the room has no port"). Refused: a file
// that cannot be read, is no regular file or is larger than kMaxVenueFileSize; a line that
// is no TOML; a key the venue does not know; a key or a room name or port that is not text;
// a room without a name or port, or named like a room before it; a name with a control
// character; a file without rooms.
bool ReadVenue(const std::string& path, SVenue& venue, std::string& error);

// The desk's keys for the venue's rooms: each one given (on the command line), else the
// venue file's.
SNetworkKeys DeskKeys(const SVenue& venue, SNetworkKeys given);

} // namespace zolt
