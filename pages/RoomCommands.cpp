#include "pages/RoomCommands.h"

#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "eq/RoomFit.h"
#include "eq/RoomOverlay.h"
#include "link/PresetFiles.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "model/EditHistory.h"

#include <QMenu>

#include <array>

namespace zolt {

namespace {

constexpr SText kRoomMenu{"房间校正", "Room correction"};
constexpr SText kImportMeasurement{"导入测量...", "Import measurement..."};
constexpr SText kTargetCurve{"目标曲线...", "Target curve..."};
constexpr SText kRemoveMeasurement{"移除测量", "Remove measurement"};
constexpr SText kFitToTarget{"拟合到目标...", "Fit to target..."};
constexpr SText kCopyEq{"复制均衡", "Copy EQ"};
constexpr SText kPasteEq{"粘贴均衡", "Paste EQ"};
constexpr SText kPasteEqCrossovers{"粘贴均衡和分频", "Paste EQ and crossovers"};
constexpr SText kNoMeasurement{"请先导入测量", "Import a measurement first"};
constexpr SText kMeasurementError{"测量文件读取错误", "Measurement read error"};
constexpr SText kApplyFit{"应用这些频段？", "Apply these bands?"};
constexpr SText kApply{"应用", "Apply"};
constexpr SText kCancel{"取消", "Cancel"};
constexpr SText kFitStep{"拟合到目标", "the fit to the target"};
constexpr SText kPasteStep{"粘贴均衡", "Paste EQ"};

// The switches of the three curves, as the menu shows them.
struct SCurveSwitch {
    EOverlayCurve m_eCurve;
    SText m_text;
};
constexpr SCurveSwitch kCurveSwitches[] = {
    {EOverlayCurve::Measurement, {"显示测量", "Show measurement"}},
    {EOverlayCurve::Target, {"显示目标", "Show target"}},
    {EOverlayCurve::Prediction, {"显示预测", "Show prediction"}},
};

// The exports of room-measurement programs.
// A measurement (or a target in its format) read from path; false with "path: why" (the
// line at fault when there is one) in error.
bool ReadMeasurement(const std::string& path, SMeasurement& measurement, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxMeasurementBytes, bytes, error)) {
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ParseMeasurement(text, measurement, error)) {
        error = PrintableText(path) + ": " + error;
        return false;
    }
    return true;
}

int BlockBands(int nBlock) {
    const CImageGuard guard(ImageLock());
    return EqBlock(nBlock, LiveOutputSet()).m_nBands;
}

} // namespace

CRoomCommands::CRoomCommands(QWidget& window, CEditHistory& history, std::function<void()> showPage,
                             std::function<QString(EFileKind)> chooseFile)
    : m_window(window), m_history(history), m_showPage(std::move(showPage)),
      m_chooseFile(std::move(chooseFile)) {}

void CRoomCommands::AddActions(QMenu& menu, int nBlock, bool bEditable) {
    CRoomOverlay* pOverlay = RoomOverlayOf(nBlock);
    if (pOverlay == nullptr) {
        return;
    }
    QMenu* pRoom = menu.addMenu(LanguageText(kRoomMenu));
    pRoom->addAction(LanguageText(kImportMeasurement), &m_window,
                     [this, nBlock] { ChooseMeasurement(nBlock); });
    pRoom->addAction(LanguageText(kTargetCurve), &m_window,
                     [this, nBlock] { AskTarget(nBlock, CFitDlg::EMode::Target); });
    pRoom->addSeparator();
    for (const SCurveSwitch& curveSwitch : kCurveSwitches) {
        QAction* pAction = pRoom->addAction(LanguageText(curveSwitch.m_text));
        pAction->setCheckable(true);
        pAction->setChecked(pOverlay->Shows(curveSwitch.m_eCurve));
        pAction->setEnabled(pOverlay->Loaded());
        const EOverlayCurve eCurve = curveSwitch.m_eCurve;
        QObject::connect(pAction, &QAction::toggled, &m_window, [this, pOverlay, eCurve](bool b) {
            pOverlay->Show(eCurve, b);
            m_showPage();
        });
    }
    pRoom->addSeparator();
    pRoom
        ->addAction(LanguageText(kRemoveMeasurement), &m_window,
                    [this, pOverlay] {
                        pOverlay->Clear();
                        m_showPage();
                    })
        ->setEnabled(pOverlay->Loaded());

    menu.addAction(LanguageText(kFitToTarget), &m_window,
                   [this, nBlock] { AskTarget(nBlock, CFitDlg::EMode::Fit); })
        ->setEnabled(bEditable && pOverlay->Loaded());
    menu.addAction(LanguageText(kCopyEq), &m_window, [this, nBlock] { Copy(nBlock); });
    menu.addAction(LanguageText(kPasteEq), &m_window, [this, nBlock] { Paste(nBlock, false); })
        ->setEnabled(bEditable && !m_clip.Empty());
    menu.addAction(LanguageText(kPasteEqCrossovers), &m_window,
                   [this, nBlock] { Paste(nBlock, true); })
        ->setEnabled(bEditable && m_clip.m_bCrossovers);
}

void CRoomCommands::ChooseMeasurement(int nBlock) {
    const QString path = m_chooseFile(EFileKind::Measurement);
    if (!path.isEmpty()) {
        ImportMeasurementFrom(path.toStdString(), nBlock);
    }
}

bool CRoomCommands::ImportMeasurementFrom(const std::string& path, int nBlock) {
    CRoomOverlay* pOverlay = RoomOverlayOf(nBlock);
    SMeasurement measurement;
    std::string error;
    if (pOverlay == nullptr) {
        return false;
    }
    if (!ReadMeasurement(path, measurement, error)) {
        Warn(LanguageText(kMeasurementError) + QLatin1Char('\n') + QString::fromStdString(error),
             LanguageText(kRoomMenu));
        return false;
    }
    pOverlay->Load(measurement, path);
    m_showPage();
    return true;
}

void CRoomCommands::AskTarget(int nBlock, CFitDlg::EMode eMode) {
    if (eMode == CFitDlg::EMode::Fit && !RoomOverlayOf(nBlock)->Loaded()) {
        Warn(LanguageText(kNoMeasurement), LanguageText(kRoomMenu));
        return;
    }
    CFitDlg dialog(&m_window, eMode, ChoiceFor(nBlock), BlockBands(nBlock),
                   [this] { return m_chooseFile(EFileKind::Measurement); });
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (eMode == CFitDlg::EMode::Fit) {
        Fit(nBlock, dialog.Choice());
    } else {
        SetTarget(nBlock, dialog.Choice());
    }
}

SFitChoice CRoomCommands::ChoiceFor(int nBlock) const {
    SFitChoice choice = m_lastChoice;
    const STarget& target = RoomOverlayOf(nBlock)->Target();
    choice.m_eTarget = target.m_eKind;
    choice.m_dBassDb = target.m_dBassDb;
    choice.m_dTiltDb = target.m_dTiltDb;
    choice.m_strTargetFile = target.m_strFile;
    return choice;
}

bool CRoomCommands::SetTarget(int nBlock, const SFitChoice& choice) {
    CRoomOverlay* pOverlay = RoomOverlayOf(nBlock);
    if (pOverlay == nullptr) {
        return false;
    }
    STarget target;
    target.m_eKind = choice.m_eTarget;
    target.m_dBassDb = choice.m_dBassDb;
    target.m_dTiltDb = choice.m_dTiltDb;
    if (choice.m_eTarget == ETarget::File) {
        SMeasurement measurement;
        std::string error;
        if (!ReadMeasurement(choice.m_strTargetFile, measurement, error)) {
            Warn(LanguageText(kMeasurementError) + QLatin1Char('\n') +
                     QString::fromStdString(error),
                 LanguageText(kRoomMenu));
            return false;
        }
        target.m_adFile = CurveOnGrid(measurement);
        target.m_strFile = choice.m_strTargetFile;
    }
    pOverlay->SetTarget(std::move(target));
    m_showPage();
    return true;
}

bool CRoomCommands::Fit(int nBlock, const SFitChoice& choice) {
    CRoomOverlay* pOverlay = RoomOverlayOf(nBlock);
    if (pOverlay == nullptr || !pOverlay->Loaded()) {
        Warn(LanguageText(kNoMeasurement), LanguageText(kRoomMenu));
        return false;
    }
    if (!SetTarget(nBlock, choice)) {
        return false;
    }
    m_lastChoice = choice;
    SFitSettings settings;
    settings.m_nBlock = nBlock;
    settings.m_nBands = choice.m_nBands;
    settings.m_dFromHz = choice.m_dFromHz;
    settings.m_dToHz = choice.m_dToHz;

    // Fitted on a copy, so that nothing changes unless the user applies it.
    std::array<std::uint8_t, kImageSize> before{};
    {
        const CImageGuard guard(ImageLock());
        std::copy_n(Image(), kImageSize, before.begin());
    }
    std::array<std::uint8_t, kImageSize> fitted = before;
    SFitResult result;
    std::string error;
    if (!FitBlock(pOverlay->Measured(), pOverlay->TargetDb(), settings, fitted.data(), result,
                  error)) {
        Warn(QString::fromStdString(error), LanguageText(kRoomMenu));
        return false;
    }
    const QString report = QString::fromStdString(FitReport(result, Language()));
    if (ShowMessageBox(&m_window, report + QLatin1Char('\n') + LanguageText(kApplyFit),
                       LanguageText(kRoomMenu), EMsgButtons::OkCancel, EMsgIcon::Question,
                       {LanguageText(kApply), LanguageText(kCancel)}) != EMsgResult::Ok) {
        return false;
    }
    m_history.Cut();
    {
        // Only the bytes the fit wrote: what the link brought in meanwhile stays.
        const CImageGuard guard(ImageLock());
        for (std::size_t i = 0; i < kImageSize; ++i) {
            if (fitted[i] != before[i]) {
                Image()[i] = fitted[i];
            }
        }
    }
    Edited(kFitStep);
    return true;
}

void CRoomCommands::Copy(int nBlock) {
    const CImageGuard guard(ImageLock());
    m_clip = CopyEq(nBlock, Image());
}

bool CRoomCommands::Paste(int nBlock, bool bCrossovers) {
    std::string notes;
    std::string error;
    m_history.Cut();
    bool bPasted = false;
    {
        const CImageGuard guard(ImageLock());
        bPasted = PasteEq(m_clip, nBlock, bCrossovers, Image(), notes, error, Language());
    }
    const QString caption = LanguageText(bCrossovers ? kPasteEqCrossovers : kPasteEq);
    if (!bPasted) {
        Warn(QString::fromStdString(error), caption);
        return false;
    }
    Edited(kPasteStep);
    if (!notes.empty()) {
        ShowMessageBox(&m_window, QString::fromStdString(notes), caption);
    }
    return true;
}

void CRoomCommands::Edited(const SText& step) {
    RebindCurves();
    m_history.Record(step);
    m_showPage();
}

void CRoomCommands::Warn(const QString& strText, const QString& strCaption) {
    ShowMessageBox(&m_window, strText, strCaption, EMsgButtons::Ok, EMsgIcon::Warning);
}

} // namespace zolt
