// The box behind "Target curve..." and "Fit to target...": the target (flat, a house curve
// with its bass rise and treble tilt, or a target file) and, for a fit, the range and the
// bands to use. OK keeps the box open, naming the field at fault, while a field holds no
// valid value. UI thread only.
#pragma once

#include "eq/Measurement.h"

#include <QDialog>

#include <functional>
#include <string>

namespace zolt {

// What the box chooses.
struct SFitChoice {
    ETarget m_eTarget = ETarget::Flat;
    double m_dBassDb = 0.0;
    double m_dTiltDb = 0.0;
    std::string m_strTargetFile; // a target file, in the measurement's format
    double m_dFromHz = kJudgedFromHz;
    double m_dToHz = kJudgedToHz;
    int m_nBands = 0; // 1 .. the block's; 0: all of them
};

// Control ids of the box.
namespace fitdlgid {
constexpr int kTarget = 1002; // combo: flat, house curve, file
constexpr int kBass = 1004;
constexpr int kTilt = 1006;
constexpr int kFile = 1008;
constexpr int kBrowse = 1009;
constexpr int kFrom = 1011;
constexpr int kTo = 1013;
constexpr int kBands = 1015;
constexpr int kOk = 1;
constexpr int kCancel = 2;
} // namespace fitdlgid

class CFitDlg : public QDialog {
    Q_OBJECT
public:
    enum class EMode { Target, Fit };

    // nBlockBands: the bands of the block fitted; chooseFile: the file box for a target file
    // (an empty text when cancelled).
    CFitDlg(QWidget* pParent, EMode eMode, const SFitChoice& initial, int nBlockBands,
            std::function<QString()> chooseFile);

    // The choice the fields hold; false with the field at fault named in error (in the
    // window's language) when one holds no valid value.
    bool Read(SFitChoice& choice, QString& error) const;
    SFitChoice Choice() const { return m_choice; }

    void accept() override;

private:
    void ShowTargetFields();

    EMode m_eMode;
    int m_nBlockBands;
    std::function<QString()> m_chooseFile;
    SFitChoice m_choice;
};

} // namespace zolt
