#include "shell/FileCommands.h"

#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "eq/FilterList.h"
#include "link/PresetFiles.h"
#include "link/Session.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "shell/UndoTracker.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>
#include <array>
#include <utility>

namespace zolt {

namespace {

constexpr SText kImportFilters{"导入滤波器...", "Import filters..."};
constexpr SText kExportFilters{"导出滤波器...", "Export filters..."};
constexpr SText kFilterReadError{"滤波器列表读取错误", "Filter list read Error"};
constexpr SText kFilterWriteError{"滤波器列表写入错误", "Filter list Write Error"};
constexpr SText kOfferCheck{"从处理器读回全部模式并与文件比较？",
                            "Read the modes back from the processor and compare them with the "
                            "file?"};

constexpr SText kImportAllAction{"全部导入", "Import all"};
constexpr SText kStoreAction{"保存", "Store"};
constexpr SText kCancelAction{"取消", "Cancel"};
constexpr SText kMore{"……其余：", "... and more: "};
// The changed fields a confirmation lists before saying how many more there are.
constexpr std::size_t kConfirmLines = 10;

// A filter list is a small text file; anything larger is not one.
constexpr std::size_t kMaxFilterListSize = 1 << 20;
// The differences the check's box lists; a count says how many more there are.
constexpr std::size_t kCheckLines = 20;

// A menu entry's text as a box caption: "Import filters".
QString CaptionOf(const SText& entry) {
    return LanguageText(entry).remove(QStringLiteral("..."));
}

QString TwoLines(const SText& first, const std::string& second) {
    return LanguageText(first) + QLatin1Char('\n') + QString::fromStdString(second);
}

// What each kind of file dialog lists, by EFileKind.
constexpr std::array<const char*, 4> kDialogFilters{"*.dia", "*.dat", "*.txt", "*.txt *.frd *.csv"};

} // namespace

CFileCommands::CFileCommands(QWidget& window, CSession& session, CUndoTracker& undo,
                             CUserSettings& settings, std::function<void()> showPage)
    : m_window(window), m_session(session), m_undo(undo), m_settings(settings),
      m_showPage(std::move(showPage)) {}

QString CFileCommands::ChooseFile(bool save, EFileKind kind) {
    const QString folder = m_settings.StartFolder(kind);
    const QString filter = QLatin1String(kDialogFilters[static_cast<std::size_t>(kind)]);
    const QString path =
        save ? QFileDialog::getSaveFileName(&m_window, QString(), folder, filter, nullptr,
                                            QFileDialog::DontUseNativeDialog)
             : QFileDialog::getOpenFileName(&m_window, QString(), folder, filter, nullptr,
                                            QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) {
        m_settings.ChoseFile(kind, path);
    }
    return path;
}

// --- Preset files ---

void CFileCommands::ExportMode() {
    const QString path = ChooseFile(true, EFileKind::OneMode);
    if (!path.isEmpty()) {
        ExportOneMode(path.toStdString());
    }
}

void CFileCommands::ImportMode() {
    const QString path = ChooseFile(false, EFileKind::OneMode);
    if (!path.isEmpty()) {
        ImportModeFrom(path.toStdString());
    }
}

void CFileCommands::ImportModeFrom(const std::string& path) {
    if (ImportOneMode(path, m_session.Link())) {
        m_undo.Record(kImportStep);
    }
}

// Off line there is nothing to export until the store holds a complete set of modes.
void CFileCommands::ExportAllModes() {
    if (!m_session.Online() && g_data.m_store.m_bValid == 0) {
        return;
    }
    const QString path = ChooseFile(true, EFileKind::AllModes);
    if (path.isEmpty()) {
        return;
    }
    m_strExportPath = path.toStdString();
    m_session.Link().SetReadPurpose(EReadPurpose::Export);
    m_session.ReadAllModes();
}

void CFileCommands::SaveAllModes(const std::string& path) {
    {
        CImageGuard guard(ImageLock());
        std::copy(System(), System() + kSystemSize, Slot(0) + slot0::kSystemCopy);
    }
    zolt::ExportAllModes(path);
}

void CFileCommands::ImportAllModes() {
    const QString path = ChooseFile(false, EFileKind::AllModes);
    if (!path.isEmpty()) {
        ImportAllModesFrom(path.toStdString());
    }
}

// What the file would change is told first. On line, that is what the processor holds: when
// the program has not read all its modes, they are read first.
void CFileCommands::ImportAllModesFrom(const std::string& path) {
    if (m_session.Online() && g_data.m_store.m_bValid == 0) {
        m_strImportPath = path;
        m_session.Link().SetReadPurpose(EReadPurpose::Compare);
        m_session.ReadAllModes();
        return;
    }
    if (ConfirmImportAll(path)) {
        ImportAll(path);
    }
}

// A file that cannot be read as all modes is passed on: the import says why.
bool CFileCommands::ConfirmImportAll(const std::string& path) {
    SPresetFile file;
    std::string error;
    if (!ReadPresetFile(path, file, error) || !file.m_bAllModes) {
        return true;
    }
    const SChangeSummary summary =
        SummarizeChanges(PresetFileOfData(true), file, kConfirmLines, Language());
    return summary.m_nSettings == 0 ||
           Confirm(summary.Headline(true, Language()), summary, kImportAllAction);
}

bool CFileCommands::ConfirmStore(int mode, std::string_view name) {
    std::string oldName;
    {
        CImageGuard guard(ImageLock());
        oldName = FieldText(Slot(static_cast<std::size_t>(mode)) + image::kName, kNameSize);
    }
    if (oldName.empty()) {
        return true;
    }
    const std::string what = PrintableText(oldName);
    if (g_data.m_store.m_bValid == 0) {
        return Confirm(StoreHeadline(-1, mode, what, Language()), {}, kStoreAction);
    }
    SPresetFile stored = PresetFileOfData(false);
    SPresetFile replaced = stored;
    {
        CImageGuard guard(ImageLock());
        const std::uint8_t* slot = Slot(static_cast<std::size_t>(mode));
        std::copy(slot, slot + kImageSize, replaced.m_abBytes.begin() + kSystemSize);
    }
    std::uint8_t* newName = stored.m_abBytes.data() + kSystemSize + image::kName;
    std::fill_n(newName, kNameSize, ' ');
    std::copy_n(name.begin(), std::min(name.size(), kNameSize), newName);
    const SChangeSummary summary = SummarizeChanges(replaced, stored, kConfirmLines, Language());
    return Confirm(StoreHeadline(static_cast<long>(summary.m_nSettings), mode, what, Language()),
                   summary, kStoreAction);
}

// The headline, the first changed fields and how many more; the action's own button.
bool CFileCommands::Confirm(const std::string& headline, const SChangeSummary& summary,
                            const SText& action) {
    std::string text = headline;
    for (const std::string& line : summary.m_astrLines) {
        text += "\n" + line;
    }
    if (summary.m_nSettings > summary.m_astrLines.size()) {
        text += "\n" + std::string(kMore.In(Language())) +
                std::to_string(summary.m_nSettings - summary.m_astrLines.size());
    }
    return ShowMessageBox(&m_window, QString::fromStdString(text), {}, EMsgButtons::YesNo,
                          EMsgIcon::Question,
                          {LanguageText(action), LanguageText(kCancelAction)}) == EMsgResult::Yes;
}

void CFileCommands::ImportAll(const std::string& path) {
    if (!zolt::ImportAllModes(path, m_session.Link())) {
        return;
    }
    m_undo.Record(kImportStep);
    if (m_session.Online()) {
        m_check.Begin(true);
        m_nTransferEnd = m_session.Link().FramesAppended();
        m_eCheck = ECheck::Offer;
    }
}

// --- The check after an on-line "Import all" ---

void CFileCommands::OnCommandsDone() {
    if (m_eCheck == ECheck::Offer && m_session.CommandsAnswered() >= m_nTransferEnd) {
        OfferCheck();
    }
}

void CFileCommands::OfferCheck() {
    m_eCheck = ECheck::None;
    const EMsgResult answer = ShowMessageBox(&m_window, LanguageText(kOfferCheck), {},
                                             EMsgButtons::YesNo, EMsgIcon::Question);
    if (answer == EMsgResult::Yes && m_session.Online()) {
        m_eCheck = ECheck::ReadBack;
        m_session.Link().SetReadPurpose(EReadPurpose::Check);
        m_check.ReadBack(m_session);
    }
}

void CFileCommands::OnAllModesRead() {
    if (m_eCheck == ECheck::ReadBack) {
        ShowCheck();
    } else if (!m_strImportPath.empty()) {
        const std::string path = std::exchange(m_strImportPath, {});
        if (ConfirmImportAll(path)) {
            ImportAll(path);
        }
    } else if (!m_strExportPath.empty()) {
        SaveAllModes(std::exchange(m_strExportPath, {}));
    }
}

void CFileCommands::OnLinkEnded() {
    m_eCheck = ECheck::None;
    m_strExportPath.clear();
    m_strImportPath.clear();
}

void CFileCommands::ShowCheck() {
    m_eCheck = ECheck::None;
    const bool same = m_check.Differences().empty();
    ShowMessageBox(&m_window, QString::fromStdString(m_check.Report(kCheckLines, Language())), {},
                   EMsgButtons::Ok, same ? EMsgIcon::None : EMsgIcon::Warning);
}

// --- Room-correction filter lists ---

void CFileCommands::ImportFiltersFrom(const std::string& path, int block) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    SImportResult result;
    bool bImported = ReadRegularFile(path, kMaxFilterListSize, bytes, error);
    if (bImported) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        CImageGuard guard(ImageLock());
        bImported = ImportFilterList(text, block, Image(), result, error);
        if (!bImported) {
            error = path + ": " + error;
        }
    }
    if (!bImported) {
        ShowMessageBox(&m_window, TwoLines(kFilterReadError, error), CaptionOf(kImportFilters),
                       EMsgButtons::Ok, EMsgIcon::Warning);
        return;
    }
    RebindCurves();
    m_showPage();
    ShowMessageBox(&m_window, QString::fromStdString(result.m_strReport),
                   CaptionOf(kImportFilters));
}

void CFileCommands::ExportFiltersTo(const std::string& path, int block) {
    std::string text;
    {
        CImageGuard guard(ImageLock());
        text = ExportFilterList(block, Image());
    }
    const std::string file = FilterListFilePath(path);
    std::string reason;
    if (!ReplaceFile(file, std::vector<std::uint8_t>(text.begin(), text.end()), reason)) {
        ShowMessageBox(&m_window, TwoLines(kFilterWriteError, file + ": " + reason),
                       CaptionOf(kExportFilters), EMsgButtons::Ok, EMsgIcon::Warning);
    }
}

void CFileCommands::AddFilterActions(QMenu& menu, int block, bool editable) {
    QAction* importAction = menu.addAction(LanguageText(kImportFilters), &m_window, [this, block] {
        const QString path = ChooseFile(false, EFileKind::FilterList);
        if (!path.isEmpty()) {
            ImportFiltersFrom(path.toStdString(), block);
        }
    });
    QAction* exportAction = menu.addAction(LanguageText(kExportFilters), &m_window, [this, block] {
        const QString path = ChooseFile(true, EFileKind::FilterList);
        if (!path.isEmpty()) {
            ExportFiltersTo(path.toStdString(), block);
        }
    });
    importAction->setEnabled(editable);
    exportAction->setEnabled(editable);
}

} // namespace zolt
