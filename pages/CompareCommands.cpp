#include "pages/CompareCommands.h"

#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "link/PresetCompare.h"
#include "link/PresetFiles.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "model/EditHistory.h"

#include <QMenu>
#include <QShortcut>

#include <algorithm>

namespace zolt {

namespace {

using ESide = CAbCompare::ESide;

constexpr SText kCompareMenu{"A/B 比较", "A/B compare"};
constexpr SText kStart{"比较（保留当前设置为 A）", "Compare (keep these settings as A)"};
constexpr SText kSwitchTo{"切换到 %1", "Switch to %1"};
constexpr SText kDifferences{"A 与 B 的不同...", "Differences of A and B..."};
constexpr SText kKeep{"保留 %1", "Keep %1"};
constexpr SText kWithFile{"与预设文件比较...", "Compare with a preset file..."};
constexpr SText kWithMode{"与保存的模式比较", "Compare with a stored mode"};
constexpr SText kModeEntry{"模式 %1  %2", "Mode %1  %2"};
constexpr SText kCaption{"比较", "Compare"};
constexpr SText kAbHeadline{"A 与 B 有 %1 项设置不同（A -> B）：",
                            "Settings that differ between A and B: %1 (A -> B)"};
constexpr SText kAbSame{"A 与 B 相同。", "A and B are the same."};
constexpr SText kOtherHeadline{"当前设置与%1有 %2 项不同（当前 -> %1）：",
                               "Settings that differ from %1: %2 (now -> %1)"};
constexpr SText kOtherSame{"当前设置与%1相同。", "The settings are the same as %1."};
constexpr SText kModeName{"模式 %1", "mode %1"};
constexpr SText kMore{"……另外 %1 项", "... and %1 more"};
constexpr SText kReadError{"预设文件读取错误", "Preset file read error"};
// Keeping the side not shown is a step of the edit history.
constexpr SText kKeepSteps[] = {{"保留 A", "keeping A"}, {"保留 B", "keeping B"}};

// The differences a box lists before saying how many more there are.
constexpr std::size_t kListedLines = 30;

QString SideName(ESide side) {
    return side == ESide::A ? QStringLiteral("A") : QStringLiteral("B");
}

// A one-mode preset of the system block and the image given.
SPresetFile PresetOf(const CAbCompare::CImage& image) {
    SPresetFile file = PresetFileOfData(false);
    std::copy(image.begin(), image.end(), file.m_abBytes.begin() + kSystemSize);
    return file;
}

} // namespace

CCompareCommands::CCompareCommands(QWidget& window, CEditHistory& history,
                                   std::function<void()> showPage,
                                   std::function<QString(EFileKind)> chooseFile,
                                   std::function<void(int)> readStoredMode)
    : m_window(window), m_history(history), m_showPage(std::move(showPage)),
      m_chooseFile(std::move(chooseFile)), m_readStoredMode(std::move(readStoredMode)),
      m_pSwitchKey(new QShortcut(QKeySequence(Qt::Key_F6), &window)) {
    connect(m_pSwitchKey, &QShortcut::activated, this, &CCompareCommands::Switch);
}

void CCompareCommands::AddActions(QMenu& menu) {
    QMenu* pMenu = menu.addMenu(LanguageText(kCompareMenu));
    if (!m_compare.Active()) {
        pMenu->addAction(LanguageText(kStart), this, &CCompareCommands::Start);
    } else {
        const ESide other = m_compare.Shown() == ESide::A ? ESide::B : ESide::A;
        QAction* pSwitch = pMenu->addAction(LanguageText(kSwitchTo).arg(SideName(other)), this,
                                            &CCompareCommands::Switch);
        pSwitch->setShortcut(m_pSwitchKey->key());
        pMenu->addAction(LanguageText(kDifferences), this, &CCompareCommands::ShowDifferences);
        for (const ESide side : {ESide::A, ESide::B}) {
            pMenu->addAction(LanguageText(kKeep).arg(SideName(side)), this,
                             [this, side] { Keep(side); });
        }
    }
    pMenu->addSeparator();
    pMenu->addAction(LanguageText(kWithFile), this, [this] {
        const QString path = m_chooseFile(EFileKind::OneMode);
        if (!path.isEmpty()) {
            CompareWithFile(path.toStdString());
        }
    });
    QMenu* pModes = pMenu->addMenu(LanguageText(kWithMode));
    const CImageGuard guard(ImageLock());
    pModes->setEnabled(g_data.m_store.m_bValid != 0 || g_flags.m_bOnline);
    for (int mode = 1; mode < static_cast<int>(kSlotCount); ++mode) {
        const std::string name = PrintableText(
            FieldText(Slot(static_cast<std::size_t>(mode)) + image::kName, kNameSize));
        pModes->addAction(LanguageText(kModeEntry).arg(mode).arg(QString::fromStdString(name)),
                          this, [this, mode] { CompareWithMode(mode); });
    }
}

void CCompareCommands::Start() {
    m_history.Cut();
    m_compare.Start();
}

// Not a step of the history: each side keeps its edits, and an undo after a switch acts on
// the side shown.
void CCompareCommands::Switch() {
    if (!m_compare.Active()) {
        return;
    }
    m_history.Cut();
    m_compare.Switch();
    m_history.Absorb();
    m_showPage();
}

void CCompareCommands::Keep(ESide side) {
    if (!m_compare.Active()) {
        return;
    }
    m_history.Cut();
    m_compare.Keep(side);
    m_history.Record(kKeepSteps[side == ESide::A ? 0 : 1]);
    m_showPage();
}

void CCompareCommands::ShowDifferences() {
    ShowComparison(LanguageText(kAbSame), LanguageText(kAbHeadline),
                   PresetOf(m_compare.Side(ESide::A)), PresetOf(m_compare.Side(ESide::B)));
}

void CCompareCommands::CompareWithFile(const std::string& path) {
    SPresetFile file;
    std::vector<SFieldDifference> differences;
    std::string error;
    const SPresetFile now = PresetFileOfData(false);
    if (!ReadPresetFile(path, file, error) || !ComparePresets(now, file, differences, error)) {
        ShowMessageBox(&m_window,
                       LanguageText(kReadError) + QLatin1Char('\n') +
                           QString::fromStdString(PrintableText(path) + ": " + error),
                       LanguageText(kCaption), EMsgButtons::Ok, EMsgIcon::Warning);
        return;
    }
    const QString name = QString::fromStdString(PrintableText(path));
    ShowComparison(LanguageText(kOtherSame).arg(name), LanguageText(kOtherHeadline).arg(name), now,
                   file);
}

void CCompareCommands::CompareWithMode(int mode) {
    bool held = false;
    {
        const CImageGuard guard(ImageLock());
        held = g_data.m_store.m_bValid != 0;
    }
    if (held) {
        StoredModeRead(mode);
    } else {
        m_readStoredMode(mode);
    }
}

void CCompareCommands::StoredModeRead(int mode) {
    CAbCompare::CImage stored{};
    {
        const CImageGuard guard(ImageLock());
        const std::uint8_t* pSlot = Slot(static_cast<std::size_t>(mode));
        std::copy(pSlot, pSlot + kImageSize, stored.begin());
    }
    const QString name = LanguageText(kModeName).arg(mode);
    ShowComparison(LanguageText(kOtherSame).arg(name), LanguageText(kOtherHeadline).arg(name),
                   PresetFileOfData(false), PresetOf(stored));
}

void CCompareCommands::ShowComparison(const QString& strSame, const QString& strDiffer,
                                      const SPresetFile& before, const SPresetFile& after) {
    const SChangeSummary summary = SummarizeChanges(before, after, kListedLines, Language());
    if (summary.m_nSettings == 0) {
        ShowMessageBox(&m_window, strSame, LanguageText(kCaption));
        return;
    }
    QString text = strDiffer.arg(summary.m_nSettings);
    for (const std::string& line : summary.m_astrLines) {
        text += QLatin1Char('\n') + QString::fromStdString(line);
    }
    if (summary.m_nSettings > summary.m_astrLines.size()) {
        text += QLatin1Char('\n') +
                LanguageText(kMore).arg(summary.m_nSettings - summary.m_astrLines.size());
    }
    ShowMessageBox(&m_window, text, LanguageText(kCaption));
}

} // namespace zolt
