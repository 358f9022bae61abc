#include "controls/NumEdit.h"

#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/Message.h"
#include "model/DataConver.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPalette>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace zolt {

namespace {

constexpr double kOffShown = -120.0; // the text "OFF" in a scaled field
constexpr int kWheelNotch = 120;
constexpr double kMinTypedHz = 19.7;
constexpr double kMaxTypedHz = 20600;
// A line edit keeps this many pixels free at each end of its line, and the caret takes one.
constexpr int kLineMargin = 2;
constexpr int kCaretWidth = 1;

// The leading number of a text, as the C library's atof reads it but independent of the
// process locale; 0 when the text starts with no number.
double LeadingNumber(const QString& strText) {
    static const QRegularExpression s_number(
        QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = s_number.match(strText);
    if (!match.hasMatch()) {
        return 0;
    }
    const double dNumber = QLocale::c().toDouble(match.captured(1));
    return std::isfinite(dNumber) ? dNumber : 0;
}

// Digits, "-" and "." are typed; control characters (Backspace, Tab, the editing
// shortcuts) pass; everything else is refused.
bool IsTypedTextAllowed(const QString& strText) {
    return std::all_of(strText.begin(), strText.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || u == u'-' || u == u'.' || u < 0x20 || u == 0x7F;
    });
}

} // namespace

QString NumEditText(int nMode, int nValue, double dScale, double dOffset, const QString& strUnit) {
    switch (nMode) {
    case kNumEditFrequency:
        return QString::fromStdString(FreqTextByValue(FreqOfIndex(nValue))) + strUnit;
    case kNumEditScaled:
        return QString::asprintf("%0.1f", nValue * dScale - dOffset);
    case kNumEditQ:
        return QString::asprintf("%0.3f", QOfIndex(nValue));
    default:
        return QString::number(nValue);
    }
}

double NumEditNumber(int nMode, const QString& strText) {
    if (nMode == kNumEditScaled && strText.trimmed() == QLatin1String("OFF")) {
        return kOffShown;
    }
    return LeadingNumber(strText);
}

int ScaledValueOf(double dShown, double dScale, double dOffset) {
    if (dScale == 0) {
        return 0;
    }
    // Numerator and denominator are both taken times 10 (0.2 dB steps: 3.0 dB is 27 / 0.2
    // = 135 exactly); the small lift keeps a shown step such as -23.8 from truncating to
    // the step below through rounding.
    const double dValue = (dShown + dOffset) * 10 / (dScale * 10);
    return static_cast<int>(std::trunc(std::clamp(dValue + 1e-7, -1e9, 1e9)));
}

CNumEdit::CNumEdit(QWidget* pParent) : QLineEdit(pParent), m_fontText(font()) {
    setFrame(false);
    setAttribute(Qt::WA_InputMethodEnabled, false); // no double-byte input
    SetColours(kWhite, kFieldColour);
    connect(this, &QLineEdit::textEdited, this, [this] { m_bModified = true; });
    connect(this, &QLineEdit::textChanged, this, &CNumEdit::FitText);
}

// A line edit scrolls a text wider than its line so that the caret shows, which hides the
// leading digits ("128.000" read "28.000"); here the whole text fits instead.
void CNumEdit::FitText() {
    const QMargins margins = textMargins();
    const int nLine = contentsRect().width() - margins.left() - margins.right() - 2 * kLineMargin;
    const QFont fitted = FontToFit(m_fontText, text(), nLine - kCaretWidth);
    if (fitted != font()) {
        setFont(fitted);
    }
}

void CNumEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    FitText();
}

void CNumEdit::SetColours(ColorRef nText, ColorRef nBackground) {
    QPalette palette = this->palette();
    for (const QPalette::ColorGroup eGroup : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(eGroup, QPalette::Text, QColorOf(nText));
        palette.setColor(eGroup, QPalette::Base, QColorOf(nBackground));
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, QColorOf(nBackground));
    setPalette(palette);
}

void CNumEdit::SetDisplayMode(int nMode, const QString& strUnit) {
    m_nMode = nMode;
    m_strUnit = strUnit;
    RefreshText();
}

void CNumEdit::SetRange(int nMin, int nMax) {
    m_nMin = nMin;
    m_nMax = nMax;
    m_nValue = nMin;
}

void CNumEdit::SetValue(int nValue) {
    m_nValue = nValue;
    RefreshText();
}

int CNumEdit::Value() {
    if (!m_bModified) {
        return m_nValue;
    }
    m_bModified = false;
    const double dTyped = NumEditNumber(m_nMode, text());
    int nValue = m_nValue;
    switch (m_nMode) {
    case kNumEditFrequency:
        if (dTyped >= kMinTypedHz && dTyped <= kMaxTypedHz) {
            nValue = IndexOfFreq(dTyped);
        }
        break;
    case kNumEditScaled:
        if (dTyped >= std::min(ShownMin(), ShownMax()) &&
            dTyped <= std::max(ShownMin(), ShownMax())) {
            nValue = ScaledValueOf(dTyped, m_dScale, m_dOffset);
        }
        break;
    case kNumEditQ:
        nValue = IndexOfQ(ClampQ(dTyped));
        break;
    default:
        break;
    }
    if (nValue >= m_nMin && nValue <= m_nMax) {
        m_nValue = nValue;
    }
    return m_nValue;
}

void CNumEdit::RefreshText() {
    setText(NumEditText(m_nMode, m_nValue, m_dScale, m_dOffset, m_strUnit));
}

// Leaving the field takes what was typed: clamped to what the mode can show, then stored.
void CNumEdit::Commit() {
    const double dTyped = NumEditNumber(m_nMode, text());
    int nValue = m_nValue;
    switch (m_nMode) {
    case kNumEditFrequency:
        nValue = IndexOfFreq(ClampFreq(dTyped));
        break;
    case kNumEditScaled:
        nValue = ScaledValueOf(
            std::clamp(dTyped, std::min(ShownMin(), ShownMax()), std::max(ShownMin(), ShownMax())),
            m_dScale, m_dOffset);
        break;
    case kNumEditQ:
        nValue = IndexOfQ(ClampQ(dTyped));
        break;
    default:
        return;
    }
    nValue = std::clamp(nValue, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    // A frequency field takes its text even when untouched; the others only when typed in.
    if (m_nMode == kNumEditFrequency || m_bModified) {
        m_nValue = nValue;
    }
    if (m_bModified) {
        RefreshText();
        NotifyChanged();
    }
}

int CNumEdit::SteppedValue(int nStep) const {
    const int nValue =
        std::clamp(m_nValue + nStep, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    return (nValue - m_nValue) * nStep > 0 ? nValue : m_nValue;
}

void CNumEdit::StepValue(int nStep) {
    const int nValue = SteppedValue(nStep);
    if (nValue == m_nValue) {
        return;
    }
    SetValue(nValue);
    NotifyChanged();
}

void CNumEdit::NotifyChanged() {
    SendMessage(parentWidget(), WM_NUMEDIT_CHANGED, 0, ControlId(this));
}

void CNumEdit::SetFocusLook(bool bFocusLook) {
    if (m_pSlider != nullptr) {
        m_pSlider->SetFocusLook(bFocusLook);
    }
}

void CNumEdit::keyPressEvent(QKeyEvent* e) {
    if (isReadOnly() && (e->modifiers() & Qt::ShiftModifier)) {
        return;
    }
    const bool bCtrl = (e->modifiers() & Qt::ControlModifier) != 0;
    switch (e->key()) {
    case Qt::Key_Up:
        if (!bCtrl) {
            StepValue(1);
            return;
        }
        break;
    case Qt::Key_Down:
        if (!bCtrl) {
            StepValue(-1);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The caret goes to the start; the key goes on to the page, which moves the focus.
        setCursorPosition(0);
        e->ignore();
        return;
    default:
        break;
    }
    const bool bShortcut =
        (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    if (!bShortcut && !IsTypedTextAllowed(e->text())) {
        e->accept(); // refused
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CNumEdit::wheelEvent(QWheelEvent* e) {
    const QPoint delta = e->angleDelta();
    const int nDelta = delta.y() != 0 ? delta.y() : delta.x();
    m_nWheelTotal =
        static_cast<std::int16_t>(std::clamp(m_nWheelTotal + nDelta, -kWheelNotch, kWheelNotch));
    if (m_nWheelTotal == -kWheelNotch || m_nWheelTotal == kWheelNotch) {
        SetValue(SteppedValue(m_nWheelTotal > 0 ? 1 : -1));
        m_nWheelTotal = 0;
    }
    e->accept();
    NotifyChanged();
}

void CNumEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        NotifyChanged();
    }
    QLineEdit::mousePressEvent(e);
}

void CNumEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    SetFocusLook(true);
    if (!isReadOnly()) {
        selectAll();
    }
}

void CNumEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) {
        Commit();
        SetFocusLook(false);
    }
}

} // namespace zolt
