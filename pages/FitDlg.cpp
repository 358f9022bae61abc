#include "pages/FitDlg.h"

#include "controls/ControlFactory.h"
#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "eq/TextScan.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace zolt {

namespace {

using namespace fitdlgid;

constexpr int kFirstRangeRow = 1010; // the range and band rows, hidden for a target alone

constexpr SControlTemplate kControls[] = {
    {1001, ECtl::Static, 8, 10, 70, 9},
    {kTarget, ECtl::ComboBox, 80, 8, 110, 60},
    {1003, ECtl::Static, 8, 28, 70, 9},
    {kBass, ECtl::Edit, 80, 26, 50, 12},
    {1005, ECtl::Static, 8, 44, 70, 9},
    {kTilt, ECtl::Edit, 80, 42, 50, 12},
    {1007, ECtl::Static, 8, 60, 70, 9},
    {kFile, ECtl::Edit, 80, 58, 110, 12, false, "", kStyleReadOnly},
    {kBrowse, ECtl::Button, 194, 57, 50, 14},
    {1010, ECtl::Static, 8, 80, 70, 9},
    {kFrom, ECtl::Edit, 80, 78, 50, 12},
    {1012, ECtl::Static, 8, 96, 70, 9},
    {kTo, ECtl::Edit, 80, 94, 50, 12},
    {1014, ECtl::Static, 8, 112, 70, 9},
    {kBands, ECtl::Edit, 80, 110, 50, 12},
    {kOk, ECtl::Button, 140, 132, 50, 14, false, "OK"},
    {kCancel, ECtl::Button, 194, 132, 50, 14},
};
constexpr SDialogTemplate kTemplate{200, 252, 152, kControls};

constexpr SCaption kCaptions[] = {
    {1001, {"目标", "Target"}},
    {1003, {"低音提升 (dB)", "Bass rise (dB)"}},
    {1005, {"高音倾斜 (dB)", "Treble tilt (dB)"}},
    {1007, {"目标文件", "Target file"}},
    {kBrowse, {"浏览...", "Browse..."}},
    {1010, {"起始 (Hz)", "From (Hz)"}},
    {1012, {"结束 (Hz)", "To (Hz)"}},
    {1014, {"频段数", "Bands"}},
    {kCancel, {"取消", "Cancel"}},
};
// The combo's entries, in ETarget's order.
constexpr SText kTargetKinds[] = {
    {"平直", "Flat"},
    {"室内曲线", "House curve"},
    {"目标文件", "From a file"},
};
constexpr SText kTitles[] = {{"目标曲线", "Target curve"}, {"拟合到目标", "Fit to target"}};
constexpr SText kNotANumber{"%1 不是有效的值", "%1 holds no valid value"};
constexpr SText kNoTargetFile{"请选择目标文件", "Choose a target file"};
constexpr SText kBandsRange{"频段数为 1 到 %1", "Bands is a number from 1 to %1"};
constexpr SText kRange{"起始频率须低于结束频率", "From must lie below To"};

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

bool ReadNumber(const QWidget* pDialog, int nId, double& value) {
    const std::string text = DlgItem<QLineEdit>(pDialog, nId)->text().trimmed().toStdString();
    std::string_view suffix;
    return ParseDecimal(text, value, suffix) && suffix.empty();
}

// The caption of the field nId: the static just before it.
QString FieldCaption(int nId) {
    for (const SCaption& caption : kCaptions) {
        if (caption.m_nId == nId - 1) {
            return CaptionText(caption);
        }
    }
    return {};
}

} // namespace

CFitDlg::CFitDlg(QWidget* pParent, EMode eMode, const SFitChoice& initial, int nBlockBands,
                 std::function<QString()> chooseFile)
    : QDialog(pParent), m_eMode(eMode), m_nBlockBands(nBlockBands),
      m_chooseFile(std::move(chooseFile)), m_choice(initial) {
    BuildDialog(this, kTemplate);
    ApplyCaptions(this, kCaptions);
    setWindowTitle(LanguageText(kTitles[eMode == EMode::Fit ? 1 : 0]));
    auto* pKinds = DlgItem<QComboBox>(this, kTarget);
    for (const SText& kind : kTargetKinds) {
        pKinds->addItem(LanguageText(kind));
    }
    pKinds->setCurrentIndex(static_cast<int>(initial.m_eTarget));
    DlgItem<QLineEdit>(this, kBass)->setText(Number(initial.m_dBassDb));
    DlgItem<QLineEdit>(this, kTilt)->setText(Number(initial.m_dTiltDb));
    DlgItem<QLineEdit>(this, kFile)->setText(QString::fromStdString(initial.m_strTargetFile));
    DlgItem<QLineEdit>(this, kFrom)->setText(Number(initial.m_dFromHz));
    DlgItem<QLineEdit>(this, kTo)->setText(Number(initial.m_dToHz));
    DlgItem<QLineEdit>(this, kBands)
        ->setText(QString::number(initial.m_nBands > 0 ? initial.m_nBands : nBlockBands));
    for (const SControlTemplate& row : kControls) {
        if (row.nId >= kFirstRangeRow && row.nId < kOk) {
            FindDlgItem(this, row.nId)->setVisible(eMode == EMode::Fit);
        }
    }
    connect(pKinds, &QComboBox::currentIndexChanged, this, [this] { ShowTargetFields(); });
    connect(DlgItem<QPushButton>(this, kBrowse), &QPushButton::clicked, this, [this] {
        const QString path = m_chooseFile();
        if (!path.isEmpty()) {
            DlgItem<QLineEdit>(this, kFile)->setText(path);
        }
    });
    auto* pOk = DlgItem<QPushButton>(this, kOk);
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &CFitDlg::accept);
    connect(DlgItem<QPushButton>(this, kCancel), &QPushButton::clicked, this, &QDialog::reject);
    ShowTargetFields();
    setFixedSize(size());
}

void CFitDlg::ShowTargetFields() {
    const auto eKind = static_cast<ETarget>(DlgItem<QComboBox>(this, kTarget)->currentIndex());
    for (const int nId : {kBass, kTilt}) {
        FindDlgItem(this, nId)->setEnabled(eKind == ETarget::House);
    }
    for (const int nId : {kFile, kBrowse}) {
        FindDlgItem(this, nId)->setEnabled(eKind == ETarget::File);
    }
}

bool CFitDlg::Read(SFitChoice& choice, QString& error) const {
    SFitChoice read = m_choice;
    read.m_eTarget = static_cast<ETarget>(DlgItem<QComboBox>(this, kTarget)->currentIndex());
    read.m_strTargetFile = DlgItem<QLineEdit>(this, kFile)->text().toStdString();
    const bool bHouse = read.m_eTarget == ETarget::House;
    const bool bFit = m_eMode == EMode::Fit;
    const struct {
        int m_nId;
        double* m_pValue;
        bool m_bRead;
    } fields[] = {
        {kBass, &read.m_dBassDb, bHouse},
        {kTilt, &read.m_dTiltDb, bHouse},
        {kFrom, &read.m_dFromHz, bFit},
        {kTo, &read.m_dToHz, bFit},
    };
    for (const auto& field : fields) {
        if (field.m_bRead && !ReadNumber(this, field.m_nId, *field.m_pValue)) {
            error = LanguageText(kNotANumber).arg(FieldCaption(field.m_nId));
            return false;
        }
    }
    if (read.m_eTarget == ETarget::File && read.m_strTargetFile.empty()) {
        error = LanguageText(kNoTargetFile);
        return false;
    }
    if (bFit && !(read.m_dFromHz > 0.0 && read.m_dFromHz < read.m_dToHz)) {
        error = LanguageText(kRange);
        return false;
    }
    double bands = 0.0;
    if (bFit && (!ReadNumber(this, kBands, bands) || bands != std::floor(bands) || bands < 1 ||
                 bands > m_nBlockBands)) {
        error = LanguageText(kBandsRange).arg(m_nBlockBands);
        return false;
    }
    read.m_nBands = bFit ? static_cast<int>(bands) : m_choice.m_nBands;
    choice = read;
    return true;
}

void CFitDlg::accept() {
    QString error;
    if (!Read(m_choice, error)) {
        ShowMessageBox(this, error, windowTitle(), EMsgButtons::Ok, EMsgIcon::Warning);
        return;
    }
    QDialog::accept();
}

} // namespace zolt
