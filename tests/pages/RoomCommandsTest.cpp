// Room correction as the window's menu runs it: a measurement refused with its file and
// line, the fit shown before it is applied and applied as one step of the edit history, a
// paste refused with its reason or applied as one step, and the fit box refusing values
// that are none.
#include "../eq/SyntheticRoom.h"

#include "controls/ControlFactory.h"
#include "controls/MessageBox.h"
#include "eq/RoomOverlay.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "model/EditHistory.h"
#include "pages/FitDlg.h"
#include "pages/RoomCommands.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace zolt {
namespace {

constexpr int kMusicLeft = 0;
constexpr int kOut2 = 12;
constexpr int kOut1 = 13;

using CImage = std::array<std::uint8_t, kImageSize>;

CImage Working() {
    CImage image{};
    const CImageGuard guard(ImageLock());
    std::copy_n(Image(), kImageSize, image.begin());
    return image;
}

std::uint8_t* Band(int nBlock, int nBand) {
    const SEqBlock block = EqBlock(nBlock, LiveOutputSet());
    return Image() + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(nBand);
}

class RoomCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        g_flags.m_nLanguage = 0;
        RoomOverlayOf(kMusicLeft)->Clear();
        m_history.Reset();
    }
    void TearDown() override { RoomOverlayOf(kMusicLeft)->Clear(); }

    std::string WriteFile(const char* pszName, const std::string& text) {
        const std::string path = m_dir.filePath(pszName).toStdString();
        std::ofstream(path) << text;
        return path;
    }

    QTemporaryDir m_dir;
    QWidget m_window;
    CEditHistory m_history;
    int m_nShown = 0;
    CRoomCommands m_room{m_window, m_history, [this] { ++m_nShown; },
                         [](EFileKind) { return QString(); }};
    QStringList m_boxes;
    EMsgResult m_answer = EMsgResult::Ok;
    CScopedMessageBoxHandler m_recordBoxes{[this](QWidget*, const SMessageBox& box) {
        m_boxes << box.m_strText;
        return m_answer;
    }};
};

TEST_F(RoomCommands, AMeasurementThatCannotBeReadIsRefusedWithItsFileAndLine) {
    const std::string bad = WriteFile("bad.txt", "* header\n20 70\n25 seventy\n");
    EXPECT_FALSE(m_room.ImportMeasurementFrom(bad, kMusicLeft));
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes.back().contains(QString::fromStdString(bad + ": line 3")))
        << m_boxes.back().toStdString();
    EXPECT_FALSE(RoomOverlayOf(kMusicLeft)->Loaded());

    // A folder is no file: refused without reading, its name said.
    const std::string folder = m_dir.path().toStdString();
    EXPECT_FALSE(m_room.ImportMeasurementFrom(folder, kMusicLeft));
    EXPECT_TRUE(m_boxes.back().contains(QString::fromStdString(folder)));
    EXPECT_FALSE(RoomOverlayOf(kMusicLeft)->Loaded());

    // A target file is read the same way; the target stays as it was.
    SFitChoice choice;
    choice.m_eTarget = ETarget::File;
    choice.m_strTargetFile = bad;
    EXPECT_FALSE(m_room.SetTarget(kMusicLeft, choice));
    EXPECT_TRUE(m_boxes.back().contains(QString::fromStdString(bad + ": line 3")));
    EXPECT_EQ(RoomOverlayOf(kMusicLeft)->Target().m_eKind, ETarget::Flat);
    EXPECT_EQ(m_nShown, 0);
}

TEST_F(RoomCommands, TheFitIsShownFirstAndAppliedAsOneStep) {
    SFitChoice choice;
    EXPECT_FALSE(m_room.Fit(kMusicLeft, choice)) << "no measurement yet";

    const std::string room = WriteFile("room.txt", test::MeasurementText(test::SyntheticRoom(7)));
    ASSERT_TRUE(m_room.ImportMeasurementFrom(room, kMusicLeft));
    EXPECT_TRUE(RoomOverlayOf(kMusicLeft)->Loaded());
    EXPECT_EQ(m_nShown, 1);
    const CImage before = Working();

    choice.m_eTarget = ETarget::House;
    choice.m_dBassDb = 4.0;
    choice.m_dTiltDb = -2.0;
    choice.m_nBands = 8;
    m_answer = EMsgResult::Cancel;
    EXPECT_FALSE(m_room.Fit(kMusicLeft, choice));
    EXPECT_EQ(Working(), before) << "a fit not applied changes nothing";
    EXPECT_TRUE(m_boxes.back().contains("RMS")) << m_boxes.back().toStdString();
    EXPECT_EQ(RoomOverlayOf(kMusicLeft)->Target().m_eKind, ETarget::House);

    m_answer = EMsgResult::Ok;
    const qsizetype nBoxes = m_boxes.size();
    ASSERT_TRUE(m_room.Fit(kMusicLeft, choice));
    EXPECT_EQ(m_boxes.size(), nBoxes + 1) << "one box: the report with its question";
    const CImage after = Working();
    ASSERT_NE(after, before);
    // Only Music Left's band records changed, and eight bands play.
    const SEqBlock block = EqBlock(kMusicLeft, LiveOutputSet());
    const std::size_t nEnd = block.m_nFirst + block.m_nStride * std::size_t(block.m_nBands);
    int nPlaying = 0;
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (after[i] != before[i]) {
            EXPECT_TRUE(i >= block.m_nFirst && i < nEnd) << i;
        }
    }
    for (int nBand = 0; nBand < block.m_nBands; ++nBand) {
        nPlaying += Band(kMusicLeft, nBand)[band::kType] != ftype::kBypass;
    }
    EXPECT_EQ(nPlaying, 8);

    const SEditStep* pStep = m_history.NextUndo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(DescribeStep(*pStep, 0), "the fit to the target");
    ASSERT_TRUE(m_history.Undo());
    EXPECT_EQ(Working(), before);
    EXPECT_EQ(m_history.UndoCount(), 0u);
}

TEST_F(RoomCommands, APasteIsRefusedWithItsReasonOrAppliedAsOneStep) {
    EXPECT_FALSE(m_room.Paste(kOut1, false)) << "nothing copied";
    const SEqBlock music = EqBlock(kMusicLeft, LiveOutputSet());
    for (int nBand = 0; nBand < music.m_nBands; ++nBand) {
        std::uint8_t* pBand = Band(kMusicLeft, nBand);
        pBand[band::kType] = nBand < 11 ? ftype::kPeaking : ftype::kBypass;
        pBand[band::kGain] = static_cast<std::uint8_t>(kGainRawZero + 10 + nBand);
    }
    m_history.Absorb();
    m_room.Copy(kMusicLeft);
    const CImage before = Working();
    EXPECT_FALSE(m_room.Paste(kOut1, false));
    EXPECT_EQ(m_boxes.back(), "Music Left plays 11 bands and Out 1 has 10: nothing pasted");
    EXPECT_EQ(Working(), before);
    EXPECT_EQ(m_history.NextUndo(), nullptr);

    // Out 1 onto Out 2 with its crossovers: one step, undone at once.
    Band(kOut1, 0)[band::kType] = ftype::kLowShelf;
    Band(kOut1, 0)[band::kGain] = static_cast<std::uint8_t>(kGainRawZero - 20);
    m_history.Absorb();
    const CImage copied = Working();
    m_room.Copy(kOut1);
    ASSERT_TRUE(m_room.Paste(kOut2, true));
    EXPECT_EQ(Band(kOut2, 0)[band::kType], ftype::kLowShelf);
    EXPECT_EQ(Band(kOut2, 0)[band::kGain], kGainRawZero - 20);
    EXPECT_EQ(DescribeStep(*m_history.NextUndo(), 0), "Paste EQ");
    ASSERT_TRUE(m_history.Undo());
    EXPECT_EQ(Working(), copied);
}

// Every field of the box is named beside it, in the window's language.
TEST_F(RoomCommands, TheFitBoxNamesItsFieldsInTheWindowsLanguage) {
    const auto labels = [this] {
        CFitDlg dialog(&m_window, CFitDlg::EMode::Fit, SFitChoice{}, 15, [] { return QString(); });
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            texts << label->text();
        }
        return std::pair{dialog.windowTitle(), texts};
    };
    const auto [title, english] = labels();
    EXPECT_EQ(title, "Fit to target");
    for (const char* caption : {"Target", "Bass rise (dB)", "Treble tilt (dB)", "Target file",
                                "From (Hz)", "To (Hz)", "Bands"}) {
        EXPECT_TRUE(english.contains(QString::fromUtf8(caption))) << caption;
    }
    g_flags.m_nLanguage = 1;
    const auto [chineseTitle, chinese] = labels();
    g_flags.m_nLanguage = 0;
    EXPECT_EQ(chineseTitle, QString::fromUtf8("拟合到目标"));
    EXPECT_TRUE(chinese.contains(QString::fromUtf8("频段数")));
    EXPECT_FALSE(chinese.contains(QStringLiteral("Bands")));
}

TEST_F(RoomCommands, TheFitBoxRefusesValuesThatAreNone) {
    SFitChoice initial;
    CFitDlg dialog(&m_window, CFitDlg::EMode::Fit, initial, 15, [] { return QString(); });
    SFitChoice choice;
    QString error;
    ASSERT_TRUE(dialog.Read(choice, error)) << error.toStdString();
    EXPECT_EQ(choice.m_nBands, 15) << "all of the block's bands at first";
    EXPECT_EQ(choice.m_dFromHz, kJudgedFromHz);

    const auto set = [&dialog](int nId, const char* pszText) {
        DlgItem<QLineEdit>(&dialog, nId)->setText(QString::fromUtf8(pszText));
    };
    set(fitdlgid::kBands, "16");
    EXPECT_FALSE(dialog.Read(choice, error));
    EXPECT_EQ(error, "Bands is a number from 1 to 15");
    set(fitdlgid::kBands, "6");
    set(fitdlgid::kFrom, "20k");
    EXPECT_FALSE(dialog.Read(choice, error));
    EXPECT_EQ(error, "From (Hz) holds no valid value");
    set(fitdlgid::kFrom, "20000");
    EXPECT_FALSE(dialog.Read(choice, error));
    EXPECT_EQ(error, "From must lie below To");
    set(fitdlgid::kFrom, "60,5");
    ASSERT_TRUE(dialog.Read(choice, error)) << error.toStdString();
    EXPECT_EQ(choice.m_dFromHz, 60.5);
    EXPECT_EQ(choice.m_nBands, 6);
}

} // namespace
} // namespace zolt
