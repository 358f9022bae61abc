#include "link/PortList.h"

#include "TestSupport.h"
#include "model/Command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zolt {
namespace {

STtyDevice Tty(const char* node, const char* parent, const char* driver, bool usb = false,
               const char* product = "") {
    STtyDevice tty;
    const std::string nodePath(node);
    tty.m_strSysPath =
        "/sys/class/tty/" + nodePath.substr(std::min<std::size_t>(5, nodePath.size()));
    tty.m_strDevNode = node;
    tty.m_bHasParent = parent != nullptr;
    tty.m_strParentName = parent != nullptr ? parent : "";
    tty.m_strDriver = driver;
    tty.m_bUsb = usb;
    tty.m_strUsbProduct = product;
    return tty;
}

TEST(PortList, RealPortsInNodeOrderWithTheirDescriptions) {
    const std::vector<STtyDevice> devices{
        Tty("/dev/ttyUSB10", "1-1.4:1.0", "ftdi_sio", true, "FT232R USB UART"),
        Tty("/dev/tty3", nullptr, ""),                    // a virtual terminal
        Tty("/dev/ttyS5", "serial8250:0.5", "port"),      // a placeholder, no UART behind it
        Tty("/dev/ttyUSB2", "1-1.2:1.0", "pl2303", true), // no product string
        Tty("/dev/ttyS0", "00:01", "serial"),
        Tty("", "00:02", "serial"), // no device node
    };
    const CPortList list = CandidatesOf(devices);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].m_strPortName, "/dev/ttyS0");
    EXPECT_EQ(list[0].m_strDescription, "serial");
    EXPECT_FALSE(list[0].m_bUsb);
    EXPECT_EQ(list[1].m_strPortName, "/dev/ttyUSB2"); // 2 before 10
    EXPECT_EQ(list[1].m_strDescription, "pl2303");
    EXPECT_EQ(list[2].m_strPortName, "/dev/ttyUSB10");
    EXPECT_EQ(list[2].m_strDescription, "FT232R USB UART");
    EXPECT_TRUE(list[2].m_bUsb);
    EXPECT_EQ(list[2].m_strDevicePath, "/sys/class/tty/ttyUSB10");
}

TEST(PortList, PruneDropsNamelessCandidatesAndSetsTheLookupFlag) {
    ResetProcessData();
    CPortList list{{"/sys/a", "", "no node", false}};
    EXPECT_FALSE(Prune(list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(g_flags.m_bLookup);
    list = {{"/sys/a", "", "", false}, {"/dev/pts/4", "/dev/pts/4", "named port", false}};
    EXPECT_TRUE(Prune(list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_strPortName, "/dev/pts/4");
    EXPECT_TRUE(g_flags.m_bLookup);
    ResetProcessData();
}

TEST(PortList, APortNamedByTheUserIsACandidateAsGiven) {
    const SPortCandidate named = NamedCandidate("/dev/ttyNoSuchPort7");
    EXPECT_EQ(named.m_strPortName, "/dev/ttyNoSuchPort7");
    EXPECT_EQ(named.m_strDevicePath, "/dev/ttyNoSuchPort7");
    EXPECT_FALSE(named.m_bUsb);
}

TEST(PortList, APortIsTheSameThroughALinkButNotAnotherTerminal) {
    test::SPtyPair pty;
    test::SPtyPair other;
    ASSERT_FALSE(pty.m_strSlave.empty());
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zolt-same-port-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string link = (dir / "by-id").string();
    std::filesystem::create_symlink(pty.m_strSlave, link);
    EXPECT_TRUE(SamePort(link, pty.m_strSlave));
    EXPECT_TRUE(SamePort(pty.m_strSlave, link));
    EXPECT_FALSE(SamePort(link, other.m_strSlave));
    // A path that does not exist (yet) is only the same as itself.
    EXPECT_TRUE(SamePort("/dev/ttyNoSuchPort7", "/dev/ttyNoSuchPort7"));
    EXPECT_FALSE(SamePort("/dev/ttyNoSuchPort7", pty.m_strSlave));
    // Two regular files are no port, whatever their device numbers.
    EXPECT_FALSE(SamePort((dir / ".").string(), dir.string()));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace zolt
