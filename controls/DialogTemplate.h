// Dialog templates: a page, a child dialog or a window is described by one constexpr table
// of its controls (id, class, position and size in dialog units, hidden flag, initial
// text, style bits); controls/ControlFactory builds it into absolutely placed child widgets,
// which are then found by id. Dialog units are those of 9-point Arial at 96 dpi: 1 unit =
// 1.5 pixels across and 1.875 pixels down. The controls read their style bits and id from
// here. UI thread only.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include <span>

namespace zolt {

// The class a template row creates.
enum class ECtl {
    BitmapSlider,      // CBitmapSlider
    NumEdit,           // CNumEdit
    EditStatic,        // CEdit_Static (value label)
    EnglishEdit,       // CEnglishEdit
    BitButton,         // CBitButton
    BitComboBox,       // CBitComboBox (the closed box is kComboHeight pixels high)
    TransparentStatic, // CTransparentStatic (caption)
    FontStatic,        // CFontStatic
    SLamp,             // CSLamp
    SxGroupBox,        // CSxGroupBox
    EnTabCtrl,         // CEnTabCtrl
    Static,            // QLabel
    Button,            // QPushButton
    Edit,              // QLineEdit
    ComboBox,          // QComboBox (kComboHeight pixels high)
    Trackbar,          // QSlider, horizontal unless kStyleVertical
    ProgressBar,       // QProgressBar
    Custom,            // made by the caller's factory (the curve display, child dialogs)
};

// Style bits of a template row.
enum EStyle : unsigned {
    kStyleRight = 1u << 0,        // text right-aligned (statics, edits, group captions)
    kStyleCenter = 1u << 1,       // text centred horizontally
    kStyleCenterImage = 1u << 2,  // statics: one line, centred vertically
    kStyleNoPrefix = 1u << 3,     // statics: "&" drawn literally
    kStyleEndEllipsis = 1u << 4,  // statics: text cut with "..." at its end
    kStylePathEllipsis = 1u << 5, // statics: text cut with "..." in its middle
    kStyleAutoCheckBox = 1u << 6, // buttons: a self-toggling check box drawn by the style
    kStyleAutoRadio = 1u << 7,    // buttons: a radio button drawn by the style
    kStyleReadOnly = 1u << 8,     // edits
    kStylePassword = 1u << 9,     // edits: characters shown as bullets
    kStyleVertical = 1u << 10,    // sliders and trackbars
    kStyleDisabled = 1u << 11,    // created disabled
};

struct SControlTemplate {
    int nId;
    ECtl eClass;
    int nX, nY, nW, nH; // dialog units
    bool bHidden = false;
    const char* pszText = ""; // initial window text, UTF-8
    unsigned nStyle = 0;      // EStyle bits
};

struct SDialogTemplate {
    int nId;
    int nWidth, nHeight; // dialog units
    std::span<const SControlTemplate> aControls;
};

// Height in pixels of a closed combo box; a template's combo height (the list's) is unused.
constexpr int kComboHeight = 22;

// Dialog units to pixels, rounded to the nearest pixel (halves away from zero).
int DluToPixelsX(int nUnits);
int DluToPixelsY(int nUnits);
QRect DluToPixels(int nX, int nY, int nW, int nH);

// The dialog font: Arial 9 points at 96 dpi (12 pixels).
QFont DialogFont();

// font when strText is at most nWidth pixels wide in it; else the same font at the largest
// smaller pixel size, down to kSmallestFitPixels, at which it fits (or at that size). So a
// value or a choice wider than its field shows whole instead of running out of it.
constexpr int kSmallestFitPixels = 8;
QFont FontToFit(QFont font, const QString& strText, int nWidth);

// The control id of a widget (0 when it has none) and its setter.
int ControlId(const QWidget* pWidget);
void SetControlId(QWidget* pWidget, int nId);
// The style bits of a widget (EStyle; 0 unless a template or the page set them). The
// statics, buttons and group boxes read them when they paint.
unsigned ControlStyle(const QWidget* pWidget);
void SetControlStyle(QWidget* pWidget, unsigned nStyle);

// The direct child of pParent with id nId, cast to T; null when none or of another class.
QWidget* FindDlgItem(const QWidget* pParent, int nId);
template <class T = QWidget> T* DlgItem(const QWidget* pParent, int nId) {
    return qobject_cast<T*>(FindDlgItem(pParent, nId));
}

} // namespace zolt
