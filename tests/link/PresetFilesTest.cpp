#include "LinkTestSupport.h"

#include "link/PresetFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace zolt::test {
namespace {

namespace fs = std::filesystem;

class PresetFilesTest : public CLinkTest {
protected:
    PresetFilesTest() {
        m_dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "preset-files" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        g_flags.m_bOnline = false;
        for (std::size_t i = 0; i < kImageSize; ++i) {
            Image()[i] = static_cast<std::uint8_t>(i * 5 + 1);
        }
        for (std::size_t i = 0; i < kSystemSize; ++i) {
            System()[i] = static_cast<std::uint8_t>(100 + i);
        }
    }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }
    static Bytes Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const Bytes& bytes) {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ImageBytes() { return {Image(), Image() + kImageSize}; }
    static Bytes SystemBytes() { return {System(), System() + kSystemSize}; }
    static Bytes StoreBytes() {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&g_data.m_store);
        return {p, p + sizeof g_data.m_store};
    }
    // An all-modes file whose mode n is filled with n and whose system block names mode.
    static Bytes AllModesFile(std::uint8_t mode, std::uint8_t validByte) {
        Bytes file(kAllModesFileSize);
        for (std::size_t i = 0; i < kSystemSize; ++i) {
            file[i] = static_cast<std::uint8_t>(200 + i);
        }
        file[0] = mode;
        for (std::size_t n = 1; n <= kModeCount; ++n) {
            std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(66 + 2712 * (n - 1)), 2712,
                        static_cast<std::uint8_t>(n));
        }
        file.back() = validByte;
        return file;
    }

    fs::path m_dir;
};

TEST_F(PresetFilesTest, TheExtensionIsAppendedUnlessThePathHoldsItAnywhere) {
    EXPECT_EQ(OneModeFilePath("MusicFile/mymode"), "MusicFile/mymode.dia");
    EXPECT_EQ(OneModeFilePath("x.dia/mymode"), "x.dia/mymode");
    EXPECT_EQ(AllModesFilePath("all"), "all.dat");
    EXPECT_EQ(AllModesFilePath("all.dat"), "all.dat");
}

TEST_F(PresetFilesTest, AOneModeFileIsTheSystemBlockThenTheWorkingImage) {
    ASSERT_TRUE(ExportOneMode(PathOf("mymode")));
    const Bytes file = Read(PathOf("mymode.dia"));
    ASSERT_EQ(file.size(), kOneModeFileSize);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 66), SystemBytes());
    EXPECT_EQ(Bytes(file.begin() + 66, file.end()), ImageBytes());
    EXPECT_EQ(fs::directory_iterator(m_dir)->path().filename(), "mymode.dia"); // no leftovers
}

TEST_F(PresetFilesTest, ARoundTripRestoresTheImageWithTheLoadSumAndLeavesTheSystemBlock) {
    const Bytes exported = ImageBytes();
    ASSERT_TRUE(ExportOneMode(PathOf("round")));
    std::memset(Image(), 0, kImageSize);
    std::memset(System(), 7, kSystemSize);
    std::memset(SystemShadow(), 8, kSystemSize);

    ASSERT_TRUE(ImportOneMode(PathOf("round.dia"), m_link));
    std::uint8_t sum = 0;
    for (std::uint8_t b : exported) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    Bytes expected = exported;
    expected[image::kLoadSum] = sum;
    EXPECT_EQ(ImageBytes(), expected);
    EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), expected);
    EXPECT_EQ(SystemBytes(), Bytes(kSystemSize, 7));
    EXPECT_EQ(SystemShadow()[0], 8);
    EXPECT_EQ(m_sink.m_nPageShows, 1);
    EXPECT_EQ(m_link.Queue().Count(), 0u); // offline: nothing to send
}

TEST_F(PresetFilesTest, AnOnlineImportWritesTheImageToTheProcessor) {
    ASSERT_TRUE(ExportOneMode(PathOf("online")));
    g_flags.m_bOnline = true;
    ASSERT_TRUE(ImportOneMode(PathOf("online.dia"), m_link));
    ASSERT_EQ(m_link.Queue().Count(), 1u);
    EXPECT_EQ(FrameCommand(m_link.Queue().At(0).Record()), 132);
    EXPECT_TRUE(g_flags.m_bStoreBusy);
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"busy"});
    EXPECT_EQ(m_sink.m_nNameRefreshes, 1);
}

TEST_F(PresetFilesTest, AShortFileChangesNothingAtAll) {
    Write(PathOf("short.dia"), Bytes(kOneModeFileSize - 1, 0x11));
    Write(PathOf("short.dat"), Bytes(kAllModesFileSize - 1, 0x22));
    const Bytes image = ImageBytes();
    const Bytes store = StoreBytes();
    EXPECT_FALSE(ImportOneMode(PathOf("short.dia"), m_link));
    g_flags.m_nLanguage = 1;
    EXPECT_FALSE(ImportAllModes(PathOf("short.dat"), m_link));
    EXPECT_EQ(ImageBytes(), image);
    EXPECT_EQ(StoreBytes(), store);
    EXPECT_EQ(m_sink.m_aBoxes,
              (std::vector<std::string>{"MusicFile read Error", "音乐文件读错误"}));
    EXPECT_EQ(m_sink.m_nPageShows, 0);
}

TEST_F(PresetFilesTest, AMissingFileIsAReadError) {
    EXPECT_FALSE(ImportOneMode(PathOf("none.dia"), m_link));
    EXPECT_FALSE(ImportAllModes(PathOf("none.dat"), m_link));
    EXPECT_EQ(m_sink.m_aBoxes, (std::vector<std::string>{"File read Error", "File read Error"}));
}

TEST_F(PresetFilesTest, AFailedExportLeavesTheExistingFileIntact) {
    const Bytes good(kOneModeFileSize, 0x5A);
    Write(PathOf("keep.dia"), good);
    // Let no file grow past 1000 bytes: the export's write fails part way.
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
    EXPECT_EQ(Read(PathOf("keep.dia")), good);
    EXPECT_EQ(m_sink.m_aBoxes, std::vector<std::string>{"MusicFile Write Error"});
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(PresetFilesTest, AnExportIntoAMissingFolderIsAWriteError) {
    EXPECT_FALSE(ExportAllModes(PathOf("no/such/folder/all")));
    EXPECT_EQ(m_sink.m_aBoxes, std::vector<std::string>{"MusicFile Write Error"});
}

TEST_F(PresetFilesTest, AnAllModesFileRoundTripsThePresetStore) {
    g_data.m_store.m_bValid = 1;
    for (std::size_t n = 0; n < kSlotCount; ++n) {
        std::memset(Slot(n), static_cast<int>(n + 30), kImageSize);
    }
    ASSERT_TRUE(ExportAllModes(PathOf("all")));
    const Bytes file = Read(PathOf("all.dat"));
    ASSERT_EQ(file.size(), kAllModesFileSize);
    EXPECT_EQ(file[0], 30);          // slot 0's system-block copy
    EXPECT_EQ(file[66], 31);         // mode 1
    EXPECT_EQ(file[57017], 30 + 21); // the last byte of mode 21
    EXPECT_EQ(file.back(), 1);       // the store-valid flag
}

TEST_F(PresetFilesTest, AnAllModesImportTakesTheSystemBlockAndTheCurrentMode) {
    Write(PathOf("all.dat"), AllModesFile(4, 0));
    ASSERT_TRUE(ImportAllModes(PathOf("all.dat"), m_link));
    EXPECT_EQ(g_data.m_store.m_bValid, 1);
    EXPECT_EQ(System()[0], 4);
    EXPECT_EQ(System()[1], 201);
    EXPECT_EQ(SystemShadow()[1], 201);
    EXPECT_EQ(ImageBytes(), Bytes(kImageSize, 4));
    EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), Bytes(kImageSize, 4));
    EXPECT_EQ(Slot(21)[2711], 21);
    EXPECT_EQ(m_link.Queue().Count(), 0u);
}

TEST_F(PresetFilesTest, AnOnlineAllModesImportQueuesTwentyTwoNumberedFrames) {
    Write(PathOf("all.dat"), AllModesFile(2, 1));
    g_flags.m_bOnline = true;
    ASSERT_TRUE(ImportAllModes(PathOf("all.dat"), m_link));
    ASSERT_EQ(m_link.Queue().Count(), 22u);
    EXPECT_EQ(FrameCommand(m_link.Queue().At(20).Record()), 132);
    EXPECT_EQ(FrameParameter(m_link.Queue().At(20).Record()), 21);
    EXPECT_EQ(FrameCommand(m_link.Queue().At(21).Record()), 131);
    EXPECT_EQ(m_link.Queue().At(21).Record().m_nProgressStep, 22);
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"start 22"});
}

TEST_F(PresetFilesTest, ACurrentModeOutsideTheStoredModesKeepsTheWorkingImage) {
    const Bytes image = ImageBytes();
    const Bytes shadow(Shadow(), Shadow() + kImageSize);
    for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{22}, std::uint8_t{255}}) {
        Write(PathOf("odd.dat"), AllModesFile(mode, 1));
        ASSERT_TRUE(ImportAllModes(PathOf("odd.dat"), m_link));
        EXPECT_EQ(ImageBytes(), image) << int{mode};
        EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), shadow) << int{mode};
        EXPECT_EQ(System()[0], mode);
        EXPECT_EQ(Slot(3)[0], 3);
    }
}

} // namespace
} // namespace zolt::test
