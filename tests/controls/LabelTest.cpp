#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/FontStatic.h"

#include "ControlTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace zolt {
namespace {

QString LabelQString(const SLabelFormat& format, int nPos, int nMin) {
    return QString::fromStdString(LabelText(format, nPos, nMin));
}

TEST(ValueLabel, OffAtTheMinimumWithoutUnitThenNumbersWithIt) {
    CEdit_Static label;
    label.SetRange(0, 60);
    label.SetFormat({kLabelOffAtMin, 1, 78, 0, 0, "dBV"});
    label.SetPos(0);
    EXPECT_EQ(label.Text(), QStringLiteral("OFF"));
    label.SetPos(1);
    EXPECT_EQ(label.Text(), QStringLiteral("-77dBV"));
    label.SetPos(60);
    EXPECT_EQ(label.Text(), QStringLiteral("-18dBV"));
}

// A position from a file or the processor outside the range shows as it is, not as the
// range's end; beyond a label table, which has no text for it, as its number in brackets.
TEST(ValueLabel, PositionsOutsideTheRangeShowAsTheyAre) {
    CEdit_Static label;
    label.SetRange(0, 84);
    label.SetPos(100);
    EXPECT_EQ(label.Pos(), 100);
    EXPECT_EQ(label.Text(), QStringLiteral("100"));
    label.SetPos(-3);
    EXPECT_EQ(label.Text(), QStringLiteral("-3"));

    label.SetRange(0, 19);
    label.SetFormat({kLabelAttack, 1, 0, 0, 0, "ms"});
    label.SetPos(19);
    EXPECT_EQ(label.Text(), QStringLiteral("400ms"));
    label.SetPos(25);
    EXPECT_EQ(label.Text(), QStringLiteral("(25)"));
}

TEST(ValueLabel, ScaledDistanceAndTableModes) {
    SLabelFormat scaled;
    scaled.nMode = kLabelScaled;
    scaled.dScale = 0.5;
    scaled.dOffset = 10.0;
    EXPECT_EQ(LabelQString(scaled, 0, 0), QStringLiteral("-10.0"));
    EXPECT_EQ(LabelQString(scaled, 20, 0), QStringLiteral("0.0"));
    EXPECT_EQ(LabelQString(scaled, 40, 0), QStringLiteral("10.0"));

    SLabelFormat integer{kLabelInteger, 2, 0, 0, 0, "ms"};
    EXPECT_EQ(LabelQString(integer, 250, 0), QStringLiteral("500ms"));
    EXPECT_EQ(LabelQString({kLabelInteger, 1, 50, 0, 0, "%"}, 0, 0), QStringLiteral("-50%"));
    EXPECT_EQ(LabelQString({kLabelDistance, 1, 0, 0, 0, ""}, 100, 0), QStringLiteral("3.400m"));
    EXPECT_EQ(LabelQString({kLabelAttack, 1, 0, 0, 0, "ms"}, 0, 0), QStringLiteral("0.5ms"));
    EXPECT_EQ(LabelQString({kLabelAttack, 1, 0, 0, 0, "ms"}, 19, 0), QStringLiteral("400ms"));
    EXPECT_EQ(LabelQString({kLabelRelease, 1, 0, 0, 0, ""}, 7, 0), QStringLiteral("Atk X32"));
    EXPECT_EQ(LabelQString({kLabelRatio, 1, 0, 0, 0, ""}, 40, 0), QStringLiteral("100"));
}

TEST(FontLabel, TheSameColourAgainDoesNotRepaint) {
    QWidget window;
    window.resize(100, 40);
    CFontStatic label(&window);
    label.resize(60, 20);
    label.SetText(QStringLiteral("4"));
    label.SetTextColor(kWhite);
    window.show();
    test::Pump();
    test::CPaintCounter paints(&label);
    label.SetTextColor(kWhite);
    test::Pump();
    EXPECT_EQ(paints.m_nPaints, 0);
    label.SetTextColor(kRed);
    test::Pump();
    EXPECT_EQ(paints.m_nPaints, 1);
}

TEST(EnglishEdit, OnlyPrintableAsciiEntersTheField) {
    QWidget window;
    CEnglishEdit edit(&window);
    edit.setMaxLength(20);
    ASSERT_TRUE(test::ShowActive(window));
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("Mode 1"));
    for (const char* pszTyped : {"中", "文", "é", "~"}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                      QString::fromUtf8(pszTyped));
        QCoreApplication::sendEvent(&edit, &key);
    }
    EXPECT_EQ(edit.text(), QStringLiteral("Mode 1~"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\tKaraoké\n"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("Mode 1~Karaok"));
    EXPECT_EQ(PrintableAscii(QString::fromUtf8(" !~\x7f\xc3\xa9")), QStringLiteral(" !~"));
}

} // namespace
} // namespace zolt
