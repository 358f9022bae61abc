// Room correction in the window, for the equaliser a page shows: a measurement imported onto
// its curve display (with its target, and the prediction that follows every edit), the
// curves switched on and off, the fit of the block's bands to the target, and "Copy EQ" /
// "Paste EQ" between any two blocks. A fit and a paste are one step of the edit history
// each; what is not an edit (a measurement, a target, the switches) is none. Errors and
// reports go to message boxes, in the window's language. UI thread only.
#pragma once

#include "eq/EqCopy.h"
#include "model/Text.h"
#include "pages/FitDlg.h"
#include "pages/PageApi.h"

#include <QString>

#include <functional>
#include <string>

class QMenu;
class QWidget;

namespace zolt {

class CEditHistory;

class CRoomCommands {
public:
    // window: the boxes' parent; history: the window's edit history; showPage reloads the
    // page shown (its display draws the overlay anew); chooseFile asks for a file of a kind to
    // read (empty when cancelled).
    CRoomCommands(QWidget& window, CEditHistory& history, std::function<void()> showPage,
                  std::function<QString(EFileKind)> chooseFile);

    // The entries for EQ block 0..17: a "Room correction" submenu (import a measurement,
    // the target, the three curves' switches, remove the measurement), then "Fit to
    // target...", "Copy EQ", "Paste EQ" and "Paste EQ and crossovers". What edits the
    // block is disabled unless bEditable.
    void AddActions(QMenu& menu, int nBlock, bool bEditable);

    // What the entries do once a file or the box's values are chosen.
    // A measurement file onto the block's display; false (and a box naming the file and the
    // line) when it cannot be read.
    bool ImportMeasurementFrom(const std::string& path, int nBlock);
    // The choice's target for the block's display; false (and a box) when a target file
    // cannot be read.
    bool SetTarget(int nBlock, const SFitChoice& choice);
    // The fit of the block's bands to the choice's target (which becomes the display's):
    // the report (errors before and after, each band as chosen) in a box, and the bands
    // written on its OK as one step. False (and a box) when there is no measurement, no
    // fit, or the box is cancelled.
    bool Fit(int nBlock, const SFitChoice& choice);
    void Copy(int nBlock);
    // The copy into the block (with its crossovers): one step, the gains that had to move
    // said in a box; false and the reason in a box when the block cannot take it.
    bool Paste(int nBlock, bool bCrossovers);

    const SEqClip& Clip() const { return m_clip; }

private:
    void ChooseMeasurement(int nBlock);
    void AskTarget(int nBlock, CFitDlg::EMode eMode);
    SFitChoice ChoiceFor(int nBlock) const;
    void Warn(const QString& strText, const QString& strCaption);
    void Edited(const SText& step);

    QWidget& m_window;
    CEditHistory& m_history;
    std::function<void()> m_showPage;
    std::function<QString(EFileKind)> m_chooseFile;
    SEqClip m_clip;
    SFitChoice m_lastChoice; // the range and bands the last fit used
};

} // namespace zolt
