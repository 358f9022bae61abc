#include "Venue.h"

#include "ExitCodes.h"

#include "link/PresetFiles.h"
#include "model/DataConver.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

extern char** environ;

namespace zolt::ctl {

namespace {

namespace fs = std::filesystem;

// A child under way: its process and the ends of its output pipes (-1 once at their end).
struct SChild {
    std::size_t m_nJob = 0;
    pid_t m_nPid = -1;
    int m_aFds[2] = {-1, -1}; // standard output, standard error
    SChildResult m_result;

    bool Running() const { return m_aFds[0] >= 0 || m_aFds[1] >= 0; }
};

// Starts program with args, its output into pipes; a program that cannot be started is a
// child that ended at once with code 127 and the reason.
SChild Start(const std::string& program, const std::vector<std::string>& args, std::size_t job) {
    SChild child;
    child.m_nJob = job;
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        child.m_result = {127, {}, std::string("zoltctl: ") + std::strerror(errno) + "\n"};
        for (int fd : {out[0], out[1], err[0], err[1]}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        return child;
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    const int failed =
        posix_spawn(&child.m_nPid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (failed != 0) {
        close(out[0]);
        close(err[0]);
        child.m_nPid = -1;
        child.m_result = {
            127, {}, "zoltctl: " + PrintableText(program) + ": " + std::strerror(failed) + "\n"};
        return child;
    }
    child.m_aFds[0] = out[0];
    child.m_aFds[1] = err[0];
    return child;
}

// Reads what waits on the child's pipe at index; closes it at its end.
void Drain(SChild& child, int index) {
    char buffer[4096];
    const ssize_t n = read(child.m_aFds[index], buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        close(child.m_aFds[index]);
        child.m_aFds[index] = -1;
        return;
    }
    (index == 0 ? child.m_result.m_strOut : child.m_result.m_strErr)
        .append(buffer, static_cast<std::size_t>(n));
}

// Waits for any pipe of the children to have something, and reads it.
void ReadSome(std::vector<SChild>& children) {
    std::vector<pollfd> fds;
    std::vector<std::pair<SChild*, int>> owners;
    for (SChild& child : children) {
        for (int index : {0, 1}) {
            if (child.m_aFds[index] >= 0) {
                fds.push_back({child.m_aFds[index], POLLIN, 0});
                owners.emplace_back(&child, index);
            }
        }
    }
    if (fds.empty() || poll(fds.data(), fds.size(), -1) <= 0) {
        return;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents != 0) {
            Drain(*owners[i].first, owners[i].second);
        }
    }
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool IsHeadline(std::string_view line) {
    return line == "Unable to Open Device!" || line.rfind("Unable to read", 0) == 0;
}

// A date, time and counter from the rest of a backup's name after its stem, for ordering.
using SBackupOrder = std::tuple<std::string, std::string, int>;
bool BackupOrder(const std::string& rest, SBackupOrder& order) {
    static const std::regex kRest("-([0-9]{4}-[0-9]{2}-[0-9]{2})(-[0-9]{6})?(-[0-9]{1,3})?\\.dat");
    std::smatch match;
    if (!std::regex_match(rest, match, kRest)) {
        return false;
    }
    order = {match[1].str(), match[2].str(),
             match[3].matched ? std::stoi(match[3].str().substr(1)) : 1};
    return true;
}

// The arguments of the child that works on room: the venue, the room, the run's options,
// then the command.
std::vector<std::string> RoomArguments(const SVenueRun& run, const SVenueRoom& room,
                                       std::initializer_list<std::string> command) {
    std::vector<std::string> args{"--venue", run.m_venue.m_strPath, "--room", room.m_strName};
    args.insert(args.end(), run.m_aOptions.begin(), run.m_aOptions.end());
    args.insert(args.end(), command);
    return args;
}

// "3 of 4 rooms backed up; failed: Room 2"
void PrintSummary(std::ostream& out, std::size_t rooms, const std::vector<std::string>& failed,
                  const char* done, const char* notDone) {
    out << rooms - failed.size() << " of " << rooms << " rooms " << done;
    for (std::size_t i = 0; i < failed.size(); ++i) {
        out << (i == 0 ? "; " + std::string(notDone) + ": " : ", ") << failed[i];
    }
    out << '\n' << std::flush;
}

// The backup a room's child wrote into its private file, under its own name in dir.
bool KeepBackup(const std::string& temporary, const std::string& stem, std::string& path,
                std::string& reason) {
    SPresetFile file;
    if (!ReadPresetFile(temporary, file, reason)) {
        return false;
    }
    if (!file.m_bAllModes) {
        reason = "the room's zoltctl wrote no all-modes file";
        return false;
    }
    return WriteNewFile(stem, ".dat", file.m_abBytes, path, reason);
}

SRoomStatus Unreachable(const SVenueRoom& room, std::string reason) {
    SRoomStatus status;
    status.m_strRoom = room.m_strName;
    status.m_strPort = room.m_strPort;
    status.m_strReason = std::move(reason);
    return status;
}

// The status a room's child printed, or why there is none.
SRoomStatus StatusOfChild(const SVenueRoom& room, const SChildResult& result) {
    std::vector<SRoomStatus> rooms;
    if (!ReadStatusJson(result.m_strOut, rooms) || rooms.size() != 1) {
        const std::string said = MessagesInOneLine(result.m_strErr);
        return Unreachable(room, !said.empty()
                                     ? said
                                     : "zoltctl ended with code " + std::to_string(result.m_nExit));
    }
    rooms[0].m_strRoom = room.m_strName;
    return rooms[0];
}

} // namespace

bool StatusFailed(const SRoomStatus& status) {
    return !status.m_bReachable ||
           (status.m_bCompared && !status.m_strBackup.empty() && status.m_nDifferences < 0);
}

void RunChildren(const std::string& program, const std::vector<std::vector<std::string>>& jobs,
                 const std::function<void(std::size_t, const SChildResult&)>& done) {
    std::vector<SChild> children;
    std::size_t next = 0;
    while (next < jobs.size() || !children.empty()) {
        while (next < jobs.size() && children.size() < kMaxLinksAtOnce) {
            children.push_back(Start(program, jobs[next], next));
            ++next;
        }
        ReadSome(children);
        for (auto child = children.begin(); child != children.end();) {
            if (child->Running()) {
                ++child;
                continue;
            }
            if (child->m_nPid >= 0) {
                child->m_result.m_nExit = ExitCodeOf(child->m_nPid);
            }
            done(child->m_nJob, child->m_result);
            child = children.erase(child);
        }
    }
}

std::string MessagesInOneLine(std::string_view messages) {
    std::vector<std::string> lines;
    while (!messages.empty()) {
        const std::size_t end = std::min(messages.find('\n'), messages.size());
        std::string_view line = messages.substr(0, end);
        messages.remove_prefix(std::min(end + 1, messages.size()));
        constexpr std::string_view kPrefix = "zoltctl: ";
        if (line.rfind(kPrefix, 0) == 0) {
            line.remove_prefix(kPrefix.size());
        }
        if (!line.empty()) {
            lines.emplace_back(line);
        }
    }
    if (lines.size() > 1 && IsHeadline(lines.front())) {
        lines.erase(lines.begin());
    }
    std::string joined;
    for (const std::string& line : lines) {
        joined += (joined.empty() ? "" : "; ") + line;
    }
    return joined;
}

std::string SafeFileName(std::string_view name) {
    std::string safe(name);
    for (char& ch : safe) {
        const auto byte = static_cast<unsigned char>(ch);
        if (std::isalnum(byte) == 0 && byte < 0x80 && ch != '-' && ch != '_' && ch != '.' &&
            ch != ' ') {
            ch = '_';
        }
    }
    return safe;
}

std::string LocalTime(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

std::string NewestBackup(const std::string& dir, const std::string& stem) {
    std::error_code code;
    std::string newest;
    SBackupOrder best;
    for (const auto& entry : fs::directory_iterator(dir, code)) {
        const std::string name = entry.path().filename().string();
        SBackupOrder order;
        if (name.rfind(stem, 0) == 0 && BackupOrder(name.substr(stem.size()), order) &&
            entry.is_regular_file(code) && (newest.empty() || order > best)) {
            newest = entry.path().string();
            best = order;
        }
    }
    return newest;
}

void PrintStatusLine(const SRoomStatus& status, std::ostream& out) {
    out << PrintableText(status.m_strRoom) << ": ";
    if (!status.m_bReachable) {
        out << "not reachable: " << status.m_strReason << '\n' << std::flush;
        return;
    }
    out << "reachable, playing mode " << status.m_nMode << " (" << status.m_strModeName << ")";
    if (status.m_bCompared) {
        const std::string file = PrintableText(fs::path(status.m_strBackup).filename().string());
        if (status.m_strBackup.empty()) {
            out << ", no backup";
        } else if (status.m_nDifferences < 0) {
            out << ", not compared with " << file << ": " << status.m_strReason;
        } else if (status.m_nDifferences == 0) {
            out << ", same as " << file;
        } else {
            out << ", differs from " << file << " in " << status.m_nDifferences
                << (status.m_nDifferences == 1 ? " setting" : " settings");
        }
    }
    out << '\n' << std::flush;
}

void PrintStatusJson(const std::vector<SRoomStatus>& rooms, std::ostream& out) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const SRoomStatus& status : rooms) {
        nlohmann::ordered_json room{{"room", PrintableText(status.m_strRoom)},
                                    {"port", PrintableText(status.m_strPort)},
                                    {"reachable", status.m_bReachable}};
        if (status.m_bReachable) {
            room["mode"] = status.m_nMode;
            room["mode name"] = status.m_strModeName;
        }
        if (!status.m_strReason.empty()) {
            room["reason"] = status.m_strReason;
        }
        if (status.m_bReachable && status.m_bCompared) {
            room["backup"] = status.m_strBackup.empty()
                                 ? nlohmann::ordered_json()
                                 : nlohmann::ordered_json(PrintableText(status.m_strBackup));
            room["differences"] = status.m_nDifferences < 0
                                      ? nlohmann::ordered_json()
                                      : nlohmann::ordered_json(status.m_nDifferences);
        }
        list.push_back(std::move(room));
    }
    out << nlohmann::ordered_json{{"rooms", std::move(list)}}.dump(2) << '\n';
}

bool ReadStatusJson(const std::string& text, std::vector<SRoomStatus>& rooms) {
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.contains("rooms") || !document["rooms"].is_array()) {
        return false;
    }
    rooms.clear();
    for (const nlohmann::json& room : document["rooms"]) {
        if (!room.is_object()) {
            return false;
        }
        SRoomStatus status;
        status.m_strRoom = room.value("room", "");
        status.m_strPort = room.value("port", "");
        status.m_bReachable = room.value("reachable", false);
        status.m_nMode = room.value("mode", 0);
        status.m_strModeName = room.value("mode name", "");
        status.m_strReason = room.value("reason", "");
        status.m_bCompared = room.contains("backup");
        if (status.m_bCompared && room["backup"].is_string()) {
            status.m_strBackup = room["backup"].get<std::string>();
        }
        if (room.contains("differences") && room["differences"].is_number_integer()) {
            status.m_nDifferences = room["differences"].get<long>();
        }
        rooms.push_back(std::move(status));
    }
    return true;
}

int BackupVenue(const SVenueRun& run, const std::string& dir) {
    const std::vector<SVenueRoom>& rooms = run.m_venue.m_aRooms;
    const std::string time = LocalTime("%Y-%m-%d-%H%M%S");
    const auto stem = [&](const SVenueRoom& room) {
        return (fs::path(dir) / (SafeFileName(room.m_strName) + "-" + time)).string();
    };
    std::string reason;
    if (!CheckWritable(stem(rooms.front()) + ".dat", reason)) {
        run.m_err << "zoltctl: " << PrintableText(stem(rooms.front()) + ".dat") << ": " << reason
                  << '\n';
        return kExitFile;
    }
    // Each child writes into a private folder; its file then takes a name no file has.
    std::string temporary = (fs::path(dir) / ".zoltctl-XXXXXX").string();
    if (mkdtemp(temporary.data()) == nullptr) {
        run.m_err << "zoltctl: " << PrintableText(dir) << ": " << std::strerror(errno) << '\n';
        return kExitFile;
    }
    const auto ownFile = [&](std::size_t i) {
        return (fs::path(temporary) / (std::to_string(i) + ".dat")).string();
    };
    std::vector<std::vector<std::string>> jobs;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        jobs.push_back(RoomArguments(run, rooms[i], {"backup", ownFile(i)}));
    }
    std::vector<std::size_t> failed;
    RunChildren(run.m_strProgram, jobs, [&](std::size_t i, const SChildResult& result) {
        std::string path;
        std::string why = MessagesInOneLine(result.m_strErr);
        const bool done =
            result.m_nExit == kExitDone && KeepBackup(ownFile(i), stem(rooms[i]), path, why);
        run.m_out << PrintableText(rooms[i].m_strName) << ": "
                  << (done ? "backed up to " + PrintableText(path)
                           : "failed: " + (why.empty() ? "zoltctl ended with code " +
                                                             std::to_string(result.m_nExit)
                                                       : why))
                  << '\n'
                  << std::flush;
        if (!done) {
            failed.push_back(i);
        }
    });
    std::error_code code;
    fs::remove_all(temporary, code);
    std::sort(failed.begin(), failed.end());
    std::vector<std::string> names;
    for (std::size_t i : failed) {
        names.push_back(PrintableText(rooms[i].m_strName));
    }
    PrintSummary(run.m_out, rooms.size(), names, "backed up", "failed");
    return failed.empty() ? kExitDone : kExitLink;
}

int StatusOfVenue(const SVenueRun& run, const std::string& against, bool json) {
    const std::vector<SVenueRoom>& rooms = run.m_venue.m_aRooms;
    std::vector<std::vector<std::string>> jobs;
    for (const SVenueRoom& room : rooms) {
        jobs.push_back(against.empty()
                           ? RoomArguments(run, room, {"--json", "status"})
                           : RoomArguments(run, room, {"--json", "status", "--against", against}));
    }
    std::vector<SRoomStatus> statuses(rooms.size());
    RunChildren(run.m_strProgram, jobs, [&](std::size_t i, const SChildResult& result) {
        statuses[i] = StatusOfChild(rooms[i], result);
        if (!json) {
            PrintStatusLine(statuses[i], run.m_out);
        }
    });
    std::vector<std::string> unreachable;
    for (const SRoomStatus& status : statuses) {
        if (!status.m_bReachable) {
            unreachable.push_back(PrintableText(status.m_strRoom));
        }
    }
    if (json) {
        PrintStatusJson(statuses, run.m_out);
    } else {
        PrintSummary(run.m_out, rooms.size(), unreachable, "reachable", "not reachable");
    }
    return std::none_of(statuses.begin(), statuses.end(), StatusFailed) ? kExitDone : kExitLink;
}

} // namespace zolt::ctl
