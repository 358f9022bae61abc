// The group frame of the System page: a two-line frame with its caption set into the top
// line, in the field colour while enabled and etched (shadow and highlight) while disabled;
// a disabled group shows no caption. It lies under the controls it frames and lets the
// mouse through. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QWidget>

namespace zolt {

class CSxGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit CSxGroupBox(QWidget* pParent = nullptr);

    // Stores the caption; with bRedraw the frame repaints at once.
    void SetCaption(const QString& strCaption, bool bRedraw = true);
    const QString& Caption() const { return m_strCaption; }
    // The caption font: Arial 10 points.
    static QFont CaptionFont();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString m_strCaption;
    ColorRef m_nLineEnabled1 = kFieldColour;
    ColorRef m_nLineEnabled2 = kFieldColour;
    ColorRef m_nTextColour = kWhite;
    int m_nCaptionInset = 8;
    int m_nCaptionLift = 0;
    int m_nPenWidth = 1;
};

} // namespace zolt
