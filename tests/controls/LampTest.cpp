#include "controls/SLamp.h"

#include "ControlTestSupport.h"

#include <QPaintEvent>
#include <QRegion>

#include <gtest/gtest.h>

#include <vector>

namespace zolt {
namespace {

using test::Pump;

TEST(LampRules, LevelThresholds) {
    for (int nLevel = 0; nLevel <= 109; ++nLevel) {
        EXPECT_EQ(LampLitLevelSegments(nLevel), 0) << nLevel;
        EXPECT_FALSE(LampClipLit(nLevel)) << nLevel;
    }
    EXPECT_EQ(LampLitLevelSegments(110), 1);
    EXPECT_EQ(LampLitLevelSegments(115), 1);
    EXPECT_EQ(LampLitLevelSegments(116), 2);
    for (int nLevel = 194; nLevel <= 199; ++nLevel) {
        EXPECT_EQ(LampLitLevelSegments(nLevel), 15) << nLevel;
        EXPECT_FALSE(LampClipLit(nLevel)) << nLevel;
    }
    for (int nLevel = 200; nLevel <= 255; ++nLevel) {
        EXPECT_EQ(LampLitLevelSegments(nLevel), 16) << nLevel;
        EXPECT_TRUE(LampClipLit(nLevel)) << nLevel;
    }
    EXPECT_TRUE(LampLimitLit(0));
    EXPECT_TRUE(LampLimitLit(199));
    EXPECT_FALSE(LampLimitLit(200));
    EXPECT_FALSE(LampLimitLit(255));
}

TEST(LampRules, SegmentLayout) {
    // A meter of 50 x 283 pixels: pitch 16, bands of 10 with gaps of 6.
    EXPECT_EQ(LampSegmentRect(0, 50, 283), QRect(0, 273, 50, 10));
    EXPECT_EQ(LampSegmentRect(15, 50, 283), QRect(0, 33, 50, 10));
    EXPECT_EQ(LampSegmentRect(16, 50, 283), QRect(0, 17, 50, 10));
    EXPECT_EQ(LampSegmentRect(17, 50, 283), QRect(0, 1, 50, 10));
    // A short meter cuts the limit lamp at its top edge.
    EXPECT_EQ(LampSegmentRect(17, 30, 170), QRect(0, 0, 30, 0));
    EXPECT_EQ(LampSegmentRect(17, 30, 180), QRect(0, 6, 30, 4));
}

// Records the region of every paint event a widget receives.
class CPaintRegions : public QObject {
public:
    explicit CPaintRegions(QWidget* pWidget) { pWidget->installEventFilter(this); }
    std::vector<QRegion> m_aRegions;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            m_aRegions.push_back(static_cast<QPaintEvent*>(e)->region());
        }
        return false;
    }
};

class CLampTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.resize(100, 300);
        m_pLamp->setGeometry(10, 10, 50, 283);
        m_pLamp->Layout();
        m_window.show();
        Pump();
        m_pPaints = std::make_unique<test::CPaintCounter>(m_pLamp);
    }
    int Paints() {
        Pump();
        return std::exchange(m_pPaints->m_nPaints, 0);
    }
    QWidget m_window;
    CSLamp* m_pLamp = new CSLamp(&m_window);
    std::unique_ptr<test::CPaintCounter> m_pPaints;
};

TEST_F(CLampTest, UpdatesRepaintOnlyWhenASegmentChanges) {
    m_pLamp->LevelUpdate(0); // the first update repaints: the meter starts changed
    EXPECT_EQ(Paints(), 1);
    m_pLamp->LevelUpdate(0);
    EXPECT_EQ(Paints(), 0);
    m_pLamp->LevelUpdate(116);
    EXPECT_EQ(Paints(), 1);
    EXPECT_TRUE(m_pLamp->IsLit(1));
    EXPECT_FALSE(m_pLamp->IsLit(2));
    m_pLamp->LevelUpdate(117);
    EXPECT_EQ(Paints(), 0) << "117 lights the same two segments";
    m_pLamp->LimitUpdate(150);
    EXPECT_EQ(Paints(), 1);
    EXPECT_TRUE(m_pLamp->IsLit(kLampLimit));
    m_pLamp->LimitUpdate(100);
    EXPECT_EQ(Paints(), 0);
    m_pLamp->LevelUpdate(230);
    EXPECT_EQ(Paints(), 1);
    EXPECT_TRUE(m_pLamp->IsLit(kLampClip));
    EXPECT_TRUE(m_pLamp->IsLit(15));
    EXPECT_TRUE(m_pLamp->IsLit(kLampLimit)) << "a level update leaves the limit lamp";
    m_pLamp->AllOff();
    EXPECT_EQ(Paints(), 1);
    for (int i = 0; i < kLampSegments; ++i) {
        EXPECT_FALSE(m_pLamp->IsLit(i)) << i;
    }
}

// The meters change at every poll: a change repaints the segments that changed and never the
// page (with its painted scale) under the meter.
TEST_F(CLampTest, AChangeRepaintsOnlyTheChangedSegmentsOfTheMeter) {
    m_pLamp->LevelUpdate(0);
    m_pLamp->LimitUpdate(100);
    m_pLamp->LevelUpdate(0);
    Pump();
    CPaintRegions page(&m_window);
    CPaintRegions lamp(m_pLamp);
    m_pLamp->LevelUpdate(116); // segments 0 and 1
    Pump();
    EXPECT_TRUE(page.m_aRegions.empty());
    ASSERT_EQ(lamp.m_aRegions.size(), 1U);
    const QRect span = LampSegmentRect(0, 50, 283) | LampSegmentRect(1, 50, 283);
    EXPECT_EQ(lamp.m_aRegions[0].boundingRect(), span);
    EXPECT_TRUE(m_pLamp->testAttribute(Qt::WA_OpaquePaintEvent));

    lamp.m_aRegions.clear();
    m_pLamp->LimitUpdate(250);
    Pump();
    EXPECT_TRUE(page.m_aRegions.empty());
    ASSERT_EQ(lamp.m_aRegions.size(), 1U);
    EXPECT_EQ(lamp.m_aRegions[0].boundingRect(), LampSegmentRect(kLampLimit, 50, 283));
}

} // namespace
} // namespace zolt
