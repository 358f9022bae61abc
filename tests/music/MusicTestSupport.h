// A Music page driven as a user drives it: buttons clicked, sliders and combo boxes
// stepped with keys, fields typed into, points dragged on the curve display.
#pragma once

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "eq/CFStatic.h"
#include "pages/MusicDlg.h"

#include "FakePageApi.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zolt::test {

class CMusicPageUser : public ::testing::Test {
protected:
    void ShowPage() {
        m_pPage = std::make_unique<CMusicDlg>(m_api, nullptr);
        m_pPage->show();
        QApplication::processEvents();
    }

    template <class T = QWidget> T* Item(int nId) const { return DlgItem<T>(m_pPage.get(), nId); }

    void Click(int nButton) {
        QTest::mouseClick(Item<CBitButton>(nButton), Qt::LeftButton);
        QApplication::processEvents();
    }
    // Keys on a focused control; the posted slider notices are delivered afterwards.
    void Keys(QWidget* pWidget, Qt::Key key, int nTimes = 1) {
        pWidget->setFocus();
        for (int i = 0; i < nTimes; ++i) {
            QTest::keyClick(pWidget, key);
        }
        QApplication::processEvents();
    }
    void Keys(int nId, Qt::Key key, int nTimes = 1) { Keys(Item(nId), key, nTimes); }
    // A horizontal slider to nPos with Home and Up; a combo box to item nPos likewise.
    void StepTo(int nId, int nPos) {
        Keys(nId, Qt::Key_Home);
        Keys(nId, qobject_cast<QComboBox*>(Item(nId)) ? Qt::Key_Down : Qt::Key_Up, nPos);
    }
    void Type(int nField, const char* pszText) {
        auto* pField = Item<CNumEdit>(nField);
        pField->setFocus();
        pField->selectAll();
        QTest::keyClicks(pField, QString::fromLatin1(pszText));
        QTest::keyClick(pField, Qt::Key_Return);
        QApplication::processEvents();
    }
    QString LabelText(int nLabel) const { return Item<CEdit_Static>(nLabel)->Text(); }
    // Drags the point of filter nItem on the curve display by delta pixels.
    void DragPoint(int nItem, QPoint delta) {
        CFStatic& display = m_pPage->Display();
        const QPoint start = display.MarkerRect(nItem).center();
        QTest::mouseMove(&display, QPoint(1, 1));
        QTest::mouseMove(&display, start);
        QTest::mousePress(&display, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(&display, start + delta);
        QTest::mouseRelease(&display, Qt::LeftButton, Qt::NoModifier, start + delta);
        QApplication::processEvents();
    }

    CFakePageApi m_api;
    std::unique_ptr<CMusicDlg> m_pPage;
};

} // namespace zolt::test
