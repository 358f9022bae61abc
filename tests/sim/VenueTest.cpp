// zoltctl over a venue: --room and the status of one room in-process, in virtual time over
// simulated processors named as ports; and every room at once as a user runs it, the
// program starting a zoltctl per room against zolt-sim processes on pseudo-terminals.
#include "Ctl.h"

#include "TestSupport.h"

#include "model/Layout.h"
#include "sim/SimLine.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using test::ReadFile;
using test::WriteFile;

fs::path TestDir(const char* area) {
    const fs::path dir = fs::absolute(ZOLT_TEST_OUTPUT_DIR) / area /
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A venue file of rooms {name, port}.
std::string WriteVenue(const fs::path& dir,
                       const std::vector<std::pair<std::string, std::string>>& rooms) {
    std::ofstream out(dir / "venue.toml");
    for (const auto& [name, port] : rooms) {
        out << "[[room]]\nname = \"" << name << "\"\nport = \"" << port << "\"\n";
    }
    return (dir / "venue.toml").string();
}

class Venue : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = TestDir("venue-ctl");
        m_venue = WriteVenue(m_dir, {{"Room 1", "sim-a"}, {"Room 2", "sim-b"}});
    }

    int Ctl(std::vector<std::string> args) {
        m_out.str("");
        m_err.str("");
        return ctl::Run(args, {m_clock, &m_opener, true}, m_out, m_err, false);
    }

    fs::path m_dir;
    std::string m_venue;
    CVirtualClock m_clock;
    sim::CSimOpener m_opener{m_clock};
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(Venue, RoomPicksItsPortAndAnythingElseIsAUsageErrorNamingTheRooms) {
    sim::CSimDevice& first = m_opener.Add("sim-a");
    m_opener.Add("sim-b");
    EXPECT_EQ(Ctl({"--venue", m_venue, "--room", "Room 2", "probe"}), ctl::kExitDone)
        << m_err.str();
    EXPECT_EQ(m_out.str(), "found sim-b unlock=1\n");
    EXPECT_TRUE(first.Frames().empty());

    EXPECT_EQ(Ctl({"--venue", m_venue, "--room", "Room 3", "probe"}), ctl::kExitUsage);
    EXPECT_EQ(m_err.str(),
              "zoltctl: no room \"Room 3\" in " + m_venue + " (the rooms: Room 1, Room 2)\n");
    EXPECT_EQ(Ctl({"--venue", m_venue, "recall", "3"}), ctl::kExitUsage);
    EXPECT_EQ(m_err.str(), "zoltctl: recall works on one room: name it with --room (the "
                           "rooms: Room 1, Room 2)\n");
    EXPECT_EQ(Ctl({"--room", "Room 1", "probe"}), ctl::kExitUsage);
    EXPECT_EQ(m_err.str().rfind("zoltctl: --room needs --venue FILE\n", 0), 0u) << m_err.str();
    EXPECT_EQ(Ctl({"--venue", m_venue, "--port", "sim-a", "status"}), ctl::kExitUsage);
    EXPECT_NE(m_err.str().find("--port and --venue"), std::string::npos) << m_err.str();
    EXPECT_TRUE(first.Frames().empty());

    // A venue that cannot be read: the headline and the cause, a file error.
    std::ofstream(m_dir / "bad.toml") << "[[room]]\nname = \"Room 1\"\n";
    EXPECT_EQ(Ctl({"--venue", (m_dir / "bad.toml").string(), "status"}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: Unable to read the venue\nzoltctl: " +
                               (m_dir / "bad.toml").string() + ":1: room \"Room 1\" has no port\n");
}

// status of one room: reachable with the mode it plays or why not, and against the newest
// of its backups.
TEST_F(Venue, StatusOfARoomComparesItWithItsNewestBackup) {
    sim::SSimState changed = sim::MakeFactoryState();
    changed.m_abSystem[sysblock::kMusicMax] = 60;
    m_opener.Add("sim-a", {}, changed);
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    m_opener.Add("sim-b", silent);
    const std::vector<std::string> room1{"--venue", m_venue, "--room", "Room 1", "status"};

    EXPECT_EQ(Ctl(room1), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "Room 1: reachable, playing mode 1 (Sim mode 1)\n");
    EXPECT_EQ(Ctl({"--venue", m_venue, "--room", "Room 2", "status"}), ctl::kExitLink);
    EXPECT_EQ(m_out.str().rfind("Room 2: not reachable: sim-b: ", 0), 0u) << m_out.str();

    const fs::path backups = m_dir / "backups";
    fs::create_directories(backups);
    std::vector<std::string> against = room1;
    against.insert(against.end(), {"--against", backups.string()});
    EXPECT_EQ(Ctl(against), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "Room 1: reachable, playing mode 1 (Sim mode 1), no backup\n");

    // The newest by the date and time in the name (then its counter), whatever the order
    // the files were made in; another room's backup is not this room's.
    const Bytes same = sim::AllModesFile(changed);
    const Bytes factory = sim::AllModesFile(sim::MakeFactoryState());
    WriteFile(backups / "Room 1-2026-03-02-101500.dat", same);
    WriteFile(backups / "Room 1-2026-03-02-091500-2.dat", factory);
    WriteFile(backups / "Room 1-2026-03-01.dat", factory);
    WriteFile(backups / "Room 12-2026-04-01-101500.dat", factory);
    EXPECT_EQ(Ctl(against), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "Room 1: reachable, playing mode 1 (Sim mode 1), same as Room "
                           "1-2026-03-02-101500.dat\n");

    WriteFile(backups / "Room 1-2026-03-02-101500-2.dat", factory);
    EXPECT_EQ(Ctl(against), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "Room 1: reachable, playing mode 1 (Sim mode 1), differs from Room "
                           "1-2026-03-02-101500-2.dat in 1 setting\n");

    // A newest backup that is no preset file: reachable, but not compared (exit 1).
    WriteFile(backups / "Room 1-2026-03-03-000000.dat", Bytes(12, 0));
    EXPECT_EQ(Ctl(against), ctl::kExitLink);
    EXPECT_NE(m_out.str().find(", not compared with Room 1-2026-03-03-000000.dat: "),
              std::string::npos)
        << m_out.str();
    fs::remove(backups / "Room 1-2026-03-03-000000.dat");

    against.push_back("--json");
    EXPECT_EQ(Ctl(against), ctl::kExitDone) << m_err.str();
    const nlohmann::json json = nlohmann::json::parse(m_out.str());
    ASSERT_EQ(json["rooms"].size(), 1u) << json;
    const nlohmann::json& room = json["rooms"][0];
    EXPECT_EQ(room["room"], "Room 1");
    EXPECT_EQ(room["port"], "sim-a");
    EXPECT_EQ(room["reachable"], true);
    EXPECT_EQ(room["mode"], 1);
    EXPECT_EQ(room["mode name"], "Sim mode 1");
    EXPECT_EQ(room["backup"], (backups / "Room 1-2026-03-02-101500-2.dat").string());
    EXPECT_EQ(room["differences"], 1);

    EXPECT_EQ(Ctl({"--venue", m_venue, "--room", "Room 2", "--json", "status"}), ctl::kExitLink);
    const nlohmann::json down = nlohmann::json::parse(m_out.str())["rooms"][0];
    EXPECT_EQ(down["reachable"], false);
    EXPECT_EQ(down["reason"].get<std::string>().rfind("sim-b: ", 0), 0u) << down;
    EXPECT_FALSE(down.contains("mode"));
}

// A zolt-sim process on a pseudo-terminal reached by a link of the test's.
class CSimProgram {
public:
    CSimProgram(const fs::path& link, std::vector<std::string> faults = {}) : m_link(link) {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        m_nPid = fork();
        if (m_nPid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            std::vector<std::string> args{std::string(ZOLT_BIN_DIR) + "/zolt-sim", "--link",
                                          link.string()};
            args.insert(args.end(), faults.begin(), faults.end());
            std::vector<char*> argv;
            for (std::string& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
            m_strFirstLine += c;
        }
        close(fds[0]);
    }
    ~CSimProgram() {
        if (m_nPid > 0) {
            kill(m_nPid, SIGTERM);
            waitpid(m_nPid, nullptr, 0);
        }
    }
    bool Listening() const { return m_strFirstLine.rfind("zolt-sim: listening on ", 0) == 0; }
    std::string Port() const { return m_link.string(); }

private:
    fs::path m_link;
    pid_t m_nPid = -1;
    std::string m_strFirstLine;
};

std::string Zoltctl(const std::string& args, int& status) {
    return test::RunProgram(std::string(ZOLT_BIN_DIR) + "/zoltctl " + args + " 2>&1", status);
}

// Four rooms, one of them down: each room's zoltctl backs it up at the same time as the
// others, into a file named after the room that replaces none, a second run included.
TEST(VenuePrograms, EveryRoomIsBackedUpAtOnceAndAFailedRoomIsNamed) {
    const fs::path dir = TestDir("venue-programs");
    CSimProgram room1(dir / "sim1");
    CSimProgram room2(dir / "sim2", {"--silent"});
    CSimProgram room3(dir / "sim3");
    CSimProgram room4(dir / "sim4");
    for (const CSimProgram* room : {&room1, &room2, &room3, &room4}) {
        ASSERT_TRUE(room->Listening());
    }
    const std::string venue = WriteVenue(dir, {{"Room 1", room1.Port()},
                                               {"Room 2", room2.Port()},
                                               {"Bar/Lounge", room3.Port()},
                                               {"包厢 4", room4.Port()}});
    const fs::path backups = dir / "backups";
    const std::string backup = "--venue " + venue + " backup --all " + backups.string();
    int status = 0;
    const std::string first = Zoltctl(backup, status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << first;
    const std::string second = Zoltctl(backup, status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << second;

    const std::string time = "[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}";
    for (const std::string& out : {first, second}) {
        EXPECT_TRUE(std::regex_search(out, std::regex("(^|\n)Room 2: failed: .*sim2.*\n"))) << out;
        EXPECT_NE(out.find("\n3 of 4 rooms backed up; failed: Room 2\n"), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5) << out;
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(backups)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 6u) << "the rooms' private files are gone, nothing was replaced";
    const struct {
        const char* m_pszRoom;
        const char* m_pszFile; // the room's name, made safe for a file name
        const CSimProgram* m_pSim;
    } kRooms[] = {{"Room 1", "Room 1", &room1},
                  {"Bar/Lounge", "Bar_Lounge", &room3},
                  {"包厢 4", "包厢 4", &room4}};
    for (const auto& room : kRooms) {
        std::vector<std::string> files;
        std::copy_if(names.begin(), names.end(), std::back_inserter(files),
                     [&](const std::string& name) { return name.rfind(room.m_pszFile, 0) == 0; });
        ASSERT_EQ(files.size(), 2u) << room.m_pszRoom;
        for (const std::string& file : files) {
            EXPECT_TRUE(std::regex_match(
                file, std::regex(std::string(room.m_pszFile) + "-" + time + "(-2)?\\.dat")))
                << file;
            EXPECT_EQ(ReadFile(backups / file).size(), 57019u) << file;
            const std::string line =
                std::string(room.m_pszRoom) + ": backed up to " + (backups / file).string() + "\n";
            EXPECT_NE((first + second).find(line), std::string::npos) << line;
        }
    }
    // status of every room at once, as JSON in the venue's order.
    const std::string json = test::RunProgram(
        std::string(ZOLT_BIN_DIR) + "/zoltctl --venue " + venue + " status --json", status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const nlohmann::json rooms = nlohmann::json::parse(json)["rooms"];
    ASSERT_EQ(rooms.size(), 4u) << json;
    EXPECT_EQ(rooms[0]["room"], "Room 1");
    EXPECT_EQ(rooms[0]["reachable"], true);
    EXPECT_EQ(rooms[0]["mode name"], "Sim mode 1");
    EXPECT_EQ(rooms[1]["room"], "Room 2");
    EXPECT_EQ(rooms[1]["reachable"], false);
    EXPECT_NE(rooms[1]["reason"].get<std::string>().find("sim2"), std::string::npos) << json;
    EXPECT_EQ(rooms[3]["room"], "包厢 4");
    EXPECT_EQ(rooms[3]["reachable"], true);

    const std::string lines = Zoltctl("--venue " + venue + " status", status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(lines.find("Bar/Lounge: reachable, playing mode 1 (Sim mode 1)\n"), std::string::npos)
        << lines;
    EXPECT_NE(lines.find("\n3 of 4 rooms reachable; not reachable: Room 2\n"), std::string::npos)
        << lines;
}

} // namespace
} // namespace zolt
