#include "TestSupport.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace zolt::test {

SPtyPair::SPtyPair() {
    m_nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_nMaster >= 0 && grantpt(m_nMaster) == 0 && unlockpt(m_nMaster) == 0) {
        char name[128];
        if (ptsname_r(m_nMaster, name, sizeof name) == 0) {
            m_strSlave = name;
        }
    }
}

SPtyPair::~SPtyPair() {
    CloseMaster();
}

void SPtyPair::CloseMaster() {
    if (m_nMaster >= 0) {
        close(m_nMaster);
        m_nMaster = -1;
    }
}

std::vector<std::uint8_t> SPtyPair::ReadMaster(std::size_t count,
                                               std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{m_nMaster, POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        std::uint8_t buffer[4096];
        const ssize_t got = read(m_nMaster, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string RunProgram(const std::string& command, int& status) {
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    status = pipe != nullptr ? pclose(pipe) : -1;
    return output;
}

} // namespace zolt::test
