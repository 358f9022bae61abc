#include "LinkTestSupport.h"

#include "link/PresetFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zolt::test {
namespace {

namespace fs = std::filesystem;

class PresetFilesTest : public CLinkTest {
protected:
    PresetFilesTest() {
        m_dir = fs::absolute(ZOLT_TEST_OUTPUT_DIR) / "preset-files" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        g_flags.m_bOnline = false;
        std::memcpy(Image(), Pattern(1, kImageSize).data(), kImageSize);
        std::memcpy(System(), Pattern(100, kSystemSize).data(), kSystemSize);
    }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }
    static Bytes Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ImageBytes() { return {Image(), Image() + kImageSize}; }
    static Bytes StoreBytes() {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&g_data.m_store);
        return {p, p + sizeof g_data.m_store};
    }
    // An all-modes file: a system block naming mode, mode n filled with n, a valid byte.
    static Bytes AllModesFile(std::uint8_t mode, std::uint8_t validByte) {
        Bytes file = Pattern(200, kSystemSize);
        file[0] = mode;
        for (std::uint8_t n = 1; n <= kModeCount; ++n) {
            file.insert(file.end(), kImageSize, n);
        }
        file.push_back(validByte);
        return file;
    }

    fs::path m_dir;
};

TEST_F(PresetFilesTest, AOneModeFileIsTheSystemBlockThenTheWorkingImage) {
    EXPECT_EQ(OneModeFilePath("x.dia/mymode"), "x.dia/mymode");
    EXPECT_EQ(AllModesFilePath("all"), "all.dat");
    ASSERT_TRUE(ExportOneMode(PathOf("mymode")));
    const Bytes file = Read(PathOf("mymode.dia"));
    ASSERT_EQ(file.size(), kOneModeFileSize);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 66), Pattern(100, kSystemSize));
    EXPECT_EQ(Bytes(file.begin() + 66, file.end()), ImageBytes());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), 1); // no temporary left
}

TEST_F(PresetFilesTest, ARoundTripRestoresTheImageWithTheLoadSumAndKeepsTheSystemBlock) {
    Bytes expected = ImageBytes();
    ASSERT_TRUE(ExportOneMode(PathOf("round")));
    std::memset(Image(), 0, kImageSize);
    std::memset(System(), 7, kSystemSize);

    ASSERT_TRUE(ImportOneMode(PathOf("round.dia"), m_link));
    expected[image::kLoadSum] = 0;
    for (std::size_t i = 0; i < kImageSize; ++i) {
        expected[image::kLoadSum] += Pattern(1, kImageSize)[i];
    }
    EXPECT_EQ(ImageBytes(), expected);
    EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), expected);
    EXPECT_EQ(Bytes(System(), System() + kSystemSize), Bytes(kSystemSize, 7));
    EXPECT_EQ(m_sink.m_nPageShows, 1);
    EXPECT_EQ(m_link.Queue().Count(), 0u); // offline: nothing to send

    g_flags.m_bOnline = true;
    ASSERT_TRUE(ImportOneMode(PathOf("round.dia"), m_link));
    ASSERT_EQ(m_link.Queue().Count(), 1u);
    EXPECT_EQ(FrameCommand(Queued(0)), 132);
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"busy"});
}

TEST_F(PresetFilesTest, AShortOrMissingFileChangesNothingAtAll) {
    Write(PathOf("short.dia"), Bytes(kOneModeFileSize - 1, 0x11));
    Write(PathOf("short.dat"), Bytes(kAllModesFileSize - 1, 0x22));
    const Bytes image = ImageBytes();
    const Bytes store = StoreBytes();
    EXPECT_FALSE(ImportOneMode(PathOf("short.dia"), m_link));
    g_flags.m_nLanguage = 1;
    EXPECT_FALSE(ImportAllModes(PathOf("short.dat"), m_link));
    EXPECT_FALSE(ImportOneMode(PathOf("none.dia"), m_link));
    EXPECT_EQ(ImageBytes(), image);
    EXPECT_EQ(StoreBytes(), store);
    EXPECT_EQ(m_sink.m_aBoxes,
              (std::vector<std::string>{
                  "MusicFile read Error\n" + PathOf("short.dia") +
                      ": 2777 bytes, shorter than a one-mode file (2778 bytes)",
                  "音乐文件读错误\n" + PathOf("short.dat") +
                      ": 57018 bytes, shorter than an all-modes file (57019 bytes)",
                  "File read Error\n" + PathOf("none.dia") + ": No such file or directory"}));
}

TEST_F(PresetFilesTest, AFailedExportLeavesTheExistingFileIntact) {
    const Bytes good(kOneModeFileSize, 0x5A);
    Write(PathOf("keep.dia"), good);
    // No file may grow past 1000 bytes: the export's write fails part way.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool exported = ExportOneMode(PathOf("keep.dia"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(exported);
    EXPECT_FALSE(ExportAllModes(PathOf("no/such/folder/all")));
    EXPECT_EQ(Read(PathOf("keep.dia")), good);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), 1);
    EXPECT_EQ(m_sink.m_aBoxes,
              (std::vector<std::string>{
                  "MusicFile Write Error\n" + PathOf("keep.dia") + ": File too large",
                  "MusicFile Write Error\n" + PathOf("no/such/folder/all.dat") + ": the folder " +
                      PathOf("no/such/folder") + " cannot be written: No such file or directory"}));
}

TEST_F(PresetFilesTest, AnAllModesImportTakesTheStoreTheSystemBlockAndTheCurrentMode) {
    Write(PathOf("in.dat"), AllModesFile(4, 0));
    ASSERT_TRUE(ImportAllModes(PathOf("in.dat"), m_link));
    EXPECT_EQ(g_data.m_store.m_bValid, 1);
    EXPECT_EQ(Bytes(System() + 1, System() + kSystemSize), Pattern(203, 65));
    EXPECT_EQ(SystemShadow()[1], 203);
    EXPECT_EQ(ImageBytes(), Bytes(kImageSize, 4));
    EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), Bytes(kImageSize, 4));
    EXPECT_EQ(m_link.Queue().Count(), 0u);

    ASSERT_TRUE(ExportAllModes(PathOf("out")));
    Bytes expected = AllModesFile(4, 1);
    EXPECT_EQ(Read(PathOf("out.dat")), expected);

    g_flags.m_bOnline = true;
    ASSERT_TRUE(ImportAllModes(PathOf("in.dat"), m_link));
    ASSERT_EQ(m_link.Queue().Count(), 22u);
    EXPECT_EQ(FrameParameter(Queued(20)), 21);
    EXPECT_EQ(FrameCommand(Queued(21)), 131);
    EXPECT_EQ(Queued(21).m_nProgressStep, 22);
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"start 22"});
}

TEST_F(PresetFilesTest, ACurrentModeOutsideTheStoredModesKeepsTheWorkingImage) {
    const Bytes image = ImageBytes();
    const Bytes shadow(Shadow(), Shadow() + kImageSize);
    for (std::uint8_t mode : {0, 22, 255}) {
        Write(PathOf("odd.dat"), AllModesFile(mode, 1));
        ASSERT_TRUE(ImportAllModes(PathOf("odd.dat"), m_link));
        EXPECT_EQ(ImageBytes(), image) << int{mode};
        EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), shadow) << int{mode};
        EXPECT_EQ(Slot(3)[0], 3);
    }
}

// The second line of every box names the file and the reason.
TEST_F(PresetFilesTest, OnlyRegularFilesAreReadAndAFifoNeverBlocks) {
    fs::create_directory(m_dir / "folder.dia");
    ASSERT_EQ(mkfifo(PathOf("pipe.dia").c_str(), 0600), 0);
    const Bytes image = ImageBytes();

    // Should the import open the FIFO it would wait for a writer: the test plays one
    // after a while, so a blocked import fails the test instead of hanging it.
    auto import = std::async(std::launch::async,
                             [this] { return ImportOneMode(PathOf("pipe.dia"), m_link); });
    if (import.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        ADD_FAILURE() << "the import of a FIFO blocked";
        const int writer = open(PathOf("pipe.dia").c_str(), O_WRONLY | O_NONBLOCK);
        close(writer);
    }
    EXPECT_FALSE(import.get());
    EXPECT_FALSE(ImportOneMode(PathOf("folder.dia"), m_link));
    EXPECT_FALSE(ImportAllModes("/dev/zero", m_link));
    EXPECT_EQ(ImageBytes(), image);
    EXPECT_EQ(m_sink.m_aBoxes,
              (std::vector<std::string>{
                  "File read Error\n" + PathOf("pipe.dia") + ": is a pipe (FIFO), not a file",
                  "File read Error\n" + PathOf("folder.dia") + ": is a folder, not a file",
                  "File read Error\n/dev/zero: is a device, not a file"}));

    SPresetFile file;
    std::string error;
    EXPECT_FALSE(ReadPresetFile(PathOf("pipe.dia"), file, error));
    EXPECT_EQ(error, PathOf("pipe.dia") + ": is a pipe (FIFO), not a file");
    EXPECT_FALSE(ReadPresetFile("/dev/zero", file, error));
    EXPECT_FALSE(ReadPresetFile(m_dir.string(), file, error));
    EXPECT_EQ(error, m_dir.string() + ": is a folder, not a file");
}

TEST_F(PresetFilesTest, APresetFileIsKnownByItsSizeAndAnyOtherSizeIsRefused) {
    Write(PathOf("one.dat"), Pattern(3, kOneModeFileSize));
    Write(PathOf("all.dia"), Pattern(4, kAllModesFileSize));
    Write(PathOf("odd"), Bytes(kAllModesFileSize - 1, 0));
    Write(PathOf("long.dia"), Bytes(kOneModeFileSize + 1, 0));
    SPresetFile file;
    std::string error;
    ASSERT_TRUE(ReadPresetFile(PathOf("one.dat"), file, error)) << error;
    EXPECT_FALSE(file.m_bAllModes);
    EXPECT_EQ(file.ImageOf(0)[0], Pattern(3, kOneModeFileSize)[kSystemSize]);
    ASSERT_TRUE(ReadPresetFile(PathOf("all.dia"), file, error)) << error;
    EXPECT_TRUE(file.m_bAllModes);
    EXPECT_EQ(file.ImageOf(21) - file.System(), 66 + 20 * 2712);

    EXPECT_FALSE(ReadPresetFile(PathOf("odd"), file, error));
    EXPECT_EQ(error, PathOf("odd") +
                         ": 57018 bytes, neither a one-mode file (2778 bytes) nor an all-modes "
                         "file (57019 bytes)");
    EXPECT_FALSE(ReadPresetFile(PathOf("long.dia"), file, error));
    EXPECT_NE(error.find(": 2779 bytes, neither"), std::string::npos) << error;
}

TEST_F(PresetFilesTest, AnExportThroughASymbolicLinkWritesItsTargetAndKeepsItsPermissions) {
    fs::create_directory(m_dir / "presets");
    Write(PathOf("presets/real.dia"), Bytes(kOneModeFileSize, 1));
    ASSERT_EQ(chmod(PathOf("presets/real.dia").c_str(), 0640), 0);
    fs::create_symlink("presets/real.dia", m_dir / "link.dia"); // relative to the link
    fs::create_symlink(m_dir / "link.dia", m_dir / "chain.dia");
    fs::create_symlink("presets/new.dia", m_dir / "dangling.dia");

    ASSERT_TRUE(ExportOneMode(PathOf("chain.dia")));
    EXPECT_TRUE(fs::is_symlink(m_dir / "chain.dia"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.dia"));
    const Bytes written = Read(PathOf("presets/real.dia"));
    EXPECT_EQ(Bytes(written.begin() + 66, written.end()), ImageBytes());
    EXPECT_EQ(fs::status(m_dir / "presets/real.dia").permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ASSERT_TRUE(ExportOneMode(PathOf("dangling.dia")));
    EXPECT_TRUE(fs::is_symlink(m_dir / "dangling.dia"));
    EXPECT_EQ(Read(PathOf("presets/new.dia")).size(), kOneModeFileSize);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "presets"), {}), 2); // no temporary
}

// As root every file is writable: the export then runs in a child that is nobody.
TEST_F(PresetFilesTest, AFileTheUserMayNotWriteIsRefusedAndKept) {
    const Bytes kept(kOneModeFileSize, 0x77);
    Write(PathOf("locked.dia"), kept);
    fs::create_directory(m_dir / "folder.dia");
    ASSERT_EQ(chmod(PathOf("locked.dia").c_str(), geteuid() == 0 ? 0644 : 0444), 0);
    ASSERT_EQ(chmod(m_dir.c_str(), 0777), 0);

    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        const bool refused = !ExportOneMode(PathOf("locked.dia"));
        const bool said = m_sink.m_aBoxes.size() == 1 &&
                          m_sink.m_aBoxes[0] == "MusicFile Write Error\n" + PathOf("locked.dia") +
                                                    ": Permission denied";
        _exit(refused && said ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Read(PathOf("locked.dia")), kept);

    EXPECT_FALSE(ExportOneMode(PathOf("folder.dia")));
    EXPECT_TRUE(fs::is_directory(m_dir / "folder.dia"));
    ASSERT_EQ(m_sink.m_aBoxes.size(), 1u);
    EXPECT_EQ(m_sink.m_aBoxes[0],
              "MusicFile Write Error\n" + PathOf("folder.dia") + ": is a folder, not a file");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), 2);
}

} // namespace
} // namespace zolt::test
