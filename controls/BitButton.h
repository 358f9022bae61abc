// The push button of every page, drawn from skin pictures: one picture (and text colour)
// for each combination of checked state, hover and press, and a disabled picture per
// checked state; without one, a disabled button shows its normal picture dimmed, as a
// desktop's disabled buttons look. Over the button the cursor is the pointing hand. A button given
// the check box or radio style (kStyleAutoCheckBox, kStyleAutoRadio) is drawn by the style and
// toggles itself. The click is QAbstractButton::clicked. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QPushButton>

#include <array>

namespace zolt {

// Which of the six pictures a button shows: 0..2 unchecked normal, hover, pressed;
// 3..5 the same checked. The pressed look needs the pointer over the button.
int BitButtonPictureIndex(bool bChecked, bool bHover, bool bPressed);

class CBitButton : public QPushButton {
    Q_OBJECT
public:
    explicit CBitButton(QWidget* pParent = nullptr);

    // Unchecked normal a, hover b, pressed c; checked normal d, hover e, pressed f; a 0
    // among d, e, f stands for a, b, c. Skin numbers; 0 fills with the button face.
    void SetPictures(int a, int b, int c, int d = 0, int e = 0, int f = 0);
    void SetDisabledPictures(int nUnchecked, int nChecked);
    // Colours in the order of the pictures.
    void SetTextColours(const std::array<ColorRef, 6>& aColours);
    // Any nonzero value shows the checked pictures; repaints only on a change.
    void SetChecked(int nChecked);
    int Checked() const { return m_nChecked; }

    // The picture and text colour the button shows now (skin number, 0 = button face), and
    // whether the picture is dimmed (disabled, without a disabled picture of its own).
    int CurrentPicture() const;
    ColorRef CurrentTextColour() const;
    bool Dimmed() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool IsOwnerDrawn() const;
    void SetHover(bool bHover);

    int m_nChecked = 0;
    bool m_bHover = false;
    bool m_bPressed = false;
    std::array<int, 6> m_anPictures{};
    std::array<int, 2> m_anDisabledPictures{};
    std::array<ColorRef, 6> m_anTextColours{kWhite, kBlack, kBlack, kBlack, kBlack, kBlack};
    ColorRef m_nDisabledTextColour = 0x999999;
};

} // namespace zolt
