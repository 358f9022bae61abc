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
    EXPECT_EQ(m_sink.m_aBoxes, (std::vector<std::string>{"MusicFile read Error", "音乐文件读错误",
                                                         "File read Error"}));
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
              (std::vector<std::string>{"MusicFile Write Error", "MusicFile Write Error"}));
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

} // namespace
} // namespace zolt::test
