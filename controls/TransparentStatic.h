// Captions drawn straight onto the page: the text in its colour with no background, laid
// out as the control's style bits say. Edit_Static (the value label) builds on it.
// UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QWidget>

class QPainter;

namespace zolt {

// Draws strText in rect as a static control of style nStyle (EStyle bits) lays it out:
// right-aligned or centred or left; one line centred vertically (kStyleCenterImage) or
// broken between words; "&" marks a mnemonic unless kStyleNoPrefix; cut with an ellipsis
// at the end or in the middle when asked.
void DrawStaticText(QPainter& p, const QRect& rect, const QString& strText, unsigned nStyle);

class CTransparentStatic : public QWidget {
    Q_OBJECT
public:
    explicit CTransparentStatic(QWidget* pParent = nullptr);

    void SetText(const QString& strText);
    const QString& Text() const { return m_strText; }
    void SetTextColor(ColorRef nColour);
    ColorRef TextColor() const { return m_nTextColour; }

protected:
    void paintEvent(QPaintEvent* e) override;
    // The colour the text is drawn in now.
    virtual ColorRef PaintColour() const { return m_nTextColour; }

private:
    QString m_strText;
    ColorRef m_nTextColour = kWhite;
};

} // namespace zolt
