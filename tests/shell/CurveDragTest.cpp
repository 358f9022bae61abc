// A right-button drag on the Music page's curve display inside the assembled main window,
// delivered through the window as the window system delivers it: the press, the context-menu
// event that comes with it (on press here; after the button-up on platforms that open menus
// on release), the moves and the button-up.
#include "ShellFixture.h"

#include "eq/CFStatic.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QWheelEvent>

#include <functional>
#include <utility>

namespace zolt {
namespace {

constexpr int kBand = 4; // band 5 of Music Left

// Watches for pop-up menus and for the About box one of them may open. A menu that opens
// takes the mouse, so what the user does next (the hook) reaches the menu; then the menu is
// closed. A box is closed by a timer of its own, since it may open inside the hook.
class CPopupWatch {
public:
    explicit CPopupWatch(std::function<void()> whileOpen = {}) : m_whileOpen(std::move(whileOpen)) {
        QObject::connect(&m_menuTimer, &QTimer::timeout, [this] {
            if (QApplication::activePopupWidget() == nullptr) {
                return;
            }
            m_bOpened = true;
            if (m_whileOpen) {
                std::exchange(m_whileOpen, {})();
            }
            if (QWidget* pMenu = QApplication::activePopupWidget()) {
                pMenu->close();
            }
        });
        QObject::connect(&m_boxTimer, &QTimer::timeout, [this] {
            if (QWidget* pBox = QApplication::activeModalWidget()) {
                m_bOpened = true;
                pBox->close();
            }
        });
        m_menuTimer.start(5);
        m_boxTimer.start(5);
    }
    bool Opened() const { return m_bOpened; }

private:
    QTimer m_menuTimer;
    QTimer m_boxTimer;
    std::function<void()> m_whileOpen;
    bool m_bOpened = false;
};

class CurveDragTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        m_pDlg = MakeWindow();
        m_pDlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pDlg.get()));
        m_pDlg->ShowPage(0);
        m_pCurve = m_pDlg->PageWidget(0)->findChild<CFStatic*>();
        ASSERT_NE(m_pCurve, nullptr);
        const QRect marker = m_pCurve->MarkerRect(kBand);
        m_ptMarker = marker.topLeft() + QPoint(marker.width() / 2, marker.height() / 2);
        // The pointer rests on the band's marker: it becomes the current filter.
        Move(m_ptMarker);
        ASSERT_EQ(m_pCurve->CurrentIndex(), kBand);
    }

    QWindow* Window() const { return m_pDlg->windowHandle(); }
    QPoint InWindow(QPoint pt) const { return m_pCurve->mapTo(m_pDlg.get(), pt); }
    void Move(QPoint pt) { QTest::mouseMove(Window(), InWindow(pt)); }
    int QIndex() const {
        const CImageGuard guard(ImageLock());
        return m_pCurve->Set()->Filter(kBand)->QIndex();
    }

    // Presses the right button on the marker, drags 40 pixels right (4 Q steps) and
    // releases there, as the user does whether or not a menu has opened meanwhile. Returns
    // whether a menu opened; m_nAtRelease is the Q index at the button-up.
    bool RightDrag() {
        bool bDragged = false;
        auto dragAndRelease = [&] {
            for (int dx = 10; dx <= 40; dx += 10) {
                Move(m_ptMarker + QPoint(dx, 0));
            }
            m_nAtRelease = QIndex();
            QTest::mouseRelease(Window(), Qt::RightButton, {},
                                InWindow(m_ptMarker + QPoint(40, 0)));
            bDragged = true;
        };
        CPopupWatch menus(dragAndRelease);
        QTest::mousePress(Window(), Qt::RightButton, {}, InWindow(m_ptMarker));
        if (!bDragged) {
            dragAndRelease();
        }
        return menus.Opened();
    }

    // Plain moves further right after the drag.
    void MoveOn() {
        for (int dx = 50; dx <= 150; dx += 25) {
            Move(m_ptMarker + QPoint(dx, 0));
        }
        QCoreApplication::processEvents();
    }

    std::unique_ptr<CZoltDlg> m_pDlg;
    CFStatic* m_pCurve = nullptr;
    QPoint m_ptMarker;
    int m_nAtRelease = -1;
};

TEST_F(CurveDragTest, ARightDragChangesQAndOpensNoMenuWhenMenusOpenOnPress) {
    const int nStart = QIndex();
    EXPECT_FALSE(RightDrag());
    EXPECT_EQ(m_nAtRelease, nStart + 4);
    MoveOn();
    EXPECT_EQ(QIndex(), m_nAtRelease) << "moves after the button-up changed Q";
}

TEST_F(CurveDragTest, ARightDragOpensNoMenuWhenMenusOpenOnRelease) {
    const int nStart = QIndex();
    EXPECT_FALSE(RightDrag());
    // Where menus open on release, the context-menu event follows the button-up.
    CPopupWatch menus;
    const QPoint pt = m_ptMarker + QPoint(40, 0);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, pt, m_pCurve->mapToGlobal(pt));
    QApplication::sendEvent(m_pCurve, &menuEvent);
    EXPECT_FALSE(menus.Opened());
    MoveOn();
    EXPECT_EQ(m_nAtRelease, nStart + 4);
    EXPECT_EQ(QIndex(), m_nAtRelease);
}

// A wheel turned by `angle` eighths of a degree with the pointer at pt of the display.
void Wheel(CFStatic& curve, QPoint pt, int angle) {
    QWheelEvent wheel(pt, curve.mapToGlobal(pt), {}, QPoint(0, angle), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&curve, &wheel);
}

TEST_F(CurveDragTest, TheWheelOverABandsPointStepsItsQOneNotchAtATime) {
    const int nStart = QIndex();
    Wheel(*m_pCurve, m_ptMarker, 120);
    Wheel(*m_pCurve, m_ptMarker, 120);
    EXPECT_EQ(QIndex(), nStart + 2);
    // A touchpad's small turns add up to a notch.
    Wheel(*m_pCurve, m_ptMarker, -60);
    EXPECT_EQ(QIndex(), nStart + 2);
    Wheel(*m_pCurve, m_ptMarker, -60);
    EXPECT_EQ(QIndex(), nStart + 1);
    // Away from the point the wheel is not the display's.
    Move(m_ptMarker + QPoint(0, 60));
    Wheel(*m_pCurve, m_ptMarker + QPoint(0, 60), 120);
    EXPECT_EQ(QIndex(), nStart + 1);
}

TEST_F(CurveDragTest, TheAboutMenuOpensFromTheWindowBackground) {
    CPopupWatch menus;
    // The strip right of the connection buttons, at the window's top edge.
    QTest::mouseClick(Window(), Qt::RightButton, {}, QPoint(m_pDlg->width() - 3, 2));
    EXPECT_TRUE(WaitUntil([&] { return menus.Opened(); }, 2000));
}

} // namespace
} // namespace zolt
