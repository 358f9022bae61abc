// The drop-down list box of the pages, drawn with a three-part face from the skin (left
// cap, stretched middle, right cap with the drop arrow) in the dark field colours, with a
// CBitListBox as its list. Items, selection and notifications are QComboBox's.
// UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QComboBox>

namespace zolt {

class CBitListBox;

class CBitComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CBitComboBox(QWidget* pParent = nullptr);

    // Skin numbers of the face pieces.
    void SetFacePictures(int nLeft, int nRight, int nMiddle);
    // Skin numbers of the list's edges.
    void SetListBorderPictures(int nLeft, int nRight, int nTop, int nBottom);
    // Colours of the text area while the box has the keyboard focus, and otherwise; the
    // normal pair also colours the list.
    void SetFocusColours(ColorRef nBackground, ColorRef nText);
    void SetNormalColours(ColorRef nBackground, ColorRef nText);
    // The pictures and colours every page uses: faces 201 / 202 / 200, borders 205 / 206 /
    // 203 / 204, white on the field colour in both states.
    void SetStandardSkin();

    CBitListBox* List() const { return m_pList; }
    // The text area of the face: the client area without the caps, 3 pixels in from the
    // top and 8 from the bottom.
    QRect TextArea() const;
    // Where the selected item's text is drawn: inside the text area, in the same place
    // before and after the list has been open; a text too wide for the dialog font is drawn
    // smaller (FontToFit), and cut short only below the smallest size.
    QRect TextRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // The font of the face text: the box's, smaller where the text would not fit.
    QFont FaceFont() const;

    CBitListBox* m_pList;
    int m_nLeft = 0;
    int m_nRight = 0;
    int m_nMiddle = 0;
    ColorRef m_nFocusBackground = kFieldColour;
    ColorRef m_nFocusText = kWhite;
    ColorRef m_nNormalBackground = kFieldColour;
    ColorRef m_nNormalText = kWhite;
};

} // namespace zolt
