// A/B compare end to end: edits made as B reach the processor, a switch sends only the
// frames of the settings that differ, and keeping a side leaves the processor holding it.
// The differences, and the working state against a preset file, are listed in the window's
// language.
#include "PageOverLine.h"

#include "controls/MessageBox.h"
#include "link/PresetFiles.h"
#include "model/EditHistory.h"
#include "model/Fields.h"
#include "pages/CompareCommands.h"
#include "pages/MusicData.h"
#include "pages/MusicDlg.h"

#include <QTemporaryDir>

namespace zolt {
namespace {

using namespace musicid;
using ESide = CAbCompare::ESide;

// The two settings edited as B: Music Right's limiter level and its high-pass slope.
constexpr std::size_t kLimit = 553;
constexpr std::size_t kSlope = 727;

class CompareOverLine : public test::CPageOverLine<CMusicDlg> {
protected:
    void SetUp() override {
        CPageOverLine::SetUp();
        ResetMusicView();
        g_flags.m_nLanguage = 0;
    }
    void TearDown() override {
        g_flags.m_nLanguage = 0;
        CPageOverLine::TearDown();
    }

    static CAbCompare::CImage Working() {
        CAbCompare::CImage image{};
        const CImageGuard guard(ImageLock());
        std::copy_n(Image(), kImageSize, image.begin());
        return image;
    }
    // The commands of the frames sent, in order.
    static std::vector<int> Commands(const std::vector<std::vector<int>>& frames) {
        std::vector<int> commands;
        for (const auto& frame : frames) {
            commands.push_back(frame[0]);
        }
        return commands;
    }

    QWidget m_window;
    CEditHistory m_history;
    CCompareCommands m_compare{m_window, m_history, [this] { m_pPage->Refresh(); },
                               [](EFileKind) { return QString(); },
                               [this](int mode) { m_anModesRead.push_back(mode); }};
    std::vector<int> m_anModesRead; // the stored modes asked of the processor
    QStringList m_boxes;
    CScopedMessageBoxHandler m_recordBoxes{[this](QWidget*, const SMessageBox& box) {
        m_boxes << box.m_strText;
        return EMsgResult::Ok;
    }};
};

TEST_F(CompareOverLine, ASwitchSendsOnlyTheDifferencesAndKeepingLeavesTheSideOnTheProcessor) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    m_history.Reset();

    m_compare.Start();
    const CAbCompare::CImage a = Working();
    Click(kRight);
    {
        const CImageGuard guard(ImageLock());
        Keys(kLimitLevelSlider, Qt::Key_End);
        Keys(kHpfSlope, Qt::Key_End);
    }
    const std::vector<int> edits = Commands(FramesSent());
    ASSERT_EQ(edits.size(), 2u);
    const CAbCompare::CImage b = Working();
    ASSERT_NE(a[kLimit], b[kLimit]);
    ASSERT_NE(a[kSlope], b[kSlope]);

    // Each switch: the two settings' frames, nothing else, and the processor holds the side.
    for (const ESide side : {ESide::A, ESide::B, ESide::A}) {
        m_compare.Switch();
        EXPECT_EQ(m_compare.State().Shown(), side);
        EXPECT_EQ(Commands(FramesSent()), edits);
        EXPECT_EQ(Working(), side == ESide::A ? a : b);
        EXPECT_TRUE(ProcessorMatches());
    }

    // Keeping B while A is shown: B goes back to the processor, and is one step to undo.
    m_compare.Keep(ESide::B);
    EXPECT_FALSE(m_compare.State().Active());
    EXPECT_EQ(Commands(FramesSent()), edits);
    EXPECT_EQ(Working(), b);
    EXPECT_TRUE(ProcessorMatches());
    EXPECT_EQ(DescribeStep(*m_history.NextUndo(), 0), "keeping B");
    ASSERT_TRUE(m_history.Undo());
    EXPECT_EQ(Working(), a);
    EXPECT_EQ(Commands(FramesSent()), edits);
    EXPECT_TRUE(ProcessorMatches());
}

TEST_F(CompareOverLine, TheDifferencesAreListedInTheWindowsLanguage) {
    ResetProcessData();
    FactoryDefaults();
    ShowPage();
    m_compare.Start();
    m_compare.ShowDifferences();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes.back(), "A and B are the same.");

    Click(kRight);
    Keys(kLimitLevelSlider, Qt::Key_End);
    Keys(kHpfSlope, Qt::Key_End);
    for (const int language : {0, 1}) {
        g_flags.m_nLanguage = language;
        m_compare.ShowDifferences();
        const QString text = m_boxes.back();
        EXPECT_TRUE(text.startsWith(language == 0 ? "Settings that differ between A and B: 2"
                                                  : "A 与 B 有 2 项设置不同"))
            << text.toStdString();
        for (const std::size_t offset : {kLimit, kSlope}) {
            const SField* pField = FieldAt(EArea::Image, offset);
            ASSERT_NE(pField, nullptr);
            EXPECT_TRUE(text.contains(QString::fromStdString(pField->Name(language))))
                << text.toStdString();
        }
    }
}

TEST_F(CompareOverLine, TheWorkingStateAgainstAFileOrAStoredMode) {
    ResetProcessData();
    FactoryDefaults();
    ShowPage();
    QTemporaryDir dir;
    const std::string path = dir.filePath("saved.dia").toStdString();
    ASSERT_TRUE(ExportOneMode(path));
    m_compare.CompareWithFile(path);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes.back().toStdString(), "The settings are the same as " + path + ".");

    Click(kRight);
    Keys(kHpfSlope, Qt::Key_End);
    m_compare.CompareWithFile(path);
    const std::string text = m_boxes.back().toStdString();
    EXPECT_NE(text.find("differ from " + path + ": 1 (now -> "), std::string::npos) << text;
    EXPECT_NE(text.find(FieldAt(EArea::Image, kSlope)->Name(0)), std::string::npos) << text;

    // A file that is no preset: its name and why, nothing compared.
    const std::string folder = dir.path().toStdString();
    m_compare.CompareWithFile(folder);
    EXPECT_TRUE(
        m_boxes.back().startsWith("Preset file read error\n" + QString::fromStdString(folder)))
        << m_boxes.back().toStdString();

    // Stored mode 3 holding the working image but for one setting, the modes held: compared
    // at once, nothing asked of the processor.
    {
        const CImageGuard guard(ImageLock());
        std::copy_n(Image(), kImageSize, Slot(3));
        Slot(3)[kLimit] = static_cast<std::uint8_t>(Image()[kLimit] ^ 1);
        g_data.m_store.m_bValid = 1;
    }
    g_flags.m_nLanguage = 1;
    const qsizetype boxes = m_boxes.size();
    m_compare.CompareWithMode(3);
    EXPECT_TRUE(m_anModesRead.empty());
    ASSERT_EQ(m_boxes.size(), boxes + 1);
    const QString chinese = m_boxes.back();
    EXPECT_TRUE(chinese.startsWith("当前设置与模式 3有 1 项不同")) << chinese.toStdString();
    EXPECT_TRUE(chinese.contains(QString::fromStdString(FieldAt(EArea::Image, kLimit)->Name(1))));
}

} // namespace
} // namespace zolt
