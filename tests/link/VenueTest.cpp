#include "link/Venue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;

class VenueFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::absolute(ZOLT_TEST_OUTPUT_DIR) / "venue" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }

    std::string Write(const std::string& text, const char* name = "venue.toml") {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // The second line of the error reading text as a venue, the first checked.
    std::string Cause(const std::string& text) {
        SVenue venue;
        std::string error;
        const std::string path = Write(text);
        EXPECT_FALSE(ReadVenue(path, venue, error)) << text;
        EXPECT_EQ(error.rfind("Unable to read the venue\n", 0), 0u) << error;
        EXPECT_TRUE(venue.m_aRooms.empty());
        const std::string cause = error.substr(error.find('\n') + 1);
        EXPECT_EQ(cause.rfind(path, 0), 0u) << "the cause names the file: " << cause;
        return cause.substr(path.size());
    }

    fs::path m_dir;
};

TEST_F(VenueFile, AGoodFileGivesTheKeysBesideItAndTheRoomsInOrder) {
    const std::string path = Write("# the club\n"
                                   "ca = \"keys/venue-ca.crt\"\n"
                                   "cert = \"/etc/zolt/desk.crt\"\n"
                                   "key = \"../desk.key\"\n"
                                   "\n"
                                   "[[room]]\n"
                                   "name = \"Room 1\"\n"
                                   "port = \"tls://10.0.0.11:3001\"\n"
                                   "[[room]]\n"
                                   "port = \"/dev/ttyUSB0\" # a room on the desk's own port\n"
                                   "name = \"包厢 2\"\n");
    SVenue venue;
    std::string error;
    ASSERT_TRUE(ReadVenue(path, venue, error)) << error;
    EXPECT_EQ(venue.m_strPath, path);
    EXPECT_EQ(venue.m_strCa, (m_dir / "keys/venue-ca.crt").string());
    EXPECT_EQ(venue.m_strCert, "/etc/zolt/desk.crt");
    EXPECT_EQ(venue.m_strKey, (m_dir.parent_path() / "desk.key").string());
    ASSERT_EQ(venue.m_aRooms.size(), 2u);
    EXPECT_EQ(venue.m_aRooms[0].m_strName, "Room 1");
    EXPECT_EQ(venue.m_aRooms[0].m_strPort, "tls://10.0.0.11:3001");
    EXPECT_EQ(venue.m_aRooms[0].m_nLine, 6);
    EXPECT_EQ(venue.m_aRooms[1].m_strName, "包厢 2");
    EXPECT_EQ(venue.m_aRooms[1].m_strPort, "/dev/ttyUSB0");
    EXPECT_EQ(venue.Room("包厢 2"), &venue.m_aRooms[1]);
    EXPECT_EQ(venue.Room("Room 3"), nullptr);
    EXPECT_EQ(venue.RoomNames(), "Room 1, 包厢 2");

    // Keys are optional, and a file named without a folder has them beside it.
    const fs::path here = fs::current_path();
    fs::current_path(m_dir);
    Write("ca = \"ca.crt\"\n[[room]]\nname = \"A\"\nport = \"p\"\n", "plain.toml");
    const bool read = ReadVenue("plain.toml", venue, error);
    fs::current_path(here);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(venue.m_strCa, "ca.crt");
    EXPECT_TRUE(venue.m_strCert.empty());
    EXPECT_TRUE(venue.m_strKey.empty());
}

// Keys given on the command line win; the venue file's fill the others.
TEST(VenueKeys, TheDesksKeysAreTheGivenOnesElseTheVenues) {
    SVenue venue;
    venue.m_strCa = "/venue/ca.crt";
    venue.m_strCert = "/venue/desk.crt";
    venue.m_strKey = "/venue/desk.key";
    const SNetworkKeys keys = DeskKeys(venue, {"", "/mine/desk.crt", "", true});
    EXPECT_EQ(keys.m_strCa, "/venue/ca.crt");
    EXPECT_EQ(keys.m_strCert, "/mine/desk.crt");
    EXPECT_EQ(keys.m_strKey, "/venue/desk.key");
    EXPECT_TRUE(keys.m_bInsecure);
    EXPECT_EQ(DeskKeys(SVenue{}, {"a", "b", "c", false}).m_strKey, "c");
}

// Each fault names the file and the line to blame, after the headline.
TEST_F(VenueFile, EachFaultNamesTheFileAndTheLine) {
    const struct {
        const char* m_pszText;
        const char* m_pszCause;
    } kFaults[] = {
        {"[[room]]\nname = \"Room 1\"\n", ":1: room \"Room 1\" has no port"},
        {"[[room]]\nport = \"p1\"\n\n[[room]]\nport = \"p2\"\nname = \"\"\n",
         ":1: the room has no name"},
        {"[[room]]\nname = \"A\"\nport = \"p1\"\n[[room]]\nname = \"B\"\nport = \"p2\"\n"
         "[[room]]\nname = \"A\"\nport = \"p3\"\n",
         ":7: a second room \"A\" (the first is on line 1)"},
        {"ca = \"ca.crt\"\nkey = \n[[room]]\n", ":2: "},
        {"ca = 5\n[[room]]\nname = \"A\"\nport = \"p\"\n", ":1: ca is not text in quotes"},
        {"[[room]]\nname = \"A\"\nport = 3001\n", ":3: port is not text in quotes"},
        {"cafile = \"ca.crt\"\n[[room]]\nname = \"A\"\nport = \"p\"\n",
         ":1: unknown key \"cafile\""},
        {"[[room]]\nname = \"A\"\nprot = \"p\"\n", ":3: unknown key \"prot\""},
        {"[room]\nname = \"A\"\nport = \"p\"\n", ":1: each room is a [[room]] table"},
        {"[[room]]\nname = \"A\\u001b[2J\"\nport = \"p\"\n",
         ":1: the name of room \"A\\x1B[2J\" holds a control character"},
        {"ca = \"ca.crt\"\n", ": no [[room]] in the file"},
        {"", ": no [[room]] in the file"},
    };
    for (const auto& fault : kFaults) {
        const std::string cause = Cause(fault.m_pszText);
        EXPECT_EQ(cause.rfind(fault.m_pszCause, 0), 0u) << fault.m_pszText << "\n-> " << cause;
    }
}

// A file that cannot be read, is no regular file or is too large to be a venue is refused
// without blocking and without reading it whole.
TEST_F(VenueFile, MissingSpecialAndHugeFilesAreRefused) {
    SVenue venue;
    std::string error;
    const std::string missing = (m_dir / "none.toml").string();
    EXPECT_FALSE(ReadVenue(missing, venue, error));
    EXPECT_EQ(error, "Unable to read the venue\n" + missing + ": No such file or directory");

    EXPECT_FALSE(ReadVenue(m_dir.string(), venue, error));
    EXPECT_NE(error.find("\n" + m_dir.string() + ": "), std::string::npos) << error;

    const std::string fifo = (m_dir / "fifo.toml").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadVenue(fifo, venue, error)); // returns: nobody writes the FIFO
    EXPECT_NE(error.find("\n" + fifo + ": "), std::string::npos) << error;

    EXPECT_FALSE(ReadVenue("/dev/zero", venue, error));
    EXPECT_NE(error.find("\n/dev/zero: "), std::string::npos) << error;

    std::string huge = "[[room]]\nname = \"A\"\nport = \"p\"\n";
    huge += "# " + std::string(kMaxVenueFileSize, 'x') + "\n";
    EXPECT_FALSE(ReadVenue(Write(huge), venue, error));
    EXPECT_NE(error.find("larger than 1048576 bytes"), std::string::npos) << error;

    // Nested arrays deep enough to exhaust a recursive reader are a TOML error.
    const std::string deep = "a = " + std::string(100000, '[') + "\n";
    EXPECT_EQ(Cause(deep).rfind(":1: ", 0), 0u);
    // Bytes that are not UTF-8.
    EXPECT_EQ(Cause("[[room]]\nname = \"\xff\xfe\"\nport = \"p\"\n").rfind(":2: ", 0), 0u);
}

} // namespace
} // namespace zolt
