#include "link/Venue.h"

#include "link/PresetFiles.h"
#include "model/DataConver.h"

#include <toml++/toml.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <span>

namespace zolt {

namespace {

// The keys of the venue, and those of a room.
constexpr std::string_view kVenueKeys[] = {"ca", "cert", "key", "room"};
constexpr std::string_view kRoomKeys[] = {"name", "port"};

// A cause of the file's refusal, at a line of the file (0: the whole file).
struct SFault {
    int m_nLine = 0;
    std::string m_strCause;
};

int LineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

// The first key of table that is not one of known.
std::optional<SFault> UnknownKey(const toml::table& table,
                                 std::span<const std::string_view> known) {
    for (const auto& [key, value] : table) {
        if (std::find(known.begin(), known.end(), key.str()) == known.end()) {
            return SFault{LineOf(value), "unknown key \"" + PrintableText(key.str()) + "\""};
        }
    }
    return std::nullopt;
}

// The text under key, empty when the table has none; a fault when it is no text.
std::optional<SFault> TextOf(const toml::table& table, std::string_view key, std::string& text) {
    const toml::node* node = table.get(key);
    if (node == nullptr) {
        text.clear();
        return std::nullopt;
    }
    if (!node->is_string()) {
        return SFault{LineOf(*node), std::string(key) + " is not text in quotes"};
    }
    text = node->as_string()->get();
    return std::nullopt;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte < 0x20 || byte == 0x7F;
    });
}

// A key file as the desk opens it: relative to the venue file's folder.
std::string KeyPath(const std::string& venuePath, const std::string& key) {
    if (key.empty() || std::filesystem::path(key).is_absolute()) {
        return key;
    }
    return (std::filesystem::path(venuePath).parent_path() / key).lexically_normal().string();
}

std::optional<SFault> ReadRoom(const toml::table& table, std::vector<SVenueRoom>& rooms) {
    if (auto fault = UnknownKey(table, kRoomKeys)) {
        return fault;
    }
    SVenueRoom room;
    room.m_nLine = LineOf(table);
    if (auto fault = TextOf(table, "name", room.m_strName)) {
        return fault;
    }
    if (auto fault = TextOf(table, "port", room.m_strPort)) {
        return fault;
    }
    const std::string name = "room \"" + PrintableText(room.m_strName) + "\"";
    if (room.m_strName.empty()) {
        return SFault{room.m_nLine, "the room has no name"};
    }
    if (HasControlCharacter(room.m_strName)) {
        return SFault{room.m_nLine, "the name of " + name + " holds a control character"};
    }
    if (room.m_strPort.empty()) {
        return SFault{room.m_nLine, name + " has no port"};
    }
    for (const SVenueRoom& earlier : rooms) {
        if (earlier.m_strName == room.m_strName) {
            return SFault{room.m_nLine, "a second " + name + " (the first is on line " +
                                            std::to_string(earlier.m_nLine) + ")"};
        }
    }
    rooms.push_back(std::move(room));
    return std::nullopt;
}

std::optional<SFault> ReadTable(const toml::table& table, SVenue& venue) {
    if (auto fault = UnknownKey(table, kVenueKeys)) {
        return fault;
    }
    for (auto [key, path] : {std::pair{"ca", &venue.m_strCa}, std::pair{"cert", &venue.m_strCert},
                             std::pair{"key", &venue.m_strKey}}) {
        if (auto fault = TextOf(table, key, *path)) {
            return fault;
        }
        *path = KeyPath(venue.m_strPath, *path);
    }
    const toml::node* rooms = table.get("room");
    if (rooms == nullptr) {
        return SFault{0, "no [[room]] in the file"};
    }
    if (!rooms->is_array_of_tables()) {
        return SFault{LineOf(*rooms), "each room is a [[room]] table"};
    }
    for (const toml::node& room : *rooms->as_array()) {
        if (auto fault = ReadRoom(*room.as_table(), venue.m_aRooms)) {
            return fault;
        }
    }
    return std::nullopt;
}

} // namespace

const SVenueRoom* SVenue::Room(std::string_view name) const {
    const auto found =
        std::find_if(m_aRooms.begin(), m_aRooms.end(),
                     [name](const SVenueRoom& room) { return room.m_strName == name; });
    return found != m_aRooms.end() ? &*found : nullptr;
}

std::string SVenue::RoomNames() const {
    std::string names;
    for (const SVenueRoom& room : m_aRooms) {
        names += (names.empty() ? "" : ", ") + PrintableText(room.m_strName);
    }
    return names;
}

bool ReadVenue(const std::string& path, SVenue& venue, std::string& error) {
    const std::string headline = "Unable to read the venue\n";
    std::vector<std::uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxVenueFileSize, bytes, error)) {
        error = headline + error;
        return false;
    }
    venue = SVenue{};
    venue.m_strPath = path;
    std::optional<SFault> fault;
    try {
        const toml::table table = toml::parse(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path);
        fault = ReadTable(table, venue);
    } catch (const toml::parse_error& e) {
        fault = SFault{static_cast<int>(e.source().begin.line), std::string(e.description())};
    }
    if (!fault) {
        return true;
    }
    error = headline + PrintableText(path) +
            (fault->m_nLine > 0 ? ":" + std::to_string(fault->m_nLine) : "") + ": " +
            fault->m_strCause;
    venue = SVenue{};
    return false;
}

SNetworkKeys DeskKeys(const SVenue& venue, SNetworkKeys given) {
    for (auto [pGiven, pVenue] :
         {std::pair{&given.m_strCa, &venue.m_strCa}, std::pair{&given.m_strCert, &venue.m_strCert},
          std::pair{&given.m_strKey, &venue.m_strKey}}) {
        if (pGiven->empty()) {
            *pGiven = *pVenue;
        }
    }
    return given;
}

} // namespace zolt
