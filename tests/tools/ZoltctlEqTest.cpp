#include "Ctl.h"
#include "Eq.h"

#include "tests/eq/SyntheticRoom.h"

#include "eq/RoomFit.h"
#include "link/Clock.h"
#include "link/PresetFiles.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kMusicLeft = 0;
constexpr std::size_t kMusicLeftBand1 = image::kMusicLeft + music::kBands;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Bytes Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

class ZoltctlEq : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "zoltctl-eq" / info->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }

    int Ctl(const std::vector<std::string>& args) {
        m_out.str("");
        m_err.str("");
        return ctl::Run(args, {SystemClock()}, m_out, m_err, false);
    }

    // A one-mode file of noise whose image has output mode outputMode.
    fs::path OneModeFile(const char* name, std::uint8_t outputMode = 1) {
        Bytes bytes = Noise(kOneModeFileSize, 11);
        bytes[kSystemSize + image::kOutputMode] = outputMode;
        WriteFile(m_dir / name, bytes);
        return m_dir / name;
    }

    fs::path List(const char* name, const std::string& text) {
        WriteText(m_dir / name, text);
        return m_dir / name;
    }

    fs::path m_dir;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(ZoltctlEq, ImportWritesTheFileAndReports) {
    const fs::path file = OneModeFile("room.dia");
    const Bytes before = ReadFile(file);
    const fs::path list = List("room.txt", "Preamp: -6.0 dB\n"
                                           "Filter 1: ON PK Fc 1000 Hz Gain -5.0 dB Q 4.00\n"
                                           "Filter 2: ON PK Fc 1005 Hz Gain 3 dB Q 2\n");
    ASSERT_EQ(Ctl({"eq", "import", file.string(), "music-left", list.string()}), ctl::kExitDone)
        << m_err.str();
    const std::string report = m_out.str();
    EXPECT_NE(report.find("music-left: 2 of 15 bands from"), std::string::npos) << report;
    EXPECT_NE(report.find("Preamp -6.0 dB in the list: not applied"), std::string::npos);
    EXPECT_NE(report.find("Largest difference of the whole list:"), std::string::npos);

    const Bytes after = ReadFile(file);
    ASSERT_EQ(after.size(), before.size());
    const std::uint8_t* band1 = after.data() + kSystemSize + kMusicLeftBand1;
    EXPECT_EQ(GetU16(band1 + band::kFreq), 204);
    EXPECT_EQ(band1[band::kGain], 95);
    EXPECT_EQ(band1[band::kQ], 40);
    EXPECT_EQ(band1[band::kType], 1);
    // Only Music Left's bands changed.
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::size_t inImage = i - kSystemSize;
        const bool inBands = i >= kSystemSize && inImage >= kMusicLeftBand1 &&
                             inImage < kMusicLeftBand1 + music::kBandCount * band::kSize;
        if (!inBands) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    }
    // The file was replaced in one step: nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
}

TEST_F(ZoltctlEq, OutputsAreNamedInTheLiveSet) {
    // Output records in image order: Out 4, Out 3, Center, SUB, Out 2, Out 1, Surround L, R.
    const std::pair<const char*, std::size_t> outputs[] = {
        {"out-4", 0}, {"out-3", 1}, {"center", 2},     {"sub", 3},
        {"out-2", 4}, {"out-1", 5}, {"surround-l", 6}, {"surround-r", 7},
    };
    // A file of valid band values (noise bytes would come back as the nearest valid ones).
    Bytes zeros(kOneModeFileSize, 0);
    zeros[kSystemSize + image::kOutputMode] = 3;
    const fs::path file = m_dir / "out.dia";
    WriteFile(file, zeros);
    const fs::path list = List("out.txt", "Filter: ON PK Fc 1000 Hz Gain 6 dB Q 1\n");
    for (const auto& [name, record] : outputs) {
        ASSERT_EQ(Ctl({"eq", "import", file.string(), name, list.string()}), ctl::kExitDone)
            << m_err.str();
        const Bytes bytes = ReadFile(file);
        const std::uint8_t* band1 = bytes.data() + kSystemSize + OutputSetOffset(3) +
                                    output::kSize * record + output::kBands;
        EXPECT_EQ(GetU16(band1 + band::kFreq), 204) << name;
        EXPECT_EQ(band1[band::kGain], 150) << name;

        // What the export prints imports back to the same bytes.
        ASSERT_EQ(Ctl({"eq", "export", file.string(), name}), ctl::kExitDone);
        const fs::path back = List("back.txt", m_out.str());
        ASSERT_EQ(Ctl({"eq", "import", file.string(), name, back.string()}), ctl::kExitDone);
        EXPECT_EQ(ReadFile(file), bytes) << name;
    }
}

TEST_F(ZoltctlEq, AllModesFilePicksTheMode) {
    Bytes bytes = Noise(kAllModesFileSize, 13);
    bytes[sysblock::kMode] = 4; // the file's current mode
    WriteFile(m_dir / "all.dat", bytes);
    const std::string file = (m_dir / "all.dat").string();
    const fs::path list = List("one.txt", "Filter: ON HS Fc 8000 Hz Gain -2 dB Q 0.71\n");

    auto band1 = [](const Bytes& b, int mode) {
        return b.data() + kSystemSize + kImageSize * static_cast<std::size_t>(mode - 1) +
               kMusicLeftBand1;
    };
    ASSERT_EQ(Ctl({"eq", "import", file + ":7", "music-left", list.string()}), ctl::kExitDone)
        << m_err.str();
    EXPECT_NE(m_out.str().find("mode 7, music-left"), std::string::npos) << m_out.str();
    Bytes after = ReadFile(file);
    EXPECT_EQ(band1(after, 7)[band::kType], 3);
    EXPECT_TRUE(std::equal(band1(after, 4), band1(after, 4) + band::kSize, band1(bytes, 4)));

    // Without a mode number, the mode its system block names.
    ASSERT_EQ(Ctl({"eq", "import", file, "music-left", list.string()}), ctl::kExitDone);
    after = ReadFile(file);
    EXPECT_EQ(band1(after, 4)[band::kType], 3);
    ASSERT_EQ(Ctl({"eq", "export", file + ":4", "music-left"}), ctl::kExitDone);
    EXPECT_EQ(m_out.str().rfind("Filter 1: ON HS Fc 8000 Hz Gain -2.0 dB Q 0.71\n", 0), 0u)
        << m_out.str();

    EXPECT_EQ(Ctl({"eq", "export", file + ":22", "music-left"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"eq", "export", file + ":0", "music-left"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"eq", "export", file + ":123", "music-left"}), ctl::kExitUsage);
    EXPECT_NE(m_err.str().find("from 1 to 21"), std::string::npos);
}

TEST_F(ZoltctlEq, RefusalsLeaveTheFileAlone) {
    const fs::path file = OneModeFile("keep.dia");
    const Bytes before = ReadFile(file);
    std::string sixteen;
    for (int i = 1; i <= 16; ++i) {
        sixteen += "Filter " + std::to_string(i) + ": ON PK Fc " + std::to_string(100 * i) +
                   " Hz Gain -1 dB Q 1\n";
    }
    struct SCase {
        std::vector<std::string> m_aArgs;
        int m_nExit;
        const char* m_pszMessage;
    };
    const std::string f = file.string();
    const SCase cases[] = {
        {{"eq", "import", f, "music-left", List("16.txt", sixteen).string()},
         ctl::kExitFile,
         "16 filters for the 15 bands"},
        {{"eq", "import", f, "echo-a",
          List("bad.txt", "Filter 1: ON PK Fc 100 Hz\n\n"
                          "Filter 3: ON PK Fc 1 Hz Gain 1 dB Q 1\n")
              .string()},
         ctl::kExitFile,
         "bad.txt: line 1: no gain"},
        {{"eq", "import", f, "out-9",
          List("ok.txt", "Filter: ON PK Fc 100 Hz Gain 1 dB Q 1\n").string()},
         ctl::kExitUsage,
         "unknown block \"out-9\""},
        {{"eq", "import", f, "sub", (m_dir / "missing.txt").string()},
         ctl::kExitFile,
         "missing.txt: No such file"},
        {{"eq", "import", f + ":2", "sub", (m_dir / "ok.txt").string()},
         ctl::kExitUsage,
         "holds one mode"},
        {{"eq", "import", (m_dir / "none.dia").string(), "sub", (m_dir / "ok.txt").string()},
         ctl::kExitFile,
         "none.dia: No such file"},
        {{"eq", "import", f, "sub"}, ctl::kExitUsage, "usage: zoltctl eq import"},
        {{"eq", "export", f}, ctl::kExitUsage, "usage: zoltctl eq import"},
        {{"eq", "export", f, "sub", "extra"}, ctl::kExitUsage, "usage: zoltctl eq import"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Ctl(c.m_aArgs), c.m_nExit) << c.m_pszMessage;
        EXPECT_NE(m_err.str().find(c.m_pszMessage), std::string::npos) << m_err.str();
        EXPECT_EQ(m_out.str(), "");
        EXPECT_EQ(ReadFile(file), before) << c.m_pszMessage;
    }

    // A file too short for its kind is refused, not read past its end.
    WriteFile(m_dir / "short.dia", Bytes(kOneModeFileSize - 1, 0));
    EXPECT_EQ(Ctl({"eq", "export", (m_dir / "short.dia").string(), "sub"}), ctl::kExitFile);
    EXPECT_NE(m_err.str().find("2777 bytes, neither a one-mode file"), std::string::npos);
    WriteFile(m_dir / "short.dat", Bytes(kAllModesFileSize - 1, 0));
    EXPECT_EQ(Ctl({"eq", "export", (m_dir / "short.dat").string(), "sub"}), ctl::kExitFile);
    EXPECT_NE(m_err.str().find("57018 bytes, neither a one-mode file"), std::string::npos);
}

// As dump and diff read presets: only a file of one of the two sizes, whose size says its
// kind, whatever its name; a longer file is refused too, not rewritten with its tail.
TEST_F(ZoltctlEq, ImportTakesOnlyTheTwoPresetSizes) {
    const fs::path list = List("one.txt", "Filter: ON PK Fc 1000 Hz Gain 6 dB Q 1\n");
    for (const std::size_t nSize :
         {kOneModeFileSize + 1, kAllModesFileSize + 1, kAllModesFileSize + 4096}) {
        const fs::path file = m_dir / (nSize < kAllModesFileSize ? "long.dia" : "long.dat");
        const Bytes before = Noise(nSize, 17);
        WriteFile(file, before);
        EXPECT_EQ(Ctl({"eq", "import", file.string(), "music-left", list.string()}), ctl::kExitFile)
            << nSize;
        EXPECT_EQ(m_err.str(), "zoltctl: " + file.string() + ": " + std::to_string(nSize) +
                                   " bytes, neither a one-mode file (2778 bytes) nor an "
                                   "all-modes file (57019 bytes)\n");
        EXPECT_EQ(m_out.str(), "");
        EXPECT_EQ(ReadFile(file), before) << nSize;
    }

    // A one-mode file named .dat is read as the one mode it holds.
    const fs::path named = m_dir / "one.dat";
    WriteFile(named, Bytes(kOneModeFileSize, 0));
    ASSERT_EQ(Ctl({"eq", "import", named.string(), "music-left", list.string()}), ctl::kExitDone)
        << m_err.str();
    EXPECT_EQ(ReadFile(named).at(kSystemSize + kMusicLeftBand1 + band::kGain), 150);
    EXPECT_EQ(Ctl({"eq", "import", named.string() + ":2", "music-left", list.string()}),
              ctl::kExitUsage);
}

// Stored bytes outside the steps of their tables are exported as the nearest step, and
// each such value is named on standard error; the list itself is what it was.
TEST_F(ZoltctlEq, ExportNamesEachValueWrittenAsTheNearestStep) {
    Bytes bytes(kOneModeFileSize, 0);
    std::uint8_t* band2 = bytes.data() + kSystemSize + kMusicLeftBand1 + band::kSize;
    SetU16(band2 + band::kFreq, 204);
    band2[band::kGain] = 150;
    band2[band::kQ] = 16;
    band2[band::kType] = 1;
    const fs::path file = m_dir / "steps.dia";
    WriteFile(file, bytes);
    ASSERT_EQ(Ctl({"eq", "export", file.string(), "music-left"}), ctl::kExitDone);
    EXPECT_EQ(m_err.str(), "");
    const std::string inSteps = m_out.str();

    SetU16(band2 + band::kFreq, 400);
    band2[band::kGain] = 250;
    band2[band::kQ] = 150;
    band2[band::kType] = 9;
    WriteFile(file, bytes);
    ASSERT_EQ(Ctl({"eq", "export", file.string(), "music-left"}), ctl::kExitDone);
    EXPECT_EQ(m_err.str(),
              "zoltctl: eq export: music-left band 2: frequency index 400 is outside 0..361: "
              "written as 20600 Hz\n"
              "zoltctl: eq export: music-left band 2: gain byte 250 is outside 0..240: written "
              "as +24.0 dB\n"
              "zoltctl: eq export: music-left band 2: Q index 150 is outside 0..100: written as "
              "Q 128.00\n"
              "zoltctl: eq export: music-left band 2: type byte 9 is none of BY, P, LS, HS "
              "(0..3): written as OFF\n");
    const std::string expected = "Filter 2: OFF PK Fc 20600 Hz Gain 24.0 dB Q 128.00\n";
    const std::size_t line2 = inSteps.find("Filter 2:");
    ASSERT_NE(line2, std::string::npos);
    EXPECT_EQ(m_out.str(),
              inSteps.substr(0, line2) + expected + inSteps.substr(inSteps.find('\n', line2) + 1));
}

// A FIFO, a folder or a device given for a preset or a list is refused at once; reading it
// would wait for a writer or never end.
TEST_F(ZoltctlEq, OnlyRegularFilesAreRead) {
    const fs::path preset = m_dir / "preset.dia";
    WriteFile(preset, Bytes(kOneModeFileSize, 0));
    ASSERT_EQ(mkfifo((m_dir / "pipe.dia").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((m_dir / "pipe.txt").c_str(), 0600), 0);
    const std::string pipe = (m_dir / "pipe.dia").string();
    const std::string list = (m_dir / "pipe.txt").string();
    auto run = std::async(std::launch::async, [&] {
        const int first = Ctl({"eq", "export", pipe, "sub"});
        const std::string said = m_err.str();
        return std::pair{first == ctl::kExitFile &&
                             said == "zoltctl: " + pipe + ": is a pipe (FIFO), not a file\n",
                         Ctl({"eq", "import", preset.string(), "sub", list})};
    });
    if (run.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        ADD_FAILURE() << "zoltctl eq blocked on a FIFO";
        ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
        ::close(::open(list.c_str(), O_WRONLY | O_NONBLOCK));
    }
    const auto [exportRefused, importCode] = run.get();
    EXPECT_TRUE(exportRefused);
    EXPECT_EQ(importCode, ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: " + list + ": is a pipe (FIFO), not a file\n");
    EXPECT_EQ(Ctl({"eq", "export", m_dir.string(), "sub"}), ctl::kExitFile);
    EXPECT_EQ(Ctl({"eq", "import", preset.string(), "sub", "/dev/zero"}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: /dev/zero: is a device, not a file\n");
    EXPECT_EQ(ReadFile(preset), Bytes(kOneModeFileSize, 0));
}

// eq fit: the file rewritten with the bands FitBlock chooses for the same image, the report
// printed; the options narrow the range, choose the target and the bands.
TEST_F(ZoltctlEq, FitWritesTheFittedBandsAndReports) {
    Bytes zeros(kOneModeFileSize, 0);
    zeros[kSystemSize + image::kOutputMode] = 2;
    const fs::path file = m_dir / "fit.dia";
    WriteFile(file, zeros);
    const fs::path room = List("room.txt", test::MeasurementText(test::SyntheticRoom(2)));
    ASSERT_EQ(Ctl({"eq", "fit", file.string(), "out-1", room.string()}), ctl::kExitDone)
        << m_err.str();
    EXPECT_EQ(m_out.str().rfind(file.string() + ", out-1: fitted to " + room.string() +
                                    ", target flat\nFit of ",
                                0),
              0u)
        << m_out.str();
    EXPECT_NE(m_out.str().find("\nRMS error "), std::string::npos);

    Bytes expected = zeros;
    SFitSettings settings;
    settings.m_nBlock = 13; // Out 1
    SFitResult result;
    std::string error;
    ASSERT_TRUE(FitBlock(CurveOnGrid(test::SyntheticRoom(2)), CResponseDb{}, settings,
                         expected.data() + kSystemSize, result, error));
    EXPECT_EQ(ReadFile(file), expected) << "the bands of out-1 in output set 2, as fitted";
    EXPECT_EQ(m_out.str().substr(m_out.str().find('\n') + 1), FitReport(result, 0));

    // A house curve over a narrower range with four bands at most, in mode 3 of a file of
    // all modes.
    WriteFile(m_dir / "all.dat", Bytes(kAllModesFileSize, 0));
    const std::string all = (m_dir / "all.dat").string();
    ASSERT_EQ(Ctl({"eq", "fit", all + ":3", "music-left", room.string(), "--house", "6,-3",
                   "--from", "50", "--to", "10000", "--bands", "4"}),
              ctl::kExitDone)
        << m_err.str();
    const std::string& report = m_out.str();
    EXPECT_NE(report.find("mode 3, music-left: fitted to " + room.string() +
                          ", target house curve (bass +6 dB, treble tilt -3 dB)\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(" bands from 50.6 Hz to 9890 Hz ("), std::string::npos) << report;
    EXPECT_NE(report.find("..15: bypassed\n"), std::string::npos) << report;
    const Bytes after = ReadFile(all);
    const std::uint8_t* mode3 = after.data() + kSystemSize + 2 * kImageSize + kMusicLeftBand1;
    EXPECT_NE(mode3[band::kType], 0);
    EXPECT_EQ(mode3[4 * band::kSize + band::kType], 0) << "band 5 bypassed";
    EXPECT_TRUE(std::all_of(after.begin(), after.begin() + kSystemSize + 2 * kImageSize,
                            [](std::uint8_t b) { return b == 0; }));

    // A target file of the measurement's own format; a flat one fits as no target does.
    const fs::path flat = List("flat.txt", "* flat\n10 0\n30000 0\n");
    WriteFile(file, zeros);
    ASSERT_EQ(Ctl({"eq", "fit", file.string(), "out-1", room.string(), "--target", flat.string()}),
              ctl::kExitDone)
        << m_err.str();
    EXPECT_EQ(ReadFile(file), expected);
}

TEST_F(ZoltctlEq, FitRefusalsLeaveTheFileAlone) {
    const fs::path file = OneModeFile("keep.dia");
    const Bytes before = ReadFile(file);
    const std::string f = file.string();
    const std::string room =
        List("room.txt", test::MeasurementText(test::SyntheticRoom(3))).string();
    const std::string bad = List("bad.txt", "* header\n20 70\n25 abc\n").string();
    const std::string huge = (m_dir / "huge.txt").string();
    fs::resize_file(List("huge.txt", "20 70\n"), kMaxMeasurementBytes + 1);
    struct SCase {
        std::vector<std::string> m_aArgs;
        int m_nExit;
        const char* m_pszMessage;
    };
    const SCase cases[] = {
        {{"eq", "fit", f, "sub", (m_dir / "missing.txt").string()},
         ctl::kExitFile,
         "missing.txt: No such file"},
        {{"eq", "fit", f, "sub", bad}, ctl::kExitFile, "bad.txt: line 3: \"abc\" is not a number"},
        {{"eq", "fit", f, "sub", huge}, ctl::kExitFile, "bytes, larger than 67108864 bytes"},
        {{"eq", "fit", f, "sub", "/dev/zero"}, ctl::kExitFile, "is a device, not a file"},
        {{"eq", "fit", f, "sub", m_dir.string()}, ctl::kExitFile, "zoltctl: "},
        {{"eq", "fit", f, "sub", room, "--target", bad}, ctl::kExitFile, "bad.txt: line 3:"},
        {{"eq", "fit", f, "sub", room, "--target", room, "--house", "3,0"},
         ctl::kExitUsage,
         "one target at a time"},
        {{"eq", "fit", f, "sub", room, "--house", "6"}, ctl::kExitUsage, "--house takes two"},
        {{"eq", "fit", f, "sub", room, "--from", "1000", "--to", "100"},
         ctl::kExitUsage,
         "the first below the second"},
        {{"eq", "fit", f, "sub", room, "--from", "low"}, ctl::kExitUsage, "frequencies in Hz"},
        {{"eq", "fit", f, "music-left", room, "--bands", "16"},
         ctl::kExitUsage,
         "--bands is a number from 1 to 15"},
        {{"eq", "fit", f, "out-1", room, "--bands", "2.5"}, ctl::kExitUsage, "from 1 to 10"},
        {{"eq", "fit", f, "sub", room, "--from", "25000", "--to", "30000"},
         ctl::kExitFile,
         "a fit needs 8"},
        {{"eq", "fit", f, "sub-2", room}, ctl::kExitUsage, "unknown block \"sub-2\""},
        {{"eq", "fit", f, "sub"}, ctl::kExitUsage, "usage: zoltctl eq import"},
        {{"eq", "export", f, "sub", "--bands", "3"}, ctl::kExitUsage, "usage: zoltctl eq import"},
        {{"dump", f, "--from", "20"}, ctl::kExitUsage, "usage: zoltctl"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Ctl(c.m_aArgs), c.m_nExit) << c.m_pszMessage;
        EXPECT_NE(m_err.str().find(c.m_pszMessage), std::string::npos) << m_err.str();
        EXPECT_EQ(m_out.str(), "");
        EXPECT_EQ(ReadFile(file), before) << c.m_pszMessage;
    }
}
} // namespace
} // namespace zolt
