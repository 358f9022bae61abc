// One exchange through a network room against one over a direct pseudo-terminal: the same
// simulated processor at the real line rate, reached once directly and once through
// ser2net over TLS on 127.0.0.1 (keys made by zolt-venue-keys beside the program), with the
// real clock. An exchange is timed on the desk's side as the 22 name reads of a queued
// command, from queuing to the last answer, divided by 22; the median of five rounds.
// Needs ser2net and openssl installed; one iteration takes about ten seconds.
#include "link/NetworkPort.h"
#include "link/TaskQueue.h"
#include "model/Command.h"
#include "sim/SimServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const bool kNetworkPrepared = (PrepareNetworkPorts(), true);
constexpr int kRounds = 5;
constexpr double kNameReads = 22;

class CBenchHost final : public CQueuedHost {
public:
    void ImageReplaced() override { m_bReadBack = true; }
    bool m_bReadBack = false;
};

// Waits for the session's work until done() holds or the time is up.
bool RunUntil(CSession& session, CBenchHost& host, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (session.Online() && !done() && std::chrono::steady_clock::now() < deadline) {
        host.RunTasks(1ms);
    }
    return session.Online() && done();
}

// The median time of one exchange over port, in milliseconds; 0 when the link failed.
double ExchangeMs(CTransportOpener& opener, const std::string& port) {
    ResetProcessData();
    CBenchHost host;
    CSession session(host, {nullptr, &opener, false, {port}, true});
    session.Lookup();
    if (!RunUntil(session, host, [&] { return host.m_bReadBack; })) {
        return 0;
    }
    std::vector<double> rounds;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        session.SendCommand(cmd::kReadName, 0);
        const std::size_t queued = session.Link().FramesAppended();
        if (!RunUntil(session, host, [&] { return session.CommandsAnswered() >= queued; })) {
            return 0;
        }
        rounds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count() /
            kNameReads);
    }
    session.Disconnect();
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

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

// ser2net exporting pty over TLS on 127.0.0.1:port with the venue's keys in dir, until the
// object ends.
class CRoom {
public:
    CRoom(const fs::path& dir, const std::string& pty, int port) {
        std::ofstream(dir / "ser2net.yaml")
            << "connection: &room\n"
            << "  accepter: ssl(key=" << (dir / "room.key").string()
            << ",cert=" << (dir / "room.crt").string() << ",CA=" << (dir / "venue-ca.crt").string()
            << ",clientauth),tcp,127.0.0.1," << port << "\n"
            << "  connector: serialdev(nouucplock)," << pty << ",115200n81,local\n"
            << "  options:\n    max-connections: 1\n"
            << "    authdir: " << (dir / "authdir").string() << "\n";
        m_nPid = fork();
        if (m_nPid == 0) {
            const std::string config = (dir / "ser2net.yaml").string();
            const std::string pid = (dir / "ser2net.pid").string();
            execlp("ser2net", "ser2net", "-n", "-c", config.c_str(), "-P", pid.c_str(), nullptr);
            execl("/usr/sbin/ser2net", "ser2net", "-n", "-c", config.c_str(), "-P", pid.c_str(),
                  nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(500ms); // until it listens
    }
    ~CRoom() {
        kill(m_nPid, SIGTERM);
        waitpid(m_nPid, nullptr, 0);
    }

private:
    pid_t m_nPid = -1;
};

void BM_ExchangeThroughTls(benchmark::State& state) {
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path dir = fs::temp_directory_path() / ("zolt-netbench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    const std::string keys = (bin / "zolt-venue-keys").string() + " ";
    if (std::system((keys + "ca " + dir.string() + " >/dev/null && " + keys + "room " +
                     dir.string() + " room 127.0.0.1 >/dev/null && " + keys + "desk " +
                     dir.string() + " desk >/dev/null")
                        .c_str()) != 0) {
        state.SkipWithError("zolt-venue-keys (beside the program) or openssl failed");
        return;
    }
    CSerialOpener serial;
    CNetworkOpener rooms({(dir / "venue-ca.crt").string(), (dir / "desk.crt").string(),
                          (dir / "desk.key").string(), false},
                         &serial);
    double direct = 0;
    double tls = 0;
    for (auto _ : state) {
        sim::CSimServer processor;
        std::string error;
        if (!processor.Start(error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        direct = ExchangeMs(serial, processor.Path());
        const int port = FreePort();
        const CRoom room(dir, processor.Path(), port);
        tls = ExchangeMs(rooms, "tls://127.0.0.1:" + std::to_string(port));
        if (direct == 0 || tls == 0) {
            state.SkipWithError("a link failed (is ser2net installed?)");
            break;
        }
    }
    fs::remove_all(dir);
    state.counters["direct_ms"] = direct;
    state.counters["tls_ms"] = tls;
    state.counters["tls_per_direct"] = direct > 0 ? tls / direct : 0;
}
BENCHMARK(BM_ExchangeThroughTls)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zolt
