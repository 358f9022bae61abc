// The drop-down list of a skinned combo box: the field colour, thin border pictures along
// its edges, items in the list's text colour indented past the left border. The item under
// the pointer or selected is marked with the highlight colour. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QListView>

namespace zolt {

class CBitListBox : public QListView {
    Q_OBJECT
public:
    explicit CBitListBox(QWidget* pParent = nullptr);

    // Skin numbers of the four edges (0: no picture).
    void SetBorderPictures(int nLeft, int nRight, int nTop, int nBottom);
    void SetColours(ColorRef nBackground, ColorRef nText);
    // Where item texts start: the left border's width plus 5 pixels.
    int TextIndent() const;
    ColorRef TextColour() const { return m_nText; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int m_nLeft = 0;
    int m_nRight = 0;
    int m_nTop = 0;
    int m_nBottom = 0;
    ColorRef m_nText = kWhite;
};

} // namespace zolt
