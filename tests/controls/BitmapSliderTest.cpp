#include "controls/BitmapSlider.h"

#include "ControlTestSupport.h"
#include "controls/DialogTemplate.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace zolt {
namespace {

using test::CMessageRecorder;
using test::Pump;

constexpr SSliderAxis kPageSlider{184, 0, 0, 12, 0, 361}; // channel 142, thumb 141
constexpr SSliderAxis kGainSlider{114, 1, 2, 12, 0, 180}; // vertical strip slider

TEST(SliderGeometry, ThumbCentreTruncatesTheTravel) {
    EXPECT_EQ(ThumbCentre(kPageSlider, 0), 6);
    EXPECT_EQ(ThumbCentre(kPageSlider, 361), 178);
    EXPECT_EQ(ThumbCentre(kPageSlider, 180), 91); // 6 + T(172 * 180 / 361 = 85.76)
    EXPECT_EQ(ThumbCentre(kGainSlider, 0), 7);
    EXPECT_EQ(ThumbCentre(kGainSlider, 180), 106);
    EXPECT_EQ(ThumbCentre(kGainSlider, 90), 56); // 7 + T(99 * 90 / 180 = 49.5)
}

TEST(SliderGeometry, PositionAtACoordinateTruncatesTheWholeSum) {
    EXPECT_EQ(PosAtCoord(kPageSlider, 6), 0);
    EXPECT_EQ(PosAtCoord(kPageSlider, 178), 361);
    EXPECT_EQ(PosAtCoord(kPageSlider, 91), 178); // 85 / 172 * 361 = 178.4
    constexpr SSliderAxis kSigned{100, 0, 0, 10, -10, 10};
    EXPECT_EQ(PosAtCoord(kSigned, 6), -9) << "toward zero, not down";
    EXPECT_EQ(ClampThumbCoord(kPageSlider, -50), 6);
    EXPECT_EQ(ClampThumbCoord(kPageSlider, 500), 178);
}

TEST(SliderGeometry, ARangeWithoutSpanOrTravelDividesByNothing) {
    EXPECT_EQ(ThumbCentre({184, 0, 0, 12, 5, 5}, 5), 6);
    EXPECT_EQ(PosAtCoord({12, 0, 0, 12, 0, 10}, 6), 0);
}

TEST(SliderGeometry, FrequencyScaleHitsItsDecades) {
    EXPECT_EQ(FrequencyPosition(20), 0);
    EXPECT_EQ(FrequencyPosition(200), 80);
    EXPECT_EQ(FrequencyPosition(1000), 135);
    EXPECT_EQ(FrequencyPosition(2000), 160);
    EXPECT_EQ(FrequencyPosition(20000), 240);
    EXPECT_LT(FrequencyPosition(0), 0);
    EXPECT_LT(FrequencyPosition(-5), 0);
}

class CSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent.resize(400, 200);
        SetControlId(m_pSlider, 1069);
        ASSERT_TRUE(m_pSlider->SetChannelPictures(142, 155));
        ASSERT_TRUE(m_pSlider->SetThumbPictures(141));
        m_pSlider->move(10, 10);
        m_pSlider->SetRange(0, 100);
        m_pSlider->SetPos(50);
        m_parent.show();
    }
    int Centre() const { return ThumbCentre(m_pSlider->Axis(), m_pSlider->Pos()); }
    QPoint At(int x) const { return QPoint(x, 9); }
    std::vector<test::SRecordedMessage> Moved() const { return m_parent.Of(WM_SLIDER_MOVED); }
    std::vector<test::SRecordedMessage> Moving() const { return m_parent.Of(WM_SLIDER_MOVING); }
    void Wheel(int nDelta) {
        QWheelEvent wheel(QPointF(20, 9), m_pSlider->mapToGlobal(QPointF(20, 9)), QPoint(),
                          QPoint(0, nDelta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(m_pSlider, &wheel);
        Pump();
    }

    CMessageRecorder m_parent;
    CBitmapSlider* m_pSlider = new CBitmapSlider(&m_parent);
};

TEST_F(CSliderTest, TakesTheChannelSizeAndRefusesMismatchedPictures) {
    EXPECT_EQ(m_pSlider->size(), QSize(184, 19));
    EXPECT_FALSE(m_pSlider->SetChannelPictures(142, 134)) << "active of another size";
    EXPECT_FALSE(m_pSlider->SetChannelPictures(999));
    EXPECT_TRUE(m_pSlider->SetChannelPictures(134, 169));
    EXPECT_EQ(m_pSlider->size(), QSize(100, 20));
    EXPECT_FALSE(m_pSlider->SetThumbPictures(142)) << "a thumb larger than the control";
    EXPECT_TRUE(m_pSlider->SetChannelPictures(0));
}

TEST_F(CSliderTest, SettersKeepThePositionInRange) {
    m_pSlider->SetRange(0, 180);
    EXPECT_EQ(m_pSlider->Pos(), 0) << "a new range starts at its minimum";
    m_pSlider->SetPos(500);
    EXPECT_EQ(m_pSlider->Pos(), 180);
    m_pSlider->SetPosFromFarEnd(200);
    EXPECT_EQ(m_pSlider->Pos(), 0);
    EXPECT_EQ(m_pSlider->PosFromFarEnd(), 180);
    m_pSlider->SetPosFromFarEnd(30);
    EXPECT_EQ(m_pSlider->Pos(), 150);
    m_pSlider->SetRange(0, 240);
    m_pSlider->SetFrequency(20000);
    EXPECT_EQ(m_pSlider->Pos(), 240);
    m_pSlider->SetFrequency(0);
    EXPECT_EQ(m_pSlider->Pos(), 0);
}

TEST_F(CSliderTest, AQuickClickBesideTheThumbStepsOneUnitAndStillReportsIt) {
    QTest::mouseClick(m_pSlider, Qt::LeftButton, {}, At(Centre() + 40));
    EXPECT_EQ(m_pSlider->Pos(), 51);
    QTest::mouseClick(m_pSlider, Qt::LeftButton, {}, At(Centre() - 40));
    EXPECT_EQ(m_pSlider->Pos(), 50);
    Pump();
    ASSERT_EQ(Moved().size(), 2u);
    EXPECT_EQ(Moved()[0].wParam, 1069u);
    EXPECT_EQ(Moved()[0].lParam, 51);
    EXPECT_EQ(Moved()[1].lParam, 50);
    EXPECT_TRUE(Moving().empty());
}

TEST_F(CSliderTest, DraggingToTheStartGivesExactlyTheMinimum) {
    const int nGrab = Centre() + 3; // grabbed off the thumb's centre
    QTest::mousePress(m_pSlider, Qt::LeftButton, {}, At(nGrab));
    EXPECT_TRUE(m_pSlider->IsDragging());
    QTest::mouseMove(m_pSlider, At(nGrab + 20));
    EXPECT_GT(m_pSlider->Pos(), 50);
    QTest::mouseMove(m_pSlider, At(-30));
    EXPECT_EQ(m_pSlider->Pos(), 0);
    QTest::mouseRelease(m_pSlider, Qt::LeftButton, {}, At(-30));
    Pump();
    ASSERT_EQ(Moved().size(), 1u);
    EXPECT_EQ(Moved()[0].lParam, 0);
    EXPECT_FALSE(m_pSlider->IsDragging());
}

TEST_F(CSliderTest, ADragReportsMovingOnTheTickOnlyAfterAChange) {
    QTest::mousePress(m_pSlider, Qt::LeftButton, {}, At(Centre()));
    QTest::mouseMove(m_pSlider, At(Centre() + 30));
    const int nDragged = m_pSlider->Pos();
    QTest::qWait(150);
    ASSERT_EQ(Moving().size(), 1u) << "one notice for the change, none for idle ticks";
    EXPECT_EQ(Moving()[0].lParam, nDragged);
    QTest::mouseRelease(m_pSlider, Qt::LeftButton, {}, At(Centre()));
    Pump();
    ASSERT_EQ(Moved().size(), 1u);
}

TEST_F(CSliderTest, FineWheelStepsMoveOnEveryThird) {
    m_pSlider->SetPos(10);
    Wheel(40);
    Wheel(40);
    EXPECT_EQ(m_pSlider->Pos(), 10);
    EXPECT_TRUE(Moved().empty());
    Wheel(40);
    EXPECT_EQ(m_pSlider->Pos(), 11);
    ASSERT_EQ(Moved().size(), 1u);
    Wheel(-120);
    EXPECT_EQ(m_pSlider->Pos(), 10);
    m_pSlider->SetVertical(true);
    Wheel(120);
    EXPECT_EQ(m_pSlider->Pos(), 9) << "a notch away moves a vertical thumb up, toward the minimum";
    EXPECT_EQ(Moved().size(), 3u);
}

TEST_F(CSliderTest, KeysStepAndAlwaysReportEvenWhenNothingChanged) {
    m_pSlider->setFocus();
    QTest::keyClick(m_pSlider, Qt::Key_Left);
    QTest::keyClick(m_pSlider, Qt::Key_Right);
    EXPECT_EQ(m_pSlider->Pos(), 50);
    QTest::keyClick(m_pSlider, Qt::Key_Up);
    EXPECT_EQ(m_pSlider->Pos(), 51) << "Up raises a horizontal slider";
    QTest::keyClick(m_pSlider, Qt::Key_PageDown);
    EXPECT_EQ(m_pSlider->Pos(), 71);
    QTest::keyClick(m_pSlider, Qt::Key_End);
    EXPECT_EQ(m_pSlider->Pos(), 100);
    QTest::keyClick(m_pSlider, Qt::Key_Home);
    EXPECT_EQ(m_pSlider->Pos(), 0);
    m_pSlider->SetVertical(true);
    QTest::keyClick(m_pSlider, Qt::Key_Down);
    EXPECT_EQ(m_pSlider->Pos(), 1) << "Down moves a vertical thumb down, toward the maximum";
    QTest::keyClick(m_pSlider, Qt::Key_A);
    Pump();
    const auto aMoved = Moved();
    ASSERT_EQ(aMoved.size(), 7u);
    EXPECT_EQ(aMoved[0].lParam, 50);
    EXPECT_EQ(aMoved[1].lParam, 50);
}

TEST_F(CSliderTest, ADisabledSliderIgnoresInputAndADisableEndsTheDrag) {
    QTest::mousePress(m_pSlider, Qt::LeftButton, {}, At(Centre()));
    m_pSlider->Enable(false);
    EXPECT_FALSE(m_pSlider->IsDragging());
    QTest::mouseClick(m_pSlider, Qt::LeftButton, {}, At(Centre() + 40));
    QTest::keyClick(m_pSlider, Qt::Key_End);
    EXPECT_EQ(m_pSlider->Pos(), 50);
    Pump();
    EXPECT_TRUE(Moved().empty());
}

TEST_F(CSliderTest, FocusShowsTheActiveLook) {
    QWidget other(&m_parent);
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    ASSERT_TRUE(test::ShowActive(m_parent));
    m_pSlider->setFocus();
    EXPECT_TRUE(m_pSlider->HasFocusLook());
    other.setFocus();
    EXPECT_FALSE(m_pSlider->HasFocusLook());
}

} // namespace
} // namespace zolt
