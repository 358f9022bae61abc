#include "controls/EnTabCtrl.h"

#include "ControlTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zolt {
namespace {

constexpr unsigned kAllLooks = 31;

TEST(TabColours, LighterAndDarkerTruncateAndCap) {
    EXPECT_EQ(Lighter(kTabBase, 1.9f), Rgb(106, 117, 125));
    EXPECT_EQ(Lighter(Rgb(163, 174, 182), 1.5f), Rgb(244, 255, 255));
    EXPECT_EQ(Lighter(Rgb(10, 20, 30), 0.5f), Rgb(10, 20, 30)) << "a factor below 1 counts as 1";
    EXPECT_EQ(Darker(kWhite, 0.7f), Rgb(178, 178, 178));
    EXPECT_EQ(Darker(kWhite, 0.1f), Rgb(25, 25, 25));
    EXPECT_EQ(Darker(Rgb(10, 20, 30), 1.5f), Rgb(10, 20, 30));
    EXPECT_EQ(Darker(Rgb(10, 20, 30), -1.0f), Rgb(0, 0, 0));
}

TEST(TabColours, TheMainWindowsLookGivesTheStatedColours) {
    EXPECT_EQ(EnTabColour(kAllLooks, false), Rgb(106, 117, 125));
    EXPECT_EQ(EnTabColour(kAllLooks, true), Rgb(163, 174, 182));
    EXPECT_EQ(EnTabFadeColour(kAllLooks, false, kWhite), Rgb(178, 178, 178));
    EXPECT_EQ(EnTabFadeColour(kAllLooks, true, kWhite), SysButtonFace());
    EXPECT_EQ(EnTabTextColour(kAllLooks, true, kWhite), kRed);
    EXPECT_EQ(EnTabTextColour(kAllLooks, false, kWhite), Rgb(25, 25, 25));
    EXPECT_EQ(Lighter(EnTabColour(kAllLooks, false), 1.5f), Rgb(159, 175, 187));
    EXPECT_EQ(Darker(EnTabColour(kAllLooks, false), 0.75f), Rgb(79, 87, 93));
    EXPECT_EQ(Darker(EnTabColour(kAllLooks, true), 0.75f), Rgb(122, 130, 136));
}

TEST(TabColours, TheOtherRules) {
    EXPECT_EQ(EnTabColour(kTabSelectionHighlight, true), Rgb(106, 117, 125));
    EXPECT_EQ(EnTabColour(0, true), SysButtonFace());
    EXPECT_EQ(EnTabColour(kTabFlat, false), kTabBase);
    EXPECT_EQ(EnTabColour(0, false), Rgb(106, 117, 125));
    EXPECT_EQ(EnTabTextColour(kTabFlat, false, kNoColour), Darker(SysButtonFace(), 0.1f));
    EXPECT_EQ(EnTabTextColour(0, false, kWhite), Darker(SysButtonFace(), 0.5f));
    EXPECT_EQ(EnTabFadeColour(kTabGradient, false, kWhite), Darker(SysButtonFace(), 0.7f))
        << "the background counts only with the colour look";
    EXPECT_EQ(EnTabFadeRow(Rgb(100, 100, 100), Rgb(0, 0, 0), 3, 10), Rgb(80, 80, 80))
        << "rows fade in bands of two";
}

// A tab bar on a display with fewer than 16 bits per pixel.
class CLowDepthTabCtrl : public CEnTabCtrl {
protected:
    bool HasColourDepthForFading() const override { return false; }
};

class CTabCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { Configure(m_tabs); }
    static void Configure(CEnTabCtrl& tabs) {
        tabs.resize(500, 120);
        tabs.SetBkColour(kWhite);
        EXPECT_TRUE(tabs.SetDrawMode(2));
        CEnTabCtrl::SetLookFlags(true, kAllLooks);
        for (const char* pszCaption : {"Music", "DEQ", "Mic", "Out1&2", "Out3&4", "System"}) {
            tabs.InsertItem(tabs.ItemCount(), QString::fromLatin1(pszCaption));
        }
        tabs.SetCurrentIndex(5);
    }
    static bool HasRed(const QImage& image, const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                    return true;
                }
            }
        }
        return false;
    }
    CEnTabCtrl m_tabs;
};

TEST_F(CTabCtrlTest, RefusesUnknownDrawModes) {
    EXPECT_FALSE(m_tabs.SetDrawMode(3));
    EXPECT_FALSE(m_tabs.SetDrawMode(-1));
    EXPECT_EQ(m_tabs.DrawMode(), 2);
    EXPECT_TRUE(m_tabs.SetDrawMode(0));
    EXPECT_EQ(m_tabs.DrawMode(), 0);
}

TEST_F(CTabCtrlTest, DrawsTheStatedColoursAndARedSelectedCaption) {
    const QImage image = test::Snapshot(m_tabs);
    const QRect music = m_tabs.ItemRect(0);
    const QRect system = m_tabs.ItemRect(5);
    EXPECT_TRUE(HasRed(image, system));
    EXPECT_FALSE(HasRed(image, music));
    EXPECT_EQ(test::PixelAt(image, music.center().x(), music.top() + 1), Rgb(106, 117, 125));
    EXPECT_EQ(test::PixelAt(image, music.left(), music.top() + 5), Rgb(159, 175, 187));
    EXPECT_EQ(test::PixelAt(image, 0, 0), Rgb(56, 62, 66)) << "strip over the tab row";
    EXPECT_EQ(test::PixelAt(image, system.right() + 20, 10), Rgb(56, 62, 66)) << "strip beside it";
    const int nBorderTop = m_tabs.DisplayRect().top() - 2;
    EXPECT_EQ(test::PixelAt(image, 480, nBorderTop), Rgb(159, 175, 187)) << "main border";
    EXPECT_EQ(test::PixelAt(image, 499, 80), Rgb(79, 87, 93));
    // The unselected faces fade toward (178, 178, 178).
    const ColorRef nLow = test::PixelAt(image, music.center().x(), music.bottom() - 1);
    EXPECT_GT(RedOf(nLow), 106);
    EXPECT_LT(RedOf(nLow), 178);
}

TEST_F(CTabCtrlTest, FewerThanSixteenBitsGiveFlatFaces) {
    CLowDepthTabCtrl flat;
    Configure(flat);
    const QImage image = test::Snapshot(flat);
    const QRect music = flat.ItemRect(0);
    EXPECT_EQ(test::PixelAt(image, music.center().x(), music.top() + 1), Rgb(106, 117, 125));
    EXPECT_EQ(test::PixelAt(image, music.center().x(), music.bottom() - 1), Rgb(106, 117, 125));
}

TEST_F(CTabCtrlTest, ACaptionWiderThanItsTabIsCutWithAnEllipsis) {
    CEnTabCtrl narrow;
    narrow.resize(200, 60);
    narrow.SetDrawMode(2);
    narrow.SetItemWidth(40);
    narrow.InsertItem(0, QStringLiteral("Surround"));
    const QImage image = test::Snapshot(narrow);
    const QRect tab = narrow.ItemRect(0);
    EXPECT_TRUE(HasRed(image, tab));
    EXPECT_FALSE(HasRed(image, QRect(tab.right() + 1, 0, 60, tab.bottom())))
        << "the caption stays inside its tab";
    const QString strShown =
        narrow.fontMetrics().elidedText(QStringLiteral("Surround"), Qt::ElideRight, 40 - 6);
    EXPECT_TRUE(strShown.endsWith(QChar(0x2026)));
}

TEST_F(CTabCtrlTest, WithoutTabsOnlyTheMainBorderShows) {
    CEnTabCtrl empty;
    empty.resize(200, 60);
    empty.SetDrawMode(2);
    const QImage image = test::Snapshot(empty);
    EXPECT_EQ(test::PixelAt(image, 100, empty.DisplayRect().top() - 2), Rgb(159, 175, 187));
    EXPECT_EQ(test::PixelAt(image, 1, 1), Rgb(56, 62, 66));
}

TEST_F(CTabCtrlTest, AClickSelectsAndNotifiesButACallDoesNot) {
    QSignalSpy changes(&m_tabs, &CBaseTabCtrl::selectionChanged);
    m_tabs.SetCurrentIndex(2);
    EXPECT_EQ(changes.count(), 0);
    m_tabs.show();
    QTest::mouseClick(&m_tabs, Qt::LeftButton, {}, m_tabs.ItemRect(4).center());
    EXPECT_EQ(m_tabs.CurrentIndex(), 4);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toInt(), 4);
    QTest::mouseClick(&m_tabs, Qt::LeftButton, {}, m_tabs.ItemRect(4).center());
    EXPECT_EQ(changes.count(), 1) << "the selected tab again is no change";
}

} // namespace
} // namespace zolt
