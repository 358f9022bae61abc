// Network rooms as a venue runs them: real ser2net processes on free ports of 127.0.0.1,
// each in front of a zolt-sim pseudo-terminal, with keys the test makes with
// zolt-venue-keys (and openssl for an expired certificate); zoltctl in-process and a
// session on the comm thread, both with the real clock. zolt-sim's log shows every frame
// that reached the processor.
#include "Ctl.h"
#include "VirtualSession.h"

#include "link/NetworkPort.h"
#include "link/PresetFiles.h"
#include "link/Session.h"
#include "model/Command.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// The gensio library's set-up, before any thread of the program starts.
const bool kNetworkPrepared = (PrepareNetworkPorts(), true);

const fs::path kBin = ZOLT_BIN_DIR;

// The program's path when it is installed: on PATH, or ser2net in /usr/sbin.
std::string Installed(const std::string& program) {
    std::istringstream path(std::string(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "") +
                            ":/usr/sbin");
    for (std::string dir; std::getline(path, dir, ':');) {
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) {
            return dir + "/" + program;
        }
    }
    return {};
}

// A program the test started, its output in a file; ended with the object.
class CChild {
public:
    CChild(const std::vector<std::string>& argv, const fs::path& output) {
        m_nPid = fork();
        if (m_nPid == 0) {
            const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<char*> args;
            for (const std::string& arg : argv) {
                args.push_back(const_cast<char*>(arg.c_str()));
            }
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~CChild() {
        kill(m_nPid, SIGTERM);
        waitpid(m_nPid, nullptr, 0);
    }
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;
    pid_t Pid() const { return m_nPid; }

private:
    pid_t m_nPid = -1;
};

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// Something listens on 127.0.0.1:port (the kernel's table, so no connection is made).
bool Listening(int port) {
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        if (fields >> slot >> local >> remote >> state && local == wanted && state == "0A") {
            return true;
        }
    }
    return false;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Replaces every from in text with to.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// One room: zolt-sim on a pseudo-terminal and ser2net exporting it on a free port, with a
// configuration whose @PORT@ and @PTY@ are those.
class CRoom {
public:
    struct SKeys {
        fs::path m_key;
        fs::path m_cert;
        fs::path m_ca;
        fs::path m_authdir;
    };

    // The configuration of a room over TLS with the room's key and certificate, admitting
    // the desks of authdir; without keys, plain TCP. ser2net leaves the lock files to the
    // test: they would go to the system's folder.
    static std::string Config(const SKeys* keys) {
        const std::string accepter =
            keys == nullptr
                ? "tcp,127.0.0.1,@PORT@"
                : "ssl(key=" + keys->m_key.string() + ",cert=" + keys->m_cert.string() +
                      ",CA=" + keys->m_ca.string() + ",clientauth),tcp,127.0.0.1,@PORT@";
        return "connection: &room\n"
               "  accepter: " +
               accepter +
               "\n"
               "  connector: serialdev(nouucplock),@PTY@,115200n81,local\n"
               "  options:\n"
               "    max-connections: 1\n" +
               (keys != nullptr ? "    authdir: " + keys->m_authdir.string() + "\n" : "");
    }

    CRoom(const fs::path& dir, const std::string& ser2net, const std::string& config,
          const std::vector<std::string>& simOptions = {})
        : m_dir(dir), m_nPort(FreePort()) {
        fs::create_directories(dir);
        std::vector<std::string> sim{(kBin / "zolt-sim").string(), "--link", Pty().string(),
                                     "--log", (dir / "sim.log").string()};
        sim.insert(sim.end(), simOptions.begin(), simOptions.end());
        m_pSim = std::make_unique<CChild>(sim, dir / "sim.out");
        m_bReady = WaitFor([&] { return fs::exists(Pty()); });
        std::ofstream(dir / "ser2net.yaml") << Replaced(
            Replaced(config, "@PORT@", std::to_string(m_nPort)), "@PTY@", Pty().string());
        m_pSer2net = std::make_unique<CChild>(
            std::vector<std::string>{ser2net, "-n", "-d", "-c", (dir / "ser2net.yaml").string(),
                                     "-P", (dir / "ser2net.pid").string()},
            dir / "ser2net.out");
        m_bReady = m_bReady && WaitFor([&] { return Listening(m_nPort); });
        m_strPort =
            (config.find("ssl(") != std::string::npos ? "tls://127.0.0.1:" : "tcp://127.0.0.1:") +
            std::to_string(m_nPort);
    }

    bool Ready() const { return m_bReady; }
    const std::string& Port() const { return m_strPort; }
    fs::path Pty() const { return m_dir / "pty"; }
    // Every frame that reached the processor, one line each.
    std::vector<std::string> Frames() const { return Lines(m_dir / "sim.log"); }
    std::string Ser2netOutput() const {
        const std::vector<std::string> lines = Lines(m_dir / "ser2net.out");
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        return text;
    }

private:
    fs::path m_dir;
    int m_nPort;
    std::string m_strPort;
    std::unique_ptr<CChild> m_pSim;
    std::unique_ptr<CChild> m_pSer2net;
    bool m_bReady = false;
};

// Runs a shell command; true when it exits 0.
bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

class NetworkRooms : public ::testing::Test {
protected:
    // The venue's keys (a CA, a room for 127.0.0.1, a room for another host, an expired
    // room, an admitted desk and one that is not) and an outsider's (another CA and its
    // admitted desk), made once for the program.
    static void SetUpTestSuite() {
        s_strSer2net = Installed("ser2net");
        if (s_strSer2net.empty() || Installed("openssl").empty()) {
            return;
        }
        const fs::path dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "net";
        fs::remove_all(dir);
        const std::string keys = fs::absolute(kBin / "zolt-venue-keys").string() + " ";
        const fs::path venue = dir / "venue";
        const fs::path other = dir / "other";
        s_bKeys = Shell(keys + "ca " + venue.string()) &&
                  Shell(keys + "room " + venue.string() + " room1 127.0.0.1") &&
                  Shell(keys + "room " + venue.string() + " elsewhere 10.9.9.9") &&
                  Shell(keys + "desk " + venue.string() + " desk-1") &&
                  Shell(keys + "desk " + venue.string() + " desk-2") &&
                  Shell(keys + "ca " + other.string()) &&
                  Shell(keys + "desk " + other.string() + " outsider") &&
                  Shell(keys + "room " + other.string() + " rogue 127.0.0.1") &&
                  Shell("ZOLT_VENUE_KEYS_DAYS=-1 " + keys + "room " + venue.string() +
                        " expired 127.0.0.1");
        fs::remove_all(venue / "authdir/desk-2"); // made, but not admitted by the rooms
        s_venue = venue;
        s_other = other;
    }

    void SetUp() override {
        if (s_strSer2net.empty()) {
            GTEST_SKIP() << "ser2net is not installed (tools/bootstrap.sh installs it)";
        }
        if (Installed("openssl").empty()) {
            GTEST_SKIP() << "openssl is not installed (tools/bootstrap.sh installs it)";
        }
        ASSERT_TRUE(s_bKeys) << "zolt-venue-keys failed";
        ResetProcessData();
        m_dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "net" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { ResetProcessData(); }

    static CRoom::SKeys RoomKeys(const std::string& room) {
        return {s_venue / (room + ".key"), s_venue / (room + ".crt"), s_venue / "venue-ca.crt",
                s_venue / "authdir"};
    }
    // The desk's options: the CA it trusts and its certificate and key.
    static std::vector<std::string> Desk(const fs::path& keys, const std::string& desk,
                                         const fs::path& ca) {
        return {"--ca",   ca.string(),
                "--cert", (keys / (desk + ".crt")).string(),
                "--key",  (keys / (desk + ".key")).string()};
    }
    static std::vector<std::string> Desk1() {
        return Desk(s_venue, "desk-1", s_venue / "venue-ca.crt");
    }
    static SNetworkKeys Desk1Keys() {
        return {(s_venue / "venue-ca.crt").string(), (s_venue / "desk-1.crt").string(),
                (s_venue / "desk-1.key").string(), false};
    }

    // zoltctl in-process with the real clock: the port, the desk's options, the command.
    int Ctl(const std::string& port, std::vector<std::string> desk,
            const std::vector<std::string>& command) {
        std::vector<std::string> args{"--port", port, "--deadline", "60"};
        args.insert(args.end(), desk.begin(), desk.end());
        args.insert(args.end(), command.begin(), command.end());
        m_out.str("");
        m_err.str("");
        ResetProcessData();
        return ctl::Run(args, {SystemClock()}, m_out, m_err, false);
    }

    static inline std::string s_strSer2net;
    static inline bool s_bKeys = false;
    static inline fs::path s_venue;
    static inline fs::path s_other;
    fs::path m_dir;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

// A desk on line with a room through a session on the comm thread, as the window holds it.
struct SDesk {
    explicit SDesk(const std::string& port, const SNetworkKeys& keys)
        : m_rooms(keys, &m_serial), m_session(m_host, {nullptr, &m_rooms, false, {port}, true}) {}
    bool Connect() {
        m_session.Lookup();
        return m_host.RunTasksUntil([&] { return m_host.m_nImages > 0; }, 30s);
    }
    test::CRecordingHost m_host;
    CSerialOpener m_serial;
    CNetworkOpener m_rooms;
    CSession m_session;
};

TEST_F(NetworkRooms, EveryRefusalSaysWhyAndNoFrameReachesTheProcessor) {
    const CRoom::SKeys roomKeys = RoomKeys("room1");
    const CRoom::SKeys expiredKeys = RoomKeys("expired");
    const CRoom::SKeys elsewhereKeys = RoomKeys("elsewhere");
    const CRoom room(m_dir / "room", s_strSer2net, CRoom::Config(&roomKeys));
    const CRoom expired(m_dir / "expired", s_strSer2net, CRoom::Config(&expiredKeys));
    const CRoom elsewhere(m_dir / "elsewhere", s_strSer2net, CRoom::Config(&elsewhereKeys));
    const CRoom::SKeys rogueKeys{s_other / "rogue.key", s_other / "rogue.crt",
                                 s_venue / "venue-ca.crt", s_venue / "authdir"};
    const CRoom rogue(m_dir / "rogue", s_strSer2net, CRoom::Config(&rogueKeys));
    ASSERT_TRUE(room.Ready() && expired.Ready() && elsewhere.Ready() && rogue.Ready())
        << room.Ser2netOutput();
    const fs::path venueCa = s_venue / "venue-ca.crt";
    const std::string plain = "tcp" + room.Port().substr(3);
    const std::string nobody = "tls://127.0.0.1:" + std::to_string(FreePort());

    const struct {
        const char* m_pszWhat;
        std::string m_strPort;
        std::vector<std::string> m_aDesk;
        std::string m_strReason;
    } kCases[] = {
        {"an outsider's certificate", room.Port(), Desk(s_other, "outsider", venueCa),
         "the room refused this desk's certificate"},
        {"a desk the room does not admit", room.Port(), Desk(s_venue, "desk-2", venueCa),
         "the room refused this desk's certificate"},
        {"another CA", room.Port(), Desk(s_venue, "desk-1", s_other / "venue-ca.crt"),
         "the room's certificate is not signed by the venue CA"},
        {"a room another CA signed", rogue.Port(), Desk1(),
         "the room's certificate is not signed by the venue CA"},
        {"an expired certificate", expired.Port(), Desk1(), "the room's certificate has expired"},
        {"no certificate",
         room.Port(),
         {"--ca", venueCa.string()},
         "a network room needs the venue CA and this desk's certificate and key"},
        {"a certificate for another host", elsewhere.Port(), Desk1(),
         "the room's certificate is for another host (10.9.9.9), not 127.0.0.1"},
        {"plain tcp:// without --insecure", plain, Desk1(), "refused: tcp:// is neither"},
        {"no room there", nobody, Desk1(), "127.0.0.1 refused the connection on port"},
    };
    for (const auto& refused : kCases) {
        SCOPED_TRACE(refused.m_pszWhat);
        EXPECT_EQ(Ctl(refused.m_strPort, refused.m_aDesk, {"probe"}), ctl::kExitLink);
        EXPECT_EQ(m_err.str().rfind("zoltctl: Unable to Open Device!\nzoltctl: " +
                                        refused.m_strPort + ": " + refused.m_strReason,
                                    0),
                  0u)
            << m_err.str();
    }
    EXPECT_TRUE(room.Frames().empty());
    EXPECT_TRUE(expired.Frames().empty());
    EXPECT_TRUE(elsewhere.Frames().empty());
    EXPECT_TRUE(rogue.Frames().empty());

    // The admitted desk reaches the same room.
    EXPECT_EQ(Ctl(room.Port(), Desk1(), {"probe"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "found " + room.Port() + " unlock=1\n");
    ASSERT_EQ(room.Frames().size(), 1u);
    EXPECT_NE(room.Frames()[0].find("# probe"), std::string::npos);
}

TEST_F(NetworkRooms, PlainTcpOnlyWithInsecure) {
    const CRoom bench(m_dir / "bench", s_strSer2net, CRoom::Config(nullptr));
    ASSERT_TRUE(bench.Ready()) << bench.Ser2netOutput();
    EXPECT_EQ(Ctl(bench.Port(), {}, {"probe"}), ctl::kExitLink);
    EXPECT_TRUE(bench.Frames().empty());
    EXPECT_EQ(Ctl(bench.Port(), {"--insecure"}, {"probe"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "found " + bench.Port() + " unlock=1\n");
}

// A venue file's keys, named relative to the file, reach its rooms without a key option.
TEST_F(NetworkRooms, TheVenueFileGivesTheDesksKeys) {
    const CRoom::SKeys keys = RoomKeys("room1");
    const CRoom room(m_dir / "room", s_strSer2net, CRoom::Config(&keys));
    ASSERT_TRUE(room.Ready()) << room.Ser2netOutput();
    const fs::path venue = s_venue / "club.toml";
    std::ofstream(venue) << "ca = \"venue-ca.crt\"\ncert = \"desk-1.crt\"\nkey = \"desk-1.key\"\n"
                            "[[room]]\nname = \"Room 1\"\nport = \""
                         << room.Port() << "\"\n";
    ResetProcessData();
    EXPECT_EQ(ctl::Run({"--venue", venue.string(), "--room", "Room 1", "probe"}, {SystemClock()},
                       m_out, m_err, false),
              ctl::kExitDone)
        << m_err.str();
    EXPECT_EQ(m_out.str(), "found " + room.Port() + " unlock=1\n");
}

TEST_F(NetworkRooms, PullPushWithVerifyAndALiveEditThroughTls) {
    const CRoom::SKeys keys = RoomKeys("room1");
    const CRoom room(m_dir / "room", s_strSer2net, CRoom::Config(&keys));
    ASSERT_TRUE(room.Ready()) << room.Ser2netOutput();
    const std::string file = (m_dir / "one.dia").string();
    ASSERT_EQ(Ctl(room.Port(), Desk1(), {"pull", file}), ctl::kExitDone) << m_err.str();
    Bytes bytes = ReadFile(file);
    ASSERT_EQ(bytes.size(), kOneModeFileSize);
    constexpr std::size_t kGain = 570; // a gain of Music Left band 1 in the image
    bytes[kSystemSize + kGain] = 200;
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(Ctl(room.Port(), Desk1(), {"push", "--verify", file}), ctl::kExitDone) << m_err.str();
    EXPECT_NE(m_out.str().find("verify: the processor holds every field"), std::string::npos);

    // A live edit: the desk on line, a value changed in the working image.
    {
        SDesk desk(room.Port(), Desk1Keys());
        ASSERT_TRUE(desk.Connect()) << (desk.m_host.m_aReports.empty() ? std::string("no read-back")
                                                                       : desk.m_host.m_aReports[0]);
        {
            CImageGuard guard(ImageLock());
            EXPECT_EQ(Image()[kGain], 200); // the push is what the processor holds
            Image()[kGain] = 77;
        }
        // Once the edit has left, the frame after it shows its answer was taken.
        std::size_t sent = 0;
        ASSERT_TRUE(WaitFor([&] {
            CImageGuard guard(ImageLock());
            sent = room.Frames().size();
            return Shadow()[kGain] == 77;
        }));
        ASSERT_TRUE(WaitFor([&] { return room.Frames().size() >= sent + 2; }));
        desk.m_session.Disconnect();
    }
    // Closed on disconnect: the room takes the next desk.
    ASSERT_EQ(Ctl(room.Port(), Desk1(), {"pull", file}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(ReadFile(file)[kSystemSize + kGain], 77);
}

TEST_F(NetworkRooms, ASecondDeskIsToldTheRoomIsInUse) {
    const CRoom::SKeys keys = RoomKeys("room1");
    const CRoom room(m_dir / "room", s_strSer2net, CRoom::Config(&keys));
    ASSERT_TRUE(room.Ready()) << room.Ser2netOutput();
    {
        SDesk first(room.Port(), Desk1Keys());
        ASSERT_TRUE(first.Connect());
        const std::size_t frames = room.Frames().size();
        // The second desk is another program (the link's state is the process's).
        std::string command = kBin.string() + "/zoltctl --port " + room.Port();
        for (const std::string& option : Desk1()) {
            command += " " + option;
        }
        std::FILE* second = popen((command + " probe 2>&1").c_str(), "r");
        ASSERT_NE(second, nullptr);
        std::string said;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, second) != nullptr) {
            said += buffer;
        }
        EXPECT_EQ(WEXITSTATUS(pclose(second)), ctl::kExitLink);
        EXPECT_EQ(said.rfind("zoltctl: Unable to Open Device!\nzoltctl: " + room.Port() +
                                 ": in use by another desk (the room answered \"Port",
                             0),
                  0u)
            << said;
        EXPECT_TRUE(first.m_session.Online());
        // Nothing of the second desk's reached the processor: only the first desk's polls.
        for (std::size_t i = frames; i < room.Frames().size(); ++i) {
            EXPECT_NE(room.Frames()[i].find("poll"), std::string::npos) << room.Frames()[i];
        }
        first.m_session.Disconnect();
    }
    EXPECT_EQ(Ctl(room.Port(), Desk1(), {"probe"}), ctl::kExitDone) << m_err.str();
}

// The example configuration the package ships for a room PC, with the test's keys, port
// and pseudo-terminal in place of the room's: it admits the venue's desk and no other.
TEST_F(NetworkRooms, TheShippedRoomConfigurationServesTheVenuesDesks) {
    std::ifstream example("tests/net/ser2net.yaml");
    std::string config{std::istreambuf_iterator<char>(example), {}};
    ASSERT_NE(config.find("clientauth"), std::string::npos);
    config = Replaced(config, "/etc/ser2net/zolt/room.", (s_venue / "room1.").string());
    config = Replaced(config, "/etc/ser2net/zolt/", s_venue.string() + "/");
    config = Replaced(config, "tcp,3001", "tcp,127.0.0.1,@PORT@");
    config = Replaced(config, "serialdev,/dev/serial/by-id/usb-THE-PROCESSORS-ADAPTER-if00-port0",
                      "serialdev(nouucplock),@PTY@");
    const CRoom room(m_dir / "room", s_strSer2net, config);
    ASSERT_TRUE(room.Ready()) << room.Ser2netOutput();
    EXPECT_EQ(Ctl(room.Port(), Desk(s_venue, "desk-2", s_venue / "venue-ca.crt"), {"probe"}),
              ctl::kExitLink);
    EXPECT_NE(m_err.str().find("the room refused this desk's certificate"), std::string::npos)
        << m_err.str();
    EXPECT_EQ(Ctl(room.Port(), Desk1(), {"probe"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(room.Frames().size(), 1u);
}

TEST_F(NetworkRooms, ABackupThroughTlsHoldsEveryByteOfTheProcessor) {
    sim::SSimState state = sim::MakeFactoryState();
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        state.m_aModes[mode][600] = static_cast<std::uint8_t>(mode * 7);
    }
    const Bytes loaded = sim::AllModesFile(state);
    const fs::path load = m_dir / "loaded.dat";
    std::ofstream(load, std::ios::binary)
        .write(reinterpret_cast<const char*>(loaded.data()),
               static_cast<std::streamsize>(loaded.size()));
    const CRoom::SKeys keys = RoomKeys("room1");
    const CRoom room(m_dir / "room", s_strSer2net, CRoom::Config(&keys), {"--load", load.string()});
    ASSERT_TRUE(room.Ready()) << room.Ser2netOutput();
    const fs::path backup = m_dir / "backup.dat";
    ASSERT_EQ(Ctl(room.Port(), Desk1(), {"backup", backup.string()}), ctl::kExitDone)
        << m_err.str();
    EXPECT_EQ(ReadFile(backup), loaded);
}

} // namespace
} // namespace zolt
