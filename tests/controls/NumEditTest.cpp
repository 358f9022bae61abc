#include "controls/NumEdit.h"

#include "ControlTestSupport.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "model/DataConver.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace zolt {
namespace {

using test::CMessageRecorder;
using test::Pump;

TEST(NumEditConversion, ScaledValuesTruncateButKeepShownSteps) {
    EXPECT_EQ(ScaledValueOf(3.0, 0.2, 24), 135);
    EXPECT_EQ(ScaledValueOf(3.1, 0.2, 24), 135);
    EXPECT_EQ(ScaledValueOf(-23.8, 0.2, 24), 1) << "not 0 through rounding";
    EXPECT_EQ(ScaledValueOf(-10.0, 0.5, 10), 0);
    EXPECT_EQ(ScaledValueOf(5, 0, 24), 0) << "no scale divides by nothing";
    EXPECT_EQ(NumEditNumber(kNumEditScaled, QStringLiteral("OFF")), -120.0);
    EXPECT_EQ(NumEditNumber(kNumEditFrequency, QStringLiteral(" 95.5Hz")), 95.5);
    EXPECT_EQ(NumEditNumber(kNumEditFrequency, QStringLiteral("Hz")), 0.0);
    EXPECT_EQ(NumEditNumber(kNumEditFrequency, QStringLiteral("1e999")), 0.0);
}

class CNumEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetControlId(m_pEdit, 1022);
        m_pEdit->setGeometry(10, 10, 80, 20);
        m_pOther->setGeometry(10, 40, 80, 20);
        ASSERT_TRUE(test::ShowActive(m_parent));
        m_pOther->setFocus(); // the field gains the focus only when a test gives it
    }
    void Frequency(int nValue) {
        m_pEdit->SetRange(0, 361);
        m_pEdit->SetDisplayMode(kNumEditFrequency, QStringLiteral("Hz"));
        m_pEdit->SetValue(nValue);
    }
    void Gain(int nValue) {
        m_pEdit->SetRange(0, 180);
        m_pEdit->SetScale(0.2);
        m_pEdit->SetOffset(24);
        m_pEdit->SetDisplayMode(kNumEditScaled);
        m_pEdit->SetValue(nValue);
    }
    // Focuses the field, types over its selected text, and leaves it.
    void Type(const QString& strKeys) {
        m_pEdit->setFocus();
        QTest::keyClicks(m_pEdit, strKeys);
        m_pOther->setFocus();
    }
    void Paste(const QString& strText) {
        QGuiApplication::clipboard()->setText(strText);
        m_pEdit->setFocus();
        QTest::keyClick(m_pEdit, Qt::Key_V, Qt::ControlModifier);
        m_pOther->setFocus();
    }
    std::size_t Sent() const { return m_parent.Of(WM_NUMEDIT_CHANGED).size(); }

    CMessageRecorder m_parent;
    CNumEdit* m_pEdit = new CNumEdit(&m_parent);
    QLineEdit* m_pOther = new QLineEdit(&m_parent);
};

TEST_F(CNumEditTest, AnUntouchedFrequencyKeepsItsIndexAndSendsNothing) {
    Frequency(204);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("1000Hz"));
    m_pEdit->setFocus();
    m_pOther->setFocus();
    EXPECT_EQ(m_pEdit->Value(), 204);
    EXPECT_EQ(Sent(), 0u);
}

TEST_F(CNumEditTest, TypedFrequenciesAreClampedToTheTable) {
    Frequency(204);
    Type(QStringLiteral("25000"));
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("20600Hz"));
    EXPECT_EQ(m_pEdit->Value(), 361);
    ASSERT_EQ(Sent(), 1u);
    EXPECT_EQ(m_parent.Of(WM_NUMEDIT_CHANGED)[0].lParam, 1022);
    EXPECT_EQ(m_parent.Of(WM_NUMEDIT_CHANGED)[0].wParam, 0u);

    Type(QStringLiteral("-5"));
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("19.7Hz"));
    EXPECT_EQ(m_pEdit->Value(), 0);
}

TEST_F(CNumEditTest, LettersCannotBeTypedAndEnterIsNotInserted) {
    Frequency(204);
    m_pEdit->setFocus();
    QTest::keyClicks(m_pEdit, QStringLiteral("1a0b0c"));
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("100"));
    QTest::keyClick(m_pEdit, Qt::Key_Return);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("100"));
    EXPECT_EQ(m_pEdit->cursorPosition(), 0);
    m_pOther->setFocus();
    EXPECT_EQ(m_pEdit->Value(), 85); // halfway between 99 and 101 Hz takes 101
}

TEST_F(CNumEditTest, ScaledGainsTruncateAndClampToTheirRange) {
    Gain(120);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("0.0"));
    Type(QStringLiteral("3.1"));
    EXPECT_EQ(m_pEdit->Value(), 135);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("3.0"));
    Type(QStringLiteral("99"));
    EXPECT_EQ(m_pEdit->Value(), 180);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("12.0"));
    Paste(QStringLiteral("OFF"));
    EXPECT_EQ(m_pEdit->Value(), 0);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("-24.0"));
    EXPECT_EQ(Sent(), 3u);
}

TEST_F(CNumEditTest, EveryShownGainStepTypesBackToItself) {
    Gain(0);
    for (const int nStep : {1, 2, 37, 179}) {
        const QString strShown = NumEditText(kNumEditScaled, nStep, 0.2, 24, {});
        Type(strShown);
        EXPECT_EQ(m_pEdit->Value(), nStep) << strShown.toStdString();
    }
}

TEST_F(CNumEditTest, QFieldsClampAndShowThreeDecimals) {
    m_pEdit->SetRange(0, 100);
    m_pEdit->SetDisplayMode(kNumEditQ);
    m_pEdit->SetValue(10);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("0.710"));
    Type(QStringLiteral("200"));
    EXPECT_EQ(m_pEdit->Value(), 100);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("128.000"));
}

TEST_F(CNumEditTest, ReadingTakesTypedTextOnlyWithinTheTable) {
    Frequency(204);
    m_pEdit->setFocus();
    QTest::keyClicks(m_pEdit, QStringLiteral("25000"));
    EXPECT_TRUE(m_pEdit->IsModified());
    EXPECT_EQ(m_pEdit->Value(), 204) << "an uncommitted 25000 is outside 19.7..20600";
    EXPECT_FALSE(m_pEdit->IsModified());
    QTest::keyClick(m_pEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(m_pEdit, QStringLiteral("95"));
    EXPECT_EQ(m_pEdit->Value(), 82);
}

// A value from a file or the processor outside the range shows as it is, not as the
// range's end; the arrows and the wheel step from it into the range, never further out.
TEST_F(CNumEditTest, SetValueOutsideTheRangeShowsItAndStepsLeadBackIntoTheRange) {
    Gain(120);
    m_pEdit->SetValue(210);
    EXPECT_EQ(m_pEdit->Value(), 210);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("18.0"));
    m_pEdit->setFocus();
    QTest::keyClick(m_pEdit, Qt::Key_Up);
    EXPECT_EQ(m_pEdit->Value(), 210);
    EXPECT_EQ(Sent(), 0u) << "Up leads further out: nothing";
    QTest::keyClick(m_pEdit, Qt::Key_Down);
    EXPECT_EQ(m_pEdit->Value(), 180);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("12.0"));
    EXPECT_EQ(Sent(), 1u);

    m_pEdit->SetValue(-1);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("-24.2"));
    QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_pEdit, &e);
    EXPECT_EQ(m_pEdit->Value(), 0);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("-24.0"));
}

TEST_F(CNumEditTest, ArrowsStepWithinTheRangeAndStopSilentlyAtItsEnds) {
    Gain(179);
    QTest::keyClick(m_pEdit, Qt::Key_Up);
    EXPECT_EQ(m_pEdit->Value(), 180);
    EXPECT_EQ(Sent(), 1u);
    QTest::keyClick(m_pEdit, Qt::Key_Up);
    EXPECT_EQ(m_pEdit->Value(), 180);
    EXPECT_EQ(Sent(), 1u) << "Up at the maximum sends nothing";
    QTest::keyClick(m_pEdit, Qt::Key_Down);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("11.8"));
    EXPECT_EQ(Sent(), 2u);
}

TEST_F(CNumEditTest, TheWheelStepsOnFullNotchesAndReportsEveryTurn) {
    Gain(120);
    const auto wheel = [this](int nDelta) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, nDelta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_pEdit, &e);
    };
    wheel(40);
    EXPECT_EQ(m_pEdit->Value(), 120);
    wheel(80);
    EXPECT_EQ(m_pEdit->Value(), 121);
    EXPECT_EQ(Sent(), 2u);
}

TEST_F(CNumEditTest, TheLinkedSliderShowsItsFocusLookWhileTheFieldHasFocus) {
    CBitmapSlider slider(&m_parent);
    m_pEdit->LinkSlider(&slider);
    m_pEdit->setFocus();
    EXPECT_TRUE(slider.HasFocusLook());
    m_pOther->setFocus();
    EXPECT_FALSE(slider.HasFocusLook());
}

// The strips' fields are 26 x 11 dialog units (39 x 21 pixels) in the dialog font. The user
// sees the whole value, from its first character to its last, with the caret where a line
// edit leaves it: after a value is set, and after a typed value is taken.
TEST(NumEditText, EveryValueShowsWholeInAStripField) {
    QWidget window;
    window.setFont(DialogFont());
    auto* pField = new CNumEdit(&window);
    auto* pOther = new QLineEdit(&window);
    pField->setGeometry(0, 0, DluToPixelsX(26), DluToPixelsY(11));
    pOther->setGeometry(0, 30, 80, 20);
    ASSERT_TRUE(test::ShowActive(window));
    pOther->setFocus(); // the field gains the focus when the user clicks it
    auto showsWhole = [&] {
        test::Snapshot(*pField); // the line edit places its text when it paints
        const int y = pField->height() / 2;
        const qsizetype nLength = pField->text().size();
        return pField->cursorPositionAt(QPoint(0, y)) == 0 &&
               pField->cursorPositionAt(QPoint(pField->width() - 1, y)) == nLength;
    };
    pField->SetRange(0, 100);
    pField->SetDisplayMode(kNumEditQ);
    pField->SetValue(IndexOfQ(128));
    ASSERT_EQ(pField->text(), QStringLiteral("128.000"));
    EXPECT_EQ(pField->cursorPosition(), pField->text().size());
    EXPECT_TRUE(showsWhole()) << "Q set";

    pField->SetValue(IndexOfQ(0.71));
    EXPECT_TRUE(showsWhole()) << "Q 0.710";
    EXPECT_EQ(pField->font(), DialogFont()) << "a value that fits keeps the dialog font";

    pField->setFocus();
    QTest::keyClicks(pField, QStringLiteral("128"));
    pOther->setFocus();
    ASSERT_EQ(pField->text(), QStringLiteral("128.000"));
    EXPECT_TRUE(showsWhole()) << "Q typed";

    pField->SetRange(0, 361);
    pField->SetDisplayMode(kNumEditFrequency);
    pField->SetValue(361);
    EXPECT_EQ(pField->text(), QStringLiteral("20600"));
    EXPECT_TRUE(showsWhole()) << "frequency";

    pField->SetRange(0, 180);
    pField->SetScale(0.2);
    pField->SetOffset(24);
    pField->SetDisplayMode(kNumEditScaled);
    pField->SetValue(0);
    EXPECT_EQ(pField->text(), QStringLiteral("-24.0"));
    EXPECT_TRUE(showsWhole()) << "gain";
}

} // namespace
} // namespace zolt
